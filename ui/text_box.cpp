#include "ui/text_box.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "ui/layout.h"

namespace talvex {
namespace {

// Room left in the box's buffer for what the user types while the text loads.
constexpr std::size_t kRoomForTyping = 4096;
constexpr UINT kLoadTickMs = 1;  // as soon as input and paint are done

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

std::u16string EditText(HWND edit) {
    const int length = GetWindowTextLengthW(edit);
    if (length <= 0) return {};
    std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
    const int got = GetWindowTextW(edit, reinterpret_cast<wchar_t*>(text.data()), length + 1);
    text.resize(static_cast<std::size_t>(got < 0 ? 0 : got));
    return text;
}

// The edit's view: what is selected, where the caret is, what is scrolled into sight.
struct EditView {
    DWORD anchor = 0;
    DWORD caret = 0;
    LRESULT firstLine = 0;
    int horizontal = 0;
};

EditView SaveView(HWND edit) {
    EditView view;
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    view.anchor = start;
    view.caret = end;
    // EM_GETSEL gives the ends in order; the caret tells which one the user moves.
    POINT at{};
    if (start != end && GetFocus() == edit && GetCaretPos(&at)) {
        const auto distance = [&](DWORD index) {
            const LRESULT p = SendMessageW(edit, EM_POSFROMCHAR, index, 0);
            return std::abs(static_cast<short>(LOWORD(p)) - at.x) +
                   std::abs(static_cast<short>(HIWORD(p)) - at.y);
        };
        if (distance(start) < distance(end)) {
            view.anchor = end;
            view.caret = start;
        }
    }
    view.firstLine = SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    if (GetScrollInfo(edit, SB_HORZ, &info)) view.horizontal = info.nPos;
    return view;
}

void RestoreView(HWND edit, const EditView& view) {
    SendMessageW(edit, EM_SETSEL, view.anchor, view.caret);
    const LRESULT firstLine = SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
    if (firstLine != view.firstLine)
        SendMessageW(edit, EM_LINESCROLL, 0, view.firstLine - firstLine);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    if (GetScrollInfo(edit, SB_HORZ, &info) && info.nPos != view.horizontal &&
        view.horizontal >= 0 && view.horizontal <= 0xFFFF)
        SendMessageW(edit, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, view.horizontal), 0);
}

}  // namespace

std::size_t SliceEnd(const std::u16string& text, std::size_t begin, std::size_t maxUnits) {
    if (text.size() - begin <= maxUnits) return text.size();
    std::size_t end = begin + maxUnits;
    const std::size_t lineFeed = text.rfind(u'\n', end - 1);
    if (lineFeed != std::u16string::npos && lineFeed >= begin) return lineFeed + 1;
    if ((text[end - 1] == u'\r' && text[end] == u'\n') ||
        (IsHighSurrogate(text[end - 1]) && IsLowSurrogate(text[end])))
        --end;
    return end;
}

std::u16string EditTextBox::Text() const {
    std::u16string text = EditText(edit_);
    if (Loading()) text.append(pending_, appended_, std::u16string::npos);
    return text;
}

void EditTextBox::SetText(const std::u16string& text) {
    // The box stops at a NUL, as SetWindowTextW does.
    const std::size_t length = std::min(text.find(u'\0'), text.size());
    if (length <= kLoadAtOnceUnits) {
        StopLoading();
        if (!SetWindowTextW(edit_, reinterpret_cast<const wchar_t*>(text.c_str())))
            throw std::bad_alloc();  // the box refuses only when it cannot get the memory
        return;
    }
    std::u16string loading(text, 0, length);  // a failure here leaves the box as it was
    StopLoading();
    pending_ = std::move(loading);
    PutFirstSlice(SliceEnd(pending_, 0, kSliceUnits));
    if (!Loading()) return;
    if (SetTimer(timerOwner_, loadTimerId_, kLoadTickMs, nullptr) == 0) {
        // No timer to be had: the rest goes in now, slowly but whole.
        while (Loading()) AppendKeepingView(SliceEnd(pending_, appended_, kSliceUnits));
        FinishLoading();
    }
}

