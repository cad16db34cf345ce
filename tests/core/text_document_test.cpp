#include "editing/text_document.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace talvex::testing {
namespace {

using Starts = std::vector<std::size_t>;

// Line starts found the plain way, one unit at a time, to hold the document's against.
Starts NaiveLineStarts(const std::u16string& text) {
    Starts starts{0};
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;
        if (text[i] == u'\r' || text[i] == u'\n') starts.push_back(i + 1);
    }
    return starts;
}

std::size_t NaiveLineEnd(const std::u16string& text, const Starts& starts, std::size_t line) {
    if (line + 1 == starts.size()) return text.size();
    std::size_t end = starts[line + 1] - 1;
    if (text[end] == u'\n' && end > starts[line] && text[end - 1] == u'\r') --end;
    return end;
}

Starts LineStartsOf(const TextDocument& doc) {
    Starts starts;
    for (std::size_t line = 0; line < doc.LineCount(); ++line)
        starts.push_back(doc.LineStart(line));
    return starts;
}

// Every question the document answers, against the plain answers for its text.
void ExpectConsistent(const TextDocument& doc) {
    const std::u16string& text = doc.Text();
    const Starts starts = NaiveLineStarts(text);
    ASSERT_EQ(LineStartsOf(doc), starts) << "text of " << text.size() << " units";
    std::size_t longest = 0;
    for (std::size_t line = 0; line < starts.size(); ++line) {
        const std::size_t end = NaiveLineEnd(text, starts, line);
        EXPECT_EQ(doc.LineEnd(line), end) << "line " << line;
        EXPECT_EQ(doc.LineLength(line), end - starts[line]);
        EXPECT_EQ(doc.LineText(line),
                  std::u16string_view(text).substr(starts[line], end - starts[line]));
        if (end - starts[line] > NaiveLineEnd(text, starts, longest) - starts[longest])
            longest = line;
    }
    EXPECT_EQ(doc.LongestLine(), longest);
    std::size_t line = 0;
    for (std::size_t position = 0; position <= text.size(); ++position) {
        while (line + 1 < starts.size() && starts[line + 1] <= position) ++line;
        EXPECT_EQ(doc.LineOfPosition(position), line) << "position " << position;
    }
}

TextDocument DocumentWith(std::u16string text) {
    TextDocument doc;
    doc.SetText(std::move(text));
    return doc;
}

// --- Lines of a whole text ------------------------------------------------------------------

TEST(TextDocumentTest, EmptyTextHasOneEmptyLine) {
    TextDocument fresh;
    EXPECT_EQ(fresh.LineCount(), 1u);
    EXPECT_EQ(fresh.LineEnd(0), 0u);
    EXPECT_EQ(fresh.LongestLine(), 0u);
    EXPECT_EQ(fresh.LineOfPosition(0), 0u);

    TextDocument emptied = DocumentWith(u"a\r\nb");
    emptied.SetText(u"");
    EXPECT_EQ(LineStartsOf(emptied), Starts{0});
    EXPECT_EQ(emptied.LineText(0), u"");
}

TEST(TextDocumentTest, AllThreeKindsOfBreakEndALine) {
    const TextDocument doc = DocumentWith(u"un\r\ndeux\ntrois\rquatre");
    EXPECT_EQ(LineStartsOf(doc), (Starts{0, 4, 9, 15}));
    EXPECT_EQ(doc.LineText(0), u"un");
    EXPECT_EQ(doc.LineText(1), u"deux");
    EXPECT_EQ(doc.LineText(2), u"trois");
    EXPECT_EQ(doc.LineText(3), u"quatre");
    EXPECT_EQ(doc.LineEnd(0), 2u);
    EXPECT_EQ(doc.LineEnd(3), doc.Length());
    EXPECT_EQ(doc.LongestLine(), 3u);
}

TEST(TextDocumentTest, BreaksInARowEachMakeALine) {
    // LF, CR, CR LF, CR: four breaks, five lines; an LF before a CR never pairs with it.
    const TextDocument doc = DocumentWith(u"\n\r\r\n\r");
    EXPECT_EQ(LineStartsOf(doc), (Starts{0, 1, 2, 4, 5}));
    for (std::size_t line = 0; line < doc.LineCount(); ++line) EXPECT_EQ(doc.LineLength(line), 0u);
    ExpectConsistent(doc);
}

TEST(TextDocumentTest, TextEndingInABreakHasAnEmptyLastLine) {
    for (const char16_t* end : {u"\r\n", u"\n", u"\r"}) {
        const TextDocument doc = DocumentWith(std::u16string(u"abc") + end);
        EXPECT_EQ(doc.LineCount(), 2u);
        EXPECT_EQ(doc.LineStart(1), doc.Length());
        EXPECT_EQ(doc.LineText(0), u"abc");
        EXPECT_EQ(doc.LineText(1), u"");
    }
}

