#include "editing/viewport.h"

#include <algorithm>

#include "editing/text_positions.h"

namespace talvex {
namespace {

constexpr int kWheelDelta = 120;  // one notch of the wheel
constexpr long long kFarAway = 0x3FFFFFFF;

// The nearest place at or before `position` where one character ends and another begins: a
// click between a letter and its accent lands before the letter.
std::size_t SnapToCharacter(std::u16string_view text, std::size_t position) {
    position = SnapToCaretBoundary(text, position);
    const std::size_t before = PreviousCharacter(text, position);
    return NextCharacter(text, before) == position || position == 0 ? position : before;
}

int ClampedToPoint(long long v) { return static_cast<int>(std::clamp(v, -kFarAway, kFarAway)); }

std::size_t AtLeastZero(std::ptrdiff_t line) {
    return static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, line));
}

}  // namespace

int ThumbTarget(int trackPosition, unsigned short messagePosition) {
    return (trackPosition & 0xFFFF) == messagePosition ? trackPosition : messagePosition;
}

void Viewport::SetMetrics(int lineHeight, int averageCharWidth, int caretWidth) {
    lineHeight_ = std::max(1, lineHeight);
    averageCharWidth_ = std::max(1, averageCharWidth);
    caretWidth_ = std::max(1, caretWidth);
}

int Viewport::WholeLinesInSight() const { return std::max(1, area_.Height() / lineHeight_); }

int Viewport::CaretXOnLine(std::size_t position) {
    const std::size_t line = editor_.Document().LineOfPosition(position);
    const LinePiece piece = layout_.PieceAt(line, position);
    return piece.x + measurer_.CaretX(piece, position);
}

ViewPoint Viewport::PointOf(std::size_t position) {
    const std::size_t line = editor_.Document().LineOfPosition(position);
    const auto row = static_cast<long long>(line) - static_cast<long long>(firstLine_);
    return ViewPoint{ClampedToPoint(static_cast<long long>(LineLeft()) + CaretXOnLine(position)),
                     ClampedToPoint(area_.top + row * lineHeight_)};
}

std::size_t Viewport::PositionOnLineAtX(std::size_t line, int x) {
    const LinePiece piece = layout_.PieceAtX(line, x);
    const TextDocument& document = editor_.Document();
    const std::size_t at = measurer_.PositionAtX(piece, x - piece.x);
    return std::clamp(SnapToCharacter(editor_.Text(), at), document.LineStart(line),
                      document.LineEnd(line));
}

std::size_t Viewport::PositionAt(ViewPoint client) {
    const long long row = client.y >= area_.top ? (client.y - area_.top) / lineHeight_
                                                : -1 - (area_.top - client.y - 1) / lineHeight_;
    const auto lines = static_cast<long long>(editor_.Document().LineCount());
    const auto line = static_cast<std::size_t>(
        std::clamp<long long>(static_cast<long long>(firstLine_) + row, 0, lines - 1));
    return PositionOnLineAtX(line, client.x - LineLeft());
}

bool Viewport::ScrollTo(std::size_t firstLine, int x) {
    const std::size_t lines = editor_.Document().LineCount();
    const auto inSight = static_cast<std::size_t>(WholeLinesInSight());
    firstLine = std::min(firstLine, lines > inSight ? lines - inSight : 0);
    const bool moved = firstLine != firstLine_;
    firstLine_ = firstLine;
    // The extent counts the lines in sight, so it is taken once the top line is settled.
    const int widest = std::max(0, HorizontalExtent() - area_.Width());
    // A view already beyond an estimate that shrank stays where it is, not further.
    x = std::clamp(x, 0, std::max(widest, std::min(x, scrollX_)));
    if (!moved && x == scrollX_) return false;
    scrollX_ = x;
    return true;
}

bool Viewport::Scroll(ScrollBar bar, ScrollAction action, int thumb) {
    const bool vertical = bar == ScrollBar::Vertical;
    long long target = 0;  // the start
    if (action == ScrollAction::Thumb) {
        target = thumb;
    } else if (action == ScrollAction::End) {
        target =
            vertical ? static_cast<long long>(editor_.Document().LineCount()) : HorizontalExtent();
    } else if (action != ScrollAction::Start) {
        // A line or a page, back or forward, from where the view is.
        const bool byLine = action == ScrollAction::LineBack || action == ScrollAction::LineForward;
        const long long line = vertical ? 1 : averageCharWidth_;
        const long long page = vertical ? WholeLinesInSight() : std::max(1, area_.Width());
        const long long step = byLine ? line : page;
        const long long now = vertical ? static_cast<long long>(firstLine_) : scrollX_;
        const bool back = action == ScrollAction::LineBack || action == ScrollAction::PageBack;
        target = back ? now - step : now + step;
    }
    target = std::max(0LL, target);
    if (vertical) return ScrollTo(static_cast<std::size_t>(target), scrollX_);
    return ScrollTo(firstLine_, static_cast<int>(std::min<long long>(target, 0x7FFFFFFF)));
}

