// The text view's look and place: metrics, painting what is in sight, the caret, the scroll
// bars and the wheel. Where things are is the viewport's to say.
#include <algorithm>
#include <utility>

#include "ui/contrast.h"
#include "ui/text_view.h"

namespace talvex {
namespace {

int CaretWidth() {
    DWORD width = 1;
    SystemParametersInfoW(SPI_GETCARETWIDTH, 0, &width, 0);
    return std::max<int>(1, static_cast<int>(width));
}

// Plain white, not the system window colour, with the system's text colour; under high
// contrast the system's window and text colours, as a pair (white on white would hide the
// text in the dark contrast themes).
struct TextColours {
    COLORREF back;
    COLORREF text;
};
TextColours ColoursFor(bool enabled) {
    const COLORREF text = GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT);
    if (HighContrastOn()) return TextColours{GetSysColor(COLOR_WINDOW), text};
    return TextColours{RGB(255, 255, 255), text};
}

void SetScrollBar(HWND hwnd, int bar, const ScrollRange& range, SCROLLINFO& shown) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    info.nMax = range.max;
    info.nPage = static_cast<UINT>(range.page);
    info.nPos = range.position;
    // Setting a bar costs a redraw of it, even unchanged.
    if (info.nMax == shown.nMax && info.nPage == shown.nPage && info.nPos == shown.nPos &&
        shown.cbSize != 0)
        return;
    SetScrollInfo(hwnd, bar, &info, TRUE);
    shown = info;
}

}  // namespace

void TextView::SetFont(HFONT font, bool redraw) {
    font_ = font != nullptr ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (!bufferDc_) return;
    bufferFont_.reset();
    bufferFont_.emplace(bufferDc_.get(), font_);
    TEXTMETRICW metrics{};
    GetTextMetricsW(bufferDc_.get(), &metrics);
    const int averageCharWidth = std::max<int>(1, metrics.tmAveCharWidth);
    viewport_.SetMetrics(metrics.tmHeight, averageCharWidth, CaretWidth());
    // An edit control keeps about this much room between its border and the text.
    margin_ = std::max(1, averageCharWidth / 3);
    shaper_.Forget();
    layout_.SetAverageCharWidth(averageCharWidth);
    if (hwnd() == nullptr) return;
    if (GetFocus() == hwnd()) CreateSystemCaret();
    UpdateArea();
    UpdateScrollBars();
    PlaceCaret();
    if (redraw) InvalidateRect(hwnd(), nullptr, FALSE);
}

RECT TextView::TextArea() const {
    const ViewArea& area = viewport_.Area();
    return RECT{area.left, area.top, area.right, area.bottom};
}

void TextView::OnSize() {
    UpdateArea();
    AfterViewMoved();
}

void TextView::UpdateArea() {
    RECT client{};
    GetClientRect(hwnd(), &client);
    const int left = static_cast<int>(client.left) + margin_;
    const int top = static_cast<int>(client.top) + 1;
    viewport_.SetArea(ViewArea{left, top, std::max(left, static_cast<int>(client.right) - margin_),
                               std::max(top, static_cast<int>(client.bottom))});
    // A larger view may show more than the last line allows.
    viewport_.ScrollTo(viewport_.FirstLine(), viewport_.ScrollX());
}

void TextView::AfterViewMoved() {
    InvalidateRect(hwnd(), nullptr, FALSE);
    UpdateScrollBars();
    PlaceCaret();
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

    const TextColours colours = ColoursFor(IsWindowEnabled(hwnd()) != FALSE);
    SetDCBrushColor(dc, colours.back);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    SetBkColor(dc, colours.back);
    SetTextColor(dc, colours.text);
    const RECT text = TextArea();
    const std::size_t lines = editor_.Document().LineCount();
    const int lineHeight = viewport_.LineHeight();
    int top = text.top;
    for (std::size_t line = viewport_.FirstLine(); line < lines && top < text.bottom; ++line) {
        PaintLine(line, top, text);
        top += lineHeight;
    }
    BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, dc,
           area.left, area.top, SRCCOPY);
}

