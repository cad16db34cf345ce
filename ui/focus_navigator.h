// Where the keyboard goes in the window: Tab and Shift+Tab follow the window's own tab order
// (the dialog manager alone would go frame by frame, in stacking order), a control reached by
// the keyboard is focused as in a dialog, and the focus comes back where it was when the
// window is activated again.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "ui/subclass.h"

namespace talvex {

class FocusNavigator {
  public:
    // `order` is the tab order; disabled and hidden controls are passed over. Tab and
    // Shift+Tab pressed in any of them go to `window`, as WM_NEXTDLGCTL.
    void Attach(HWND window, std::vector<HWND> order, HWND firstStop);

    // WM_NEXTDLGCTL and WM_ACTIVATE; false for every other message.
    bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);

    // Gives `control` the keyboard; a text box reached so has its text selected.
    static void Focus(HWND control);

  private:
    void Move(bool backwards);

    HWND window_ = nullptr;
    HWND firstStop_ = nullptr;  // where the keyboard starts
    std::vector<HWND> order_;
    std::vector<std::unique_ptr<Subclass>> tabKeys_;
    HWND lastFocus_ = nullptr;  // the control to give the keyboard back to on activation
};

}  // namespace talvex
