// Module1: the notification-area icon.
#pragma once

#include <windows.h>

namespace talvex {

inline constexpr UINT kTrayIconId = 1;
// The icon reports its mouse events to Picture1 as this message, the mouse message's
// number in the low word of lParam.
inline constexpr UINT kTrayCallbackMessage = 0x200;

// Adds the icon (id 1 of `picture1`) with the tip "Talvex Press 1.0".
void AddTrayIcon(HWND picture1, HICON icon);
// Removes it again. Harmless when there is no such icon.
void RemoveTrayIcon(HWND picture1);

}  // namespace talvex
