#include "editing/grapheme.h"

#include <algorithm>

namespace talvex {

GraphemeClass GraphemeClassOf(char32_t c) {
    if (c < 0x7F) {
        // Most text is ASCII: no search for it.
        if (c >= 0x20) return GraphemeClass::Other;
        if (c == u'\r') return GraphemeClass::CR;
        if (c == u'\n') return GraphemeClass::LF;
        return GraphemeClass::Control;
    }
    const std::uint32_t* end = kGraphemeRanges + kGraphemeRangeCount;
    // The last range starting at or before c; the table starts at 0, so there is one.
    const std::uint32_t* range =
        std::upper_bound(kGraphemeRanges, end, c,
                         [](char32_t value, std::uint32_t word) { return value < (word >> 4); }) -
        1;
    const auto k = static_cast<GraphemeClass>(*range & 0xF);
    // Of the 11,172 syllables, every 28th from the first has no trailing consonant.
    constexpr char32_t kFirstSyllable = 0xAC00;
    constexpr char32_t kTrailingChoices = 28;
    if (k == GraphemeClass::LV && (c - kFirstSyllable) % kTrailingChoices != 0)
        return GraphemeClass::LVT;
    return k;
}

}  // namespace talvex
