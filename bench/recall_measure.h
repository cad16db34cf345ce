// The recall of a long entry as the user lives it: Text1 shows the beginning at once and
// the rest follows on a timer while the window goes on answering. Three numbers tell it:
// the time until the first slice is painted, the longest single message the thread was
// busy with while the rest loaded (how long input could wait), and the time until Text1
// holds the whole entry.
#pragma once

#include <windows.h>

#include <algorithm>

#include "bench_support.h"

namespace bench {

struct RecallTimes {
    double firstShownMs = 0;    // the recall handler and the paint of Text1 that follows
    double longestStallMs = 0;  // the longest message handled after that, paint or slice
    double wholeInMs = 0;       // from the recall until Text1 holds `expectedUnits`
    int messages = 0;           // messages handled while loading
    bool complete = false;      // Text1 reached `expectedUnits` before the deadline
};

// Runs `recall` (say, [&] { form.OnList1Click(); }), paints Text1, then runs this thread's
// message loop one message at a time until Text1 holds `expectedUnits` UTF-16 units.
template <typename Recall>
RecallTimes MeasureRecall(HWND text1, int expectedUnits, Recall&& recall,
                          double deadlineMs = 120000) {
    RecallTimes times;
    const double start = NowMs();
    recall();
    UpdateWindow(GetAncestor(text1, GA_ROOT));
    times.firstShownMs = NowMs() - start;
    for (;;) {
        if (GetWindowTextLengthW(text1) == expectedUnits) {
            times.complete = true;
            break;
        }
        if (NowMs() - start > deadlineMs) break;
        MSG msg;
        const double before = NowMs();
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            times.longestStallMs = std::max(times.longestStallMs, NowMs() - before);
            ++times.messages;
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
    }
    times.wholeInMs = NowMs() - start;
    return times;
}

}  // namespace bench
