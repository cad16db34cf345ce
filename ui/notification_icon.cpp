#include "ui/notification_icon.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cwchar>
#include <iterator>

#include "platform/unique_handle.h"
#include "resources/resource_ids.h"
#include "ui/shell_calls.h"
#include "ui/texts.h"

namespace talvex {
namespace {

// The taskbar wants the small icon; a 32-pixel image squeezed into 16 looks blurred.
UniqueIcon LoadSmallAppIcon(HINSTANCE instance) {
    HICON icon = nullptr;
    if (FAILED(LoadIconMetric(instance, MAKEINTRESOURCEW(IDI_TALVEX), LIM_SMALL, &icon))) {
        icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_TALVEX), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    }
    return UniqueIcon(icon);
}

}  // namespace

NOTIFYICONDATAW NotificationIcon::Record(HWND receiver) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = receiver;
    data.uID = kId;
    return data;
}

NotificationIcon::~NotificationIcon() { Remove(); }

bool NotificationIcon::Create(HINSTANCE instance, HWND parent, int id, const RECT& bounds,
                              Listener listener) {
    listener_ = std::move(listener);
    WNDCLASSEXW wc{};
    wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    if (!RegisterClassOnce(instance, kReceiverClassName, wc)) return false;
    return CreateBound(0, kReceiverClassName, L"", WS_CHILD, bounds, parent,
                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance) != nullptr;
}

bool NotificationIcon::Add() {
    if (hwnd() == nullptr) return false;
    added_ = true;
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd(), GWLP_HINSTANCE));
    const UniqueIcon icon = LoadSmallAppIcon(instance);
    NOTIFYICONDATAW data = Record(hwnd());
    // Version 4 hides the plain tip unless asked for it.
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
    data.uCallbackMessage = kCallbackMessage;
    data.hIcon = icon.get();
    wcsncpy(data.szTip, texts::kTitle, std::size(data.szTip) - 1);
    // The notification area keeps its own copy of the picture; ours goes at the end.
    if (!CallShellNotifyIcon(NIM_ADD, &data)) return false;
    // Asked after every add: the version belongs to the icon, which a restarted taskbar
    // forgot. Without it, Enter or Space on the icon arrives as a right click and the menu
    // opens wherever the pointer happens to be. A refusal leaves the old messages, which
    // Decode reads as well.
    NOTIFYICONDATAW version = Record(hwnd());
    version.uVersion = NOTIFYICON_VERSION_4;
    CallShellNotifyIcon(NIM_SETVERSION, &version);
    return true;
}

bool NotificationIcon::Present() const {
    if (hwnd() == nullptr) return false;
    // Changing nothing succeeds only for an icon that exists. The tip's flag goes along, so
    // that no notification area takes its absence for a change.
    NOTIFYICONDATAW data = Record(hwnd());
    data.uFlags = NIF_SHOWTIP;
    return CallShellNotifyIcon(NIM_MODIFY, &data) != FALSE;
}

void NotificationIcon::Remove() {
    if (!added_ || hwnd() == nullptr) return;
    added_ = false;
    NOTIFYICONDATAW data = Record(hwnd());
    CallShellNotifyIcon(NIM_DELETE, &data);
}

void NotificationIcon::OnTaskbarCreated() {
    // Told twice (by the window and by its owner), the second add fails harmlessly.
    if (added_) Add();
}

UINT NotificationIcon::TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

NotificationIcon::Event NotificationIcon::Decode(WPARAM wp, LPARAM lp) {
    Event event;
    if (HIWORD(lp) != kId) {
        event.message = static_cast<UINT>(lp);
        return event;
    }
    event.message = LOWORD(lp);
    // wParam means nothing for the other events (balloons, pop-up closing).
    const bool placed = (event.message >= WM_MOUSEFIRST && event.message <= WM_MOUSELAST) ||
                        event.message == WM_CONTEXTMENU || event.message == NIN_SELECT ||
                        event.message == NIN_KEYSELECT || event.message == NIN_POPUPOPEN;
    // Signed: a monitor left of or above the main one has negative coordinates.
    if (placed) event.anchor = POINT{GET_X_LPARAM(wp), GET_Y_LPARAM(wp)};
    return event;
}

LRESULT NotificationIcon::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kCallbackMessage) {
        if (listener_) listener_(Decode(wp, lp));
        return 0;
    }
    return DefWindowProcW(hwnd(), msg, wp, lp);
}

}  // namespace talvex
