#include "ui/shell_calls.h"

#include "platform/system_library.h"

namespace talvex {
namespace {

using ShellNotifyIconFn = BOOL(WINAPI*)(DWORD, NOTIFYICONDATAW*);
using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, const wchar_t*, const wchar_t*, const wchar_t*,
                                          const wchar_t*, INT);

}  // namespace

BOOL CallShellNotifyIcon(DWORD message, NOTIFYICONDATAW* data) {
    static const auto notifyIcon =
        SystemFunction<ShellNotifyIconFn>(L"shell32.dll", "Shell_NotifyIconW");
    return notifyIcon != nullptr ? notifyIcon(message, data) : FALSE;
}

HINSTANCE CallShellExecute(HWND owner, const wchar_t* verb, const wchar_t* file,
                           const wchar_t* parameters, const wchar_t* directory, int show) {
    static const auto shellExecute =
        SystemFunction<ShellExecuteFn>(L"shell32.dll", "ShellExecuteW");
    if (shellExecute == nullptr) return reinterpret_cast<HINSTANCE>(SE_ERR_DLLNOTFOUND);
    InitializeComOnThisThread();
    return shellExecute(owner, verb, file, parameters, directory, show);
}

}  // namespace talvex
