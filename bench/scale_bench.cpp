// Scale, in-process on the real Form1 (with its owner-drawn list and its pictures): 10,000
// distinct entries of 100 characters through real ticks, then one entry of 10 MB: the tick
// that appends it, its recall into Text1 and a Copy. Each action is timed until the paint
// it causes is done. Private memory (PrivateUsage) before and after.
//   scale_bench [entries]
//   scale_bench --put-big      (the "other program" that copies the 10 MB text)
//   scale_bench --put-entries N PID   (the "other program" that copies the short entries)
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "bench_support.h"
#include "private_memory.h"
#include "clipboard/system_clipboard_win.h"
#include "platform/unique_handle.h"
#include "ui/control_ids.h"
#include "ui/history_drawing.h"
#include "ui/form1.h"

namespace {

using UniqueEvent = talvex::UniqueKernelHandle;

constexpr std::size_t kBigUnits = 5u * 1024 * 1024;  // 10 MB of UTF-16

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

std::u16string Entry(int n) {
    std::u16string text = u"Entrée n° ";
    for (char c : std::to_string(n)) text.push_back(static_cast<char16_t>(c));
    text.push_back(u' ');
    while (text.size() < 100) text.push_back(static_cast<char16_t>(u'a' + text.size() % 26));
    return text;
}

// 10 MB of UTF-16 (5 Mi units) in lines of 100 characters, as a large log file would be.
std::u16string BigText() {
    std::u16string text;
    text.reserve(kBigUnits);
    for (int line = 0; text.size() < kBigUnits; ++line) {
        std::u16string row = Entry(line);
        row.resize(98);
        row += u"\r\n";
        text += row;
    }
    text.resize(kBigUnits);
    return text;
}

// One tick of Timer1 as the timer delivers it, then the paint it causes. `paintMs`, when
// given, receives the part spent after the tick handler returned (paint, other messages).
double TimedTick(const talvex::Form1& form, double* paintMs = nullptr) {
    const double t0 = bench::NowMs();
    SendMessageW(form.hwnd(), WM_TIMER, talvex::ids::kTimer1, 0);
    const double t1 = bench::NowMs();
    UpdateWindow(form.historyListBox());
    Pump();
    const double t2 = bench::NowMs();
    if (paintMs != nullptr) *paintMs = t2 - t1;
    return t2 - t0;
}

template <typename Action>
double TimeMs(Action&& action) {
    const double t0 = bench::NowMs();
    action();
    return bench::NowMs() - t0;
}

// Where the time of a tick appending 100 characters goes: each step alone, the append on
// the real List1 (the entries are taken out again afterwards).
void SmallBreakdown(const talvex::Form1& form) {
    HWND owner = bench::MessageOnlyWindow();
    talvex::SystemClipboard watched(owner, talvex::SystemClipboard::PrivateText::Hide);
    talvex::SystemClipboard plain(owner);
    std::vector<double> set, has, get, add, addHidden, addShown, addShownNoBar;
    HWND list = form.historyListBox();
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HWND hidden =
        CreateWindowExW(0, L"LISTBOX", L"", WS_POPUP | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT, 0, 0,
                        400, 150, nullptr, nullptr, instance, nullptr);
    // List1's styles and size, shown in a plain window of its own (no region, no frames),
    // with as many entries as List1: with and without its scroll bar.
    const LONG_PTR list1Style = GetWindowLongPtrW(list, GWL_STYLE);
    RECT size{};
    GetClientRect(list, &size);
    HWND plainParent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 440, 520,
                                       nullptr, nullptr, instance, nullptr);
    HWND shown = CreateWindowExW(0, L"LISTBOX", L"", static_cast<DWORD>(list1Style), 0, 0,
                                 size.right, size.bottom, plainParent, nullptr, instance, nullptr);
    HWND shownNoBar =
        CreateWindowExW(0, L"LISTBOX", L"", static_cast<DWORD>(list1Style & ~WS_VSCROLL), 0, 260,
                        size.right, size.bottom, plainParent, nullptr, instance, nullptr);
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        SendMessageW(shown, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"x"));
        SendMessageW(shownNoBar, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"x"));
    }
    UpdateWindow(plainParent);
    Pump();
    for (int i = 0; i < 50; ++i) {
        const std::u16string entry = Entry(1000000 + i);
        const auto* text = reinterpret_cast<const wchar_t*>(entry.c_str());
        set.push_back(TimeMs([&] { plain.SetText(entry); }));
        has.push_back(TimeMs([&] { watched.HasText(); }));
        get.push_back(TimeMs([&] { watched.GetText(); }));
        add.push_back(TimeMs([&] {
            const LRESULT at = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
            SendMessageW(list, LB_DELETESTRING, static_cast<WPARAM>(at), 0);
        }));
        addHidden.push_back(
            TimeMs([&] { SendMessageW(hidden, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)); }));
        addShown.push_back(
            TimeMs([&] { SendMessageW(shown, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)); }));
        addShownNoBar.push_back(TimeMs(
            [&] { SendMessageW(shownNoBar, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)); }));
        Pump();
    }
    DestroyWindow(hidden);
    DestroyWindow(plainParent);
    Pump();
    std::printf(
        "- where a 100-character tick goes (medians of 50, each step alone): "
        "SystemClipboard::SetText %.2f ms; HasText %.2f ms; GetText %.2f ms; "
        "LB_ADDSTRING + LB_DELETESTRING on the shown List1 with %ld entries %.2f ms; "
        "LB_ADDSTRING on a hidden plain list box %.3f ms, on a list box of List1's style, size "
        "and count shown in a plain window %.2f ms, the same without its scroll bar %.2f ms\n",
        bench::Median(set), bench::Median(has), bench::Median(get),
        static_cast<long>(SendMessageW(list, LB_GETCOUNT, 0, 0)), bench::Median(add),
        bench::Median(addHidden), bench::Median(addShown), bench::Median(addShownNoBar));
}

