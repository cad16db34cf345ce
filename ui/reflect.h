// Owner-drawn controls paint themselves: their parent hands WM_DRAWITEM and the like back
// to the control as kReflectBase + the message.
#pragma once

#include <windows.h>

namespace talvex {

inline constexpr UINT kReflectBase = WM_USER + 0x1C00;

}  // namespace talvex
