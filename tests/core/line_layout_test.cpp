#include "editing/line_layout.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <random>
#include <string>
#include <vector>

#include "editing/text_editor.h"
#include "editing/text_positions.h"
#include "tests/core/measurer_fake.h"

namespace talvex::testing {
namespace {

// A layout that follows an editor's text, as the view's does.
class Laid : public TextEditor::Observer {
  public:
    Laid() { editor.SetObserver(this); }
    void OnTextReset() override { layout.Reset(); }
    void OnTextChanged(const TextChange& change) override { layout.OnTextChanged(change); }
    void OnSelectionChanged() override {}

    // Walks the pieces of `line` one after another: they must follow each other without a
    // gap, cover the line exactly, be measured right, and be no longer than the layout allows.
    void ExpectPiecesTrue(std::size_t line) {
        const TextDocument& document = editor.Document();
        const std::size_t start = document.LineStart(line);
        const std::size_t end = document.LineEnd(line);
        std::size_t at = start;
        int x = 0;
        while (true) {
            const LinePiece piece = layout.PieceAt(line, at);
            ASSERT_EQ(piece.start, at) << "line " << line;
            ASSERT_EQ(piece.x, x);
            ASSERT_LE(piece.length, 2 * LineLayout::kPieceUnits + LineLayout::kPieceUnits / 4);
            ASSERT_EQ(
                piece.width,
                WidthOf(std::u16string_view(document.Text()).substr(piece.start, piece.length)));
            ASSERT_TRUE(IsCaretBoundary(document.Text(), piece.start + piece.length));
            at += piece.length;
            x += piece.width;
            if (at >= end) break;
            ASSERT_GT(piece.length, 0u);
        }
        EXPECT_EQ(at, end);
        EXPECT_EQ(layout.LineWidth(line), x);
    }

    // The pieces of `line`, from its start to its end, each measured.
    std::vector<LinePiece> Walk(std::size_t line) {
        std::vector<LinePiece> pieces;
        const std::size_t end = editor.Document().LineEnd(line);
        std::size_t at = editor.Document().LineStart(line);
        do {
            pieces.push_back(layout.PieceAt(line, at));
            at += pieces.back().length;
        } while (at < end && pieces.back().length > 0);
        return pieces;
    }

    TextEditor editor;
    MeasurerFake measurer{editor.Document()};
    LineLayout layout{editor.Document(), measurer};
};

TEST(LineLayoutTest, AnOrdinaryLineIsOnePieceShapedWhole) {
    Laid laid;
    laid.editor.SetText(u"Wii\r\nsecond");
    const std::vector<LinePiece> pieces = laid.layout.PiecesBetween(0, 0, 1000);
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].start, 0u);
    EXPECT_EQ(pieces[0].length, 3u);
    EXPECT_EQ(pieces[0].width, 17);
    EXPECT_EQ(laid.layout.PieceAtX(1, 5000).start, 5u);
    EXPECT_EQ(laid.layout.LineWidth(1), 36);
}

TEST(LineLayoutTest, ALongLineIsMeasuredOnlyWhereItIsLookedAt) {
    Laid laid;
    laid.layout.SetAverageCharWidth(6);
    // A million units of words, with an emoji across where a cut would fall.
    std::u16string line;
    while (line.size() < 1000000) line += u"Wiki wiki iW \U0001F600";
    laid.editor.SetText(line);
    const std::size_t length = laid.editor.Text().size();

    // Never measured: an estimate from the line's length.
    EXPECT_EQ(laid.layout.EstimatedLineWidth(0), static_cast<int>(length) * 6);
    EXPECT_EQ(laid.measurer.measured, 0);
    // Its beginning in sight: a few pieces measured, not the whole line.
    const std::vector<LinePiece> first = laid.layout.PiecesBetween(0, 0, 400);
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first[0].start, 0u);
    EXPECT_LE(laid.measurer.measured, 3);
    // Pieces end after a space when one is near.
    EXPECT_EQ(line[first[0].length - 1], u' ');

    // The end in sight: its piece is measured, and the pieces meeting a view there follow
    // each other.
    const LinePiece last = laid.layout.PieceAt(0, length);
    EXPECT_EQ(last.start + last.length, length);
    const std::vector<LinePiece> end = laid.layout.PiecesBetween(0, last.x - 300, last.x + 400);
    ASSERT_GE(end.size(), 2u);
    for (std::size_t i = 1; i < end.size(); ++i) {
        EXPECT_EQ(end[i - 1].x + end[i - 1].width, end[i].x);
        EXPECT_EQ(end[i - 1].start + end[i - 1].length, end[i].start);
    }
    EXPECT_LE(laid.measurer.measured, 8);
    for (const LinePiece& piece : end)
        EXPECT_EQ(piece.width,
                  WidthOf(std::u16string_view(line).substr(piece.start, piece.length)));
    // The width is the sum of its pieces, exact where they were measured.
    const LinePiece settled = laid.layout.PieceAt(0, length);
    EXPECT_EQ(laid.layout.LineWidth(0), settled.x + settled.width);
    EXPECT_EQ(laid.layout.PieceAtX(0, settled.x + 1).start, settled.start);
    EXPECT_EQ(laid.layout.PieceAtX(0, -50).start, 0u);
}