// Where the time of the 10 MB actions goes: each step alone, on windows of its own.
void Breakdown(const std::u16string& big) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr,
                                  instance, nullptr);
    HWND owner = bench::MessageOnlyWindow();
    talvex::SystemClipboard watched(owner, talvex::SystemClipboard::PrivateText::Hide);
    talvex::SystemClipboard plain(owner);
    const auto* text = reinterpret_cast<const wchar_t*>(big.c_str());

    const double setText = TimeMs([&] { plain.SetText(big); });
    const double hasText = TimeMs([&] { watched.HasText(); });
    std::u16string read;
    const double getText = TimeMs([&] { read = watched.GetText(); });
    const double getTextAgain = TimeMs([&] { read = watched.GetText(); });
    const double compare = TimeMs([&] {
        volatile bool same = read == big;
        (void)same;
    });
    const double rowText = TimeMs([&] { talvex::HistoryRowText(text, big.size()); });
    HWND list =
        CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT, 0, 0,
                        400, 150, parent, nullptr, instance, nullptr);
    const double addString =
        TimeMs([&] { SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)); });
    std::wstring back(big.size() + 1, L'\0');
    const double getListText =
        TimeMs([&] { SendMessageW(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(back.data())); });
    DestroyWindow(parent);

    std::printf(
        "- where the 10 MB time goes (each step alone): SystemClipboard::SetText %.0f ms; "
        "HasText %.1f ms; GetText %.0f ms (again, unchanged clipboard: %.0f ms); "
        "comparing with LastClip %.1f ms; HistoryRowText %.2f ms; LB_ADDSTRING %.0f ms; "
        "LB_GETTEXT %.0f ms\n",
        setText, hasText, getText, getTextAgain, compare, rowText, addString, getListText);
}

std::size_t ClipboardUnits() {
    if (!OpenClipboard(nullptr)) return 0;
    std::size_t units = 0;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
            units = wcsnlen(p, GlobalSize(data) / sizeof(wchar_t));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return units;
}

