// Another program hands Text1 an enormous text with WM_SETTEXT, as it could hand it anything
// the clipboard can carry: the time until Text1 holds it, and what the program keeps after.
//   settext_bench [runs] [megabytes]
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"

namespace {

// The other process's commit charge in MB (Wine 8 fills in only PagefileUsage).
double PrivateMbOf(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    const SIZE_T bytes =
        counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? _wtoi(argv[1]) : 5;
    const int megabytes = argc > 2 ? _wtoi(argv[2]) : 50;
    bench::Process program(bench::BesideMe(L"TalvexPress.exe"));
    if (!program.Started()) return 2;
    HWND form = bench::WaitForWindow(program.Id(), L"TalvexPress.Form1", 20000);
    HWND text1 = form != nullptr ? bench::FindControl(form, 120) : nullptr;
    if (text1 == nullptr) return 3;
    Sleep(1500);  // the first tick has passed
    const double before = PrivateMbOf(program.Handle());

    // Two bytes a unit; digits here and there, so each run's text is another.
    std::wstring text(static_cast<std::size_t>(megabytes) * 1024 * 1024 / 2, L'x');
    std::vector<double> times;
    int failures = 0;
    for (int i = 0; i < runs; ++i) {
        for (std::size_t at = static_cast<std::size_t>(i); at < text.size(); at += 4099)
            text[at] = static_cast<wchar_t>(L'0' + i);
        const double t0 = bench::NowMs();
        DWORD_PTR answer = 0;
        const LRESULT sent =
            SendMessageTimeoutW(text1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                                SMTO_NORMAL, 60000, &answer);
        const double ms = bench::NowMs() - t0;
        const LRESULT held = SendMessageW(text1, WM_GETTEXTLENGTH, 0, 0);
        if (sent == 0 || answer != TRUE || held != static_cast<LRESULT>(text.size())) {
            ++failures;
            continue;
        }
        times.push_back(ms);
    }
    DWORD code = 0;
    const bool alive = GetExitCodeProcess(program.Handle(), &code) && code == STILL_ACTIVE;
    const double after = alive ? PrivateMbOf(program.Handle()) : 0;
    program.End();

    const double worst = bench::Max(times);
    const bool met = alive && failures == 0 && worst <= 1000;
    bench::Row(
        "Text1, 50 MB sent by another program with WM_SETTEXT: until Text1 holds it "
        "(median / max)",
        bench::Format("%.0f ms / %.0f ms (%d runs%s)", bench::Median(times), worst, runs,
                      !alive         ? ", the program ended"
                      : failures > 0 ? ", some not taken whole"
                                     : ""),
        "whole, the program alive, at most 1000 ms", met);
    std::printf(
        "- WM_SETTEXT of %d MB from another process: min %.0f ms, median %.0f ms, max %.0f ms "
        "over %zu runs, %d not taken whole; private memory %.1f MB before, %.1f MB after\n",
        megabytes, bench::Min(times), bench::Median(times), worst, times.size(), failures, before,
        after);
    return met ? 0 : 1;
}
