// The grapheme cluster break class of a code point, as Unicode's text segmentation rules
// (UAX #29) name it: what the caret, Backspace, the layout's cuts and the text tools use to
// tell where one user-perceived character ends. Portable.
#pragma once

#include <cstddef>
#include <cstdint>

namespace talvex {

// Numbered as in the generated table (scripts/grapheme_table.py), where LV stands for every
// Hangul syllable.
enum class GraphemeClass : std::uint8_t {
    Other,
    CR,
    LF,
    Control,
    Extend,
    ZWJ,
    RegionalIndicator,
    Prepend,
    SpacingMark,
    L,  // Hangul leading jamo
    V,  // ... vowel jamo
    T,  // ... trailing jamo
    LV,
    ExtendedPictographic,
    LVT,
};

// Any value, surrogates included (they are Other, like unassigned code points).
GraphemeClass GraphemeClassOf(char32_t c);

// A code point that belongs to the character before it (Extend, ZWJ or SpacingMark): a
// combining mark, a variation selector, an emoji modifier, a joiner.
inline bool ExtendsPreviousCharacter(char32_t c) {
    const GraphemeClass k = GraphemeClassOf(c);
    return k == GraphemeClass::Extend || k == GraphemeClass::ZWJ || k == GraphemeClass::SpacingMark;
}

// The generated table: sorted words of (first code point << 4) | class, each range running up
// to the next word's first code point. The class of the Hangul syllables' one range is LV;
// the lookup tells LVT apart.
extern const std::uint32_t kGraphemeRanges[];
extern const std::size_t kGraphemeRangeCount;

}  // namespace talvex
