// The program under hostile conditions: a clipboard held by another program, a flood of
// copies, malformed and enormous clipboard data, many copies started at once, a log-off
// while hidden. The real program, driven from outside; each case is bounded in time.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <atomic>
#include <chrono>
#include <set>
#include <string>
#include <thread>

#include "tests/win/win_support.h"

namespace talvex::testing {
namespace {

using Items = std::vector<std::u16string>;
constexpr int kCommand1 = 101;  // &Copier
constexpr int kCommand4 = 104;  // &Réduire
constexpr int kKeytoolUpper = 110;
// Longer than one tick, so at least one tick has met the hostile data before it is replaced.
constexpr DWORD kExposure = kTick + 1200;
// The longest the window may go without answering, as a user would feel it.
constexpr double kStallLimitMs = 250.0;

const std::u16string kBusyPrefix = u"L'opération sur le presse-papiers n'a pas pu se faire.";

// Watches how long the program leaves the outside world waiting, from a thread of its own:
// - a sent message (WM_NULL), the classic "is it hung?" question;
// - a posted one, queued like input and paint: a new length limit posted to Text1 and read
//   back. Under Wine a thread blocked inside a clipboard call still answers sent messages, so
//   only the queued one shows that kind of freeze.
class ResponsivenessProbe {
  public:
    ResponsivenessProbe(HWND window, HWND edit) : window_(window), edit_(edit) {
        thread_ = std::thread([this] { Run(); });
    }
    ResponsivenessProbe(const ResponsivenessProbe&) = delete;
    ResponsivenessProbe& operator=(const ResponsivenessProbe&) = delete;
    ~ResponsivenessProbe() { Stop(); }

    void Stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    // While paused, rounds are still made but not counted.
    void Pause() {
        paused_ = true;
        ++pauses_;
    }
    void Resume() { paused_ = false; }
    double WorstSentMs() const { return worstSentMs_; }
    double WorstQueuedMs() const { return worstQueuedMs_; }
    int Rounds() const { return rounds_; }
    int Unanswered() const { return unanswered_; }
    std::string Summary() const {
        return "worst sent round trip " + std::to_string(WorstSentMs()) + " ms (" +
               std::to_string(Unanswered()) + " of " + std::to_string(Rounds()) +
               " unanswered within " + std::to_string(static_cast<int>(kStallLimitMs)) +
               " ms), worst queued round trip " + std::to_string(WorstQueuedMs()) + " ms";
    }

  private:
    using Clock = std::chrono::steady_clock;
    static double Since(Clock::time_point start) {
        return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    }

    void Run() {
        bool wide = false;
        while (!stop_ && IsWindow(window_)) {
            auto start = Clock::now();
            DWORD_PTR result = 0;
            const LRESULT answered = SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG,
                                                         static_cast<UINT>(kStallLimitMs), &result);
            if (!paused_) {
                worstSentMs_ = std::max(worstSentMs_.load(), Since(start));
                ++rounds_;
                if (answered == 0) ++unanswered_;
            }

            // Two limits far beyond any text; the program's own (none) comes back at the end.
            wide = !wide;
            const DWORD_PTR limit = wide ? 0x10000001 : 0x10000000;
            start = Clock::now();
            const int pausesBefore = pauses_;
            // A modal loop that ends drops the message it fetched last: post again now
            // and then, so a dropped one costs at most that much.
            for (int polls = 0; !stop_ && IsWindow(edit_); ++polls) {
                if (polls % 50 == 0) PostMessageW(edit_, EM_SETLIMITTEXT, limit, 0);
                DWORD_PTR now = 0;
                if (SendMessageTimeoutW(edit_, EM_GETLIMITTEXT, 0, 0, SMTO_ABORTIFHUNG, 1000,
                                        &now) &&
                    now == limit)
                    break;
                Sleep(2);
            }
            if (!paused_ && pauses_ == pausesBefore)
                worstQueuedMs_ = std::max(worstQueuedMs_.load(), Since(start));
            Sleep(5);
        }
        SendMessageTimeoutW(edit_, EM_SETLIMITTEXT, 0, 0, SMTO_ABORTIFHUNG, 1000, nullptr);
    }

