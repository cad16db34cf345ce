#include "ui/text_view_automation_view.h"

#include <algorithm>

#include "ui/text_view.h"
#include "ui/text_view_automation.h"

namespace talvex {

TextViewAutomation* AutomationView::ProviderOf(TextView& view) {
    if (!view.automation_) view.automation_.reset(TextViewAutomation::Create(view));
    return view.automation_.get();
}

TextView* AutomationView::ViewOf(HWND window) {
    wchar_t name[64] = {};
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() || GetClassNameW(window, name, 64) == 0 ||
        wcscmp(name, TextView::kClassName) != 0)
        return nullptr;
    // The window's object, as the window base binds it at WM_NCCREATE.
    return reinterpret_cast<TextView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

HWND AutomationView::Window() const { return view_->hwnd(); }
const TextDocument& AutomationView::Document() const { return view_->editor_.Document(); }
std::size_t AutomationView::Anchor() const { return view_->editor_.Anchor(); }
std::size_t AutomationView::Caret() const { return view_->editor_.Caret(); }
HFONT AutomationView::Font() const { return view_->font_; }

TextUnits AutomationView::Units() const {
    return TextUnits(Document(), view_->FirstLineInSight(),
                     static_cast<std::size_t>(view_->WholeLinesInSight()));
}

void AutomationView::Select(std::size_t anchor, std::size_t caret) {
    view_->editor_.Select(anchor, caret);
    view_->AfterCommand();
}

void AutomationView::ReplaceAll(std::u16string_view text) {
    view_->editor_.SelectAll();
    view_->editor_.ReplaceSelection(text);
    view_->AfterCommand();
}

void AutomationView::ScrollIntoView(TextSpan span, bool alignToTop) {
    const std::size_t position = alignToTop ? span.start : span.end;
    // A span that ends where a line starts has its last character on the line before.
    const std::size_t line =
        Document().LineOfPosition(alignToTop || span.Empty() ? span.start : span.end - 1);
    const auto inSight = static_cast<std::size_t>(view_->WholeLinesInSight());
    const std::size_t first = alignToTop ? line : (line + 1 > inSight ? line + 1 - inSight : 0);
    const RECT area = TextArea();
    const int width = area.right - area.left;
    Viewport& viewport = view_->viewport_;
    const int x = viewport.CaretXOnLine(position);
    int left = viewport.ScrollX();
    // As for the caret: a position out of sight comes in with a quarter of a view before it.
    if (x < left || x >= left + width) left = std::max(0, x - width / 4);
    if (viewport.ScrollTo(first, left)) view_->AfterViewMoved();
}

RECT AutomationView::TextArea() const { return view_->TextArea(); }
int AutomationView::LineHeight() const { return view_->viewport_.LineHeight(); }
int AutomationView::BreakWidth() const { return view_->viewport_.AverageCharWidth(); }
std::size_t AutomationView::FirstLineInSight() const { return view_->FirstLineInSight(); }

std::size_t AutomationView::LinesInSight() const {
    const RECT area = TextArea();
    const int height = std::max<int>(0, area.bottom - area.top);
    return static_cast<std::size_t>((height + LineHeight() - 1) / LineHeight());
}

long AutomationView::LineTop(std::size_t line) const {
    const long long row =
        static_cast<long long>(line) - static_cast<long long>(view_->FirstLineInSight());
    return static_cast<long>(
        std::clamp<long long>(TextArea().top + row * LineHeight(), -0x3FFFFFFF, 0x3FFFFFFF));
}

long AutomationView::XOf(std::size_t position) { return view_->ClientPointOf(position).x; }

std::size_t AutomationView::PositionAt(POINT client) { return view_->PositionAt(client); }

}  // namespace talvex
