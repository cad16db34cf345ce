// Moves a window by its background: a press of any mouse button on the window's own surface
// (not on a control) drags it until that button comes up.
#pragma once

#include <windows.h>

namespace talvex {

class WindowMover {
  public:
    explicit WindowMover(HWND window = nullptr) : window_(window) {}
    void Attach(HWND window) { window_ = window; }

    // Handles the window's mouse messages that move it; false for every other message.
    bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);

  private:
    void StartDrag(WPARAM button);

    HWND window_ = nullptr;
    WPARAM dragButton_ = 0;  // MK_RBUTTON or MK_MBUTTON while that button moves the window
    POINT dragOffset_{};     // the pointer from the window's top-left corner
};

}  // namespace talvex
