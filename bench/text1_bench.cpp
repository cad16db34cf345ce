// Text1 with the texts that are hardest on a text box, in-process on the real Form1: one
// recalled from the history, then the user's keys, sent as real input. Each action is timed
// from the moment it starts until the window has handled everything it caused, paint
// included; the longest single message of the whole run is how long a key press or a click
// could have had to wait.
// The reader's row types a character in the middle of the text while a screen reader listens,
// then makes, for each event the key raised, the calls a reader makes to speak the caret.
//   text1_bench lines7 | line10m | line200k      one text, in a process of its own
//   text1_bench --put KIND                        (the "other program" that copies it)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "private_memory.h"
#include "ui/control_ids.h"
#include "ui/form1.h"
#include "ui/text_view_automation.h"

namespace {

constexpr std::size_t kTenMegabytes = 5u * 1024 * 1024;  // UTF-16 units
constexpr double kGoalMs = 100;
constexpr double kReaderCallGoalMs = 16;  // a frame: a reader never makes the user wait

// A text that is hard on a text box, and how it is made.
struct Kind {
    const wchar_t* name;
    const char* label;
    std::size_t units;
    bool shortLines;  // lines of 7 characters; otherwise one line of minified data
};
constexpr Kind kKinds[] = {
    {L"lines7", "10 MB of 7-character lines", kTenMegabytes, true},
    {L"line10m", "one line of 10 MB", kTenMegabytes, false},
    {L"line200k", "one line of 200,000 characters", 200000, false},
};

const Kind* KindNamed(const wchar_t* name) {
    for (const Kind& kind : kKinds)
        if (wcscmp(name, kind.name) == 0) return &kind;
    return nullptr;
}

std::wstring TextOf(const Kind& kind) {
    std::wstring text;
    text.reserve(kind.units);
    if (kind.shortLines) {
        for (int line = 0; text.size() < kind.units; ++line) {
            wchar_t row[16];
            std::swprintf(row, 16, L"%07d\r\n", line % 10000000);
            text += row;
        }
    } else {
        // Minified data: letters, digits and punctuation, no space to break at.
        const wchar_t pattern[] =
            L"{\"id\":12345,\"name\":\"\x00e9l\x00e8ve\",\"tags\":[\"a\",\"b\"]},";
        while (text.size() < kind.units) text += pattern;
    }
    text.resize(kind.units);
    return text;
}

// Runs this thread's messages one at a time until `done` holds and nothing is left, then
// paints what is pending; keeps the longest single message in `longestMs`.
double HandleUntil(const std::function<bool()>& done, double start, double& longestMs) {
    const double deadline = start + 120000;
    for (;;) {
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            const double before = bench::NowMs();
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            longestMs = std::max(longestMs, bench::NowMs() - before);
            continue;
        }
        if (done()) break;
        if (bench::NowMs() > deadline) return -1;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return bench::NowMs() - start;
}

void Keys(std::initializer_list<std::pair<WORD, bool>> keys) {
    std::vector<INPUT> input;
    for (const auto& [key, down] : keys) {
        INPUT one{};
        one.type = INPUT_KEYBOARD;
        one.ki.wVk = key;
        one.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
        input.push_back(one);
    }
    SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
}

void Chord(WORD modifier, WORD key) {
    Keys({{modifier, true}, {key, true}, {key, false}, {modifier, false}});
}

DWORD SelectionEnd(HWND text1) {
    DWORD start = 0, end = 0;
    SendMessageW(text1, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return end;
}

std::size_t Length(HWND text1) {
    return static_cast<std::size_t>(SendMessageW(text1, WM_GETTEXTLENGTH, 0, 0));
}

// A screen reader that listens: it counts the events, and answers them later.
class ListeningReader final : public talvex::AutomationEventSink {
  public:
    bool Listening() override { return true; }
    void Raise(IRawElementProviderSimple*, EVENTID) override { ++events; }
    int events = 0;
};

// What a reader asks on an event to speak the caret: its range, and the character, word and
// line there, each with its text (at most 1,000 units) and its rectangles on screen. Keeps the
// longest single call in `longestMs`; false when a call failed.
bool ReadAtCaret(talvex::TextViewAutomation& provider, double& longestMs) {
    bool ok = true;
    const auto timed = [&](auto&& call) {
        const double start = bench::NowMs();
        ok = SUCCEEDED(call()) && ok;
        longestMs = std::max(longestMs, bench::NowMs() - start);
    };
    talvex::uia::ITextRangeProvider* caret = nullptr;
    BOOL active = FALSE;
    timed([&] { return provider.GetCaretRange(&active, &caret); });
    if (caret == nullptr) return false;
    for (auto unit : {talvex::uia::TextUnit_Character, talvex::uia::TextUnit_Word,
                      talvex::uia::TextUnit_Line}) {
        talvex::uia::ITextRangeProvider* range = nullptr;
        timed([&] { return caret->Clone(&range); });
        if (range == nullptr) return false;
        timed([&] { return range->ExpandToEnclosingUnit(unit); });
        BSTR text = nullptr;
        timed([&] { return range->GetText(1000, &text); });
        SysFreeString(text);
        SAFEARRAY* rectangles = nullptr;
        timed([&] { return range->GetBoundingRectangles(&rectangles); });
        SafeArrayDestroy(rectangles);
        range->Release();
    }
    caret->Release();
    return ok;
}

struct ReaderKeystroke {
    double keyMs = -1;     // the key, until handled and painted
    double readerMs = -1;  // all the reader's calls
    double longestCallMs = 0;
    int events = 0;
};

// A character typed in the middle of the `length` units of Text1 while a reader listens.
ReaderKeystroke TypeWhileAReaderListens(HWND text1, std::size_t length, double& longest) {
    ReaderKeystroke cost;
    talvex::TextView* view = talvex::AutomationView::ViewOf(text1);
    talvex::TextViewAutomation* provider =
        view != nullptr ? talvex::AutomationView::ProviderOf(*view) : nullptr;
    if (provider == nullptr) return cost;
    SendMessageW(text1, EM_SETSEL, length / 2, length / 2);
    SendMessageW(text1, EM_SCROLLCARET, 0, 0);
    HandleUntil([] { return true; }, bench::NowMs(), longest);
    ListeningReader reader;
    talvex::SetAutomationEventSink(&reader);
    double start = bench::NowMs();
    Keys({{'Y', true}, {'Y', false}});
    cost.keyMs = HandleUntil([&] { return Length(text1) == length + 1; }, start, longest);
    talvex::SetAutomationEventSink(nullptr);
    cost.events = reader.events;
    start = bench::NowMs();
    for (int i = 0; i < reader.events; ++i)
        if (!ReadAtCaret(*provider, cost.longestCallMs)) return ReaderKeystroke{};
    cost.readerMs = bench::NowMs() - start;
    return cost;
}

// Another program copies the text of `kind`; the next tick records it. False when the
// history did not get it.
bool RecordFromAnotherProgram(talvex::Form1& form, const Kind& kind) {
    if (!bench::RunBesideMe(L"text1_bench.exe", std::wstring(L"--put ") + kind.name)) return false;
    SendMessageW(form.hwnd(), WM_TIMER, talvex::ids::kTimer1, 0);
    return SendMessageW(form.historyListBox(), LB_GETTEXTLEN, 0, 0) ==
           static_cast<LRESULT>(kind.units);
}

// What the user's actions on one text cost; a time of -1 is an action that never ended.
struct Text1Costs {
    double recallMs = -1;
    bool recalled = false;
    std::size_t lines = 0;
    double memoryMb = 0;  // private memory after the recall
    double endMs = -1;
    double typeMs = -1;
    ReaderKeystroke reader;
    double copyMs = -1;
    double pasteMs = -1;
    double longestMs = 0;  // the longest single message of the whole run

    bool Valid() const {
        return recalled && endMs >= 0 && typeMs >= 0 && copyMs >= 0 && pasteMs >= 0 &&
               reader.keyMs >= 0 && reader.readerMs >= 0 && reader.events > 0;
    }
};

// The user recalls the history's entry of `units` units, goes to its end, types, types again
// while a reader listens, copies everything and pastes it at the end.
Text1Costs UseText1(talvex::Form1& form, std::size_t units) {
    Text1Costs cost;
    double& longest = cost.longestMs;
    HWND text1 = form.textBox();
    HandleUntil([] { return true; }, bench::NowMs(), longest);
    longest = 0;

    SendMessageW(form.historyListBox(), LB_SETCURSEL, 0, 0);
    double start = bench::NowMs();
    form.OnHistoryEntryChosen();
    UpdateWindow(form.hwnd());
    longest = std::max(longest, bench::NowMs() - start);
    cost.recallMs = HandleUntil([] { return true; }, start, longest);
    cost.recalled = Length(text1) == units;
    cost.lines = static_cast<std::size_t>(SendMessageW(text1, EM_GETLINECOUNT, 0, 0));
    cost.memoryMb = bench::PrivateMb();

    SetFocus(text1);
    HandleUntil([] { return true; }, bench::NowMs(), longest);
    start = bench::NowMs();
    Chord(VK_CONTROL, VK_END);
    cost.endMs = HandleUntil([&] { return SelectionEnd(text1) == units; }, start, longest);

    start = bench::NowMs();
    Keys({{'X', true}, {'X', false}});
    cost.typeMs = HandleUntil([&] { return Length(text1) == units + 1; }, start, longest);

    cost.reader = TypeWhileAReaderListens(text1, units + 1, longest);
    const std::size_t typed = units + 2;

    const DWORD before = GetClipboardSequenceNumber();
    start = bench::NowMs();
    Chord(VK_CONTROL, 'A');
    Chord(VK_CONTROL, 'C');
    cost.copyMs =
        HandleUntil([&] { return GetClipboardSequenceNumber() != before; }, start, longest);

    // Pasted at the end, the text doubles.
    Chord(VK_CONTROL, VK_END);
    HandleUntil([&] { return SelectionEnd(text1) == typed; }, bench::NowMs(), longest);
    start = bench::NowMs();
    Chord(VK_CONTROL, 'V');
    cost.pasteMs = HandleUntil([&] { return Length(text1) == 2 * typed; }, start, longest);
    return cost;
}

// The table's rows for `kind`; false when an action did not do what it should.
bool Report(const Kind& kind, const Text1Costs& cost) {
    const bool valid = cost.Valid();
    const auto row = [&](const char* what, double ms) {
        bench::Row(bench::Format("Text1, %s: %s", kind.label, what).c_str(),
                   bench::Format("%.0f ms", ms), "at most 100 ms", valid && ms <= kGoalMs);
    };
    row("recall, until the beginning is shown", cost.recallMs);
    row("longest wait for input (the longest single message of the run)", cost.longestMs);
    row("Ctrl+End", cost.endMs);
    row("typing a character at the end", cost.typeMs);
    row("select all and Copy (Ctrl+A, Ctrl+C)", cost.copyMs);
    row("pasting the same text at the end (Ctrl+V)", cost.pasteMs);
    const ReaderKeystroke& reader = cost.reader;
    bench::Row(bench::Format("Text1, %s: a screen reader's keystroke (a character typed in the "
                             "middle; on each event, the caret's range, its character, word and "
                             "line, their text and rectangles)",
                             kind.label)
                   .c_str(),
               bench::Format("key %.0f ms, then %d events read in %.1f ms; longest call %.1f ms",
                             reader.keyMs, reader.events, reader.readerMs, reader.longestCallMs),
               "each call at most 16 ms", valid && reader.longestCallMs <= kReaderCallGoalMs);
    if (kind.units == kTenMegabytes) {
        const double heldMb = 2.0 * static_cast<double>(kind.units) * 2 / (1024.0 * 1024.0);
        const double allowedMb = 2 * heldMb + 8;
        bench::Row(bench::Format("Text1, %s: private memory after the recall (text held: history "
                                 "+ Text1)",
                                 kind.label)
                       .c_str(),
                   bench::Format("%.1f MB for %.1f MB of text", cost.memoryMb, heldMb),
                   bench::Format("at most %.1f MB", allowedMb).c_str(),
                   valid && cost.memoryMb <= allowedMb);
    }
    std::printf("- Text1, %s: %zu units in %zu lines; recalled %s\n", kind.label, kind.units,
                cost.lines, cost.recalled ? "whole" : "NOT whole");
    return valid;
}

int Measure(const Kind& kind) {
    talvex::Form1 form;
    if (!form.Create(GetModuleHandleW(nullptr), false)) return 2;
    form.Show();
    KillTimer(form.hwnd(), talvex::ids::kTimer1);  // only our ticks
    SetForegroundWindow(form.hwnd());
    if (!RecordFromAnotherProgram(form, kind)) return 3;
    return Report(kind, UseText1(form, kind.units)) ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const bool put = argc > 2 && wcscmp(argv[1], L"--put") == 0;
    const Kind* kind = argc > 1 ? KindNamed(argv[put ? 2 : 1]) : nullptr;
    if (kind == nullptr) {
        std::fprintf(stderr, "usage: text1_bench lines7|line10m|line200k\n");
        return 2;
    }
    if (put) return bench::PutText(bench::MessageOnlyWindow(), TextOf(*kind)) ? 0 : 1;
    return Measure(*kind);
}
