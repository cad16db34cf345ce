#include "editing/text_positions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace talvex::testing {
namespace {

using Positions = std::vector<std::size_t>;
using Range = std::pair<std::size_t, std::size_t>;

const std::u16string kHigh(1, char16_t{0xD83D});  // half of U+1F600, alone
const std::u16string kLow(1, char16_t{0xDE00});   // the other half, alone

Positions WalkForward(std::u16string_view text) {
    Positions stops{0};
    for (std::size_t p = 0; p < text.size();) {
        const std::size_t next = NextCharacter(text, p);
        if (next <= p) {
            ADD_FAILURE() << "NextCharacter did not move on from " << p;
            break;
        }
        stops.push_back(p = next);
    }
    return stops;
}

Positions WalkBackward(std::u16string_view text) {
    Positions stops{text.size()};
    for (std::size_t p = text.size(); p > 0;) {
        const std::size_t previous = PreviousCharacter(text, p);
        if (previous >= p) {
            ADD_FAILURE() << "PreviousCharacter did not move back from " << p;
            break;
        }
        stops.insert(stops.begin(), p = previous);
    }
    return stops;
}

// The character stops of `text`, found both ways; they must agree.
Positions CharacterStops(std::u16string_view text) {
    const Positions forward = WalkForward(text);
    EXPECT_EQ(WalkBackward(text), forward);
    return forward;
}

// --- Caret boundaries -----------------------------------------------------------------------

TEST(TextPositionsTest, CaretNeverStandsInsideASurrogatePairOrACrLf) {
    const std::u16string text = u"a\U0001F600b\r\nc";  // a, pair at 1-2, b, CR LF at 4-5, c
    const std::vector<bool> expected = {true, true, false, true, true, false, true, true};
    ASSERT_EQ(expected.size(), text.size() + 1);
    for (std::size_t p = 0; p <= text.size(); ++p)
        EXPECT_EQ(IsCaretBoundary(text, p), expected[p]) << p;
    EXPECT_FALSE(IsCaretBoundary(text, text.size() + 1));
    EXPECT_TRUE(IsCaretBoundary(u"", 0));
}

TEST(TextPositionsTest, LoneSurrogatesAndReversedPairsAreNoPair) {
    // Low before high, and each alone: the caret may stand around every one of them.
    const std::u16string text = kLow + kHigh + u"x" + kHigh;
    for (std::size_t p = 0; p <= text.size(); ++p) EXPECT_TRUE(IsCaretBoundary(text, p)) << p;
    // LF CR is two breaks, not one.
    EXPECT_TRUE(IsCaretBoundary(u"\n\r", 1));
}

TEST(TextPositionsTest, SnapGoesBackToABoundaryAndClamps) {
    const std::u16string text = u"a\U0001F600\r\n";
    EXPECT_EQ(SnapToCaretBoundary(text, 0), 0u);
    EXPECT_EQ(SnapToCaretBoundary(text, 1), 1u);
    EXPECT_EQ(SnapToCaretBoundary(text, 2), 1u);
    EXPECT_EQ(SnapToCaretBoundary(text, 3), 3u);
    EXPECT_EQ(SnapToCaretBoundary(text, 4), 3u);
    EXPECT_EQ(SnapToCaretBoundary(text, 5), 5u);
    EXPECT_EQ(SnapToCaretBoundary(text, 99), 5u);
    EXPECT_EQ(SnapToCaretBoundary(u"", 7), 0u);
}

// --- Characters -----------------------------------------------------------------------------

TEST(TextPositionsTest, ACharacterTakesWhatExtendsIt) {
    struct Case {
        const char* name;
        std::u16string text;
        Positions stops;
    };
    const std::vector<Case> cases = {
        {"two combining marks", u"xe\u0301\u0323y", {0, 1, 4, 5}},
        {"marks of every block", u"a\u1AB0\u1DC0\u20D7\uFE20b", {0, 5, 6}},
        {"variation selector", u"\u2764\uFE0Fa", {0, 2, 3}},
        {"supplementary variation selector", u"\u8FBB\U000E0100a", {0, 3, 4}},
        {"keycap", u"1\uFE0F\u20E3#", {0, 3, 4}},
        {"skin tone", u"\U0001F44D\U0001F3FD!", {0, 4, 5}},
        {"family joined by ZWJ", u"\U0001F468\u200D\U0001F469\u200D\U0001F467x", {0, 8, 9}},
        {"ZWJ then a letter", u"a\u200Db", {0, 2, 3}},
        {"ZWJ then an emoji after no emoji", u"a\u200D\U0001F469", {0, 2, 4}},
        {"emoji, marks, ZWJ, emoji", u"\U0001F468\u0301\u200D\U0001F469", {0, 6}},
        {"two ZWJs between emoji", u"\U0001F468\u200D\u200D\U0001F469", {0, 4, 6}},
        {"Devanagari vowel signs", u"\u0915\u093F\u0937\u0940", {0, 2, 4}},
        {"Thai sara am", u"\u0E01\u0E33", {0, 2}},
        {"Hangul jamo L V T, then L L V", u"\u1100\u1161\u11A8\u1100\u1100\u1161", {0, 3, 6}},
        {"Hangul LV and LVT syllables take trailing jamo",
         u"\uAC00\u11A8\uAC01\u11A8\uAC01\u1161",
         {0, 2, 4, 5, 6}},
        {"prepended mark joins what follows", u"\u0600\u0661\u0600", {0, 2, 3}},
        {"a control takes no mark", u"\t\u0301a\u0007\u0308", {0, 1, 2, 3, 4, 5}},
        {"two flags", u"\U0001F1EB\U0001F1F7\U0001F1E9\U0001F1EA", {0, 4, 8}},
        {"three indicators: a flag and one alone",
         u"\U0001F1EB\U0001F1F7\U0001F1E9a",
         {0, 4, 6, 7}},
        {"flag of England: black flag and tags",
         u"\U0001F3F4\U000E0067\U000E0062\U000E0065\U000E006E\U000E0067\U000E007F.",
         {0, 14, 15}},
        {"a pair without marks", u"\U0001F600\U0001F600", {0, 2, 4}},
        {"mark at the start is a character", u"\u0301\u0301a", {0, 2, 3}},
        {"breaks take no marks", u"\r\n\u0301\n\u0301\r\u0301", {0, 2, 3, 4, 5, 6, 7}},
        {"ZWJ does not join across a break", u"a\u200D\nb", {0, 2, 3, 4}},
        {"lone surrogates are characters", kHigh + u"\u0301" + kLow, {0, 2, 3}},
        {"CR LF, lone CR, lone LF", u"\r\n\r\r\n\n", {0, 2, 3, 5, 6}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CharacterStops(c.text), c.stops);
    }
}

TEST(TextPositionsTest, CharacterStepsStayAtTheEndsAndSnapFirst) {
    const std::u16string text = u"\U0001F600\r\n";
    EXPECT_EQ(NextCharacter(text, 4), 4u);
    EXPECT_EQ(NextCharacter(text, 50), 4u);
    EXPECT_EQ(PreviousCharacter(text, 0), 0u);
    EXPECT_EQ(NextCharacter(u"", 0), 0u);
    EXPECT_EQ(PreviousCharacter(u"", 3), 0u);
    // From inside the pair or the CR LF: from the boundary before it.
    EXPECT_EQ(NextCharacter(text, 1), 2u);
    EXPECT_EQ(NextCharacter(text, 3), 4u);
    EXPECT_EQ(PreviousCharacter(text, 3), 0u);
    EXPECT_EQ(PreviousCharacter(text, 50), 2u);
    // From between a letter and its mark: on over the mark, back to the letter.
    EXPECT_EQ(NextCharacter(u"e\u0301\u0301", 1), 3u);
    EXPECT_EQ(PreviousCharacter(u"e\u0301\u0301", 2), 0u);
}

TEST(TextPositionsTest, RandomTextsStepTheSameWayBothWays) {
    const std::vector<std::u16string> pieces = {
        u"a",          u"\u0301",     u"\uFE0F",     u"\u200D",     u"\U0001F1EB",
        u"\U0001F1F7", u"\U0001F3FD", u"\U0001F468", u"\U000E0067", u"\r",
        u"\n",         u" ",          u",",          kHigh,         kLow,
        u"\u0600",     u"\u093F",     u"\u1100",     u"\u1161",     u"\uAC00"};
    std::mt19937 random(7);
    std::uniform_int_distribution<std::size_t> piece(0, pieces.size() - 1);
    std::uniform_int_distribution<std::size_t> length(0, 12);
    for (int round = 0; round < 2000; ++round) {
        std::u16string text;
        for (std::size_t n = length(random); n > 0; --n) text += pieces[piece(random)];
        SCOPED_TRACE(round);
        const Positions stops = CharacterStops(text);
        for (std::size_t i = 0; i < stops.size(); ++i) {
            EXPECT_TRUE(IsCaretBoundary(text, stops[i]));
            if (i + 1 < stops.size()) {
                EXPECT_EQ(PreviousCharacter(text, stops[i + 1]), stops[i]);
            }
        }
        for (std::size_t p = 0; p <= text.size(); ++p) {
            const std::size_t snapped = SnapToCaretBoundary(text, p);
            EXPECT_TRUE(IsCaretBoundary(text, snapped));
            EXPECT_LE(p - snapped, 1u);
            EXPECT_EQ(NextCharacter(text, p), NextCharacter(text, snapped));
            EXPECT_TRUE(IsCaretBoundary(text, PreviousCodePoint(text, p)));
            EXPECT_TRUE(IsCaretBoundary(text, BackspaceStart(text, p)));
            // A boundary is a stop of the walks.
            EXPECT_EQ(IsCharacterBoundary(text, p),
                      std::binary_search(stops.begin(), stops.end(), p))
                << p;
        }
        if (::testing::Test::HasFailure()) return;
    }
}

TEST(TextPositionsTest, ALongRunOfFlagsStepsTheSameWayBothWaysAndPairsFromItsStart) {
    // Longer than the rules look back (1024 indicators), three times over, and starting at a
    // unit where the pairs from the start and those deeper in do not line up.
    std::u16string text = u"ab";
    for (int i = 0; i < 3 * 1024 + 3; ++i) text += u"\U0001F1EB";
    text += u"c";
    const Positions stops = CharacterStops(text);
    // Pairs from the run's start as far as the rules look back; deeper, pairs still, but for
    // one character where the pairs change step.
    for (std::size_t k = 0; k < 512; ++k) ASSERT_EQ(stops[k + 2], 2 + 4 * k) << k;
    std::size_t notPairs = 0;
    for (std::size_t i = 1; i + 1 < stops.size(); ++i) {
        ASSERT_TRUE(IsCharacterBoundary(text, stops[i]));
        notPairs += stops[i] - stops[i - 1] != 4;
    }
    EXPECT_LE(notPairs, 4u);  // 'a', 'b', the change of step, a lone indicator at the end
}

TEST(TextPositionsTest, PreviousCodePointTakesAMarkAlone) {
    EXPECT_EQ(PreviousCodePoint(u"e\u0301", 2), 1u);
    EXPECT_EQ(PreviousCodePoint(u"a\U0001F600", 3), 1u);
    EXPECT_EQ(PreviousCodePoint(u"a\r\n", 3), 1u);
    EXPECT_EQ(PreviousCodePoint(u"a\n\r", 3), 2u);
    EXPECT_EQ(PreviousCodePoint(u"\U0001F44D\U0001F3FD", 4), 2u);  // the skin tone alone
    EXPECT_EQ(PreviousCodePoint(u"\U0001F1EB\U0001F1F7", 4), 2u);  // half a flag
    EXPECT_EQ(PreviousCodePoint(u"a" + kLow, 2), 1u);
    EXPECT_EQ(PreviousCodePoint(u"a" + kHigh, 2), 1u);
    EXPECT_EQ(PreviousCodePoint(u"ab", 0), 0u);
    EXPECT_EQ(PreviousCodePoint(u"a\U0001F600", 2), 0u);  // from inside the pair: snapped to 1
}

// --- Words ----------------------------------------------------------------------------------

Positions WordStopsForward(std::u16string_view text) {
    Positions stops{0};
    for (std::size_t p = 0; p < text.size();) stops.push_back(p = NextWordStart(text, p));
    return stops;
}

Positions WordStopsBackward(std::u16string_view text) {
    Positions stops{text.size()};
    for (std::size_t p = text.size(); p > 0;)
        stops.insert(stops.begin(), p = PreviousWordStart(text, p));
    return stops;
}

TEST(TextPositionsTest, CtrlArrowsStopAtWordsAndPunctuation) {
    const std::u16string text = u"Bonjour, le monde!";
    EXPECT_EQ(WordStopsForward(text), (Positions{0, 7, 9, 12, 17, 18}));
    EXPECT_EQ(WordStopsBackward(text), (Positions{0, 7, 9, 12, 17, 18}));
    // From inside a word or white space.
    EXPECT_EQ(NextWordStart(text, 3), 7u);
    EXPECT_EQ(NextWordStart(text, 8), 9u);
    EXPECT_EQ(PreviousWordStart(text, 14), 12u);
    EXPECT_EQ(PreviousWordStart(text, 12), 9u);
}

TEST(TextPositionsTest, WhiteSpaceGoesWithTheWordBeforeIt) {
    const std::u16string text = u"un  \t deux,,  trois";
    EXPECT_EQ(NextWordStart(text, 0), 6u);
    EXPECT_EQ(NextWordStart(text, 2), 6u);  // from the white space itself
    EXPECT_EQ(NextWordStart(text, 6), 10u);
    EXPECT_EQ(NextWordStart(text, 10), 14u);
    EXPECT_EQ(PreviousWordStart(text, 14), 10u);
    EXPECT_EQ(PreviousWordStart(text, 10), 6u);
    EXPECT_EQ(PreviousWordStart(text, 6), 0u);
    EXPECT_EQ(PreviousWordStart(text, 4), 0u);
    EXPECT_EQ(NextWordStart(u"   ", 0), 3u);
    EXPECT_EQ(PreviousWordStart(u"   ", 3), 0u);
}

TEST(TextPositionsTest, LineBreaksStopCtrlArrows) {
    // a b CR LF space space c d, then LF LF.
    const std::u16string text = u"ab\r\n  cd\n\n";
    EXPECT_EQ(WordStopsForward(text), (Positions{0, 2, 4, 6, 8, 9, 10}));
    EXPECT_EQ(NextWordStart(u"ab  \r\ncd", 0), 4u);  // white space stops at the break
    // Back: over white space and stop, or, with none crossed, to just before the break.
    EXPECT_EQ(PreviousWordStart(text, 6), 4u);
    EXPECT_EQ(PreviousWordStart(text, 4), 2u);
    EXPECT_EQ(PreviousWordStart(text, 5), 4u);
    EXPECT_EQ(PreviousWordStart(text, 10), 9u);
    EXPECT_EQ(PreviousWordStart(text, 9), 8u);
    EXPECT_EQ(PreviousWordStart(text, 8), 6u);
    EXPECT_EQ(PreviousWordStart(u"a\r\rb", 2), 1u);  // lone CRs, one at a time
    EXPECT_EQ(NextWordStart(u"a\r\rb", 1), 2u);
}

TEST(TextPositionsTest, WordsHoldLettersDigitsUnderscoresMarksAndEmoji) {
    const std::vector<std::u16string> words = {
        u"mot_2",
        u"e\u0301te\u0301",
        u"\U0001D4B3\U0001F600",            // math letter, emoji
        u"\u00AA\u00B5\u00BA\u00B2\u00BC",  // Latin-1 letters, digits
        u"\uFF21\uFF10\uFF3F",              // fullwidth A, 0, _
        u"\u00D7\u00F7\u20AC\u200Bx",       // other symbols, a format character
    };
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::u16string& word = words[i];
        const std::u16string text = u"(" + word + u")";
        SCOPED_TRACE(i);
        EXPECT_EQ(WordAt(text, 1), (Range{1, 1 + word.size()}));
        EXPECT_EQ(NextWordStart(text, 1), 1 + word.size());
    }
}

