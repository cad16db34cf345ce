// Module1: the notification-area icon.
#pragma once

#include <windows.h>

namespace talvex {

inline constexpr UINT kTrayIconId = 1;
// The icon reports its mouse events to Picture1 as this message, the mouse message's
// number in the low word of lParam.
inline constexpr UINT kTrayCallbackMessage = 0x200;

// Adds the icon (id 1 of `picture1`): the application icon at the small-icon size, the
// tip "Talvex Press 1.0". False when the notification area refused it.
bool AddTrayIcon(HWND picture1);
// True when the notification area holds the icon of `picture1` right now.
bool TrayIconPresent(HWND picture1);
// Removes it again. Harmless when there is no such icon.
void RemoveTrayIcon(HWND picture1);

// The message the taskbar broadcasts when it starts again (after Explorer crashed, say):
// every icon must then be added anew.
UINT TaskbarCreatedMessage();

}  // namespace talvex