// The 10 MB text comes from another process, as it would: this one must not hold a copy
// of its own, or the memory measured would not be the program's.
bool PutBigTextFromAnotherProcess() { return bench::RunBesideMe(L"scale_bench.exe", L"--put-big"); }

// The short entries come from another process too. Under Wine a process that reads back
// clipboard data it put there itself keeps about 1 KB of it each time, which would be
// counted against the program.
std::wstring EventName(const wchar_t* what, DWORD pid) {
    return std::wstring(L"Local\\TalvexScaleBench.") + what + L"." + std::to_wstring(pid);
}

// Waits for the first handle, answering window messages meanwhile: whichever process owns
// the clipboard must answer, or a copy (and the program's watcher) takes it for busy.
bool WaitAnswering(const HANDLE* handles, DWORD count) {
    const double deadline = bench::NowMs() + 60000;
    for (;;) {
        const DWORD got = MsgWaitForMultipleObjects(count, handles, FALSE, 1000, QS_ALLINPUT);
        if (got == WAIT_OBJECT_0) return true;
        if (got != WAIT_OBJECT_0 + count && got != WAIT_TIMEOUT) return false;
        if (bench::NowMs() > deadline) return false;
        Pump();
    }
}

int PutEntries(int entries, DWORD parent) {
    UniqueEvent go(OpenEventW(SYNCHRONIZE, FALSE, EventName(L"go", parent).c_str()));
    UniqueEvent done(OpenEventW(EVENT_MODIFY_STATE, FALSE, EventName(L"done", parent).c_str()));
    if (!go || !done) return 1;
    HWND owner = bench::MessageOnlyWindow();
    talvex::SystemClipboard clipboard(owner);
    for (int i = 0; i < entries; ++i) {
        const HANDLE goHandle = go.get();
        if (!WaitAnswering(&goHandle, 1)) return 1;
        try {
            clipboard.SetText(Entry(i));
        } catch (const std::exception&) {
            return 1;
        }
        SetEvent(done.get());
    }
    return 0;
}

class EntryCopier {
  public:
    explicit EntryCopier(int entries)
        : go_(CreateEventW(nullptr, FALSE, FALSE, EventName(L"go", GetCurrentProcessId()).c_str())),
          done_(CreateEventW(nullptr, FALSE, FALSE,
                             EventName(L"done", GetCurrentProcessId()).c_str())) {
        std::wstring commandLine = L"\"" + bench::BesideMe(L"scale_bench.exe") +
                                   L"\" --put-entries " + std::to_wstring(entries) + L" " +
                                   std::to_wstring(GetCurrentProcessId());
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           nullptr, &si, &pi)) {
            CloseHandle(pi.hThread);
            process_.reset(pi.hProcess);
        }
    }
    bool ok() const { return go_ && done_ && process_; }
    // Has the other program copy its next entry; false when it did not within a minute.
    bool CopyNext() {
        SetEvent(go_.get());
        const HANDLE either[] = {done_.get(), process_.get()};
        return WaitAnswering(either, 2);
    }

  private:
    UniqueEvent go_, done_, process_;
};

// What the scale run measured.
struct ScaleCosts {
    int entries = 0;
    std::vector<double> ticks;   // each 100-character tick, until painted
    std::vector<double> paints;  // of which after the tick handler returned
    LRESULT filled = 0;          // entries in the history after them
    double bigTickMs = 0;
    double bigTickPaintMs = 0;
    LRESULT total = 0;  // entries after the 10 MB one
    bool bigRecorded = false;
    double recallMs = 0;
    bool recalled = false;
    double copyMs = 0;
    bool copied = false;
    double tickAfterCopyMs = 0;
    bool unchanged = false;  // the tick after the Copy added nothing
    // Private memory (MB): at start, with the short entries, with the 10 MB text on the
    // clipboard, with it in the history, after its recall and after its Copy.
    double memBefore = 0, memFilled = 0, memBigOnClipboard = 0, memBig = 0, memRecalled = 0,
           memCopied = 0;