    HWND window_;
    HWND edit_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> paused_{false};
    std::atomic<int> pauses_{0};
    std::atomic<double> worstSentMs_{0.0};
    std::atomic<double> worstQueuedMs_{0.0};
    std::atomic<int> rounds_{0};
    std::atomic<int> unanswered_{0};
};

// A named event another program sets when it is ready.
class ReadySignal {
  public:
    explicit ReadySignal(const wchar_t* name) : name_(name) {
        name_ += std::to_wstring(GetCurrentProcessId());
        event_ = CreateEventW(nullptr, TRUE, FALSE, name_.c_str());
    }
    ~ReadySignal() {
        if (event_ != nullptr) CloseHandle(event_);
    }
    const std::wstring& Name() const { return name_; }
    bool Wait(DWORD timeoutMs) const {
        return WaitForSingleObject(event_, timeoutMs) == WAIT_OBJECT_0;
    }

  private:
    std::wstring name_;
    HANDLE event_ = nullptr;
};

// The list's entries; any entry longer than `maxUnits` reads as its length only, so a huge
// entry is not dragged across processes.
Items ReadShortEntries(HWND list, std::size_t maxUnits, std::vector<std::size_t>* lengths) {
    Items items;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT len = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (lengths != nullptr) lengths->push_back(static_cast<std::size_t>(len < 0 ? 0 : len));
        if (len < 0 || static_cast<std::size_t>(len) > maxUnits) {
            items.push_back(u"<" + [&] {
                const std::string n = std::to_string(len);
                return std::u16string(n.begin(), n.end());
            }() + u" units>");
            continue;
        }
        std::u16string text(static_cast<std::size_t>(len) + 1, u'\0');
        const LRESULT got = SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i),
                                         reinterpret_cast<LPARAM>(text.data()));
        text.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
        items.push_back(std::move(text));
    }
    return items;
}

