// Start-up from outside: the time from CreateProcess to the first visible top-level window
// of the new process, for TalvexPress.exe and for minimal_window.exe, started in turns.
//   startup_bench [runs-each]
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "bench_support.h"

namespace {

// Milliseconds to a shown window, or a negative number when none came within 30 s.
double TimeToWindow(const std::wstring& exe) {
    const double t0 = bench::NowMs();
    bench::Process program(exe);
    if (!program.Started()) return -1;
    const double deadline = t0 + 30000;
    while (bench::NowMs() < deadline) {
        if (bench::TopLevelWindowOf(program.Id()) != nullptr) return bench::NowMs() - t0;
        Sleep(1);
    }
    return -1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? _wtoi(argv[1]) : 15;
    const std::wstring talvex = bench::BesideMe(L"TalvexPress.exe");
    const std::wstring minimal = bench::BesideMe(L"minimal_window.exe");
    // One of each first, not counted: the first start of a program pays for the disk cache.
    TimeToWindow(minimal);
    TimeToWindow(talvex);
    std::vector<double> talvexMs;
    std::vector<double> minimalMs;
    int failures = 0;
    for (int i = 0; i < runs; ++i) {
        for (int which = 0; which < 2; ++which) {
            // Alternate which goes first, so neither always follows the other.
            const bool talvexNow = (which == 0) == (i % 2 == 0);
            const double ms = TimeToWindow(talvexNow ? talvex : minimal);
            if (ms < 0) {
                ++failures;
                continue;
            }
            (talvexNow ? talvexMs : minimalMs).push_back(ms);
            Sleep(100);  // let Wine finish tearing the ended process down
        }
    }
    const double ratio = bench::Median(talvexMs) / bench::Median(minimalMs);
    bench::Row("Start-up to window shown, ratio of medians TalvexPress / minimal window",
               bench::Format("%.2f (%.0f ms / %.0f ms, %d runs each)", ratio,
                             bench::Median(talvexMs), bench::Median(minimalMs), runs),
               "at most 1.5", failures == 0 && ratio <= 1.5);
    std::printf(
        "- start-up, TalvexPress.exe: median %.0f ms, min %.0f ms, max %.0f ms (%zu runs)\n",
        bench::Median(talvexMs), bench::Min(talvexMs), bench::Max(talvexMs), talvexMs.size());
    std::printf(
        "- start-up, minimal_window.exe: median %.0f ms, min %.0f ms, max %.0f ms (%zu runs)\n",
        bench::Median(minimalMs), bench::Min(minimalMs), bench::Max(minimalMs), minimalMs.size());
    if (failures > 0) std::printf("- start-up: %d starts showed no window within 30 s\n", failures);
    return failures == 0 ? 0 : 1;
}
