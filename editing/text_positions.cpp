#include "editing/text_positions.h"

#include <algorithm>

#include "editing/grapheme.h"

namespace talvex {
namespace {

using Grapheme = GraphemeClass;

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

// --- Grapheme cluster boundaries (UAX #29) ---------------------------------------------------

// What the two code points on either side of a place say about it. Two rules need to know
// more of the text before: an emoji joined by a ZWJ, and regional indicators, which pair up
// from the first of a run.
enum class Pair { Break, Join, JoinIfEmojiBeforeZwj, JoinIfOddIndicatorsBefore };

Pair PairRule(Grapheme before, Grapheme after) {
    using enum GraphemeClass;
    if (before == CR && after == LF) return Pair::Join;  // GB3
    const auto isControl = [](Grapheme k) { return k == Control || k == CR || k == LF; };
    if (isControl(before) || isControl(after)) return Pair::Break;  // GB4, GB5
    if (before == L && (after == L || after == V || after == LV || after == LVT))
        return Pair::Join;                                                               // GB6
    if ((before == LV || before == V) && (after == V || after == T)) return Pair::Join;  // GB7
    if ((before == LVT || before == T) && after == T) return Pair::Join;                 // GB8
    if (after == Extend || after == ZWJ || after == SpacingMark) return Pair::Join;  // GB9, GB9a
    if (before == Prepend) return Pair::Join;                                        // GB9b
    if (before == ZWJ && after == ExtendedPictographic) return Pair::JoinIfEmojiBeforeZwj;  // GB11
    if (before == RegionalIndicator && after == RegionalIndicator)
        return Pair::JoinIfOddIndicatorsBefore;  // GB12, GB13
    return Pair::Break;                          // GB999
}

// Whether a place that `rule` governs is a break. The two rules that look further back are
// asked of the caller, which knows the text behind: whether an emoji comes before the ZWJ,
// and whether the regional indicators before pair up to a break.
template <typename EmojiBeforeZwj, typename IndicatorsSayBreak>
bool RuleBreaks(Pair rule, EmojiBeforeZwj&& emojiBeforeZwj,
                IndicatorsSayBreak&& indicatorsSayBreak) {
    switch (rule) {
        case Pair::Break:
            return true;
        case Pair::Join:
            return false;
        case Pair::JoinIfEmojiBeforeZwj:
            return !emojiBeforeZwj();
        case Pair::JoinIfOddIndicatorsBefore:
            return indicatorsSayBreak();
    }
    return true;
}

Grapheme GraphemeAt(std::u16string_view text, std::size_t i) {
    return GraphemeClassOf(CodePointAt(text, i));
}

Grapheme GraphemeBefore(std::u16string_view text, std::size_t i) {
    return GraphemeAt(text, CodePointStart(text, i));
}

// Whether the text before `i` ends with an Extended_Pictographic code point and any Extend
// after it. The run looked back over lies in one character, so it is never longer than that.
bool EndsWithEmoji(std::u16string_view text, std::size_t i) {
    for (; i > 0; i = CodePointStart(text, i)) {
        const Grapheme k = GraphemeBefore(text, i);
        if (k == Grapheme::ExtendedPictographic) return true;
        if (k != Grapheme::Extend) return false;
    }
    return false;
}

// Regional indicators pair up from the first of a run, however long; but the rules look back
// over this many at most, so that no step walks a whole line of flags. Deeper into a longer
// run (512 flags in a row, when all the world's flags are 258) the pairs line up with every
// fourth unit of the text instead.
constexpr std::size_t kIndicatorsLookedBack = 1024;

bool IndicatorsBreak(std::size_t i, std::size_t indicatorsBefore) {
    return indicatorsBefore < kIndicatorsLookedBack ? indicatorsBefore % 2 == 0 : (i & 2) == 0;
}

// U+1F1E6 to U+1F1FF, told from their units alone: a run of them is counted fast.
bool IsIndicatorBefore(std::u16string_view text, std::size_t i) {
    return i >= 2 && text[i - 2] == 0xD83C && text[i - 1] >= 0xDDE6 && text[i - 1] <= 0xDDFF;
}

// How many regional indicators come right before `i`, up to the look-back.
std::size_t IndicatorsBefore(std::u16string_view text, std::size_t i) {
    std::size_t count = 0;
    for (; count < kIndicatorsLookedBack && IsIndicatorBefore(text, i); i -= 2) ++count;
    return count;
}

// Whether a character ends at `i`, a code point boundary inside the text.
bool BreaksAt(std::u16string_view text, std::size_t i) {
    return RuleBreaks(
        PairRule(GraphemeBefore(text, i), GraphemeAt(text, i)),
        [&] { return EndsWithEmoji(text, i - 1); },  // before the ZWJ, one unit
        [&] { return IndicatorsBreak(i, IndicatorsBefore(text, i)); });
}

// Walks on from a position one character at a time, carrying what the rules need to know of
// the text behind, so that each code point is looked at once however far it goes.
class ForwardWalk {
  public:
    // `position` is a caret boundary; it counts as the start of a character.
    ForwardWalk(std::u16string_view text, std::size_t position) : text_(text), at_(position) {
        if (at_ >= text_.size()) return;
        next_ = GraphemeAt(text_, at_);
        // What the rules know of the text behind, where they can use it.
        if (next_ == Grapheme::RegionalIndicator) indicators_ = IndicatorsBefore(text_, at_);
        if (next_ == Grapheme::Extend || next_ == Grapheme::ZWJ)
            emoji_ = EndsWithEmoji(text_, at_) ? Emoji::Pictographic : Emoji::None;
    }

