#include "ui/tools_panel.h"

#include "ui/layout.h"

namespace talvex {

RECT ToolsPanelOnForm::Text1Place(UINT dpi) const {
    layout::TwipsRect place = layout::kText1;
    if (open_) place.height = layout::kText1HeightToolsShown;
    return layout::ToPixels(place, dpi);
}

void ToolsPanelOnForm::Show(bool open) {
    open_ = open;
    // Enabled before they show, disabled once covered: never a grey button in sight.
    if (open) {
        for (HWND tool : tools_) EnableWindow(tool, TRUE);
    }
    UINT dpi = GetDpiForWindow(text1_);
    if (dpi == 0) dpi = 96;
    const RECT place = Text1Place(dpi);
    SetWindowPos(text1_, nullptr, place.left, place.top, place.right - place.left,
                 place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (open) return;
    // A covered button takes no keys: the keyboard goes to the box that covers it.
    for (HWND tool : tools_) {
        if (GetFocus() == tool) SetFocus(text1_);
        EnableWindow(tool, FALSE);
    }
}

}  // namespace talvex
