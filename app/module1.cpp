#include "app/module1.h"

#include <commctrl.h>

#include <cwchar>
#include <iterator>

#include "ui/shell_calls.h"
#include "ui/texts.h"
#include "platform/unique_handle.h"
#include "resources/resource_ids.h"

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

NOTIFYICONDATAW IconRecord(HWND picture1) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = picture1;
    data.uID = kTrayIconId;
    return data;
}

}  // namespace

bool AddTrayIcon(HWND picture1) {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(picture1, GWLP_HINSTANCE));
    const UniqueIcon icon = LoadSmallAppIcon(instance);
    NOTIFYICONDATAW data = IconRecord(picture1);
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = icon.get();
    wcsncpy(data.szTip, texts::kTitle, std::size(data.szTip) - 1);
    // The notification area keeps its own copy of the picture; ours goes at the end.
    return CallShellNotifyIcon(NIM_ADD, &data) != FALSE;
}

bool TrayIconPresent(HWND picture1) {
    // Changing nothing succeeds only for an icon that exists.
    NOTIFYICONDATAW data = IconRecord(picture1);
    return CallShellNotifyIcon(NIM_MODIFY, &data) != FALSE;
}

void RemoveTrayIcon(HWND picture1) {
    NOTIFYICONDATAW data = IconRecord(picture1);
    CallShellNotifyIcon(NIM_DELETE, &data);
}

UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

}  // namespace talvex
