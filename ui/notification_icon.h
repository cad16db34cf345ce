// The program's icon in the notification area, with the hidden window Picture1 that hears its
// mouse messages. The icon is added again when the taskbar starts anew, and taken away when
// the object goes.
#pragma once

#include <windows.h>

#include <functional>

#include "ui/window.h"

namespace talvex {

class NotificationIcon : public Window<NotificationIcon> {
  public:
    static constexpr wchar_t kReceiverClassName[] = L"TalvexPress.Picture1";
    static constexpr UINT kId = 1;
    // The icon reports its mouse events to Picture1 as this message (WM_MOUSEMOVE), the mouse
    // message's number in the low word of lParam, where a mouse move carries X.
    static constexpr UINT kCallbackMessage = 0x200;
    // Told of each mouse message over the icon (WM_LBUTTONDOWN, WM_RBUTTONDOWN...).
    using Listener = std::function<void(UINT mouseMessage)>;

    NotificationIcon() = default;
    ~NotificationIcon();

    // Makes Picture1: child `id` of `parent` at `bounds`, never shown.
    bool Create(HINSTANCE instance, HWND parent, int id, const RECT& bounds, Listener listener);

    // Adds the icon: the application icon at the small-icon size, the tip "Talvex Press 1.0".
    // False when the notification area refused it.
    bool Add();
    // True when the notification area holds the icon right now.
    bool Present() const;
    // Takes it away. Harmless when it is not there.
    void Remove();
    // The taskbar started again (after Explorer crashed, say) and forgot every icon: an icon
    // that was added is added anew.
    void OnTaskbarCreated();

    // The message the taskbar broadcasts to top-level windows when it starts again.
    static UINT TaskbarCreatedMessage();

  private:
    friend class Window<NotificationIcon>;
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);

    Listener listener_;
    bool added_ = false;  // the program wants it shown
};

}  // namespace talvex
