#include "editing/viewport.h"

#include <gtest/gtest.h>

#include <string>

#include "editing/text_positions.h"
#include "tests/core/measurer_fake.h"

namespace talvex::testing {
namespace {

// A view of 10 characters of 6 pixels by 5 lines of 10, its text area 2 pixels in from the
// client's left and 1 from its top, following an editor's text as the Win32 view does.
class Viewed : public ::testing::Test, public TextEditor::Observer {
  protected:
    static constexpr int kLeft = 2;
    static constexpr int kTop = 1;
    Viewed() {
        editor.SetObserver(this);
        layout.SetAverageCharWidth(6);
        viewport.SetMetrics(10, 6, 1);
        viewport.SetArea(ViewArea{kLeft, kTop, kLeft + 60, kTop + 50});
    }
    void OnTextReset() override {
        layout.Reset();
        viewport.OnTextReset();
    }
    void OnTextChanged(const TextChange& change) override {
        layout.OnTextChanged(change);
        viewport.OnTextChanged();
    }
    void OnSelectionChanged() override {}

    std::size_t CaretLine() const { return editor.Document().LineOfPosition(editor.Caret()); }
    static std::u16string Lines(int count, std::u16string_view line) {
        std::u16string text;
        for (int i = 0; i < count; ++i)
            text += std::u16string(line) + (i + 1 < count ? u"\r\n" : u"");
        return text;
    }

