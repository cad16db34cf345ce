#include "ui/focus_navigator.h"

#include <utility>

namespace talvex {
namespace {

bool CtrlDown() { return (GetKeyState(VK_CONTROL) & 0x8000) != 0; }

bool IsPlainTab(const MSG* m) {
    return m != nullptr && m->message == WM_KEYDOWN && m->wParam == VK_TAB && !CtrlDown();
}

}  // namespace

void FocusNavigator::Attach(HWND window, std::vector<HWND> order, HWND firstStop) {
    window_ = window;
    firstStop_ = firstStop;
    order_ = std::move(order);
    tabKeys_.clear();
    for (HWND control : order_) {
        auto keys = std::make_unique<Subclass>();
        keys->Attach(control, [this](HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
            switch (msg) {
                case WM_GETDLGCODE: {
                    LRESULT code = Subclass::Next(hwnd, msg, wp, lp);
                    if (IsPlainTab(reinterpret_cast<const MSG*>(lp))) code |= DLGC_WANTTAB;
                    return code;
                }
                case WM_KEYDOWN:
                    if (wp == VK_TAB && !CtrlDown()) {
                        Move((GetKeyState(VK_SHIFT) & 0x8000) != 0);
                        return 0;
                    }
                    break;
                case WM_CHAR:
                    // The Tab moved the focus; no tab is typed.
                    if (wp == L'\t' && !CtrlDown()) return 0;
                    break;
                default:
                    break;
            }
            return Subclass::Next(hwnd, msg, wp, lp);
        });
        tabKeys_.push_back(std::move(keys));
    }
}

void FocusNavigator::Focus(HWND control) {
    SetFocus(control);
    // As in a dialog: a text box reached by the keyboard has its text selected.
    if (SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
        SendMessageW(control, EM_SETSEL, 0, -1);
}

void FocusNavigator::Move(bool backwards) {
    const int count = static_cast<int>(order_.size());
    HWND focus = GetFocus();
    int at = -1;
    for (int i = 0; i < count; ++i) {
        if (order_[i] == focus || IsChild(order_[i], focus)) at = i;
    }
    for (int step = 1; step <= count; ++step) {
        const int i = at < 0 ? (backwards ? count - step : step - 1)
                             : (at + (backwards ? -step : step) + count) % count;
        // Covered controls (the tool buttons of a closed panel) are disabled, so passed over.
        if (!IsWindowVisible(order_[i]) || !IsWindowEnabled(order_[i])) continue;
        Focus(order_[i]);
        return;
    }
}

bool FocusNavigator::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    *result = 0;
    switch (msg) {
        case WM_NEXTDLGCTL:
            if (LOWORD(lp) != 0) {
                Focus(reinterpret_cast<HWND>(wp));
            } else {
                Move(wp != 0);
            }
            return true;
        case WM_ACTIVATE:
            if (LOWORD(wp) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus != nullptr && IsChild(window_, focus)) lastFocus_ = focus;
                return true;
            }
            // Back to where the keyboard was, or to the first stop.
            if (HIWORD(wp) == 0) {
                const bool back = lastFocus_ != nullptr && IsWindow(lastFocus_) &&
                                  IsChild(window_, lastFocus_) && IsWindowEnabled(lastFocus_);
                SetFocus(back ? lastFocus_ : firstStop_);
            }
            return true;
        default:
            return false;
    }
}

}  // namespace talvex
