#include "ui/history_drawing.h"

#include "editing/utf16.h"
#include "ui/contrast.h"

#include <string>

namespace talvex {
namespace {

bool IsLineBreak(wchar_t c) {
    // LF, VT, FF, CR, NEL, line and paragraph separators: each would start a new line.
    return (c >= L'\n' && c <= L'\r') || c == L'\u0085' || c == L'\u2028' || c == L'\u2029';
}

std::wstring RowTextFromList(HWND list, UINT index) {
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, index, 0);
    if (length <= 0) return {};
    if (static_cast<std::size_t>(length) <= kHistoryRowUnits) {
        wchar_t shortEntry[kHistoryRowUnits + 1];  // the usual case: no heap at each paint
        const LRESULT got =
            SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(shortEntry));
        if (got <= 0 || static_cast<std::size_t>(got) > kHistoryRowUnits) return {};
        return HistoryRowText(shortEntry, static_cast<std::size_t>(got));
    }
    std::wstring entry(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT got =
        SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(entry.data()));
    if (got <= 0) return {};
    return HistoryRowText(entry.data(), static_cast<std::size_t>(got));
}

}  // namespace

std::wstring HistoryRowText(const wchar_t* entry, std::size_t length) {
    std::size_t take = length < kHistoryRowUnits ? length : kHistoryRowUnits;
    if (take < length && take > 0 && IsHighSurrogateUnit(static_cast<char16_t>(entry[take - 1])))
        --take;
    std::wstring row;
    row.reserve(take + 1);
    std::size_t i = 0;
    while (i < take) {
        const wchar_t c = entry[i++];
        if (c == L'\r' && i < length && entry[i] == L'\n') {
            row += kLineBreakMark;
            ++i;  // CR LF is one break, even when the LF lies just past `take`
        } else if (IsLineBreak(c)) {
            row += kLineBreakMark;
        } else if (c < L' ' || c == L'\u007F') {
            row += L' ';
        } else {
            row += c;
        }
    }
    if (i < length) row += kCutMark;
    return row;
}

void MeasureHistoryItem(MEASUREITEMSTRUCT& item, UINT dpi) {
    item.itemHeight = static_cast<UINT>(MulDiv(13, static_cast<int>(dpi), 96));
}

void DrawHistoryItem(const DRAWITEMSTRUCT& item) {
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const bool skin = !HighContrastOn();
    const COLORREF back = selected ? (skin ? kSelectedRowBack : GetSysColor(COLOR_HIGHLIGHT))
                                   : GetSysColor(COLOR_WINDOW);
    const COLORREF fore = selected ? (skin ? kSelectedRowText : GetSysColor(COLOR_HIGHLIGHTTEXT))
                                   : GetSysColor(COLOR_WINDOWTEXT);
    SetBkColor(item.hDC, back);
    SetTextColor(item.hDC, fore);
    // Filling with the background colour through ExtTextOut needs no brush.
    ExtTextOutW(item.hDC, 0, 0, ETO_OPAQUE, &item.rcItem, nullptr, 0, nullptr);

    if (item.itemID != static_cast<UINT>(-1)) {
        // The row text was made once when the entry arrived; the entry itself may be huge.
        const auto* cached = reinterpret_cast<const std::wstring*>(item.itemData);
        std::wstring read;
        if (cached == nullptr) {
            read = RowTextFromList(item.hwndItem, item.itemID);
            cached = &read;
        }
        SetBkMode(item.hDC, TRANSPARENT);
        RECT r = item.rcItem;
        r.left += 2;
        r.right -= 1;
        DrawTextW(item.hDC, cached->c_str(), static_cast<int>(cached->size()), &r,
                  DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | DT_END_ELLIPSIS);
    }
    if ((item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0) {
        SetTextColor(item.hDC, RGB(0, 0, 0));
        SetBkColor(item.hDC, RGB(255, 255, 255));
        DrawFocusRect(item.hDC, &item.rcItem);
    }
}

}  // namespace talvex
