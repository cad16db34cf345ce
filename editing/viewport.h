// What of the text is in sight and where: the top line, how far the lines are scrolled
// sideways, the column Up and Down aim at, bringing the caret into sight, page moves, the
// scroll bars' and the wheel's arithmetic, and hit-testing between positions and points.
// Portable: the view gives it its text area and font metrics, and turns its answers into
// scroll bars, a caret and paint; shaping is reached through TextMeasurer.
#pragma once

#include <cstddef>

#include "editing/line_layout.h"
#include "editing/text_editor.h"

namespace talvex {

// Shaping beyond a piece's width: where a caret stands inside a piece and which position is
// nearest to a point of it (x in pixels from the piece's left edge in both).
class TextMeasurer : public PieceMeasurer {
  public:
    virtual int CaretX(const LinePiece& piece, std::size_t position) = 0;
    virtual std::size_t PositionAtX(const LinePiece& piece, int x) = 0;
};

// In the view's client pixels.
struct ViewPoint {
    int x = 0;
    int y = 0;
};
struct ViewArea {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// What a scroll bar shows: a range 0..max, a page, a position.
struct ScrollRange {
    int max = 0;
    int page = 1;
    int position = 0;
};

enum class ScrollBar { Vertical, Horizontal };
// A scroll bar's commands, up or left being "back".
enum class ScrollAction { LineBack, LineForward, PageBack, PageForward, Thumb, Start, End };

// Where a thumb message asks to go. A thumb dragged by the user is tracked in 32 bits
// (`trackPosition`, from GetScrollInfo), but a message carries only 16: a program that sends
// one gives its position only there. The 32-bit value is the one meant when its low half is
// the message's.
int ThumbTarget(int trackPosition, unsigned short messagePosition);

class Viewport {
  public:
    Viewport(TextEditor& editor, LineLayout& layout, TextMeasurer& measurer)
        : editor_(editor), layout_(layout), measurer_(measurer) {}

    // Where the text is drawn in the client area, and the font's measures.
    void SetArea(const ViewArea& area) { area_ = area; }
    void SetMetrics(int lineHeight, int averageCharWidth, int caretWidth);
    const ViewArea& Area() const { return area_; }
    int LineHeight() const { return lineHeight_; }
    int AverageCharWidth() const { return averageCharWidth_; }

    std::size_t FirstLine() const { return firstLine_; }
    int ScrollX() const { return scrollX_; }
    int WholeLinesInSight() const;
    // Where x = 0 of every line is, in client pixels.
    int LineLeft() const { return area_.left - scrollX_; }

    // Hit-testing. A far away position is still far away, within what a point holds.
    int CaretXOnLine(std::size_t position);
    ViewPoint PointOf(std::size_t position);
    // The caret position nearest to a point (above or below the text: its first or last line).
    std::size_t PositionAt(ViewPoint client);
    std::size_t PositionOnLineAtX(std::size_t line, int x);

    // Each returns whether the view moved (then the caller paints again). The top line stays
    // where a whole page still shows; x stays within the widest line known.
    bool ScrollTo(std::size_t firstLine, int x);
    bool Scroll(ScrollBar bar, ScrollAction action, int thumb = 0);
    // EM_LINESCROLL: lines down and average characters right.
    bool ScrollBy(std::ptrdiff_t lines, int characters);
    // The wheel's `delta` (WHEEL_DELTA a notch) adds up until it makes whole notches;
    // `linesPerNotch` 0 scrolls a page a notch, `charactersPerNotch` is the sideways step.
    bool Wheel(int delta, bool sideways, int linesPerNotch, int charactersPerNotch);
    // As an edit control: a position that leaves the view sideways brings a quarter of a
    // view with it.
    bool ScrollIntoView(std::size_t position);

    // Up and Down keep the column they aim at until a move along the line forgets it.
    void MoveVertically(std::ptrdiff_t lines, bool extend);
    void ForgetColumn() { desiredX_ = -1; }
    // Page Up and Page Down: the view and the caret move together. Returns whether the view moved.
    bool Page(bool forward, bool extend);

    ScrollRange VerticalRange() const;
    ScrollRange HorizontalRange();
    // The width lines are scrolled over: the longest line, estimated, and every line in
    // sight, measured; room for the caret after them.
    int HorizontalExtent();

    // The whole text was replaced: its beginning shows.
    void OnTextReset();
    // The line count may have dropped under the view.
    void OnTextChanged();

  private:
    TextEditor& editor_;
    LineLayout& layout_;
    TextMeasurer& measurer_;
    ViewArea area_;
    int lineHeight_ = 13;
    int averageCharWidth_ = 6;
    int caretWidth_ = 1;
    std::size_t firstLine_ = 0;
    int scrollX_ = 0;    // pixels of every line scrolled out on the left
    int desiredX_ = -1;  // where Up and Down aim, in line pixels; -1: the caret's own
    int wheelRest_ = 0;
    int sidewaysWheelRest_ = 0;
};

}  // namespace talvex
