#include "ui/history_drawing.h"

#include <string>

namespace talvex {

void MeasureHistoryItem(MEASUREITEMSTRUCT& item, UINT dpi) {
    item.itemHeight = static_cast<UINT>(MulDiv(13, static_cast<int>(dpi), 96));
}

void DrawHistoryItem(const DRAWITEMSTRUCT& item) {
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item.itemID != static_cast<UINT>(-1)) {
        const auto index = static_cast<WPARAM>(item.itemID);
        const LRESULT len = SendMessageW(item.hwndItem, LB_GETTEXTLEN, index, 0);
        std::wstring text(static_cast<std::size_t>(len < 0 ? 0 : len) + 1, L'\0');
        const LRESULT got = SendMessageW(item.hwndItem, LB_GETTEXT, index,
                                         reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(got < 0 ? 0 : got));
        SetBkMode(item.hDC, TRANSPARENT);
        SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        RECT r = item.rcItem;
        r.left += 2;
        DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &r,
                  DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | DT_END_ELLIPSIS);
    }
    if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
}

}  // namespace talvex
