// The halves of a surrogate pair, for every piece of code that must not cut one in two.
#pragma once

namespace talvex {

inline bool IsHighSurrogateUnit(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
inline bool IsLowSurrogateUnit(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
inline bool IsSurrogateUnit(char16_t c) { return c >= 0xD800 && c <= 0xDFFF; }

}  // namespace talvex
