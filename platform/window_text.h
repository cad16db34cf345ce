// A window's text (its caption, for a button or a frame), read whole.
#pragma once

#include <windows.h>

#include <string>

namespace talvex {

inline std::wstring WindowTextOf(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace talvex
