// The process's private (committed) memory, for the benchmarks that run Form1 in-process.
#pragma once

#include <windows.h>
#include <psapi.h>

namespace bench {

// In MB. Wine 8 leaves PrivateUsage at zero; its PagefileUsage, which Windows defines as the
// same commit charge, holds the value.
inline double PrivateMb() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    const SIZE_T bytes =
        counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

}  // namespace bench