std::string Narrow(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

std::string Describe(const Items& items) {
    std::string out = "[";
    for (const auto& item : items) out += "\"" + Narrow(item) + "\" ";
    return out + "]";
}

// Which of `k` texts copy `i` of a burst is; the same rule as the clipboard helper's.
unsigned BurstPick(unsigned i, unsigned k) { return (i * 2654435761u >> 13) % k; }

std::u16string Units(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

class RobustTalvex : public ProgramTest {
  protected:
    void Start() { ASSERT_NO_FATAL_FAILURE(StartProgram()); }

    bool Alive() { return !program.WaitForExit(0); }

    bool Answers(UINT timeoutMs) {
        DWORD_PTR result = 0;
        return SendMessageTimeoutW(form, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
    }

    void Press(int id) { PostMessageW(form, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

    // After whatever came before, a plain copy still becomes the newest entry.
    void ExpectStillRecords(const std::u16string& text) {
        CopyFromAnotherProgram(text);
        EXPECT_TRUE(WaitUntil(
            [&] {
                const Items items = ReadShortEntries(list, 1000, nullptr);
                return !items.empty() && items.back() == text;
            },
            kTwoTicks + 1000))
            << "\"" << Narrow(text) << "\" was not recorded; the list holds "
            << Describe(ReadShortEntries(list, 1000, nullptr));
    }
};

// --- 1. Another program keeps the clipboard open -------------------------------------------

TEST_F(RobustTalvex, AClipboardHeldElsewhereNeverFreezesTheWindowNorLosesTheText) {
    Start();
    const std::u16string formText = u"texte du formulaire";
    SendMessageW(text1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(formText.c_str()));
    const std::u16string copied = u"copié juste avant l'attente";

    ResponsivenessProbe probe(form, text1);
    ReadySignal held(L"TalvexRobustHold");
    Process holder(ClipHelper(), L"copyhold " + HexUnits(copied) + L" 5000 " + held.Name());
    ASSERT_TRUE(holder.Started());
    ASSERT_TRUE(held.Wait(10000)) << "the other program never got the clipboard";

    // Copy cannot reach the clipboard: it says so, in French, and the program goes on.
    Press(kCommand1);
    HWND box = WaitForBox(3000);
    ASSERT_NE(box, nullptr) << "Copy failed without a word";
    EXPECT_EQ(WindowText(box), u"Talvex Press 1.0");
    const std::u16string message = MessageBoxText(box);
    EXPECT_EQ(message.substr(0, kBusyPrefix.size()), kBusyPrefix) << Narrow(message);
    // Without a window manager Wine waits up to 2 s for X to confirm a hidden window, and
    // hiding the box is Wine's own doing, not the program's: that stretch is not measured.
    probe.Pause();
    SendMessageTimeoutW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return WaitForMessageBox(program.Id(), 0) == nullptr; }, 3000));
    probe.Resume();

    // A tool gives up silently.
    Press(kKeytoolUpper);
    Sleep(600);  // long enough for a box to appear, were one shown
    EXPECT_EQ(WaitForMessageBox(program.Id(), 0), nullptr) << "a tool's failure showed a box";
    EXPECT_TRUE(holder.WaitForExit(10000)) << "the holding program did not end";
    probe.Stop();

    EXPECT_TRUE(Alive());
    EXPECT_GT(probe.Rounds(), 20);
    EXPECT_EQ(probe.Unanswered(), 0) << probe.Summary();
    EXPECT_LE(probe.WorstSentMs(), kStallLimitMs) << probe.Summary();
    std::printf("[ held clipboard ] %s\n", probe.Summary().c_str());

    // Once the clipboard is free the text copied before the hold is recorded, and only it:
    // neither the failed copy nor the failed tool changed the clipboard.
    EXPECT_TRUE(WaitUntil([&] { return ReadListBox(list) == Items{copied}; }, kTwoTicks))
        << Describe(ReadListBox(list));
}

// --- 2. A flood of copies ------------------------------------------------------------------

TEST_F(RobustTalvex, AThousandCopiesInARowKeepTheHistoryInOrderWithoutRepeats) {
    Start();
    ResponsivenessProbe probe(form, text1);
    const DWORD helper = RunToEnd(ClipHelper(), L"burst 1000 5 flot", 50000);
    probe.Stop();
    ASSERT_EQ(helper, 0u) << "the copying program failed or did not finish";
    std::printf("[ burst ] %s\n", probe.Summary().c_str());
    ASSERT_TRUE(Alive());

    // The last copy stays on the clipboard, so it must end up as the newest entry.
    EXPECT_TRUE(WaitUntil(
        [&] {
            const Items items = ReadListBox(list);
            return !items.empty() && items.back() == u"flot999";
        },
        kTwoTicks))
        << "the last copy was lost: " << Describe(ReadListBox(list));

    const Items items = ReadListBox(list);
    ASSERT_FALSE(items.empty());
    long previous = -1;
    for (const auto& item : items) {
        ASSERT_EQ(item.substr(0, 4), u"flot") << Describe(items);
        const std::string digits = Narrow(item.substr(4));
        ASSERT_FALSE(digits.empty());
        ASSERT_EQ(digits.find_first_not_of("0123456789"), std::string::npos) << Describe(items);
        const long n = std::stol(digits);
        ASSERT_EQ(std::to_string(n), digits) << Describe(items);  // exactly a copied text
        EXPECT_LT(n, 1000);
        // Entries arrive in the order they were copied; a repeat would not be larger.
        EXPECT_GT(n, previous) << Describe(items);
        previous = n;
    }
}

TEST_F(RobustTalvex, AThousandCopiesOfFewTextsNeverPutTheSameTextTwiceInARow) {
    Start();
    constexpr unsigned kTexts = 3;
    const DWORD helper = RunToEnd(ClipHelper(), L"burst 1000 5 mot 3", 50000);
    ASSERT_EQ(helper, 0u) << "the copying program failed or did not finish";
    ASSERT_TRUE(Alive());
    const std::u16string last = u"mot" + Units(std::to_wstring(BurstPick(999, kTexts)));
    EXPECT_TRUE(WaitUntil(
        [&] {
            const Items items = ReadListBox(list);
            return !items.empty() && items.back() == last;
        },
        kTwoTicks))
        << "the last copy was lost: " << Describe(ReadListBox(list));

    const std::set<std::u16string> copied = {u"mot0", u"mot1", u"mot2"};
    const Items items = ReadListBox(list);
    ASSERT_FALSE(items.empty());
    for (std::size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(copied.count(items[i]), 1u) << "not a copied text: " << Describe(items);
        if (i > 0) {
            EXPECT_NE(items[i], items[i - 1]) << "a repeat at " << i << ": " << Describe(items);
        }
    }
}

// --- 3. Hostile clipboard data -------------------------------------------------------------

TEST_F(RobustTalvex, MalformedTextBlocksAreReadSafelyOrSkipped) {
    Start();
    ResponsivenessProbe probe(form, text1);
    struct Case {
        const wchar_t* args;
        const char* what;
    };
    const Case cases[] = {
        {L"raw 13 610062006300", "three units, no terminator"},
        {L"raw 13 6100620063", "five bytes: an odd size"},
        {L"raw 13 61", "a single byte"},
        {L"raw 13 -", "an empty block"},
        {L"discarded", "a discarded block that cannot be locked"},
    };
    int marker = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const DWORD code = RunToEnd(ClipHelper(), c.args);
        std::printf("[ malformed ] %s: helper %lu\n", c.what, static_cast<unsigned long>(code));
        Sleep(kExposure);  // at least one tick meets it
        ASSERT_TRUE(Alive());
        ExpectStillRecords(u"après " + Units(std::to_wstring(++marker)));
    }
    probe.Stop();
    std::printf("[ malformed ] %s\n", probe.Summary().c_str());
    EXPECT_EQ(probe.Unanswered(), 0) << probe.Summary();

    // What was readable was read within its block: nothing past its end, nothing made up.
    const Items items = ReadListBox(list);
    std::printf("[ malformed ] history %s\n", Describe(items).c_str());
    for (const auto& item : items) {
        const bool isMarker = item.rfind(u"après ", 0) == 0;
        const bool fromBlock = item == u"abc" || item == u"ab" || item.empty();
        EXPECT_TRUE(isMarker || fromBlock) << "unexpected entry \"" << Narrow(item) << "\"";
    }
}

TEST_F(RobustTalvex, AHundredMegabyteTextLeavesTheProgramAliveAndRecording) {
    Start();
    ResponsivenessProbe probe(form, text1);
    const DWORD code = RunToEnd(ClipHelper(), L"big 100", 40000);
    ASSERT_EQ(code, 0u) << "the other program could not put 100 MB on the clipboard";
    // Wine hands 100 MB over through its server: bound the wait for the tick that reads it.
    std::vector<std::size_t> lengths;
    const bool recorded = WaitUntil(
        [&] {
            lengths.clear();
            ReadShortEntries(list, 0, &lengths);
            return !lengths.empty();
        },
        20000);
    probe.Stop();
    std::printf("[ 100 MB ] recorded: %s, length %zu units; %s\n", recorded ? "yes" : "no",
                lengths.empty() ? 0 : lengths.front(), probe.Summary().c_str());
    ASSERT_TRUE(Alive());
    if (recorded) {
        EXPECT_EQ(lengths.front(), (std::size_t{100} << 20) / 2 - 1);
    }
    EXPECT_TRUE(Answers(5000));
    ExpectStillRecords(u"après le gros texte");
    EXPECT_TRUE(Answers(static_cast<UINT>(kStallLimitMs)));
}

// What the clipboard can carry, another program can also hand Text1 through its messages: the
// text arrives whole, and the program and its history live on.
TEST_F(RobustTalvex, EnormousTextsSentToText1ArriveWholeAndTheHistoryStays) {
    Start();
    ASSERT_TRUE(CopyAndWait(u"gardé", 1));
    struct Case {
        const char* name;
        UINT message;
        std::size_t units;
    };
    const Case cases[] = {
        {"WM_SETTEXT, 1.6 million units", WM_SETTEXT, 1600000},
        {"EM_REPLACESEL, 1.6 million units", EM_REPLACESEL, 1600000},
        {"WM_SETTEXT, 50 MB", WM_SETTEXT, 25u << 20},
        {"EM_REPLACESEL, 50 MB", EM_REPLACESEL, 25u << 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Digits scattered through it, so that a text cut, shifted or doubled shows.
        std::u16string sent(c.units, u'a');
        for (std::size_t i = 0; i < sent.size(); i += 4093)
            sent[i] = static_cast<char16_t>(u'0' + i % 10);
        std::u16string expected = sent;
        if (c.message == EM_REPLACESEL) {
            SendMessageW(text1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"avant après"));
            SendMessageW(text1, EM_SETSEL, 6, 6);
            expected = u"avant " + sent + u"après";
        }
        DWORD_PTR answer = 0;
        const LRESULT delivered = SendMessageTimeoutW(
            text1, c.message, c.message == EM_REPLACESEL ? TRUE : 0,
            reinterpret_cast<LPARAM>(sent.c_str()), SMTO_NORMAL, 60000, &answer);
        ASSERT_TRUE(Alive()) << "the program ended";
        EXPECT_NE(delivered, 0);
        const std::u16string held = ControlText(text1);
        EXPECT_EQ(held.size(), expected.size());
        EXPECT_TRUE(held == expected) << "Text1 holds another text";
        EXPECT_EQ(ReadShortEntries(list, 100, nullptr), Items{u"gardé"});
    }
    ExpectStillRecords(u"après les gros messages");
}

TEST_F(RobustTalvex, PromisedTextThatNeverComesDoesNotHangTheProgram) {
    Start();
    // The promising program ends without ever rendering.
    ASSERT_EQ(RunToEnd(ClipHelper(), L"delayed 0"), 0u);
    Sleep(kExposure);
    ASSERT_TRUE(Alive());
    EXPECT_TRUE(Answers(5000));
    ExpectStillRecords(u"après la promesse oubliée");

    // The promising program stays, but never answers the request to render.
    ResponsivenessProbe probe(form, text1);
    Process silent(ClipHelper(), L"delayed 8000");
    ASSERT_TRUE(silent.Started());
    Sleep(kExposure + 1000);
    const bool answeredWhileSilent = Answers(5000);
    silent.WaitForExit(10000);
    probe.Stop();
    std::printf("[ silent owner ] answered while it was silent: %s; %s\n",
                answeredWhileSilent ? "yes" : "no", probe.Summary().c_str());
    ASSERT_TRUE(Alive());
    EXPECT_TRUE(answeredWhileSilent) << "the window hung on a promise: " << probe.Summary();
    EXPECT_EQ(probe.Unanswered(), 0) << probe.Summary();
    ExpectStillRecords(u"après la promesse muette");
}

// --- 4. Many copies started together -------------------------------------------------------

TEST_F(RobustTalvex, TenCopiesStartedTogetherLeaveExactlyOne) {
    constexpr int kCopies = 10;
    std::vector<Process> copies;
    for (int i = 0; i < kCopies; ++i) copies.emplace_back(ProgramPath());
    for (const auto& copy : copies) ASSERT_TRUE(copy.Started());

    // Every copy but one says so, and is answered once.
    const std::vector<bool> asked = AnswerEachCopyOnce(copies, kCopies - 1, 45000, [](HWND box) {
        EXPECT_EQ(MessageBoxText(box),
                  u"Vous ne pouvez pas éxécuter cette application deux fois!!");
        EXPECT_EQ(WindowText(box), u"Talvex Press 1.0");
    });
    EXPECT_EQ(std::count(asked.begin(), asked.end(), true), kCopies - 1);

    int running = 0;
    for (std::size_t i = 0; i < copies.size(); ++i) {
        if (copies[i].WaitForExit(asked[i] ? 10000 : 0)) {
            EXPECT_TRUE(asked[i]) << "copy " << i << " ended without asking";
            continue;
        }
        ++running;
        EXPECT_FALSE(asked[i]);
        HWND survivor = WaitForWindow(copies[i].Id(), L"TalvexPress.Form1", 10000);
        EXPECT_TRUE(survivor != nullptr && IsWindowVisible(survivor));
        EXPECT_EQ(WaitForMessageBox(copies[i].Id(), 0), nullptr);
    }
    EXPECT_EQ(running, 1);
}

// --- 5. Log-off while hidden ---------------------------------------------------------------

TEST_F(RobustTalvex, LoggingOffWhileHiddenAsksNothingRemovesTheIconAndEnds) {
    // Icons of programs ended by force may linger in Wine's tray: count from here.
    const std::size_t iconsBefore = TrayIcons().size();
    Start();
    ASSERT_TRUE(WaitUntil([&] { return TrayIcons().size() == iconsBefore + 1; }, 10000))
        << "the icon never appeared";
    Press(kCommand4);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(form) == FALSE; }, 5000));
    EXPECT_EQ(TrayIcons().size(), iconsBefore + 1) << "hiding took the icon away";

    // A question would keep the first message from returning: give it time to show one.
    DWORD_PTR mayEnd = 0;
    ASSERT_NE(SendMessageTimeoutW(form, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG,
                                  5000, &mayEnd),
              0)
        << "the log-off question was not answered";
    EXPECT_EQ(mayEnd, static_cast<DWORD_PTR>(TRUE)) << "the program stood in the log-off's way";
    EXPECT_EQ(WaitForMessageBox(program.Id(), 0), nullptr);
    SendMessageTimeoutW(form, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000,
                        nullptr);
    EXPECT_EQ(WaitForMessageBox(program.Id(), 0), nullptr) << "the program asked something";
    DWORD code = ~0u;
    EXPECT_TRUE(program.WaitForExit(10000, &code)) << "the program did not end";
    EXPECT_TRUE(WaitUntil([&] { return TrayIcons().size() == iconsBefore; }, 5000))
        << "the icon stayed behind: " << TrayIcons().size() << " icons, " << iconsBefore
        << " before";
}

}  // namespace
}  // namespace talvex::testing
