// Idle from outside: TalvexPress.exe runs with an unchanged text on the clipboard. Counts
// its OpenClipboard calls over 30 s, and reads its processor time (GetProcessTimes) at 5 s
// and at 65 s after start.
//   idle_bench STDERR-FILE [count-seconds] [cpu-seconds]
// The program is started with WINEDEBUG=+clipboard: Wine then traces each of its clipboard
// calls on the Unix standard error it inherits from this driver, which must go to
// STDERR-FILE (a Unix path), and this driver must run with WINEDEBUG=-all so that only the
// program's lines are there.
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench_support.h"

namespace {

// The Unix path as Wine's drive Z: shows it.
std::wstring FromUnixPath(const std::wstring& path) {
    if (path.empty() || path[0] != L'/') return path;
    std::wstring windows = L"Z:" + path;
    for (wchar_t& c : windows) {
        if (c == L'/') c = L'\\';
    }
    return windows;
}

// OpenClipboard calls traced so far in the file.
int CountOpens(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    std::string text;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    CloseHandle(file);
    int opens = 0;
    for (std::size_t at = text.find("OpenClipboard"); at != std::string::npos;
         at = text.find("OpenClipboard", at + 1))
        ++opens;
    return opens;
}

double ProcessorMs(HANDLE process) {
    FILETIME created, ended, kernel, user;
    if (!GetProcessTimes(process, &created, &ended, &kernel, &user)) return -1;
    auto ms = [](const FILETIME& f) {
        return static_cast<double>((static_cast<unsigned long long>(f.dwHighDateTime) << 32) |
                                   f.dwLowDateTime) /
               10000.0;
    };
    return ms(kernel) + ms(user);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const std::wstring tracePath = FromUnixPath(argv[1]);
    const int countSeconds = argc > 2 ? _wtoi(argv[2]) : 30;
    const int cpuSeconds = argc > 3 ? _wtoi(argv[3]) : 60;
    const int opensBeforeStart = CountOpens(tracePath);

    // "Another program" copied a text before; nobody touches the clipboard afterwards.
    HWND owner = bench::MessageOnlyWindow();
    if (!bench::PutText(owner, L"Un texte qui ne change pas")) return 3;

    const double start = bench::NowMs();
    bench::Process program(bench::BesideMe(L"TalvexPress.exe"), L"WINEDEBUG=+clipboard");
    if (!program.Started()) return 4;
    HWND form = bench::WaitForWindow(program.Id(), L"TalvexPress.Form1", 20000);
    HWND list = form != nullptr ? bench::FindControl(form, 121) : nullptr;
    if (list == nullptr) return 5;
    // Settle: the first tick records the text (and opens the clipboard to read it).
    while (SendMessageW(list, LB_GETCOUNT, 0, 0) < 1 && bench::NowMs() - start < 20000) Sleep(10);
    const bool recorded = SendMessageW(list, LB_GETCOUNT, 0, 0) == 1;
    while (bench::NowMs() - start < 5000) Sleep(10);

    const int opensSettle = CountOpens(tracePath);
    const double cpuAt5 = ProcessorMs(program.Handle());
    // Beside it, over the same minute: a window that does nothing but a 1000 ms timer.
    bench::Process floor(bench::BesideMe(L"minimal_window.exe"), L"", L"timer");
    const double floorStartMs = bench::NowMs();
    Sleep(1000);
    const double floorStart = ProcessorMs(floor.Handle());
    Sleep(static_cast<DWORD>(countSeconds) * 1000);
    const int opensAfter = CountOpens(tracePath);
    while (bench::NowMs() - start < 5000.0 + 1000.0 * cpuSeconds) Sleep(50);
    const double cpuEnd = ProcessorMs(program.Handle());
    const double floorCpu = ProcessorMs(floor.Handle()) - floorStart;
    const double floorSeconds = (bench::NowMs() - floorStartMs) / 1000 - 1;
    floor.End();
    const LRESULT entries = SendMessageW(list, LB_GETCOUNT, 0, 0);
    program.End();

    // The settling tick read the clipboard: if no open was traced then, the trace is not
    // reaching the file and a zero would mean nothing.
    const bool traced = opensBeforeStart == 0 && opensSettle > 0;
    const int opens = opensAfter - opensSettle;
    const double idleCpu = cpuEnd - cpuAt5;
    bench::Row(
        bench::Format("Idle: clipboard opens in %d s, clipboard unchanged", countSeconds).c_str(),
        traced ? bench::Format("%d", opens) : std::string("not measured (no trace)"), "0",
        traced && recorded && opens == 0);
    bench::Row(bench::Format("Idle: processor time in %d s", cpuSeconds).c_str(),
               bench::Format("%.0f ms", idleCpu), "under 50 ms", cpuAt5 >= 0 && idleCpu < 50);
    std::printf(
        "- idle: %d OpenClipboard calls traced while settling (start and first tick), "
        "%ld list entries at the end\n",
        opensSettle, static_cast<long>(entries));
    std::printf(
        "- idle: processor time from start to 5 s: %.0f ms; 5 s to %d s: %.0f ms "
        "(Wine counts it in steps of 10 ms); minimal_window.exe with a 1000 ms timer that "
        "does nothing, over the same %.0f s: %.0f ms\n",
        cpuAt5, 5 + cpuSeconds, idleCpu, floorSeconds, floorCpu);
    return traced && recorded ? 0 : 1;
}
