#include "editing/text_units.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

namespace talvex::testing {
namespace {

using Stops = std::vector<std::size_t>;
constexpr std::size_t kNone = std::u16string_view::npos;

const std::u16string kHigh(1, char16_t{0xD83D});  // half of U+1F600, alone
const std::u16string kLow(1, char16_t{0xDE00});   // the other half, alone

struct Doc {
    explicit Doc(const std::u16string& text, std::size_t firstLine = 0, std::size_t page = 2)
        : units((document.SetText(text), document), firstLine, page) {}
    TextDocument document;
    TextUnits units;
};

// Every boundary of `unit`, walked forward from the start and backward from the end: both
// walks must agree (a walk that gets stuck stops short).
Stops Boundaries(const TextUnits& units, TextUnit unit, std::size_t length) {
    Stops forward{0}, backward{length};
    for (std::size_t p = 0; p < length && units.NextBoundary(unit, p) > p;)
        forward.push_back(p = units.NextBoundary(unit, p));
    for (std::size_t p = length; p > 0 && units.PreviousBoundary(unit, p) < p;)
        backward.insert(backward.begin(), p = units.PreviousBoundary(unit, p));
    EXPECT_EQ(backward, forward);
    return forward;
}

TEST(TextUnitsTest, EachUnitHasItsBoundariesBothWays) {
    const std::u16string emoji = u"\U0001F44D\U0001F3FD";  // a thumb with its skin tone
    const struct {
        std::u16string text;
        TextUnit unit;
        Stops stops;
    } cases[] = {
        // Characters: a CR LF, a pair, a letter with its accent, lone halves, each whole.
        {u"a\r\nb" + emoji + u"e\u0301", TextUnit::Character, {0, 1, 3, 4, 8, 10}},
        {kLow + kHigh + u"x" + kHigh, TextUnit::Character, {0, 1, 2, 3, 4}},
        {u"", TextUnit::Character, {0}},
        // Words as Ctrl+arrows step: a word with the spaces after it, punctuation alone, each
        // break alone, the spaces that start a line alone.
        {u"Bonjour, le monde\r\n  suite.", TextUnit::Word, {0, 7, 9, 12, 17, 19, 21, 26, 27}},
        {u"mot  \r\n", TextUnit::Word, {0, 5, 7}},
        // Lines and paragraphs: each with its break, CR LF, LF or CR; the empty last line.
        {u"un\r\ndeux\ntrois\r", TextUnit::Line, {0, 4, 9, 15}},
        {u"un\r\ndeux\ntrois\r", TextUnit::Paragraph, {0, 4, 9, 15}},
        {u"seule", TextUnit::Line, {0, 5}},
        // Pages of two lines from the first line in sight; format and document are all.
        {u"a\nb\nc\nd\ne", TextUnit::Page, {0, 4, 8, 9}},
        {u"a\r\nb", TextUnit::Format, {0, 4}},
        {u"a\r\nb", TextUnit::Document, {0, 4}},
    };
    for (const auto& c : cases) {
        const Doc doc(c.text);
        EXPECT_EQ(Boundaries(doc.units, c.unit, c.text.size()), c.stops)
            << ::testing::PrintToString(c.text) << " unit " << static_cast<int>(c.unit);
    }
}

TEST(TextUnitsTest, PagesAreCountedFromTheTopLineInSight) {
    // Lines 0..6, three lines in sight from line 2: pages start at lines 0, 2, 5.
    const Doc doc(u"0\n1\n2\n3\n4\n5\n6", 2, 3);
    EXPECT_EQ(Boundaries(doc.units, TextUnit::Page, 13), (Stops{0, 4, 10, 13}));
    EXPECT_EQ(doc.units.Enclosing(TextUnit::Page, 7), (TextSpan{4, 10})) << "the lines in sight";
    EXPECT_EQ(doc.units.Enclosing(TextUnit::Page, 1), (TextSpan{0, 4}));
    EXPECT_EQ(doc.units.Enclosing(TextUnit::Page, 13), (TextSpan{10, 13}));
}

TEST(TextUnitsTest, TheEnclosingUnitHoldsThePositionAtBothEnds) {
    const Doc doc(u"Un mot\r\nfin\r\n");  // ends with a break: an empty last line
    const struct {
        TextUnit unit;
        std::size_t position;
        TextSpan expected;
    } cases[] = {
        {TextUnit::Character, 0, {0, 1}},
        {TextUnit::Character, 7, {6, 8}},     // inside the CR LF: the CR LF
        {TextUnit::Character, 13, {13, 13}},  // none at the end
        {TextUnit::Word, 4, {3, 6}},
        {TextUnit::Word, 6, {6, 8}},
        {TextUnit::Word, 13, {13, 13}},
        {TextUnit::Line, 6, {0, 8}},     // before the break: still its line
        {TextUnit::Line, 13, {13, 13}},  // the empty last line
        {TextUnit::Document, 13, {0, 13}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(doc.units.Enclosing(c.unit, c.position), c.expected)
            << "unit " << static_cast<int>(c.unit) << " at " << c.position;
    // A last line with text holds the end.
    const Doc plain(u"a\nbc");
    EXPECT_EQ(plain.units.Enclosing(TextUnit::Line, 4), (TextSpan{2, 4}));
    EXPECT_EQ(plain.units.Expand(TextUnit::Word, TextSpan{3, 4}), (TextSpan{2, 4}));
}

TEST(TextUnitsTest, MoveFollowsTheDocumentedSteps) {
    const std::u16string text = u"un deux\r\ntrois";
    const struct {
        TextUnit unit;
        TextSpan span;
        int count;
        TextSpan expected;
        int moved;
    } cases[] = {
        // An empty range moves as the caret does and stays empty.
        {TextUnit::Character, {7, 7}, 1, {9, 9}, 1},  // over the CR LF at once
        {TextUnit::Character, {14, 14}, 1, {14, 14}, 0},
        {TextUnit::Character, {1, 1}, -5, {0, 0}, -1},
        {TextUnit::Word, {4, 4}, 1, {7, 7}, 1},  // the break is a word of its own
        {TextUnit::Word, {4, 4}, -1, {3, 3}, -1},
        {TextUnit::Line, {14, 14}, -1, {9, 9}, -1},
        // A range goes to the start of its unit, moves, and becomes one unit.
        {TextUnit::Character, {0, 1}, 1, {1, 2}, 1},
        {TextUnit::Word, {4, 6}, 1, {7, 9}, 1},
        {TextUnit::Word, {4, 6}, -1, {0, 3}, -1},
        {TextUnit::Line, {2, 3}, 1, {9, 14}, 1},
        {TextUnit::Line, {2, 3}, 5, {9, 14}, 1},
        // Never onto the empty end: nothing moves, the range stays.
        {TextUnit::Character, {13, 14}, 1, {13, 14}, 0},
        {TextUnit::Word, {9, 14}, 1, {9, 14}, 0},
        {TextUnit::Line, {9, 14}, 1, {9, 14}, 0},
        {TextUnit::Document, {0, 14}, 1, {0, 14}, 0},
        {TextUnit::Document, {0, 14}, -1, {0, 14}, 0},
    };
    const Doc doc(text);
    for (const auto& c : cases) {
        TextSpan span = c.span;
        EXPECT_EQ(doc.units.Move(c.unit, span, c.count), c.moved)
            << "unit " << static_cast<int>(c.unit) << " from " << c.span.start << " by " << c.count;
        EXPECT_EQ(span, c.expected)
            << "unit " << static_cast<int>(c.unit) << " from " << c.span.start << " by " << c.count;
    }
    // The empty last line is a line a range may move to.
    const Doc broken(u"a\r\n");
    TextSpan line{0, 3};
    EXPECT_EQ(broken.units.Move(TextUnit::Line, line, 1), 1);
    EXPECT_EQ(line, (TextSpan{3, 3}));
}

TEST(TextUnitsTest, AnEndpointMovesAloneUntilItCrossesTheOther) {
    const Doc doc(u"un deux trois");
    TextSpan span{3, 8};
    EXPECT_EQ(doc.units.MoveEndpoint(TextUnit::Word, span, false, 1), 1);
    EXPECT_EQ(span, (TextSpan{3, 13}));
    EXPECT_EQ(doc.units.MoveEndpoint(TextUnit::Word, span, false, 1), 0);
    EXPECT_EQ(doc.units.MoveEndpoint(TextUnit::Character, span, true, -2), -2);
    EXPECT_EQ(span, (TextSpan{1, 13}));
    // The start pushed past the end drags it along; the end pulled before the start too.
    EXPECT_EQ(doc.units.MoveEndpoint(TextUnit::Document, span, true, 1), 1);
    EXPECT_EQ(span, (TextSpan{13, 13}));
    EXPECT_EQ(doc.units.MoveEndpoint(TextUnit::Line, span, false, -1), -1);
    EXPECT_EQ(span, (TextSpan{0, 0}));
    TextSpan crossed{0, 2};
    EXPECT_EQ(doc.units.MoveEndpoint(TextUnit::Word, crossed, true, 1), 1);
    EXPECT_EQ(crossed, (TextSpan{3, 3}));
}

TEST(TextUnitsTest, StaleRangesAreClampedToTheTextAsItIsNow) {
    const Doc doc(u"a\U0001F600\r\n");  // pair at 1-2, CR LF at 3-4
    EXPECT_EQ(doc.units.Clamp({2, 4}), (TextSpan{1, 3})) << "never inside a pair or a CR LF";
    EXPECT_EQ(doc.units.Clamp({40, 90}), (TextSpan{5, 5}));
    EXPECT_EQ(doc.units.Clamp({5, 0}), (TextSpan{0, 5}));
    TextSpan stale{50, 60};
    EXPECT_EQ(doc.units.Move(TextUnit::Character, stale, -1), -1);
    EXPECT_EQ(stale, (TextSpan{3, 3}));
    EXPECT_EQ(doc.units.Enclosing(TextUnit::Word, 99), (TextSpan{5, 5}));
    EXPECT_EQ(doc.units.NextBoundary(TextUnit::Line, 99), 5u);
}

TEST(TextUnitsTest, ALineOfTenMillionUnitsIsWalkedAtBothEndsAndInTheMiddle) {
    const std::u16string pattern = u"{\"nom\":\"\u00e9l\u00e8ve\",\"x\":[1,2]},";  // 26 units
    std::u16string text;
    while (text.size() < 5u * 1024 * 1024) text += pattern;
    const std::size_t length = text.size();
    const Doc doc(text, 0, 10);
    const std::size_t nom = length / 2 - length / 2 % pattern.size() + 2;
    EXPECT_EQ(doc.units.Enclosing(TextUnit::Line, nom), (TextSpan{0, length}));
    EXPECT_EQ(doc.units.Enclosing(TextUnit::Page, length), (TextSpan{0, length}));
    EXPECT_EQ(doc.units.Enclosing(TextUnit::Character, nom + 1), (TextSpan{nom + 1, nom + 2}));
    TextSpan word = doc.units.Enclosing(TextUnit::Word, nom);
    EXPECT_EQ(word, (TextSpan{nom, nom + 3}));
    EXPECT_EQ(doc.units.Move(TextUnit::Word, word, -1), -1);
    EXPECT_EQ(word, (TextSpan{nom - 5, nom}));  // the punctuation before: ]},{"
    TextSpan last{length - 1, length};
    EXPECT_EQ(doc.units.Move(TextUnit::Character, last, 1), 0);
    EXPECT_EQ(doc.units.Move(TextUnit::Word, last, -2), -2);
    EXPECT_EQ(last, (TextSpan{length - 5, length - 4}));  // the comma of "1,2]},"
}

TEST(TextUnitsTest, FindLooksOnlyWithinTheRangeBothWaysWithOrWithoutCase) {
    static char16_t fold[0x10000];  // each unit as itself, but t and é as T and É
    for (std::size_t c = 0; c < 0x10000; ++c) fold[c] = static_cast<char16_t>(c);
    fold[u't'] = u'T';
    fold[u'\u00e9'] = u'\u00c9';
    const std::u16string text = u"Été, été, ÉTÉ";
    const struct {
        std::size_t from, to;
        std::u16string needle;
        bool backward;
        const char16_t* fold;
        std::size_t expected;
    } cases[] = {
        {0, 99, u"été", true, nullptr, 5},      {0, 13, u"été", false, fold, 0},
        {0, 13, u"été", true, fold, 10},        {1, 13, u"ÉTÉ", false, fold, 5},
        {0, 7, u"été", false, nullptr, kNone},  // cut by the range's end
        {6, 13, u"été", false, nullptr, kNone}, {0, 13, u"", false, nullptr, kNone},
        {5, 8, u"été", false, nullptr, 5},      {5, 8, u"éTé", true, fold, 5},  // exactly fits
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindInText(text, c.from, c.to, c.needle, c.backward, c.fold), c.expected)
            << c.from << ".." << c.to << (c.backward ? " back" : "") << (c.fold ? " folded" : "");
}

}  // namespace
}  // namespace talvex::testing
