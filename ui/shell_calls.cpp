#include "ui/shell_calls.h"

#include <objbase.h>

#include <cwchar>

namespace talvex {
namespace {

using ShellNotifyIconFn = BOOL(WINAPI*)(DWORD, NOTIFYICONDATAW*);
using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, const wchar_t*, const wchar_t*, const wchar_t*,
                                          const wchar_t*, INT);
using CoInitializeExFn = HRESULT(WINAPI*)(void*, DWORD);

// A function of a system DLL, or null. The DLL stays loaded for the rest of the run. It is
// named by its full path in the system directory, so no copy elsewhere is ever picked up
// (and no flag is needed that older systems lack).
template <typename Fn>
Fn SystemFunction(const wchar_t* dll, const char* name) {
    wchar_t path[MAX_PATH];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length + 1 + wcslen(dll) >= MAX_PATH) return nullptr;
    path[length] = L'\\';
    wcscpy(path + length + 1, dll);
    HMODULE module = LoadLibraryW(path);
    if (module == nullptr) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

void InitializeComForShell() {
    // Once per thread; the shell may hand the work to COM objects of this apartment.
    thread_local bool done = false;
    if (done) return;
    done = true;
    static const auto coInitializeEx =
        SystemFunction<CoInitializeExFn>(L"ole32.dll", "CoInitializeEx");
    if (coInitializeEx != nullptr)
        coInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
}

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
    InitializeComForShell();
    return shellExecute(owner, verb, file, parameters, directory, show);
}

}  // namespace talvex