    bool Valid() const {
        return filled == entries && bigRecorded && recalled && copied && unchanged;
    }
};

// The short entries, each copied by the other program and recorded by a real tick. False when
// the other program failed.
bool FillHistory(const talvex::Form1& form, ScaleCosts& cost) {
    cost.ticks.reserve(static_cast<std::size_t>(cost.entries));
    EntryCopier copier(cost.entries);
    if (!copier.ok()) return false;
    for (int i = 0; i < cost.entries; ++i) {
        if (!copier.CopyNext()) return false;
        double paint = 0;
        cost.ticks.push_back(TimedTick(form, &paint));
        cost.paints.push_back(paint);
    }
    cost.filled = SendMessageW(form.historyListBox(), LB_GETCOUNT, 0, 0);
    cost.memFilled = bench::PrivateMb();
    return true;
}

// The 10 MB entry: the tick that appends it, its recall into Text1, a Copy of Text1 and the
// tick after it. False when the other program could not copy it.
bool UseTheBigEntry(talvex::Form1& form, talvex::SystemClipboard& clipboard, ScaleCosts& cost) {
    if (!PutBigTextFromAnotherProcess()) return false;
    cost.memBigOnClipboard = bench::PrivateMb();
    cost.bigTickMs = TimedTick(form, &cost.bigTickPaintMs);
    const LRESULT total = SendMessageW(form.historyListBox(), LB_GETCOUNT, 0, 0);
    cost.total = total;
    cost.bigRecorded =
        total == cost.entries + 1 &&
        SendMessageW(form.historyListBox(), LB_GETTEXTLEN, static_cast<WPARAM>(total - 1), 0) ==
            static_cast<LRESULT>(kBigUnits);
    cost.memBig = bench::PrivateMb();

    // Recall: the user selects the 10 MB entry; the click handler puts it into Text1.
    SendMessageW(form.historyListBox(), LB_SETCURSEL, static_cast<WPARAM>(total - 1), 0);
    Pump();
    const double recallStart = bench::NowMs();
    form.OnHistoryEntryChosen();
    UpdateWindow(form.hwnd());
    Pump();
    cost.recallMs = bench::NowMs() - recallStart;
    cost.recalled =
        SendMessageW(form.textBox(), WM_GETTEXTLENGTH, 0, 0) == static_cast<LRESULT>(kBigUnits);
    cost.memRecalled = bench::PrivateMb();

    // Copy: Text1's text to the clipboard.
    clipboard.SetText(u"autre chose");
    const double t0 = bench::NowMs();
    form.OnCopyClicked();
    Pump();
    cost.copyMs = bench::NowMs() - t0;
    cost.copied = ClipboardUnits() == kBigUnits;
    cost.memCopied = bench::PrivateMb();
    // The tick after that Copy reads the 10 MB back and finds the text it added last.
    cost.tickAfterCopyMs = TimedTick(form);
    cost.unchanged = SendMessageW(form.historyListBox(), LB_GETCOUNT, 0, 0) == total;
    return true;
}