TEST(LineLayoutTest, ALongLineIsNeverCutInsideACharacter) {
    struct Case {
        const char* name;
        std::u16string unit;  // repeated without a space, so the cuts fall between characters
    };
    const std::vector<Case> cases = {
        {"flags", u"\U0001F1EB"},
        {"families", u"\U0001F468\u200D\U0001F469\u200D\U0001F467"},
        {"Devanagari", u"\u0915\u093F\u0937\u094D"},
        {"Hangul jamo", u"\u1100\u1161\u11A8"},
        {"spaces carrying marks", u"a \u0301\u0301"},
        {"prepended marks", u"\u0600\u0661\u0662"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Laid laid;
        std::u16string line = u"a";  // so that the flags' pairs start at an odd unit
        while (line.size() < 20000) line += c.unit;
        laid.editor.SetText(line);
        laid.ExpectPiecesTrue(0);
        for (std::size_t at = 0; at < line.size();) {
            const LinePiece piece = laid.layout.PieceAt(0, at);
            at = piece.start + piece.length;
            EXPECT_TRUE(IsCharacterBoundary(line, at)) << at;
        }
    }
}

TEST(LineLayoutTest, APaintShapesExactlyThePiecesThatMeetItsSight) {
    // Letters all of one width, so that every piece sits where it will once measured: pieces of
    // 1024 units, 3072 pixels wide.
    const std::u16string line(5000, u'i');
    Laid whole;
    whole.editor.SetText(line);
    const std::vector<LinePiece> all = whole.Walk(0);
    ASSERT_EQ(all.size(), 5u);
    const int edge = all[1].x;
    // Sights whose edges fall on a piece's edge, just inside, just outside, and past the end.
    const std::pair<int, int> sights[] = {{0, edge}, {edge, 2 * edge},  {edge - 1, edge + 1},
                                          {0, 1},    {4 * edge, 99999}, {2 * edge + 1, 3 * edge},
                                          {-500, 0}, {20000, 30000}};
    for (const auto& [left, right] : sights) {
        SCOPED_TRACE(::testing::Message() << "sight " << left << " to " << right);
        Laid laid;
        laid.editor.SetText(line);
        std::vector<std::size_t> expected;
        for (const LinePiece& piece : all)
            if (piece.x < right && piece.x + piece.width > left) expected.push_back(piece.start);
        std::vector<std::size_t> got;
        for (const LinePiece& piece : laid.layout.PiecesBetween(0, left, right))
            got.push_back(piece.start);
        EXPECT_EQ(got, expected);
        // The first piece is always measured: it tells how wide the line's letters run.
        EXPECT_LE(laid.measurer.measured, static_cast<int>(expected.size()) + 1);
    }
}

TEST(LineLayoutTest, ALongLineIsCutIntoPiecesOfAboutTheSameLength) {
    // With no space to cut after, pieces of kPieceUnits are cut while more than one and a half
    // of them is left: just over the limit for one piece, and around where one more is cut.
    const std::pair<std::size_t, std::size_t> lengthsAndPieces[] = {
        {LineLayout::kWholeLineUnits + 1, 2}, {2560, 2}, {2561, 3}, {4000, 4}};
    for (const auto& [length, count] : lengthsAndPieces) {
        SCOPED_TRACE(length);
        Laid laid;
        laid.editor.SetText(std::u16string(length, u'i'));
        const std::vector<LinePiece> pieces = laid.Walk(0);
        EXPECT_EQ(pieces.size(), count);
        for (const LinePiece& piece : pieces) {
            EXPECT_GE(piece.length, LineLayout::kPieceUnits / 2);
            EXPECT_LE(piece.length, LineLayout::kPieceUnits + LineLayout::kPieceUnits / 2);
        }
    }
}

TEST(LineLayoutTest, PiecesEndAfterASpaceOrATabNearTheirEnd) {
    for (const char16_t* gap : {u" ", u"\t"}) {
        Laid laid;
        std::u16string line;
        while (line.size() < 5000) line += u"abcdefghi" + std::u16string(gap);
        laid.editor.SetText(line);
        const std::vector<LinePiece> pieces = laid.Walk(0);
        ASSERT_GE(pieces.size(), 4u);
        for (std::size_t i = 0; i + 1 < pieces.size(); ++i)
            EXPECT_EQ(line[pieces[i].start + pieces[i].length - 1], *gap) << i;
    }
}

TEST(LineLayoutTest, ACharacterLongerThanAPieceIsCutOnlyBetweenCodePoints) {
    Laid laid;
    std::u16string line = u"a";
    while (line.size() < 5000) line += u"\U000E0100";  // variation selectors: all one character
    laid.editor.SetText(line);
    laid.ExpectPiecesTrue(0);
}

TEST(LineLayoutTest, ASliverLeftByADeletionJoinsItsNeighbour) {
    Laid laid;
    laid.editor.SetText(std::u16string(5000, u'i'));
    ASSERT_EQ(laid.Walk(0).size(), 5u);
    laid.editor.Select(1100, 2000);  // all of the second piece but 124 units
    laid.editor.DeleteSelection();
    EXPECT_EQ(laid.Walk(0).size(), 4u);
    laid.ExpectPiecesTrue(0);
}

TEST(LineLayoutTest, TypingInALongLineKeepsTheMeasuresOfItsOtherPieces) {
    Laid laid;
    laid.editor.SetText(std::u16string(20000, u'i') + u"\r\n" + std::u16string(9000, u'W'));
    laid.layout.PiecesBetween(0, 0, 400);
    const LinePiece lastBefore = laid.layout.PieceAt(1, laid.editor.Text().size());
    const int measuredBefore = laid.measurer.measured;
    laid.editor.MoveDocumentEnd(false);
    laid.editor.Type(u"W");
    laid.editor.Type(u"W");
    // Only the piece typed into is shaped again; line 0 and line 1's other pieces are kept.
    const LinePiece lastAfter = laid.layout.PieceAt(1, laid.editor.Text().size());
    laid.layout.PiecesBetween(0, 0, 400);
    EXPECT_EQ(laid.measurer.measured, measuredBefore + 1);
    EXPECT_EQ(lastAfter.x, lastBefore.x);
    EXPECT_EQ(lastAfter.width, lastBefore.width + 22);
    laid.ExpectPiecesTrue(0);
    laid.ExpectPiecesTrue(1);
}

TEST(LineLayoutTest, PiecesStayTrueToTheTextThroughRandomEdits) {
    std::mt19937 random(20261207);
    const std::u16string bits[] = {u"W",
                                   u"i",
                                   u"word ",
                                   u"\r\n",
                                   u"\n",
                                   u"\U0001F600",
                                   std::u16string(700, u'i'),
                                   std::u16string(1500, u'W')};
    Laid laid;
    std::u16string start;
    for (int i = 0; i < 8; ++i) start += std::u16string(3000, u'i') + u" W\r\n";
    laid.editor.SetText(start);
    for (int step = 0; step < 400; ++step) {
        TextEditor& editor = laid.editor;
        const std::size_t size = editor.Text().size();
        const std::size_t a = random() % (size + 1);
        const std::size_t b = std::min(size, a + random() % 3000);
        editor.Select(a, random() % 4 == 0 ? b : a);
        const int action = static_cast<int>(random() % 10);
        if (action < 6) {
            editor.Type(bits[random() % std::size(bits)]);
        } else if (action < 8) {
            editor.Backspace();
        } else if (action == 8) {
            editor.DeleteSelection();
        } else {
            editor.Undo();
        }
        // Look at a line now and then, as a paint would, so that some pieces are measured.
        const std::size_t lines = editor.Document().LineCount();
        laid.layout.PiecesBetween(random() % lines, 0, static_cast<int>(random() % 20000));
        if (step % 20 == 19) {
            for (std::size_t line = 0; line < lines; ++line) laid.ExpectPiecesTrue(line);
        }
    }
}

}  // namespace
}  // namespace talvex::testing
