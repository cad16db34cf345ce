// The dpi of the monitor under a point on the screen.
#pragma once

#include <windows.h>

namespace talvex {

// The effective dpi of the monitor that holds screen point `at` (the nearest one when none
// does), as the user set its scale. shcore is loaded the first time; without it (or when it
// cannot tell), the system's dpi.
UINT MonitorDpiAt(POINT at);

}  // namespace talvex