TEST(TextDocumentTest, PositionsInOrBeforeABreakAreOnTheLineItEnds) {
    const TextDocument doc = DocumentWith(u"ab\r\ncd\ne");
    EXPECT_EQ(doc.LineOfPosition(0), 0u);
    EXPECT_EQ(doc.LineOfPosition(2), 0u);  // before CR
    EXPECT_EQ(doc.LineOfPosition(3), 0u);  // between CR and LF
    EXPECT_EQ(doc.LineOfPosition(4), 1u);  // after the break
    EXPECT_EQ(doc.LineOfPosition(6), 1u);  // before LF
    EXPECT_EQ(doc.LineOfPosition(7), 2u);
    EXPECT_EQ(doc.LineOfPosition(8), 2u);  // the end
    EXPECT_EQ(doc.LineOfPosition(1000), 2u);
}

TEST(TextDocumentTest, LongestLineIsTheFirstOfTheLongest) {
    TextDocument doc = DocumentWith(u"ab\r\nxyz\nuvw\rq");
    EXPECT_EQ(doc.LongestLine(), 1u);
    // Breaks do not count: a CR LF line is no longer than an LF line of the same text.
    doc.SetText(u"abc\r\nabc\nabc");
    EXPECT_EQ(doc.LongestLine(), 0u);
}

// --- Replace at every kind of edge ----------------------------------------------------------

struct EdgeCase {
    const char* name;
    std::u16string text;
    std::size_t position;
    std::size_t count;
    std::u16string with;
    std::u16string expectedText;
    Starts expectedStarts;
};

TEST(TextDocumentTest, ReplaceKeepsLineStartsRightAtItsEdges) {
    const std::vector<EdgeCase> cases = {
        {"LF after a lone CR joins it", u"a\rb", 2, 0, u"\n", u"a\r\nb", {0, 3}},
        {"CR before a lone LF joins it", u"a\nb", 1, 0, u"\r", u"a\r\nb", {0, 3}},
        {"text between CR and LF splits them", u"a\r\nb", 2, 0, u"x", u"a\rx\nb", {0, 2, 4}},
        {"LF between CR and LF", u"a\r\nb", 2, 0, u"\n", u"a\r\n\nb", {0, 3, 4}},
        {"CR between CR and LF", u"a\r\nb", 2, 0, u"\r", u"a\r\r\nb", {0, 2, 4}},
        {"removal between CR and LF joins them", u"a\rxy\nb", 2, 2, u"", u"a\r\nb", {0, 3}},
        {"replacement ending in CR before LF", u"a\rxy\nb", 2, 2, u"z\r", u"a\rz\r\nb", {0, 2, 5}},
        {"taking the LF of a CR LF", u"a\r\nb", 2, 1, u"", u"a\rb", {0, 2}},
        {"taking the CR of a CR LF", u"a\r\nb", 1, 1, u"", u"a\nb", {0, 2}},
        {"taking the whole CR LF", u"a\r\nb", 1, 2, u"", u"ab", {0}},
        {"CR LF for LF", u"a\nb\nc", 1, 1, u"\r\n", u"a\r\nb\nc", {0, 3, 5}},
        {"lines into the start", u"ab", 0, 0, u"x\ny\r", u"x\ny\rab", {0, 2, 4}},
        {"lines onto the end", u"ab", 2, 0, u"\r\nz\r", u"ab\r\nz\r", {0, 4, 6}},
        {"CR at the end, then nothing after it", u"ab\r", 3, 0, u"c", u"ab\rc", {0, 3}},
        {"LF onto a final CR", u"ab\r", 3, 0, u"\n", u"ab\r\n", {0, 4}},
        {"several lines taken", u"a\nb\r\nc\rd", 1, 6, u"", u"ad", {0}},
        {"several lines for several",
         u"a\nb\r\nc\rd",
         2,
         4,
         u"1\r2\r\n3\n",
         u"a\n1\r2\r\n3\n\rd",
         {0, 2, 4, 7, 9, 10}},
        {"everything taken", u"a\r\nb\nc", 0, 6, u"", u"", {0}},
        {"empty text given lines", u"", 0, 0, u"\r\n\r\n", u"\r\n\r\n", {0, 2, 4}},
        {"position and count beyond the text", u"ab\n", 10, 5, u"c", u"ab\nc", {0, 3}},
        {"count beyond the text", u"ab\ncd\ne", 1, 100, u"", u"a", {0}},
    };
    for (const EdgeCase& c : cases) {
        SCOPED_TRACE(c.name);
        TextDocument doc = DocumentWith(c.text);
        doc.LongestLine();  // known before the edit, so the edit must keep it right
        doc.Replace(c.position, c.count, c.with);
        EXPECT_EQ(doc.Text(), c.expectedText);
        EXPECT_EQ(LineStartsOf(doc), c.expectedStarts);
        ExpectConsistent(doc);
    }
}

TEST(TextDocumentTest, ReplaceAcceptsAViewOfItsOwnText) {
    TextDocument doc = DocumentWith(u"ab\rcd");
    doc.Replace(5, 0, std::u16string_view(doc.Text()).substr(0, 3));
    EXPECT_EQ(doc.Text(), u"ab\rcdab\r");
    doc.Replace(0, 2, doc.Text());
    EXPECT_EQ(doc.Text(), u"ab\rcdab\r\rcdab\r");
    ExpectConsistent(doc);
}