bool Viewport::ScrollBy(std::ptrdiff_t lines, int characters) {
    const long long x = scrollX_ + static_cast<long long>(characters) * averageCharWidth_;
    return ScrollTo(AtLeastZero(static_cast<std::ptrdiff_t>(firstLine_) + lines),
                    static_cast<int>(std::clamp<long long>(x, 0, 0x7FFFFFFF)));
}

bool Viewport::Wheel(int delta, bool sideways, int linesPerNotch, int charactersPerNotch) {
    int& rest = sideways ? sidewaysWheelRest_ : wheelRest_;
    rest += delta;
    const int notches = rest / kWheelDelta;
    rest -= notches * kWheelDelta;
    if (notches == 0) return false;
    // Up (or tilted left) shows what lies before.
    if (sideways)
        return ScrollTo(firstLine_,
                        std::max(0, scrollX_ - notches * charactersPerNotch * averageCharWidth_));
    const std::ptrdiff_t step = linesPerNotch > 0 ? linesPerNotch : WholeLinesInSight();
    return ScrollTo(AtLeastZero(static_cast<std::ptrdiff_t>(firstLine_) - notches * step),
                    scrollX_);
}

bool Viewport::ScrollIntoView(std::size_t position) {
    const std::size_t line = editor_.Document().LineOfPosition(position);
    const auto inSight = static_cast<std::size_t>(WholeLinesInSight());
    std::size_t first = firstLine_;
    if (line < first) first = line;
    if (line >= first + inSight) first = line - inSight + 1;
    const int width = area_.Width();
    const int x = CaretXOnLine(position);
    int left = scrollX_;
    if (x < left) left = std::max(0, x - width / 4);
    if (x + caretWidth_ > left + width) left = x + caretWidth_ - width + width / 4;
    left = std::max(0, left);
    const bool moved = first != firstLine_ || left != scrollX_;
    firstLine_ = first;
    scrollX_ = left;
    return moved;
}

void Viewport::MoveVertically(std::ptrdiff_t lines, bool extend) {
    const TextDocument& document = editor_.Document();
    const std::size_t caret = editor_.Caret();
    const auto line = static_cast<std::ptrdiff_t>(document.LineOfPosition(caret));
    const auto last = static_cast<std::ptrdiff_t>(document.LineCount()) - 1;
    const std::ptrdiff_t target = std::clamp<std::ptrdiff_t>(line + lines, 0, last);
    if (desiredX_ < 0) desiredX_ = CaretXOnLine(caret);
    if (target == line) return;
    editor_.MoveCaretTo(PositionOnLineAtX(static_cast<std::size_t>(target), desiredX_), extend);
}

bool Viewport::Page(bool forward, bool extend) {
    const std::ptrdiff_t page = forward ? WholeLinesInSight() : -WholeLinesInSight();
    const bool moved =
        ScrollTo(AtLeastZero(static_cast<std::ptrdiff_t>(firstLine_) + page), scrollX_);
    MoveVertically(page, extend);
    return moved;
}

ScrollRange Viewport::VerticalRange() const {
    const std::size_t lines = editor_.Document().LineCount();
    return ScrollRange{static_cast<int>(std::min<std::size_t>(lines - 1, 0x7FFFFFFE)),
                       WholeLinesInSight(),
                       static_cast<int>(std::min<std::size_t>(firstLine_, 0x7FFFFFFE))};
}

ScrollRange Viewport::HorizontalRange() {
    const int width = std::max(1, area_.Width());
    return ScrollRange{std::max(HorizontalExtent(), scrollX_ + area_.Width()) - 1, width, scrollX_};
}

int Viewport::HorizontalExtent() {
    const TextDocument& document = editor_.Document();
    long long widest = layout_.EstimatedLineWidth(document.LongestLine());
    const std::size_t last = std::min(
        document.LineCount(), firstLine_ + static_cast<std::size_t>(WholeLinesInSight()) + 1);
    for (std::size_t line = firstLine_; line < last; ++line)
        widest = std::max<long long>(widest, layout_.LineWidth(line));
    return static_cast<int>(std::min<long long>(widest + caretWidth_, 0x7FFFFFF0));
}

void Viewport::OnTextReset() {
    firstLine_ = 0;
    scrollX_ = 0;
    desiredX_ = -1;
}

void Viewport::OnTextChanged() {
    const std::size_t lines = editor_.Document().LineCount();
    if (firstLine_ >= lines) firstLine_ = lines - 1;
    desiredX_ = -1;
}

}  // namespace talvex
