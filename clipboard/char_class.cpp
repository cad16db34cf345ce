#include "clipboard/char_class.h"

#include "editing/grapheme.h"
#include "editing/utf16.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <iterator>

namespace talvex {
namespace {

struct Range {
    char16_t first;
    char16_t last;
};

// Sorted and disjoint, so a binary search finds the candidate range; the static_asserts below
// keep it that way when ranges are added.
constexpr std::array kLetterBlocks{
    Range{0x00AA, 0x00AA},  // feminine ordinal
    Range{0x00B5, 0x00B5},  // micro sign
    Range{0x00BA, 0x00BA},  // masculine ordinal
    Range{0x00C0, 0x00D6},  // Latin-1 letters, without the multiplication sign
    Range{0x00D8, 0x00F6},  // ... and without the division sign
    Range{0x00F8, 0x02AF},  // Latin Extended-A/B, IPA
    Range{0x02B0, 0x02C1},  // modifier letters, including the letter apostrophe U+02BC
    Range{0x0370, 0x0373},  // Greek, skipping its punctuation and tonos signs
    Range{0x0376, 0x0377}, Range{0x037A, 0x037D}, Range{0x037F, 0x037F}, Range{0x0386, 0x0386},
    Range{0x0388, 0x03FF}, Range{0x0400, 0x0481},  // Cyrillic, skipping the thousands sign
    Range{0x0483, 0x052F}, Range{0x0531, 0x0556},  // Armenian
    Range{0x0561, 0x0587}, Range{0x05D0, 0x05F2},  // Hebrew letters (its points are marks)
    Range{0x0620, 0x065F},                         // Arabic letters and marks
    Range{0x066E, 0x06D3}, Range{0x06D5, 0x06DC}, Range{0x0900, 0x0963},  // Indic scripts, skipping
                                                                          // the danda punctuation
    Range{0x0966, 0x0DFF}, Range{0x0E01, 0x0E3A},                         // Thai
    Range{0x0E40, 0x0E4E}, Range{0x10A0, 0x10FA},                         // Georgian
    Range{0x10FC, 0x11FF},                                                // ... and Hangul Jamo
    Range{0x1C90, 0x1CBF},                                                // Georgian Mtavruli
    Range{0x1E00, 0x1FFF},                         // Latin Extended Additional, Greek Extended
    Range{0x2C00, 0x2CE4},                         // Glagolitic, Latin Extended-C, Coptic
    Range{0x2D00, 0x2D2F},                         // Georgian supplement
    Range{0x3041, 0x3096},                         // Hiragana
    Range{0x309B, 0x309F}, Range{0x30A1, 0x30FA},  // Katakana
    Range{0x30FC, 0x30FF}, Range{0x3131, 0x318E},  // Hangul compatibility Jamo
    Range{0x3400, 0x4DBF},                         // CJK Extension A
    Range{0x4E00, 0x9FFF},                         // CJK unified ideographs
    Range{0xA640, 0xA69F},                         // Cyrillic Extended-B
    Range{0xA720, 0xA7FF},                         // Latin Extended-D
    Range{0xAB30, 0xAB6F},                         // Latin Extended-E
    Range{0xAC00, 0xD7A3},                         // Hangul syllables
    Range{0xF900, 0xFAFF},                         // CJK compatibility ideographs
    Range{0xFB00, 0xFB06},                         // Latin ligatures
    Range{0xFB13, 0xFB17},                         // Armenian ligatures
    Range{0xFB1D, 0xFB4F},                         // Hebrew presentation forms
    Range{0xFB50, 0xFD3D},  // Arabic presentation forms, without the ornate parentheses
    Range{0xFD50, 0xFDFB}, Range{0xFE70, 0xFEFC}, Range{0xFF21, 0xFF3A},  // fullwidth Latin
    Range{0xFF41, 0xFF5A}, Range{0xFF66, 0xFFDC},  // halfwidth kana and Hangul
};

constexpr std::array kDigitBlocks{
    Range{0x0030, 0x0039}, Range{0x0660, 0x0669}, Range{0x06F0, 0x06F9}, Range{0x07C0, 0x07C9},
    Range{0x0966, 0x096F}, Range{0x09E6, 0x09EF}, Range{0x0A66, 0x0A6F}, Range{0x0AE6, 0x0AEF},
    Range{0x0B66, 0x0B6F}, Range{0x0BE6, 0x0BEF}, Range{0x0C66, 0x0C6F}, Range{0x0CE6, 0x0CEF},
    Range{0x0D66, 0x0D6F}, Range{0x0DE6, 0x0DEF}, Range{0x0E50, 0x0E59}, Range{0x0ED0, 0x0ED9},
    Range{0x0F20, 0x0F29}, Range{0x1040, 0x1049}, Range{0x17E0, 0x17E9}, Range{0x1810, 0x1819},
    Range{0xFF10, 0xFF19},
};

template <std::size_t N>
constexpr bool SortedAndDisjoint(const std::array<Range, N>& ranges) {
    for (std::size_t i = 0; i < N; ++i) {
        if (ranges[i].first > ranges[i].last) return false;
        if (i > 0 && ranges[i - 1].last >= ranges[i].first) return false;
    }
    return true;
}
static_assert(SortedAndDisjoint(kLetterBlocks));
static_assert(SortedAndDisjoint(kDigitBlocks));

template <std::size_t N>
bool InRanges(const std::array<Range, N>& ranges, char16_t c) {
    // First range starting after c; the one before it is the only one that can hold c.
    auto it = std::upper_bound(ranges.begin(), ranges.end(), c,
                               [](char16_t value, const Range& r) { return value < r.first; });
    return it != ranges.begin() && c <= std::prev(it)->last;
}

}  // namespace

bool IsInLetterBlock(char16_t c) { return InRanges(kLetterBlocks, c); }

bool IsMark(char16_t c) { return !IsSurrogateUnit(c) && ExtendsPreviousCharacter(c); }

bool IsLetter(char16_t c, char16_t upper, char16_t lower) {
    if (IsSurrogateUnit(c)) return false;
    return upper != c || lower != c || IsInLetterBlock(c);
}

bool IsDecimalDigit(char16_t c) { return InRanges(kDigitBlocks, c); }

bool IsApostrophe(char16_t c) { return c == u'\'' || c == u'\u2019'; }

}  // namespace talvex
