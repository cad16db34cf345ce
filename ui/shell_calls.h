// The shell's two calls the program makes, with shell32 (and ole32, for the shell's COM)
// loaded the first time one is made. Both are needed only once the window is on screen, so
// start-up does not pay for mapping them and everything they pull in.
#pragma once

#include <windows.h>
#include <shellapi.h>

namespace talvex {

// Shell_NotifyIconW. FALSE, as for a refusal, when shell32 cannot be loaded.
BOOL CallShellNotifyIcon(DWORD message, NOTIFYICONDATAW* data);

// ShellExecuteW, with COM initialised on the calling thread first (single-threaded, no OLE1
// DDE, as the shell asks) and left so for the rest of the run. SE_ERR_DLLNOTFOUND when
// shell32 cannot be loaded.
HINSTANCE CallShellExecute(HWND owner, const wchar_t* verb, const wchar_t* file,
                           const wchar_t* parameters, const wchar_t* directory, int show);

}  // namespace talvex