void TextView::PaintLine(std::size_t line, int top, const RECT& text) {
    RECT band{text.left, top, text.right,
              std::min<LONG>(top + viewport_.LineHeight(), text.bottom)};
    // As in an edit control, the selection shows only while the view has the keyboard.
    const bool focused = GetFocus() == hwnd();
    const std::size_t from = focused ? editor_.SelectionStart() : 0;
    const std::size_t to = focused ? editor_.SelectionEnd() : 0;
    const int left = viewport_.LineLeft();
    const int scrollX = viewport_.ScrollX();
    const std::vector<LinePiece> pieces =
        layout_.PiecesBetween(line, scrollX, scrollX + (text.right - text.left));
    for (const LinePiece& piece : pieces) shaper_.Draw(piece, left + piece.x, top, band, from, to);

    // A selected line break shows as a small band after the line's text.
    const TextDocument& document = editor_.Document();
    const std::size_t end = document.LineEnd(line);
    const bool emptyLine = document.LineLength(line) == 0;
    const bool endInSight = !pieces.empty() && pieces.back().start + pieces.back().length == end;
    if (from <= end && to > end && line + 1 < document.LineCount() && (emptyLine || endInSight)) {
        const int x = emptyLine ? left : left + pieces.back().x + pieces.back().width;
        RECT mark{x, band.top, x + viewport_.AverageCharWidth(), band.bottom};
        IntersectRect(&mark, &mark, &band);
        FillRect(bufferDc_.get(), &mark, GetSysColorBrush(COLOR_HIGHLIGHT));
    }
}

void TextView::UpdateScrollBars() {
    if (hwnd() == nullptr) return;
    SetScrollBar(hwnd(), SB_VERT, viewport_.VerticalRange(), shownVertical_);
    SetScrollBar(hwnd(), SB_HORZ, viewport_.HorizontalRange(), shownHorizontal_);
}

// The system's caret, so that magnifiers and screen readers follow it.
void TextView::CreateSystemCaret() {
    CreateCaret(hwnd(), nullptr, CaretWidth(), viewport_.LineHeight());
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

void TextView::OnScroll(ScrollBar bar, WPARAM wp) {
    const WORD code = LOWORD(wp);
    if (code == SB_THUMBTRACK || code == SB_THUMBPOSITION) {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        GetScrollInfo(hwnd(), bar == ScrollBar::Vertical ? SB_VERT : SB_HORZ, &info);
        const int thumb = ThumbTarget(info.nTrackPos, HIWORD(wp));
        if (viewport_.Scroll(bar, ScrollAction::Thumb, thumb)) AfterViewMoved();
        return;
    }
    // The horizontal bar's codes (SB_LINELEFT...) are the vertical one's.
    static constexpr std::pair<WORD, ScrollAction> kActions[] = {
        {SB_LINEUP, ScrollAction::LineBack}, {SB_LINEDOWN, ScrollAction::LineForward},
        {SB_PAGEUP, ScrollAction::PageBack}, {SB_PAGEDOWN, ScrollAction::PageForward},
        {SB_TOP, ScrollAction::Start},       {SB_BOTTOM, ScrollAction::End},
    };
    for (const auto& [asked, action] : kActions) {
        if (asked == code) {
            if (viewport_.Scroll(bar, action, 0)) AfterViewMoved();
            return;
        }
    }
}

void TextView::OnWheel(int delta, bool sideways) {
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    UINT chars = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLCHARS, 0, &chars, 0);
    const int linesPerNotch = lines == WHEEL_PAGESCROLL ? 0 : static_cast<int>(lines);
    if (viewport_.Wheel(delta, sideways, linesPerNotch, static_cast<int>(chars))) AfterViewMoved();
}

}  // namespace talvex