void Report(const ScaleCosts& cost) {
    const bool valid = cost.Valid();
    const double historyMb =
        (static_cast<double>(cost.entries) * 100 * 2 + static_cast<double>(kBigUnits) * 2) /
        (1024.0 * 1024.0);
    const double text1Mb = static_cast<double>(kBigUnits) * 2 / (1024.0 * 1024.0);
    const double allowedHistory = 2 * historyMb + 8;
    const double allowedEnd = 2 * (historyMb + text1Mb) + 8;
    const std::vector<double>& ticks = cost.ticks;

    bench::Row(
        bench::Format("Scale: tick appending one of %d entries of 100 characters (median / max)",
                      cost.entries)
            .c_str(),
        bench::Format("%.2f ms / %.1f ms", bench::Median(ticks), bench::Max(ticks)), "under 250 ms",
        valid && bench::Max(ticks) < 250);
    bench::Row("Scale: tick appending a 10 MB entry", bench::Format("%.0f ms", cost.bigTickMs),
               "under 250 ms", valid && cost.bigTickMs < 250);
    bench::Row("Scale: recall of the 10 MB entry, until Text1 shows its beginning",
               bench::Format("%.0f ms", cost.recallMs), "under 250 ms",
               valid && cost.recallMs < 250);
    bench::Row("Scale: Copy of the 10 MB Text1", bench::Format("%.0f ms", cost.copyMs),
               "under 250 ms", valid && cost.copyMs < 250);
    bench::Row("Scale: private memory with the history filled (text held: history)",
               bench::Format("%.1f MB for %.1f MB of text (%.1f MB at start)", cost.memBig,
                             historyMb, cost.memBefore),
               bench::Format("at most %.1f MB", allowedHistory).c_str(),
               valid && cost.memBig <= allowedHistory);
    bench::Row("Scale: private memory after recall and Copy (text held: history + Text1)",
               bench::Format("%.1f MB for %.1f MB of text", cost.memCopied, historyMb + text1Mb),
               bench::Format("at most %.1f MB", allowedEnd).c_str(),
               valid && cost.memCopied <= allowedEnd);
    std::printf("- scale: %ld entries recorded; 10 MB entry recorded %s, recalled %s, copied %s\n",
                static_cast<long>(cost.total), cost.bigRecorded ? "yes" : "NO",
                cost.recalled ? "yes" : "NO", cost.copied ? "yes" : "NO");
    std::printf("- scale: 100-character ticks: min %.2f ms, median %.2f ms, max %.1f ms\n",
                bench::Min(ticks), bench::Median(ticks), bench::Max(ticks));
    std::printf(
        "- scale: of which paint and other messages after the tick handler: median %.2f "
        "ms, max %.1f ms; for the 10 MB tick %.0f ms\n",
        bench::Median(cost.paints), bench::Max(cost.paints), cost.bigTickPaintMs);
    std::printf("- scale: tick after the Copy (reads the 10 MB back, adds nothing): %.0f ms\n",
                cost.tickAfterCopyMs);
    std::printf(
        "- scale: private memory (MB): start %.1f, %d entries %.1f, + 10 MB on the "
        "clipboard %.1f, + 10 MB entry %.1f, + recall %.1f, + Copy %.1f\n",
        cost.memBefore, cost.entries, cost.memFilled, cost.memBigOnClipboard, cost.memBig,
        cost.memRecalled, cost.memCopied);
}

int PutBigText() {
    const std::u16string big = BigText();
    const std::wstring text(reinterpret_cast<const wchar_t*>(big.c_str()), big.size());
    return bench::PutText(bench::MessageOnlyWindow(), text) ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc > 3 && wcscmp(argv[1], L"--put-entries") == 0)
        return PutEntries(_wtoi(argv[2]), static_cast<DWORD>(_wtoi(argv[3])));
    if (argc > 1 && wcscmp(argv[1], L"--put-big") == 0) return PutBigText();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    talvex::Form1 form;
    if (!form.Create(GetModuleHandleW(nullptr), false)) return 2;
    form.Show();
    // Only our ticks: the timer's own would fall at random between the measured ones.
    KillTimer(form.hwnd(), talvex::ids::kTimer1);
    HWND owner = bench::MessageOnlyWindow();
    talvex::SystemClipboard clipboard(owner);
    clipboard.SetText(u"");
    SendMessageW(form.hwnd(), WM_TIMER, talvex::ids::kTimer1, 0);
    SendMessageW(form.historyListBox(), LB_RESETCONTENT, 0, 0);
    Pump();

    ScaleCosts cost;
    cost.entries = argc > 1 ? _wtoi(argv[1]) : 10000;
    cost.memBefore = bench::PrivateMb();
    if (!FillHistory(form, cost) || !UseTheBigEntry(form, clipboard, cost)) return 3;
    Report(cost);
    Breakdown(talvex::SystemClipboard(owner).GetText());
    SmallBreakdown(form);
    return cost.Valid() ? 0 : 1;
}
