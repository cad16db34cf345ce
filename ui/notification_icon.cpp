#include "ui/notification_icon.h"

#include <commctrl.h>

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

// The icon's name: its id on Picture1.
NOTIFYICONDATAW IconRecord(HWND receiver) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = receiver;
    data.uID = NotificationIcon::kId;
    return data;
}

}  // namespace

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
    NOTIFYICONDATAW data = IconRecord(hwnd());
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kCallbackMessage;
    data.hIcon = icon.get();
    wcsncpy(data.szTip, texts::kTitle, std::size(data.szTip) - 1);
    // The notification area keeps its own copy of the picture; ours goes at the end.
    return CallShellNotifyIcon(NIM_ADD, &data) != FALSE;
}

bool NotificationIcon::Present() const {
    if (hwnd() == nullptr) return false;
    // Changing nothing succeeds only for an icon that exists.
    NOTIFYICONDATAW data = IconRecord(hwnd());
    return CallShellNotifyIcon(NIM_MODIFY, &data) != FALSE;
}

void NotificationIcon::Remove() {
    if (!added_ || hwnd() == nullptr) return;
    added_ = false;
    NOTIFYICONDATAW data = IconRecord(hwnd());
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

LRESULT NotificationIcon::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kCallbackMessage) {
        // Taken as a mouse move, X is the number of the mouse message over the icon.
        if (listener_) listener_(static_cast<UINT>(LOWORD(lp)));
        return 0;
    }
    return DefWindowProcW(hwnd(), msg, wp, lp);
}

}  // namespace talvex