TEST(TextPositionsTest, PunctuationIsARunOfItsOwn) {
    std::u16string punctuation;
    for (char16_t c = 0x21; c < 0x7F; ++c) {
        const bool letterOrDigit =
            (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
        if (!letterOrDigit && c != u'_') punctuation += c;
    }
    ASSERT_EQ(punctuation.size(), 31u);
    punctuation += u"\u00A1\u00A7\u00AB\u00AC\u00B6\u00B7\u00BB\u00BF";        // Latin-1
    punctuation += u"\u2010\u2014\u2019\u201C\u2022\u2026\u2030\u2039\u205E";  // general
    punctuation += u"\u3001\u3002\u3003\u3008\u300C\u3011";                    // CJK
    punctuation += u"\uFF01\uFF0C\uFF1F\uFF3B\uFF5E";                          // fullwidth
    for (char16_t p : punctuation) {
        const std::u16string text = std::u16string(u"ab") + p + u"cd";
        SCOPED_TRACE(static_cast<int>(p));
        EXPECT_EQ(WordAt(text, 0), (Range{0, 2}));
        EXPECT_EQ(WordAt(text, 2), (Range{2, 3}));
        EXPECT_EQ(NextWordStart(text, 0), 2u);
        EXPECT_EQ(NextWordStart(text, 2), 3u);
        EXPECT_EQ(PreviousWordStart(text, 5), 3u);
    }
    // A run of different punctuation is still one run.
    EXPECT_EQ(WordAt(u"a?!\u2026\u00BBb", 2), (Range{1, 5}));
}

TEST(TextPositionsTest, WhiteSpaceClassHoldsEveryKindOfSpace) {
    const std::u16string spaces = u"\t \u00A0\u1680\u2000\u2005\u200A\u202F\u205F\u3000";
    const std::u16string text = u"a" + spaces + u"b";
    EXPECT_EQ(NextWordStart(text, 0), 1 + spaces.size());
    EXPECT_EQ(WordAt(text, 3), (Range{1, 1 + spaces.size()}));
    EXPECT_EQ(PreviousWordStart(text, 1 + spaces.size()), 0u);
}

TEST(TextPositionsTest, AMarkOrSelectorStaysWithTheCharacterItFollows) {
    // U+203C with its emoji selector is punctuation; the selector does not start a word.
    const std::u16string text = u"ab\u203C\uFE0Fcd";
    EXPECT_EQ(WordAt(text, 2), (Range{2, 4}));
    EXPECT_EQ(NextWordStart(text, 2), 4u);
    EXPECT_EQ(PreviousWordStart(text, 4), 2u);
    // A space carrying a mark shows the mark; it is still white space.
    EXPECT_EQ(WordAt(u"a \u0301b", 1), (Range{1, 3}));
}

TEST(TextPositionsTest, WordAtPicksTheRunForADoubleClick) {
    const std::u16string text = u"Le  chat.\r\n\r\nfin";
    EXPECT_EQ(WordAt(text, 0), (Range{0, 2}));
    EXPECT_EQ(WordAt(text, 1), (Range{0, 2}));
    EXPECT_EQ(WordAt(text, 2), (Range{2, 4}));  // the white space itself
    EXPECT_EQ(WordAt(text, 4), (Range{4, 8}));
    EXPECT_EQ(WordAt(text, 8), (Range{8, 9}));     // the full stop
    EXPECT_EQ(WordAt(text, 9), (Range{8, 9}));     // at the break: the run ending there
    EXPECT_EQ(WordAt(text, 10), (Range{8, 9}));    // inside the CR LF: snapped before it
    EXPECT_EQ(WordAt(text, 11), (Range{11, 11}));  // an empty line
    EXPECT_EQ(WordAt(text, 15), (Range{13, 16}));
    EXPECT_EQ(WordAt(text, 16), (Range{13, 16}));  // at the end
    EXPECT_EQ(WordAt(text, 99), (Range{13, 16}));
    EXPECT_EQ(WordAt(u"", 0), (Range{0, 0}));
    EXPECT_EQ(WordAt(u"a\U0001F600 b", 2), (Range{0, 3}));  // inside a pair: snapped
}

TEST(TextPositionsTest, WordStepsAlwaysMoveAndLandOnBoundaries) {
    const std::vector<std::u16string> pieces = {
        u"ab",         u"\u0301",     u" ",  u"\t", u",",      u"\r",    u"\n",
        u"\U0001F600", u"\U0001F1EB", kHigh, kLow,  u"\u2026", u"\uFE0F"};
    std::mt19937 random(11);
    std::uniform_int_distribution<std::size_t> piece(0, pieces.size() - 1);
    for (int round = 0; round < 1000; ++round) {
        std::u16string text;
        for (int n = 0; n < 10; ++n) text += pieces[piece(random)];
        SCOPED_TRACE(round);
        for (std::size_t p = 0; p <= text.size(); ++p) {
            const std::size_t snapped = SnapToCaretBoundary(text, p);
            const std::size_t next = NextWordStart(text, p);
            const std::size_t previous = PreviousWordStart(text, p);
            EXPECT_TRUE(IsCaretBoundary(text, next));
            EXPECT_TRUE(IsCaretBoundary(text, previous));
            if (snapped < text.size()) {
                EXPECT_GT(next, snapped);
            }
            if (snapped > 0) {
                EXPECT_LT(previous, snapped);
            }
            const Range word = WordAt(text, p);
            EXPECT_TRUE(IsCaretBoundary(text, word.first));
            EXPECT_TRUE(IsCaretBoundary(text, word.second));
            EXPECT_LE(word.first, snapped);
            EXPECT_GE(word.second, snapped);
        }
        if (::testing::Test::HasFailure()) return;
    }
}

}  // namespace
}  // namespace talvex::testing
