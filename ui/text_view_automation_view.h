// What the text view's UI Automation provider reaches of the view: its text and selection,
// the lines in sight and where each position is drawn, and the few commands a reader gives
// (select, scroll, replace the text). The one place outside the view that knows how it keeps
// its viewport, so that the provider does not.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string_view>

#include "editing/text_document.h"
#include "editing/text_units.h"

namespace talvex {

class TextView;
class TextViewAutomation;

class AutomationView {
  public:
    explicit AutomationView(TextView& view) : view_(&view) {}

    // The provider of `view`, made on first use and kept by the view until its window goes;
    // null without the automation runtime or the memory for it.
    static TextViewAutomation* ProviderOf(TextView& view);
    // The text view of this process whose window is `window`, or null.
    static TextView* ViewOf(HWND window);

    HWND Window() const;
    const TextDocument& Document() const;
    std::size_t Anchor() const;
    std::size_t Caret() const;
    HFONT Font() const;
    // The units of text as the view shows it now: a page is the whole lines in sight.
    TextUnits Units() const;

    // A reader's commands: select (and bring the caret into sight), replace the whole text as
    // one undoable step, bring a span into sight (its first line at the top, or its last line
    // at the bottom).
    void Select(std::size_t anchor, std::size_t caret);
    void ReplaceAll(std::u16string_view text);
    void ScrollIntoView(TextSpan span, bool alignToTop);

    // Where things are, in client pixels.
    RECT TextArea() const;
    int LineHeight() const;
    int BreakWidth() const;  // what a selected line break shows as
    std::size_t FirstLineInSight() const;
    std::size_t LinesInSight() const;  // the last one in part, too
    // Client y of the top of `line` (above the text area for a line above the view).
    long LineTop(std::size_t line) const;
    // Client x of the caret standing at `position`.
    long XOf(std::size_t position);
    // The position nearest to a client point, on the line under it.
    std::size_t PositionAt(POINT client);

  private:
    TextView* view_;
};

}  // namespace talvex
