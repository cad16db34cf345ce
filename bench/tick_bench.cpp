// How much one tick of the watcher costs against the real clipboard and a real list box:
// an idle tick (nothing changed), and a tick that appends a 10 MB text. Prints a table.
//   tick_bench [idle-ticks] [big-runs]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "bench_support.h"
#include "clipboard/system_clipboard_win.h"
#include "clipboard/watcher.h"
#include "ui/list_history.h"

int wmain(int argc, wchar_t** argv) {
    const int idleTicks = argc > 1 ? _wtoi(argv[1]) : 2000;
    const int bigRuns = argc > 2 ? _wtoi(argv[2]) : 5;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 instance, nullptr);
    HWND list =
        CreateWindowExW(0, L"LISTBOX", L"", WS_POPUP | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT, 0, 0,
                        400, 150, owner, nullptr, instance, nullptr);
    talvex::ListBoxHistory history(list);
    talvex::SystemClipboard clipboard(owner, talvex::SystemClipboard::PrivateText::Hide);
    talvex::SystemClipboardChangeCounter changes;
    talvex::ClipboardWatcher watcher(clipboard, history, &changes);

    // Idle: the clipboard holds a text the watcher has already recorded.
    clipboard.SetText(u"déjà vu");
    watcher.Tick();
    std::vector<double> idle;
    for (int i = 0; i < idleTicks; ++i) {
        const double t0 = bench::NowMs();
        watcher.Tick();
        idle.push_back(bench::NowMs() - t0);
    }

    // The same idle tick without the change counter: what polling costs when it reads.
    talvex::ClipboardWatcher reading(clipboard, history);
    reading.Tick();
    std::vector<double> idleReading;
    for (int i = 0; i < std::min(idleTicks, 500); ++i) {
        const double t0 = bench::NowMs();
        reading.Tick();
        idleReading.push_back(bench::NowMs() - t0);
    }

    // A 10 MB text (5 million UTF-16 units of 2 bytes) put there by "someone", then one tick.
    std::vector<double> big;
    std::u16string text(5u * 1024 * 1024, u'x');
    for (int run = 0; run < bigRuns; ++run) {
        text[static_cast<std::size_t>(run)] = u'0' + static_cast<char16_t>(run % 10);
        clipboard.SetText(text);
        const double t0 = bench::NowMs();
        watcher.Tick();
        big.push_back(bench::NowMs() - t0);
    }
    const bool recorded = history.Count() >= static_cast<std::size_t>(bigRuns) &&
                          history.At(history.Count() - 1).size() == text.size();

    std::printf("| tick | median | max |\n|---|---|---|\n");
    std::printf("| idle, clipboard unchanged (%d ticks) | %.4f ms | %.4f ms |\n", idleTicks,
                bench::Median(idle), bench::Max(idle));
    std::printf("| idle, reading without the change counter (%zu ticks) | %.4f ms | %.4f ms |\n",
                idleReading.size(), bench::Median(idleReading), bench::Max(idleReading));
    std::printf("| appending a 10 MB text (%d runs) | %.1f ms | %.1f ms |\n", bigRuns,
                bench::Median(big), bench::Max(big));
    std::fflush(stdout);
    DestroyWindow(owner);
    return recorded ? 0 : 1;
}
