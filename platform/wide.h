// std::u16string <-> std::wstring for Win32 calls. wchar_t is a UTF-16 unit on Windows, so
// the conversion is a unit-for-unit copy.
#pragma once

#ifdef _WIN32

#include <string>

namespace talvex {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wchar_t holds one UTF-16 unit");

inline std::wstring ToWide(const std::u16string& text) {
    return std::wstring(text.begin(), text.end());
}

inline std::u16string FromWide(const std::wstring& text) {
    return std::u16string(text.begin(), text.end());
}

}  // namespace talvex

#endif  // _WIN32
