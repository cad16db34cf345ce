#include "ui/text_box.h"

#include <new>

#include "ui/layout.h"

namespace talvex {

std::u16string EditTextBox::Text() const {
    const int length = GetWindowTextLengthW(edit_);
    if (length <= 0) return {};
    std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
    const int got = GetWindowTextW(edit_, reinterpret_cast<wchar_t*>(text.data()), length + 1);
    text.resize(static_cast<std::size_t>(got < 0 ? 0 : got));
    return text;
}

void EditTextBox::SetText(const std::u16string& text) {
    if (!SetWindowTextW(edit_, reinterpret_cast<const wchar_t*>(text.c_str())))
        throw std::bad_alloc();  // the box refuses only when it cannot get the memory
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
