#include "platform/monitor_dpi.h"

#include <shellscalingapi.h>

#include "platform/system_library.h"

namespace talvex {

UINT MonitorDpiAt(POINT at) {
    // Named only for its type: the function itself comes from shcore at run time.
    using GetDpiForMonitorFn = decltype(&::GetDpiForMonitor);
    static const auto getDpiForMonitor =
        SystemFunction<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
    HMONITOR monitor = MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST);
    UINT x = 0;
    UINT y = 0;
    if (getDpiForMonitor != nullptr && monitor != nullptr &&
        SUCCEEDED(getDpiForMonitor(monitor, MDT_EFFECTIVE_DPI, &x, &y)) && x != 0)
        return x;
    const UINT system = GetDpiForSystem();
    return system != 0 ? system : 96;
}

}  // namespace talvex
