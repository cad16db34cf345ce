// A procedure of ours in front of a control's own (the system's subclassing), removed when the
// object goes or the control is destroyed, whichever comes first. Its messages run behind the
// event boundary; what the handler does not take goes on with Subclass::Next.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <exception>
#include <functional>
#include <utility>

#include "ui/event_boundary.h"

namespace talvex {

class Subclass {
  public:
    using Handler = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

    Subclass() = default;
    ~Subclass() { Detach(); }
    Subclass(const Subclass&) = delete;
    Subclass& operator=(const Subclass&) = delete;

    bool Attach(HWND hwnd, Handler handler) {
        Detach();
        handler_ = std::move(handler);
        // The object's address tells its subclass apart from any other on the same control.
        if (!SetWindowSubclass(hwnd, Procedure, reinterpret_cast<UINT_PTR>(this), 0)) return false;
        hwnd_ = hwnd;
        return true;
    }
    void Detach() {
        if (hwnd_ != nullptr)
            RemoveWindowSubclass(hwnd_, Procedure, reinterpret_cast<UINT_PTR>(this));
        hwnd_ = nullptr;
    }
    HWND hwnd() const { return hwnd_; }

    // The control's own handling of a message.
    static LRESULT Next(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        return DefSubclassProc(hwnd, msg, wp, lp);
    }

  private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                      DWORD_PTR) {
        auto* self = reinterpret_cast<Subclass*>(id);
        if (msg == WM_NCDESTROY) {
            self->Detach();
            return DefSubclassProc(hwnd, msg, wp, lp);
        }
        try {
            return self->handler_(hwnd, msg, wp, lp);
        } catch (...) {
            ReportFailure(GetAncestor(hwnd, GA_ROOT), std::current_exception());
            return 0;
        }
    }

    HWND hwnd_ = nullptr;
    Handler handler_;
};

}  // namespace talvex
