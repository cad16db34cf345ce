#include "ui/window_mover.h"

namespace talvex {

bool WindowMover::HandleMessage(UINT msg, WPARAM wp, LPARAM, LRESULT* result) {
    *result = 0;
    switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            // The background is the title bar: the system moves the window with the pointer.
            ReleaseCapture();
            SendMessageW(window_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
            return true;
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
            // The system's move loop ends only when the left button comes up; with the right
            // or middle button the window would stick to the pointer after the release. Those
            // two move it here, until their own release.
            StartDrag(msg == WM_MBUTTONDOWN || msg == WM_MBUTTONDBLCLK ? MK_MBUTTON : MK_RBUTTON);
            return true;
        case WM_MOUSEMOVE:
            if (dragButton_ == 0) return false;
            if ((wp & dragButton_) == 0) {
                ReleaseCapture();  // let go outside our sight
            } else {
                POINT at{};
                GetCursorPos(&at);
                SetWindowPos(window_, nullptr, at.x - dragOffset_.x, at.y - dragOffset_.y, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
            return true;
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            if (dragButton_ == 0) return false;
            ReleaseCapture();
            return true;  // the end of a move, not a click: no context menu
        case WM_CAPTURECHANGED:
            dragButton_ = 0;
            return false;
        default:
            return false;
    }
}

void WindowMover::StartDrag(WPARAM button) {
    POINT at{};
    GetCursorPos(&at);
    RECT r{};
    GetWindowRect(window_, &r);
    dragOffset_ = POINT{at.x - r.left, at.y - r.top};
    dragButton_ = button;
    SetCapture(window_);
}

}  // namespace talvex
