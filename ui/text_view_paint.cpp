// The text view's look and place: metrics, painting what is in sight, the caret, hit-testing,
// and scrolling.
#include <algorithm>

#include "editing/text_positions.h"
#include "ui/text_view.h"

namespace talvex {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);  // plain white, not the system window colour

int CaretWidth() {
    DWORD width = 1;
    SystemParametersInfoW(SPI_GETCARETWIDTH, 0, &width, 0);
    return std::max<int>(1, static_cast<int>(width));
}

// The nearest place at or before `position` where one character ends and another begins: a
// click between a letter and its accent lands before the letter.
std::size_t SnapToCharacter(std::u16string_view text, std::size_t position) {
    position = SnapToCaretBoundary(text, position);
    const std::size_t before = PreviousCharacter(text, position);
    return NextCharacter(text, before) == position || position == 0 ? position : before;
}

}  // namespace

void TextView::SetFont(HFONT font, bool redraw) {
    font_ = font != nullptr ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (!bufferDc_) return;
    bufferFont_.reset();
    bufferFont_.emplace(bufferDc_.get(), font_);
    TEXTMETRICW metrics{};
    GetTextMetricsW(bufferDc_.get(), &metrics);
    lineHeight_ = std::max<int>(1, metrics.tmHeight);
    averageCharWidth_ = std::max<int>(1, metrics.tmAveCharWidth);
    // An edit control keeps about this much room between its border and the text.
    margin_ = std::max(1, averageCharWidth_ / 3);
    shaper_.Forget();
    layout_.SetAverageCharWidth(averageCharWidth_);
    if (hwnd() == nullptr) return;
    if (GetFocus() == hwnd()) CreateSystemCaret();
    UpdateScrollBars();
    ScrollTo(firstLine_, scrollX_);
    PlaceCaret();
    if (redraw) InvalidateRect(hwnd(), nullptr, FALSE);
}

RECT TextView::TextArea() const {
    RECT client{};
    GetClientRect(hwnd(), &client);
    client.left += margin_;
    client.right = std::max(client.left, client.right - margin_);
    client.top += 1;
    client.bottom = std::max(client.top, client.bottom);
    return client;
}

int TextView::WholeLinesInSight() const {
    const RECT text = TextArea();
    return std::max<int>(1, (text.bottom - text.top) / lineHeight_);
}

int TextView::LineLeft() const { return TextArea().left - scrollX_; }

void TextView::OnSize() {
    UpdateScrollBars();
    ScrollTo(firstLine_, scrollX_);
    PlaceCaret();
    InvalidateRect(hwnd(), nullptr, FALSE);
}

