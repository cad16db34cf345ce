#include "editing/grapheme.h"

#include <algorithm>

namespace talvex {

GraphemeClass GraphemeClassOf(char32_t c) {
    using enum GraphemeClass;
    if (c < 0x7F) {
        // Most text is ASCII: no search for it.
        if (c >= 0x20) return Other;
        return c == u'\r' ? CR : c == u'\n' ? LF : Control;
    }
    // The last range starting at or before c: some ten steps through the thousand ranges.
    const std::uint32_t* first = kGraphemeRanges;
    const std::uint32_t* last = kGraphemeRanges + kGraphemeRangeCount;
    const std::uint32_t* range =
        std::upper_bound(first, last, c,
                         [](char32_t value, std::uint32_t word) { return value < (word >> 4); }) -
        1;
    const auto k = static_cast<GraphemeClass>(*range & 0xF);
    // Of the 11,172 syllables, every 28th from the first has no trailing consonant.
    constexpr char32_t kFirstSyllable = 0xAC00;
    constexpr char32_t kTrailingChoices = 28;
    if (k == LV && (c - kFirstSyllable) % kTrailingChoices != 0) return LVT;
    return k;
}

}  // namespace talvex
