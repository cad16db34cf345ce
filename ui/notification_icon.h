// The program's icon in the notification area, with the hidden window Picture1 that hears its
// mouse messages. The icon is added again when the taskbar starts anew, and taken away when
// the object goes.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <optional>

#include "ui/window.h"

namespace talvex {

class NotificationIcon : public Window<NotificationIcon> {
  public:
    static constexpr wchar_t kReceiverClassName[] = L"TalvexPress.Picture1";
    static constexpr UINT kId = 1;
    // The icon reports its events to Picture1 as this message (WM_MOUSEMOVE), the event's
    // number in the low word of lParam, where a mouse move carries X.
    static constexpr UINT kCallbackMessage = 0x200;
    // The icon's name for Shell_NotifyIcon: its id on the window that receives its events.
    static NOTIFYICONDATAW Record(HWND receiver);

    // One event of the icon.
    struct Event {
        // WM_LBUTTONDOWN, WM_RBUTTONDOWN and the other mouse messages; with version 4 also
        // WM_CONTEXTMENU (the menu key, Shift+F10, or after a right click), NIN_SELECT and
        // NIN_KEYSELECT (Enter or Space on the icon).
        UINT message = 0;
        // Where the icon is on screen (its top-left corner when the keyboard acted), for the
        // events that carry it.
        std::optional<POINT> anchor;
    };
    // The callback message's parameters read in either shape. Version 4: the event in the
    // low word of lParam, the icon's id in its high word, the anchor point in wParam. Before
    // it: the whole of lParam is the mouse message and wParam the id. Our id is not 0, so the
    // high word tells one shape from the other, whatever the notification area agreed to.
    static Event Decode(WPARAM wp, LPARAM lp);

    // Told of each event of the icon.
    using Listener = std::function<void(const Event&)>;

    NotificationIcon() = default;
    ~NotificationIcon();

    // Makes Picture1: child `id` of `parent` at `bounds`, never shown.
    bool Create(HINSTANCE instance, HWND parent, int id, const RECT& bounds, Listener listener);

    // Adds the icon: the application icon at the small-icon size, the tip "Talvex Press 1.0",
    // and asks for version 4 of the icon's messages, for keyboard users. False when the
    // notification area refused the icon.
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
