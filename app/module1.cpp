#include "app/module1.h"

#include <shellapi.h>

#include <cwchar>

#include "clipboard/ports.h"

namespace talvex {

void AddTrayIcon(HWND picture1, HICON icon) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = picture1;
    data.uID = kTrayIconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = icon;
    wcsncpy(data.szTip, reinterpret_cast<const wchar_t*>(kTitle), std::size(data.szTip) - 1);
    Shell_NotifyIconW(NIM_ADD, &data);
}

void RemoveTrayIcon(HWND picture1) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = picture1;
    data.uID = kTrayIconId;
    Shell_NotifyIconW(NIM_DELETE, &data);
}

}  // namespace talvex