void TextView::Paint(HDC target, const RECT& area) {
    RECT client{};
    GetClientRect(hwnd(), &client);
    if (client.right <= 0 || client.bottom <= 0 || !bufferDc_) return;
    if (bufferSize_.cx != client.right || bufferSize_.cy != client.bottom || !buffer_) {
        UniqueBitmap bitmap;
        {
            const WindowDc screen(hwnd());
            bitmap.reset(CreateCompatibleBitmap(screen.get(), client.right, client.bottom));
        }
        if (!bitmap) return;  // no memory for it now; the next paint tries again
        bufferBitmap_.reset();
        buffer_ = std::move(bitmap);
        bufferBitmap_.emplace(bufferDc_.get(), buffer_.get());
        bufferSize_ = SIZE{client.right, client.bottom};
    }
    const HDC dc = bufferDc_.get();

    HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    FillRect(dc, &client, white);
    SetBkMode(dc, TRANSPARENT);
    SetBkColor(dc, kWhite);
    SetTextColor(dc, GetSysColor(IsWindowEnabled(hwnd()) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    const RECT text = TextArea();
    const std::size_t lines = editor_.Document().LineCount();
    int top = text.top;
    for (std::size_t line = firstLine_; line < lines && top < text.bottom; ++line) {
        PaintLine(line, top, text);
        top += lineHeight_;
    }
    BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, dc,
           area.left, area.top, SRCCOPY);
}

void TextView::PaintLine(std::size_t line, int top, const RECT& text) {
    RECT band{text.left, top, text.right, std::min<LONG>(top + lineHeight_, text.bottom)};
    // As in an edit control, the selection shows only while the view has the keyboard.
    const bool focused = GetFocus() == hwnd();
    const std::size_t from = focused ? editor_.SelectionStart() : 0;
    const std::size_t to = focused ? editor_.SelectionEnd() : 0;
    const int left = LineLeft();
    const std::vector<LinePiece> pieces =
        layout_.PiecesBetween(line, scrollX_, scrollX_ + (text.right - text.left));
    for (const LinePiece& piece : pieces) shaper_.Draw(piece, left + piece.x, top, band, from, to);

    // A selected line break shows as a small band after the line's text.
    const TextDocument& document = editor_.Document();
    const std::size_t end = document.LineEnd(line);
    const bool emptyLine = document.LineLength(line) == 0;
    const bool endInSight = !pieces.empty() && pieces.back().start + pieces.back().length == end;
    if (from <= end && to > end && line + 1 < document.LineCount() && (emptyLine || endInSight)) {
        const int x = emptyLine ? left : left + pieces.back().x + pieces.back().width;
        RECT mark{x, band.top, x + averageCharWidth_, band.bottom};
        IntersectRect(&mark, &mark, &band);
        HBRUSH highlight = GetSysColorBrush(COLOR_HIGHLIGHT);
        FillRect(bufferDc_.get(), &mark, highlight);
    }
}

int TextView::CaretXOnLine(std::size_t position) {
    const std::size_t line = editor_.Document().LineOfPosition(position);
    const LinePiece piece = layout_.PieceAt(line, position);
    return piece.x + shaper_.CaretX(piece, position);
}

POINT TextView::ClientPointOf(std::size_t position) {
    const std::size_t line = editor_.Document().LineOfPosition(position);
    const auto row = static_cast<long long>(line) - static_cast<long long>(firstLine_);
    const long long y = TextArea().top + row * lineHeight_;
    const long long x = static_cast<long long>(LineLeft()) + CaretXOnLine(position);
    // Far away positions are still far away, within what a POINT holds.
    return POINT{static_cast<LONG>(std::clamp<long long>(x, -0x3FFFFFFF, 0x3FFFFFFF)),
                 static_cast<LONG>(std::clamp<long long>(y, -0x3FFFFFFF, 0x3FFFFFFF))};
}

std::size_t TextView::PositionOnLineAtX(std::size_t line, int x) {
    const LinePiece piece = layout_.PieceAtX(line, x);
    const TextDocument& document = editor_.Document();
    const std::size_t at = shaper_.PositionAtX(piece, x - piece.x);
    return std::clamp(SnapToCharacter(editor_.Text(), at), document.LineStart(line),
                      document.LineEnd(line));
}

std::size_t TextView::PositionAt(POINT client) {
    const RECT text = TextArea();
    const long long row = client.y >= text.top ? (client.y - text.top) / lineHeight_
                                               : -1 - (text.top - client.y - 1) / lineHeight_;
    const long long lines = static_cast<long long>(editor_.Document().LineCount());
    const auto line = static_cast<std::size_t>(
        std::clamp<long long>(static_cast<long long>(firstLine_) + row, 0, lines - 1));
    return PositionOnLineAtX(line, client.x - LineLeft());
}

int TextView::HorizontalExtent() {
    const TextDocument& document = editor_.Document();
    // The longest line by its units, estimated, and every line in sight, measured.
    long long widest = layout_.EstimatedLineWidth(document.LongestLine());
    const std::size_t lines = document.LineCount();
    const std::size_t last = std::min(lines, firstLine_ + WholeLinesInSight() + 1);
    for (std::size_t line = firstLine_; line < last; ++line)
        widest = std::max<long long>(widest, layout_.LineWidth(line));
    return static_cast<int>(std::min<long long>(widest + CaretWidth(), 0x7FFFFFF0));
}

void TextView::UpdateScrollBars() {
    if (hwnd() == nullptr) return;
    const RECT text = TextArea();
    SCROLLINFO vertical{};
    vertical.cbSize = sizeof vertical;
    vertical.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    vertical.nMax =
        static_cast<int>(std::min<std::size_t>(editor_.Document().LineCount() - 1, 0x7FFFFFFE));
    vertical.nPage = static_cast<UINT>(WholeLinesInSight());
    vertical.nPos = static_cast<int>(firstLine_);
    if (vertical.nMax != shownVertical_.nMax || vertical.nPage != shownVertical_.nPage ||
        vertical.nPos != shownVertical_.nPos || shownVertical_.cbSize == 0) {
        SetScrollInfo(hwnd(), SB_VERT, &vertical, TRUE);
        shownVertical_ = vertical;
    }
    SCROLLINFO horizontal{};
    horizontal.cbSize = sizeof horizontal;
    horizontal.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    horizontal.nMax =
        std::max(HorizontalExtent(), scrollX_ + static_cast<int>(text.right - text.left)) - 1;
    horizontal.nPage = static_cast<UINT>(std::max<LONG>(1, text.right - text.left));
    horizontal.nPos = scrollX_;
    if (horizontal.nMax != shownHorizontal_.nMax || horizontal.nPage != shownHorizontal_.nPage ||
        horizontal.nPos != shownHorizontal_.nPos || shownHorizontal_.cbSize == 0) {
        SetScrollInfo(hwnd(), SB_HORZ, &horizontal, TRUE);
        shownHorizontal_ = horizontal;
    }
}

void TextView::ScrollTo(std::size_t firstLine, int x) {
    if (hwnd() == nullptr) return;
    const std::size_t lines = editor_.Document().LineCount();
    const auto inSight = static_cast<std::size_t>(WholeLinesInSight());
    const std::size_t lastFirst = lines > inSight ? lines - inSight : 0;
    firstLine = std::min(firstLine, lastFirst);
    const bool moved = firstLine != firstLine_;
    firstLine_ = firstLine;
    const RECT text = TextArea();
    const int widest = std::max(0, HorizontalExtent() - static_cast<int>(text.right - text.left));
    x = std::clamp(x, 0, std::max(widest, std::min(x, scrollX_)));
    if (!moved && x == scrollX_) return;
    scrollX_ = x;
    InvalidateRect(hwnd(), nullptr, FALSE);
    UpdateScrollBars();
    PlaceCaret();
}

void TextView::ScrollCaretIntoView() {
    if (hwnd() == nullptr) return;
    const std::size_t caret = editor_.Caret();
    const std::size_t line = editor_.Document().LineOfPosition(caret);
    const auto inSight = static_cast<std::size_t>(WholeLinesInSight());
    std::size_t first = firstLine_;
    if (line < first) first = line;
    if (line >= first + inSight) first = line - inSight + 1;
    const RECT text = TextArea();
    const int width = text.right - text.left;
    const int x = CaretXOnLine(caret);
    int left = scrollX_;
    // As an edit control: a caret that leaves the view brings a quarter of a view with it.
    if (x < left) left = std::max(0, x - width / 4);
    if (x + CaretWidth() > left + width) left = x + CaretWidth() - width + width / 4;
    if (first != firstLine_) {
        firstLine_ = first;
        InvalidateRect(hwnd(), nullptr, FALSE);
    }
    if (left != scrollX_) {
        scrollX_ = std::max(0, left);
        InvalidateRect(hwnd(), nullptr, FALSE);
    }
    UpdateScrollBars();
    PlaceCaret();
}

// The system's caret, so that magnifiers and screen readers follow it.
void TextView::CreateSystemCaret() {
    CreateCaret(hwnd(), nullptr, CaretWidth(), lineHeight_);
    caretShown_ = false;
}

void TextView::PlaceCaret() {
    if (hwnd() == nullptr || GetFocus() != hwnd()) return;
    const POINT at = ClientPointOf(editor_.Caret());
    SetCaretPos(at.x, at.y);
    if (!caretShown_) {
        ShowCaret(hwnd());
        caretShown_ = true;
    }
}

void TextView::OnScroll(int bar, int code) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(hwnd(), bar, &info);
    const RECT text = TextArea();
    if (bar == SB_VERT) {
        const auto page = static_cast<std::ptrdiff_t>(WholeLinesInSight());
        auto first = static_cast<std::ptrdiff_t>(firstLine_);
        switch (code) {
            case SB_LINEUP:
                first -= 1;
                break;
            case SB_LINEDOWN:
                first += 1;
                break;
            case SB_PAGEUP:
                first -= page;
                break;
            case SB_PAGEDOWN:
                first += page;
                break;
            case SB_THUMBTRACK:
            case SB_THUMBPOSITION:
                first = info.nTrackPos;
                break;
            case SB_TOP:
                first = 0;
                break;
            case SB_BOTTOM:
                first = static_cast<std::ptrdiff_t>(editor_.Document().LineCount());
                break;
            default:
                return;
        }
        ScrollTo(static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, first)), scrollX_);
        return;
    }
    const int page = std::max<int>(1, text.right - text.left);
    int x = scrollX_;
    switch (code) {
        case SB_LINELEFT:
            x -= averageCharWidth_;
            break;
        case SB_LINERIGHT:
            x += averageCharWidth_;
            break;
        case SB_PAGELEFT:
            x -= page;
            break;
        case SB_PAGERIGHT:
            x += page;
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            x = info.nTrackPos;
            break;
        case SB_LEFT:
            x = 0;
            break;
        case SB_RIGHT:
            x = info.nMax;
            break;
        default:
            return;
    }
    ScrollTo(firstLine_, std::max(0, x));
}

void TextView::OnWheel(int delta, bool sideways) {
    int& rest = sideways ? sidewaysWheelRest_ : wheelRest_;
    rest += delta;
    const int notches = rest / WHEEL_DELTA;
    rest -= notches * WHEEL_DELTA;
    if (notches == 0) return;
    if (sideways) {
        UINT chars = 3;
        SystemParametersInfoW(SPI_GETWHEELSCROLLCHARS, 0, &chars, 0);
        // Up (or tilted left) shows what lies to the left.
        ScrollTo(firstLine_,
                 std::max(0, scrollX_ - notches * static_cast<int>(chars) * averageCharWidth_));
        return;
    }
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    const auto step = lines == WHEEL_PAGESCROLL ? static_cast<std::ptrdiff_t>(WholeLinesInSight())
                                                : static_cast<std::ptrdiff_t>(lines);
    const auto first = static_cast<std::ptrdiff_t>(firstLine_) - notches * step;
    ScrollTo(static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, first)), scrollX_);
}

}  // namespace talvex
