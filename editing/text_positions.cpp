#include "editing/text_positions.h"

#include <algorithm>

namespace talvex {
namespace {

constexpr char32_t kZeroWidthJoiner = 0x200D;

bool InRange(char32_t c, char32_t first, char32_t last) { return c >= first && c <= last; }

bool IsPairAt(std::u16string_view text, std::size_t i) {
    return i + 1 < text.size() && IsHighSurrogateUnit(text[i]) && IsLowSurrogateUnit(text[i + 1]);
}

// The code point that starts at `i` (below text.size()); a lone surrogate stands for itself.
char32_t CodePointAt(std::u16string_view text, std::size_t i) {
    if (!IsPairAt(text, i)) return text[i];
    return 0x10000 + ((static_cast<char32_t>(text[i]) - 0xD800) << 10) +
           (static_cast<char32_t>(text[i + 1]) - 0xDC00);
}

std::size_t CodePointEnd(std::u16string_view text, std::size_t i) {
    return i + (IsPairAt(text, i) ? 2 : 1);
}

// The start of the code point that ends at `i` (above 0).
std::size_t CodePointStart(std::u16string_view text, std::size_t i) {
    return i >= 2 && IsPairAt(text, i - 2) ? i - 2 : i - 1;
}

// What never starts a character of its own: it goes with the code point before it.
bool ExtendsCharacter(char32_t c) {
    return InRange(c, 0x0300, 0x036F) ||    // combining diacritical marks
           InRange(c, 0x1AB0, 0x1AFF) ||    // ... extended
           InRange(c, 0x1DC0, 0x1DFF) ||    // ... supplement
           InRange(c, 0x20D0, 0x20FF) ||    // ... for symbols
           InRange(c, 0xFE20, 0xFE2F) ||    // combining half marks
           InRange(c, 0xFE00, 0xFE0F) ||    // variation selectors
           InRange(c, 0xE0100, 0xE01EF) ||  // ... supplement
           InRange(c, 0x1F3FB, 0x1F3FF) ||  // emoji skin tones
           InRange(c, 0xE0020, 0xE007F) ||  // tags (subdivision flags)
           c == kZeroWidthJoiner;
}

bool IsRegionalIndicator(char32_t c) { return InRange(c, 0x1F1E6, 0x1F1FF); }

// How many regional indicators come right before `i`.
std::size_t RegionalIndicatorsBefore(std::u16string_view text, std::size_t i) {
    std::size_t count = 0;
    while (i >= 2 && IsPairAt(text, i - 2) && IsRegionalIndicator(CodePointAt(text, i - 2))) {
        ++count;
        i -= 2;
    }
    return count;
}

// Whether one character ends and another begins at `i`, a code point boundary inside the
// text. Deciding from the position alone keeps the walks forward and backward in agreement.
bool CharacterBoundaryAt(std::u16string_view text, std::size_t i) {
    const char16_t before = text[i - 1];
    const char16_t at = text[i];
    if (before == u'\r' && at == u'\n') return false;
    if (IsLineBreakUnit(before) || IsLineBreakUnit(at)) return true;
    const char32_t previous = CodePointAt(text, CodePointStart(text, i));
    const char32_t next = CodePointAt(text, i);
    if (ExtendsCharacter(next) || previous == kZeroWidthJoiner) return false;
    // Flags are pairs counted from the first indicator of a run.
    if (IsRegionalIndicator(previous) && IsRegionalIndicator(next))
        return RegionalIndicatorsBefore(text, i) % 2 == 0;
    return true;
}

enum class CharClass { Word, Punctuation, Space, LineBreak };

bool IsWhiteSpace(char32_t c) {
    return c == 0x0009 || c == 0x0020 || c == 0x00A0 || c == 0x1680 || InRange(c, 0x2000, 0x200A) ||
           c == 0x202F || c == 0x205F || c == 0x3000;
}

bool IsPunctuation(char32_t c) {
    if (c < 0x80) {
        // ASCII punctuation and symbols; '_' joins words, as in identifiers.
        return c != u'_' && (InRange(c, 0x21, 0x2F) || InRange(c, 0x3A, 0x40) ||
                             InRange(c, 0x5B, 0x60) || InRange(c, 0x7B, 0x7E));
    }
    if (InRange(c, 0x00A1, 0x00BF)) {
        // Latin-1 punctuation and symbols, but its letters (ª µ º), superscript digits and
        // fractions belong in words.
        return c != 0x00AA && c != 0x00B2 && c != 0x00B3 && c != 0x00B5 && c != 0x00B9 &&
               c != 0x00BA && !InRange(c, 0x00BC, 0x00BE);
    }
    return InRange(c, 0x2010, 0x2027) ||  // dashes, quotes, bullets, ellipsis
           InRange(c, 0x2030, 0x205E) ||  // per mille, primes, guillemets, ...
           InRange(c, 0x3001, 0x3003) ||  // ideographic comma and full stop, ditto mark
           InRange(c, 0x3008, 0x3011) ||  // CJK brackets
           (InRange(c, 0xFF01, 0xFF5E) && !InRange(c, 0xFF10, 0xFF19) &&  // fullwidth ASCII
            !InRange(c, 0xFF21, 0xFF3A) && !InRange(c, 0xFF41, 0xFF5A) && c != 0xFF3F);
}

// The class of the character that starts at `i`: that of its first code point.
CharClass ClassAt(std::u16string_view text, std::size_t i) {
    const char32_t c = CodePointAt(text, i);
    if (c == u'\r' || c == u'\n') return CharClass::LineBreak;
    if (IsWhiteSpace(c)) return CharClass::Space;
    if (IsPunctuation(c)) return CharClass::Punctuation;
    return CharClass::Word;
}

// From the character at `i`, on past the characters of class `c`.
std::size_t RunEnd(std::u16string_view text, std::size_t i, CharClass c) {
    while (i < text.size() && ClassAt(text, i) == c) i = NextCharacter(text, i);
    return i;
}

// From `i`, back over the characters of class `c` before it.
std::size_t RunStart(std::u16string_view text, std::size_t i, CharClass c) {
    while (i > 0) {
        const std::size_t previous = PreviousCharacter(text, i);
        if (ClassAt(text, previous) != c) break;
        i = previous;
    }
    return i;
}

}  // namespace

bool IsCaretBoundary(std::u16string_view text, std::size_t position) {
    if (position == 0 || position == text.size()) return true;
    if (position > text.size()) return false;
    const char16_t before = text[position - 1];
    const char16_t at = text[position];
    return !(before == u'\r' && at == u'\n') &&
           !(IsHighSurrogateUnit(before) && IsLowSurrogateUnit(at));
}

std::size_t SnapToCaretBoundary(std::u16string_view text, std::size_t position) {
    position = std::min(position, text.size());
    // Both pairs are two units long: one step back leaves either.
    return IsCaretBoundary(text, position) ? position : position - 1;
}

std::size_t NextCharacter(std::u16string_view text, std::size_t position) {
    position = SnapToCaretBoundary(text, position);
    if (position == text.size()) return position;
    std::size_t i = CodePointEnd(text, position);
    while (i < text.size() && !CharacterBoundaryAt(text, i)) i = CodePointEnd(text, i);
    return i;
}

std::size_t PreviousCharacter(std::u16string_view text, std::size_t position) {
    position = SnapToCaretBoundary(text, position);
    if (position == 0) return 0;
    std::size_t i = CodePointStart(text, position);
    while (i > 0 && !CharacterBoundaryAt(text, i)) i = CodePointStart(text, i);
    return i;
}

std::size_t PreviousCodePoint(std::u16string_view text, std::size_t position) {
    position = SnapToCaretBoundary(text, position);
    if (position == 0) return 0;
    if (position >= 2 && text[position - 1] == u'\n' && text[position - 2] == u'\r')
        return position - 2;
    return CodePointStart(text, position);
}

std::size_t NextWordStart(std::u16string_view text, std::size_t position) {
    position = SnapToCaretBoundary(text, position);
    if (position == text.size()) return position;
    const CharClass c = ClassAt(text, position);
    if (c == CharClass::LineBreak) return NextCharacter(text, position);
    if (c != CharClass::Space) position = RunEnd(text, position, c);
    return RunEnd(text, position, CharClass::Space);
}

std::size_t PreviousWordStart(std::u16string_view text, std::size_t position) {
    position = SnapToCaretBoundary(text, position);
    const std::size_t afterSpace = RunStart(text, position, CharClass::Space);
    if (afterSpace == 0) return 0;
    const std::size_t previous = PreviousCharacter(text, afterSpace);
    const CharClass c = ClassAt(text, previous);
    if (c == CharClass::LineBreak) return afterSpace == position ? previous : afterSpace;
    return RunStart(text, afterSpace, c);
}

std::pair<std::size_t, std::size_t> WordAt(std::u16string_view text, std::size_t position) {
    position = SnapToCaretBoundary(text, position);
    if (position < text.size()) {
        const CharClass c = ClassAt(text, position);
        if (c != CharClass::LineBreak)
            return {RunStart(text, position, c), RunEnd(text, position, c)};
    }
    if (position > 0) {
        const CharClass c = ClassAt(text, PreviousCharacter(text, position));
        if (c != CharClass::LineBreak) return {RunStart(text, position, c), position};
    }
    return {position, position};
}

}  // namespace talvex