    // The end of the character that starts at the current position, which becomes the new
    // position.
    std::size_t Next() {
        if (at_ >= text_.size()) return at_;
        Take(next_);
        while (at_ < text_.size()) {
            next_ = GraphemeAt(text_, at_);
            if (Breaks(next_)) break;
            Take(next_);
        }
        return at_;
    }

  private:
    // How far the text behind matches Extended_Pictographic Extend* ZWJ.
    enum class Emoji { None, Pictographic, Joined };

    bool Breaks(Grapheme after) const {
        return RuleBreaks(
            PairRule(before_, after), [&] { return emoji_ == Emoji::Joined; },
            [&] { return IndicatorsBreak(at_, indicators_); });
    }

    void Take(Grapheme k) {
        indicators_ = k != Grapheme::RegionalIndicator ? 0 : indicators_ + 1;
        if (k == Grapheme::ExtendedPictographic)
            emoji_ = Emoji::Pictographic;
        else if (k == Grapheme::ZWJ && emoji_ == Emoji::Pictographic)
            emoji_ = Emoji::Joined;
        else if (k != Grapheme::Extend || emoji_ != Emoji::Pictographic)
            emoji_ = Emoji::None;
        before_ = k;
        at_ = CodePointEnd(text_, at_);
    }

    std::u16string_view text_;
    std::size_t at_;
    Grapheme before_ = Grapheme::Control;  // of the code point before at_, once one is taken
    Grapheme next_ = Grapheme::Control;    // of the code point at at_
    std::size_t indicators_ = 0;  // right behind (past the look-back, the count no longer matters)
    Emoji emoji_ = Emoji::None;
};

// Walks back one character at a time. A long run of regional indicators is counted once,
// not once a step.
class BackwardWalk {
  public:
    BackwardWalk(std::u16string_view text, std::size_t position) : text_(text), at_(position) {}

    // The start of the character that ends at the current position, which becomes the new
    // position (a position inside a character counts as its end).
    std::size_t Previous() {
        if (at_ == 0) return 0;
        std::size_t i = CodePointStart(text_, at_);
        Grapheme after = GraphemeAt(text_, i);
        while (i > 0) {
            const std::size_t start = CodePointStart(text_, i);
            const Grapheme before = GraphemeAt(text_, start);
            if (Breaks(i, before, after)) break;
            i = start;
            after = before;
        }
        return at_ = i;
    }

  private:
    bool Breaks(std::size_t i, Grapheme before, Grapheme after) {
        return RuleBreaks(
            PairRule(before, after), [&] { return EndsWithEmoji(text_, i - 1); },
            [&] { return IndicatorsBreak(i, CountedIndicatorsBefore(i)); });
    }

    // IndicatorsBefore, from what the steps before counted: [low_, high_) holds indicators
    // only, and nothing but the start of the text or another code point comes before low_
    // when runStart_.
    std::size_t CountedIndicatorsBefore(std::size_t i) {
        if (!(low_ < i && i <= high_)) {
            low_ = high_ = i;
            runStart_ = false;
        }
        while (!runStart_ && (i - low_) / 2 < kIndicatorsLookedBack) {
            const std::size_t more = IndicatorsBefore(text_, low_);
            low_ -= 2 * more;
            runStart_ = more < kIndicatorsLookedBack;
        }
        return std::min((i - low_) / 2, kIndicatorsLookedBack);
    }