// The box gets a buffer with room for the whole text, holding the first slice: each slice
// appended later then fits, where the box would otherwise reallocate and copy all it
// holds at every slice.
void EditTextBox::PutFirstSlice(std::size_t end) {
    const std::size_t units = pending_.size() + 1 + kRoomForTyping;
    if (HLOCAL buffer = LocalAlloc(LMEM_MOVEABLE, units * sizeof(wchar_t))) {
        if (auto* chars = static_cast<char16_t*>(LocalLock(buffer))) {
            std::memcpy(chars, pending_.data(), end * sizeof(char16_t));
            chars[end] = u'\0';
            LocalUnlock(buffer);
            const auto old = reinterpret_cast<HLOCAL>(SendMessageW(edit_, EM_GETHANDLE, 0, 0));
            SendMessageW(edit_, EM_SETHANDLE, reinterpret_cast<WPARAM>(buffer), 0);
            if (reinterpret_cast<HLOCAL>(SendMessageW(edit_, EM_GETHANDLE, 0, 0)) == buffer) {
                // The box owns the new buffer now; the old one is ours to free.
                if (old != nullptr && old != buffer) LocalFree(old);
                appended_ = end;
                return;
            }
        }
        LocalFree(buffer);
    }
    // The box would not take a buffer: the first slice as any text, the rest grows it.
    std::u16string first(pending_, 0, end);
    if (!SetWindowTextW(edit_, reinterpret_cast<const wchar_t*>(first.c_str()))) {
        StopLoading();
        throw std::bad_alloc();
    }
    appended_ = end;
}

void EditTextBox::OnLoadTimer() {
    // Stopped first: a step that fails must not come back at every tick.
    KillTimer(timerOwner_, loadTimerId_);
    if (!Loading()) return;
    AppendKeepingView(SliceEnd(pending_, appended_, kSliceUnits));
    if (Loading())
        SetTimer(timerOwner_, loadTimerId_, kLoadTickMs, nullptr);
    else
        FinishLoading();
}

void EditTextBox::AppendKeepingView(std::size_t end) {
    // Redrawing stays off while the box scrolls to its end and back: one repaint after.
    const bool shown = (GetWindowLongPtrW(edit_, GWL_STYLE) & WS_VISIBLE) != 0;
    if (shown) SendMessageW(edit_, WM_SETREDRAW, FALSE, 0);
    const EditView view = SaveView(edit_);
    const int before = GetWindowTextLengthW(edit_);
    SendMessageW(edit_, EM_SETSEL, before, before);
    // The slice is ended in place for the box, which copies it, then mended.
    const char16_t cut = pending_[end];
    pending_[end] = u'\0';
    SendMessageW(edit_, EM_REPLACESEL, FALSE,
                 reinterpret_cast<LPARAM>(pending_.data() + appended_));
    pending_[end] = cut;
    const int after = GetWindowTextLengthW(edit_);
    RestoreView(edit_, view);
    if (shown) {
        SendMessageW(edit_, WM_SETREDRAW, TRUE, 0);
        RedrawWindow(edit_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
    }
    if (after - before != static_cast<int>(end - appended_)) {
        // The box is out of memory; it holds what it took, the rest stays pending.
        if (after > before) appended_ += static_cast<std::size_t>(after - before);
        throw std::bad_alloc();
    }
    appended_ = end;
}

void EditTextBox::FinishLoading() {
    // No undo may take a slice away again.
    SendMessageW(edit_, EM_EMPTYUNDOBUFFER, 0, 0);
    StopLoading();
}

void EditTextBox::StopLoading() {
    if (timerOwner_ != nullptr) KillTimer(timerOwner_, loadTimerId_);
    std::u16string().swap(pending_);
    appended_ = 0;
}

void EditTextBox::SetHeightTwips(int twips) {
    heightTwips_ = twips;
    RECT r{};
    GetWindowRect(edit_, &r);
    UINT dpi = GetDpiForWindow(edit_);
    if (dpi == 0) dpi = 96;
    SetWindowPos(edit_, nullptr, 0, 0, r.right - r.left, layout::ToPixels(twips, dpi),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace talvex