TEST(TextDocumentTest, EveryChangeMovesTheVersionOn) {
    TextDocument doc;
    std::vector<std::uint64_t> seen{doc.Version()};
    doc.SetText(u"abc");
    seen.push_back(doc.Version());
    doc.Replace(1, 1, u"x");
    seen.push_back(doc.Version());
    doc.Replace(0, 0, u"\n");
    seen.push_back(doc.Version());
    doc.SetText(u"abc");
    seen.push_back(doc.Version());
    for (std::size_t i = 1; i < seen.size(); ++i)
        for (std::size_t j = 0; j < i; ++j) EXPECT_NE(seen[i], seen[j]) << i << " " << j;
}

TEST(TextDocumentTest, LongestLineFollowsEditsInsideOneLine) {
    TextDocument doc = DocumentWith(u"aaa\nbb\ncccc\ndddd");
    ASSERT_EQ(doc.LongestLine(), 2u);
    doc.Replace(4, 0, u"bbb");  // line 1 grows to 5
    EXPECT_EQ(doc.LongestLine(), 1u);
    doc.Replace(4, 1, u"");  // back to 4: as long as line 2 and first of them
    EXPECT_EQ(doc.LongestLine(), 1u);
    doc.Replace(4, 1, u"");  // 3: lines 2 and 3 tie, the first wins
    EXPECT_EQ(doc.LongestLine(), 2u);
    doc.Replace(doc.Length(), 0, u"d");  // the last line, with no break
    EXPECT_EQ(doc.LongestLine(), 3u);
    doc.Replace(doc.Length() - 2, 2, u"");
    EXPECT_EQ(doc.LongestLine(), 2u);
    doc.Replace(0, 0, u"zzzzzzz");
    EXPECT_EQ(doc.LongestLine(), 0u);
    ExpectConsistent(doc);
}

TEST(TextDocumentTest, LongestLineFollowsEditsThatMakeOrTakeLines) {
    TextDocument doc = DocumentWith(u"a\nbbbb\ncc");
    ASSERT_EQ(doc.LongestLine(), 1u);
    struct Edit {
        std::size_t position;
        std::size_t count;
        std::u16string with;
        std::size_t longest;
    };
    const std::vector<Edit> edits = {
        {0, 0, u"x\r\ny\r", 3},       // lines before it: it moves down
        {9, 0, u"\n", 3},             // split in two halves: the first half leads a tie
        {9, 1, u"", 3},               // joined again
        {14, 0, u"\nzzzzz\r\nq", 5},  // a longer one after it
        {0, 5, u"", 3},               // lines before it taken: it moves up
        {1, 0, u"\r", 3},             // a CR before an LF: still one break
        {4, 10, u"w", 1},             // several lines, the longest too, into one
        {0, 0, u"wwwwww", 0},         // the first line grows past the others
    };
    for (std::size_t i = 0; i < edits.size(); ++i) {
        SCOPED_TRACE(i);
        const Edit& e = edits[i];
        doc.Replace(e.position, e.count, e.with);
        EXPECT_EQ(doc.LongestLine(), e.longest);
        ExpectConsistent(doc);
    }
}

// --- Random edits against the plain recount -------------------------------------------------

std::u16string RandomPiece(std::mt19937& random, std::size_t maxLength) {
    static const char16_t kUnits[] = {u'a', u'b', u'\r', u'\n', u'\r', u'\n', 0xD83D, 0xDE00};
    std::uniform_int_distribution<std::size_t> length(0, maxLength);
    std::uniform_int_distribution<std::size_t> unit(0, std::size(kUnits) - 1);
    std::u16string piece(length(random), u' ');
    for (char16_t& c : piece) c = kUnits[unit(random)];
    return piece;
}

TEST(TextDocumentTest, RandomEditsKeepEveryAnswerRight) {
    std::mt19937 random(20240611);
    TextDocument doc;
    std::u16string shadow;
    for (int step = 0; step < 4000; ++step) {
        SCOPED_TRACE(step);
        if (step % 500 == 0) {
            shadow = RandomPiece(random, 20);
            doc.SetText(shadow);
        } else {
            // Positions and counts a little past the end, to exercise the clamping too.
            std::uniform_int_distribution<std::size_t> at(0, shadow.size() + 2);
            const std::size_t position = at(random);
            const std::size_t count = std::uniform_int_distribution<std::size_t>(0, 4)(random);
            const std::u16string with = RandomPiece(random, 5);
            const std::size_t p = std::min(position, shadow.size());
            shadow.replace(p, std::min(count, shadow.size() - p), with);
            doc.Replace(position, count, with);
        }
        ASSERT_EQ(doc.Text(), shadow);
        if (step % 3 == 0) doc.LongestLine();  // known before some edits, not before others
        ExpectConsistent(doc);
        if (::testing::Test::HasFailure()) return;
    }
}

}  // namespace
}  // namespace talvex::testing
