// The one way a window of the program is bound to its C++ object: `this` is stored at
// WM_NCCREATE, the handle is kept (and cleared at WM_NCDESTROY), and every message runs behind
// the event boundary, so no exception ever reaches Windows.
//
//   class FramePlus : public Window<FramePlus> {
//       friend class Window<FramePlus>;
//       LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);  // DefWindowProc for the rest
//   };
#pragma once

#include <windows.h>

#include <exception>

#include "platform/gdi_guards.h"
#include "ui/event_boundary.h"

namespace talvex {

template <typename Derived>
class Window {
  public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND hwnd() const { return hwnd_; }

  protected:
    // Destroys the window if it is still there; its NCDESTROY finds no object any more.
    ~Window() {
        if (hwnd_ == nullptr) return;
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }

    // Registers the class `name` once per process, with this class's window procedure.
    static bool RegisterClassOnce(HINSTANCE instance, const wchar_t* name, WNDCLASSEXW wc) {
        WNDCLASSEXW existing{};
        existing.cbSize = sizeof existing;
        if (GetClassInfoExW(instance, name, &existing)) return true;
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = Procedure;
        wc.hInstance = instance;
        wc.lpszClassName = name;
        return RegisterClassExW(&wc) != 0;
    }

    // Creates the window bound to this object; hwnd() is set by the time it returns.
    HWND CreateBound(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style,
                     const RECT& bounds, HWND parent, HMENU menuOrId, HINSTANCE instance) {
        CreateWindowExW(exStyle, className, title, style, bounds.left, bounds.top,
                        bounds.right - bounds.left, bounds.bottom - bounds.top, parent, menuOrId,
                        instance, static_cast<Derived*>(this));
        return hwnd_;
    }

    // The answer given for a message whose handler failed (after the user was told).
    static LRESULT AnswerAfterFailure(UINT) { return 0; }

    // One paint routine serves WM_PAINT and WM_PRINTCLIENT: `paint(dc, area)`. False for
    // every other message.
    template <typename Paint>
    bool HandlePaint(UINT msg, WPARAM wp, Paint&& paint) {
        if (msg == WM_PAINT) {
            PaintDc dc(hwnd_);
            paint(dc.get(), dc.area());
            return true;
        }
        if (msg == WM_PRINTCLIENT) {
            RECT client{};
            GetClientRect(hwnd_, &client);
            paint(reinterpret_cast<HDC>(wp), client);
            return true;
        }
        return false;
    }

  private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_NCCREATE) {
            auto* self =
                static_cast<Derived*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
            static_cast<Window*>(self)->hwnd_ = hwnd;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        }
        auto* self = reinterpret_cast<Derived*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
        LRESULT result = 0;
        try {
            result = self->HandleMessage(msg, wp, lp);
        } catch (...) {
            ReportFailure(GetAncestor(hwnd, GA_ROOT), std::current_exception());
            result = Derived::AnswerAfterFailure(msg);
        }
        if (msg == WM_NCDESTROY) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            static_cast<Window*>(self)->hwnd_ = nullptr;
        }
        return result;
    }

    HWND hwnd_ = nullptr;
};

}  // namespace talvex