    std::u16string_view text_;
    std::size_t at_;
    std::size_t low_ = 0;
    std::size_t high_ = 0;
    bool runStart_ = false;
};

// --- Words -----------------------------------------------------------------------------------

enum class WordClass { Word, Punctuation, Space, LineBreak };

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
WordClass WordClassAt(std::u16string_view text, std::size_t i) {
    const char32_t c = CodePointAt(text, i);
    if (c == u'\r' || c == u'\n') return WordClass::LineBreak;
    if (IsWhiteSpace(c)) return WordClass::Space;
    if (IsPunctuation(c)) return WordClass::Punctuation;
    return WordClass::Word;
}

// From the character at `i`, on past the characters of class `c`.
std::size_t RunEnd(std::u16string_view text, std::size_t i, WordClass c) {
    ForwardWalk walk(text, i);
    while (i < text.size() && WordClassAt(text, i) == c) i = walk.Next();
    return i;
}

// From `i`, back over the characters of class `c` before it.
std::size_t RunStart(std::u16string_view text, std::size_t i, WordClass c) {
    BackwardWalk walk(text, i);
    while (i > 0) {
        const std::size_t previous = walk.Previous();
        if (WordClassAt(text, previous) != c) break;
        i = previous;
    }
    return i;
}

// A digit, '#' or '*' with the keycap mark (and, usually, the emoji selector between).
bool IsKeycap(std::u16string_view text, std::size_t first, std::size_t end) {
    constexpr char16_t kCombiningKeycap = 0x20E3;
    const char16_t base = text[first];
    return end - first >= 2 && text[end - 1] == kCombiningKeycap &&
           ((base >= u'0' && base <= u'9') || base == u'#' || base == u'*');
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

bool IsCharacterBoundary(std::u16string_view text, std::size_t position) {
    if (!IsCaretBoundary(text, position)) return false;
    return position == 0 || position == text.size() || BreaksAt(text, position);
}

std::size_t NextCharacter(std::u16string_view text, std::size_t position) {
    return ForwardWalk(text, SnapToCaretBoundary(text, position)).Next();
}

std::size_t PreviousCharacter(std::u16string_view text, std::size_t position) {
    return BackwardWalk(text, SnapToCaretBoundary(text, position)).Previous();
}

std::size_t PreviousCodePoint(std::u16string_view text, std::size_t position) {
    position = SnapToCaretBoundary(text, position);
    if (position == 0) return 0;
    if (position >= 2 && text[position - 1] == u'\n' && text[position - 2] == u'\r')
        return position - 2;
    return CodePointStart(text, position);
}

std::size_t BackspaceStart(std::u16string_view text, std::size_t position) {
    position = SnapToCaretBoundary(text, position);
    const std::size_t character = PreviousCharacter(text, position);
    if (character == position) return position;
    const Grapheme first = GraphemeClassOf(CodePointAt(text, character));
    if (first == Grapheme::ExtendedPictographic || first == Grapheme::RegionalIndicator ||
        IsKeycap(text, character, position))
        return character;
    return PreviousCodePoint(text, position);
}

std::size_t NextWordStart(std::u16string_view text, std::size_t position) {
    position = SnapToCaretBoundary(text, position);
    if (position == text.size()) return position;
    const WordClass c = WordClassAt(text, position);
    if (c == WordClass::LineBreak) return NextCharacter(text, position);
    if (c != WordClass::Space) position = RunEnd(text, position, c);
    return RunEnd(text, position, WordClass::Space);
}

std::size_t PreviousWordStart(std::u16string_view text, std::size_t position) {
    position = SnapToCaretBoundary(text, position);
    const std::size_t afterSpace = RunStart(text, position, WordClass::Space);
    if (afterSpace == 0) return 0;
    const std::size_t previous = PreviousCharacter(text, afterSpace);
    const WordClass c = WordClassAt(text, previous);
    if (c == WordClass::LineBreak) return afterSpace == position ? previous : afterSpace;
    return RunStart(text, afterSpace, c);
}

std::pair<std::size_t, std::size_t> WordAt(std::u16string_view text, std::size_t position) {
    position = SnapToCaretBoundary(text, position);
    if (position < text.size()) {
        const WordClass c = WordClassAt(text, position);
        if (c != WordClass::LineBreak)
            return {RunStart(text, position, c), RunEnd(text, position, c)};
    }
    if (position > 0) {
        const WordClass c = WordClassAt(text, PreviousCharacter(text, position));
        if (c != WordClass::LineBreak) return {RunStart(text, position, c), position};
    }
    return {position, position};
}

}  // namespace talvex
