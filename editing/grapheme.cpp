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
    // The ranges to search: those of c's block when it has an index entry, else all above
    // the indexed ones. The last range starting at or before c is in there.
    const std::uint32_t* first = kGraphemeRanges;
    const std::uint32_t* last = kGraphemeRanges + kGraphemeRangeCount;
    constexpr std::size_t kBlocks = kGraphemeIndexedLimit >> 8;
    const std::size_t block = c >> 8;
    if (block < kBlocks) {
        first += kGraphemeBlockRanges[block];
        if (block + 1 < kBlocks) last = kGraphemeRanges + kGraphemeBlockRanges[block + 1] + 1;
    } else {
        first += kGraphemeBlockRanges[kBlocks - 1];
    }
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