    TextEditor editor;
    MeasurerFake measurer{editor.Document()};
    LineLayout layout{editor.Document(), measurer};
    Viewport viewport{editor, layout, measurer};
};

TEST_F(Viewed, PointsAndPositionsFindEachOther) {
    editor.SetText(u"abc\r\nWiWi\r\n\r\nlast");
    struct Case {
        ViewPoint point;
        std::size_t position;
    };
    const Case cases[] = {
        {{kLeft, kTop}, 0},
        {{kLeft + 7, kTop + 2}, 1},   // nearer the edge before "b"
        {{kLeft + 10, kTop + 9}, 2},  // nearer the edge after it
        {{kLeft + 500, kTop}, 3},     // beyond the line: its end, before the line break
        {{kLeft - 40, kTop + 10}, 5},
        {{kLeft + 11, kTop + 15}, 6},  // W is 11 wide
        {{kLeft + 20, kTop + 25}, 11},
        {{kLeft, kTop - 30}, 0},        // above the text: its first line
        {{kLeft + 7, kTop + 900}, 14},  // below it: its last
    };
    for (const Case& c : cases)
        EXPECT_EQ(viewport.PositionAt(c.point), c.position) << c.point.x << "," << c.point.y;

    // Every caret position, also in a small view scrolled both ways, is found again at its
    // own point.
    viewport.SetArea(ViewArea{kLeft, kTop, kLeft + 20, kTop + 20});
    for (const auto& [first, x] : {std::pair{0, 0}, std::pair{1, 9}}) {
        viewport.ScrollTo(first, x);
        ASSERT_EQ(viewport.FirstLine(), static_cast<std::size_t>(first));
        ASSERT_EQ(viewport.ScrollX(), x);
        for (std::size_t p = 0; p <= editor.Text().size(); ++p) {
            if (!IsCaretBoundary(editor.Text(), p)) continue;
            EXPECT_EQ(viewport.PositionAt(viewport.PointOf(p)), p) << p;
        }
    }
    EXPECT_EQ(viewport.PointOf(6).x, kLeft + 2);  // 11 pixels in, 9 scrolled out
    EXPECT_EQ(viewport.PointOf(6).y, kTop);
    EXPECT_EQ(viewport.PointOf(0).y, kTop - 10);
    EXPECT_EQ(viewport.PositionAt({kLeft + 9, kTop - 1}), 3u) << "just above: the line before";
    viewport.ScrollTo(1, 500);
    EXPECT_EQ(viewport.ScrollX(), 9) << "no further than the widest line and the caret";
    editor.SetText(u"e\u0301x");
    EXPECT_EQ(viewport.PositionAt({kLeft + 7, kTop}), 0u) << "between a letter and its accent";
}

TEST_F(Viewed, UpAndDownKeepTheirColumnAcrossShortLinesUntilTheCaretMovesAlong) {
    editor.SetText(u"abcdefgh\r\nab\r\nabcdefgh");
    editor.MoveCaretTo(6, false);
    viewport.MoveVertically(1, false);
    EXPECT_EQ(editor.Caret(), 12u);  // the short line's end
    viewport.MoveVertically(1, true);
    EXPECT_EQ(editor.Caret(), 20u);  // the column again
    EXPECT_EQ(editor.Anchor(), 12u);
    viewport.MoveVertically(-2, false);
    EXPECT_EQ(editor.Caret(), 6u);
    viewport.MoveVertically(-1, false);  // no line above: the caret stays
    EXPECT_EQ(editor.Caret(), 6u);

    viewport.MoveVertically(1, false);
    viewport.ForgetColumn();  // a move along the line
    viewport.MoveVertically(1, false);
    EXPECT_EQ(editor.Caret(), 16u);
}

TEST_F(Viewed, PageKeysMoveTheViewAndTheCaretTogether) {
    editor.SetText(Lines(20, u"ligne"));
    struct Step {
        bool forward;
        std::size_t first;
        std::size_t caretLine;
    };
    const Step steps[] = {{true, 5, 5},   {true, 10, 10}, {false, 5, 5},  {true, 10, 10},
                          {true, 15, 15}, {true, 15, 19}, {false, 10, 14}};
    for (const Step& step : steps) {
        viewport.Page(step.forward, false);
        EXPECT_EQ(viewport.FirstLine(), step.first);
        EXPECT_EQ(CaretLine(), step.caretLine);
    }
}

TEST_F(Viewed, TheCaretBroughtIntoSightBringsAQuarterOfAViewAlong) {
    editor.SetText(std::u16string(40, u'a') + u"\r\n" + Lines(19, u"a"));
    EXPECT_TRUE(viewport.ScrollIntoView(10));  // at the right edge: the caret itself is cut off
    EXPECT_EQ(viewport.ScrollX(), 16);
    EXPECT_TRUE(viewport.ScrollIntoView(20));  // at 120 px: the view's right edge, + 15 px
    EXPECT_EQ(viewport.ScrollX(), 76);
    EXPECT_FALSE(viewport.ScrollIntoView(21));
    EXPECT_TRUE(viewport.ScrollIntoView(2));  // 12 px: a quarter to its left, or the start
    EXPECT_EQ(viewport.ScrollX(), 0);

    const TextDocument& document = editor.Document();
    viewport.ScrollIntoView(document.LineStart(12));
    EXPECT_EQ(viewport.FirstLine(), 8u);  // the line at the bottom of the view
    viewport.ScrollIntoView(document.LineStart(3));
    EXPECT_EQ(viewport.FirstLine(), 3u);
}

TEST_F(Viewed, ScrollBarsAndTheWheelMoveTheViewWithinTheText) {
    editor.SetText(Lines(20, std::u16string(40, u'a')));  // 20 lines, each 240 pixels wide
    struct Step {
        ScrollBar bar;
        ScrollAction action;
        int thumb;
        int expected;  // first line or x
    };
    const auto V = ScrollBar::Vertical;
    const auto H = ScrollBar::Horizontal;
    const Step steps[] = {
        {V, ScrollAction::LineForward, 0, 1}, {V, ScrollAction::PageForward, 0, 6},
        {V, ScrollAction::Thumb, 12, 12},     {V, ScrollAction::Thumb, 99, 15},
        {V, ScrollAction::LineBack, 0, 14},   {V, ScrollAction::PageBack, 0, 9},
        {V, ScrollAction::Start, 0, 0},       {V, ScrollAction::End, 0, 15},
        {H, ScrollAction::LineForward, 0, 6}, {H, ScrollAction::PageForward, 0, 66},
        {H, ScrollAction::End, 0, 181},       {H, ScrollAction::Thumb, 500, 181},
        {H, ScrollAction::LineBack, 0, 175},  {H, ScrollAction::PageBack, 0, 115},
        {H, ScrollAction::Start, 0, 0},
    };
    for (const Step& step : steps) {
        viewport.Scroll(step.bar, step.action, step.thumb);
        EXPECT_EQ(step.bar == V ? static_cast<int>(viewport.FirstLine()) : viewport.ScrollX(),
                  step.expected)
            << static_cast<int>(step.action);
    }
    const ScrollRange vertical = viewport.VerticalRange();
    EXPECT_EQ(vertical.max, 19);
    EXPECT_EQ(vertical.page, 5);
    EXPECT_EQ(vertical.position, 15);
    EXPECT_EQ(viewport.HorizontalRange().max, 240);  // the lines and the caret after them
    EXPECT_EQ(viewport.HorizontalRange().page, 60);

    // Notches of the wheel (120 each) add up from their parts; none turns no page.
    viewport.ScrollTo(0, 0);
    const int deltas[] = {-120, -60, -60, 240};
    const std::size_t firsts[] = {3, 3, 6, 0};
    for (std::size_t i = 0; i < std::size(deltas); ++i) {
        viewport.Wheel(deltas[i], false, 3, 3);
        EXPECT_EQ(viewport.FirstLine(), firsts[i]) << i;
    }
    viewport.Wheel(-120, false, 0, 3);  // a page a notch
    EXPECT_EQ(viewport.FirstLine(), 5u);
    viewport.Wheel(-240, true, 3, 3);  // sideways, 3 characters a notch
    EXPECT_EQ(viewport.ScrollX(), 36);
    viewport.ScrollBy(-2, -1);
    EXPECT_EQ(viewport.FirstLine(), 3u);
    EXPECT_EQ(viewport.ScrollX(), 30);

    // A view beyond lines that got shorter stays where it is, and goes no further.
    viewport.Scroll(H, ScrollAction::End, 0);
    editor.SelectAll();
    editor.Type(Lines(20, u"a"));
    viewport.Scroll(V, ScrollAction::LineForward, 0);
    viewport.Scroll(H, ScrollAction::LineForward, 0);
    EXPECT_EQ(viewport.ScrollX(), 181);

    // Lines taken away under the view, then a new text: the view follows.
    editor.Select(editor.Document().LineStart(2), editor.Text().size());
    editor.DeleteSelection();
    EXPECT_EQ(viewport.FirstLine(), 2u);
    editor.SetText(u"neuf");
    EXPECT_EQ(viewport.FirstLine(), 0u);
    EXPECT_EQ(viewport.ScrollX(), 0);
}

TEST_F(Viewed, AHalfLineAtTheBottomCountsForTheScrollRange) {
    viewport.SetArea(ViewArea{kLeft, kTop, kLeft + 60, kTop + 55});
    // The half line is 110 pixels wide; the longer line below, out of sight, is estimated 72.
    editor.SetText(Lines(5, u"a") + u"\r\n" + std::u16string(10, u'W') + u"\r\n" +
                   std::u16string(12, u'i'));
    EXPECT_EQ(viewport.HorizontalRange().max, 110);  // and the caret after it, less one
}

TEST(ThumbTargetTest, ADraggedThumbIsTrackedIn32BitsASentOneIn16) {
    struct Case {
        int track;
        unsigned short message;
        int expected;
    };
    const Case cases[] = {
        {70000, 70000 & 0xFFFF, 70000},  // dragged beyond 65,535: the 32-bit place
        {12, 12, 12},                    // dragged
        {0, 40, 40},                     // sent by a program: the thumb was not moved
        {65541, 9, 9},                   // sent, far from where a drag would be
    };
    for (const Case& c : cases) EXPECT_EQ(ThumbTarget(c.track, c.message), c.expected);
}

}  // namespace
}  // namespace talvex::testing
