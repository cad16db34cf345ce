#include "clipboard/system_clipboard_win.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <optional>

#include "clipboard/case_mapping_win.h"
#include "clipboard/commands.h"
#include "clipboard/text_tools.h"
#include "clipboard/watcher.h"
#include "tests/core/fakes.h"
#include "tests/win/win_support.h"

namespace talvex::testing {
namespace {

const std::u16string kFrench = u"Élève à l'école : « ça coûte 12 € »";
const std::u16string kCjk = u"剪贴板の履歴 클립보드";
const std::u16string kEmoji = u"sourire \xD83D\xDE00 fin";  // U+1F600, a surrogate pair
const std::u16string kLines = u"un\r\ndeux\r\n\r\ntrois";

class SystemClipboardTest : public ::testing::Test {
  protected:
    SystemClipboard clip{MessageOnlyWindow()};
    SystemClipboard watched{MessageOnlyWindow(), SystemClipboard::PrivateText::Hide};

    void PutRaw(const wchar_t* format, const std::string& bytes) {
        ASSERT_EQ(RunToEnd(ClipHelper(), std::wstring(L"raw ") + format + L" " + HexBytes(bytes)),
                  0u);
    }
    // Another program copies `text` with the marks of `kind` (a name of kMarkedKinds).
    void PutPrivate(const std::string& kind, const std::u16string& text) {
        ASSERT_EQ(RunToEnd(ClipHelper(), L"private " + std::wstring(kind.begin(), kind.end()) +
                                             L" " + HexUnits(text)),
                  0u);
    }
};

std::string Utf16Bytes(const std::u16string& s) {
    return std::string(reinterpret_cast<const char*>(s.data()), s.size() * 2);
}

// --- Unicode round trips --------------------------------------------------------------

TEST_F(SystemClipboardTest, UnicodeTextRoundTripsWithinTheProgram) {
    for (const auto& text : {kFrench, kCjk, kEmoji, kLines, std::u16string()}) {
        clip.SetText(text);
        EXPECT_TRUE(clip.HasText());
        EXPECT_EQ(clip.GetText(), text);
    }
}

TEST_F(SystemClipboardTest, UnicodeTextFromAnotherProgramArrivesWhole) {
    for (const auto& text : {kFrench, kCjk, kEmoji, kLines}) {
        CopyFromAnotherProgram(text);
        EXPECT_TRUE(clip.HasText());
        EXPECT_EQ(clip.GetText(), text);
    }
}

TEST_F(SystemClipboardTest, OneMegabyteRoundTrips) {
    std::u16string big;
    big.reserve(1 << 20);
    for (int i = 0; big.size() < (1u << 20); ++i)
        big += u"ligne é" + std::u16string(1, u'0' + i % 10) + u"\r\n";
    clip.SetText(big);
    EXPECT_EQ(clip.GetText(), big);
}

TEST_F(SystemClipboardTest, ClearLeavesNoText) {
    clip.SetText(u"quelque chose");
    clip.Clear();
    EXPECT_FALSE(clip.HasText());
    EXPECT_EQ(clip.GetText(), u"");
}

TEST_F(SystemClipboardTest, APictureIsNoText) {
    ASSERT_EQ(RunToEnd(ClipHelper(), L"picture"), 0u);
    EXPECT_FALSE(clip.HasText());
    EXPECT_EQ(clip.GetText(), u"");
}

TEST_F(SystemClipboardTest, AnsiOnlyTextCountsAsText) {
    PutRaw(L"1", std::string("ansi\0", 5));
    EXPECT_TRUE(clip.HasText());
    EXPECT_EQ(clip.GetText(), u"ansi");
}

TEST_F(SystemClipboardTest, TheChangeCounterMovesWhenTheClipboardChanges) {
    SystemClipboardChangeCounter counter;
    const unsigned long before = counter.Current();
    CopyFromAnotherProgram(u"changement");
    EXPECT_NE(counter.Current(), before);
}

// --- Hostile data: no crash, never past the block ---------------------------------------

TEST_F(SystemClipboardTest, TextWithoutTerminatorStopsAtTheEndOfTheBlock) {
    PutRaw(L"13", Utf16Bytes(u"sans fin"));
    // Windows hands the block over as it is; Wine puts a terminator in its last unit.
    const std::u16string text = clip.GetText();
    EXPECT_TRUE(text == u"sans fin" || text == u"sans fi") << "read " << text.size() << " units";
}

TEST_F(SystemClipboardTest, OddByteCountDropsTheHalfCharacter) {
    PutRaw(L"13", Utf16Bytes(u"abc") + "x");
    EXPECT_EQ(clip.GetText(), u"abc");
}

TEST_F(SystemClipboardTest, TextStopsAtTheFirstNul) {
    PutRaw(L"13", Utf16Bytes(std::u16string(u"avant\0après", 11)));
    EXPECT_EQ(clip.GetText(), u"avant");
}

TEST_F(SystemClipboardTest, ZeroSizeBlockReadsAsEmptyOrFailsCleanly) {
    const DWORD put = RunToEnd(ClipHelper(), L"raw 13 -");
    ASSERT_NE(put, ~0u);
    try {
        EXPECT_EQ(clip.GetText(), u"");
    } catch (const ClipboardError&) {
        SUCCEED() << "reported as a clipboard failure";
    }
}

// --- Private text is not for the history ------------------------------------------------

TEST_F(SystemClipboardTest, TheWatcherRecordsNoPrivateText) {
    HistoryListFake list;
    SystemClipboardChangeCounter counter;
    ClipboardWatcher watcher(watched, list, &counter);
    CopyFromAnotherProgram(u"visible");
    watcher.Tick();
    PutPrivate("exclude", u"secret");
    watcher.Tick();
    CopyFromAnotherProgram(u"encore");
    watcher.Tick();
    EXPECT_EQ(list.items, (std::vector<std::u16string>{u"visible", u"encore"}));
}

TEST_F(SystemClipboardTest, ReadTextGivesTheMarksAndTheWatcherOnlyTheTextsItMayKeep) {
    ASSERT_EQ(RunToEnd(ClipHelper(), L"picture"), 0u);
    ClipboardText found = clip.ReadText();
    EXPECT_FALSE(found.text.has_value());
    EXPECT_FALSE(found.privacy.IsPrivate());
    clip.SetText(u"");
    found = clip.ReadText();
    EXPECT_EQ(found.text, u"");
    PutRaw(L"1", std::string("ansi\0", 5));
    EXPECT_EQ(clip.ReadText().text, u"ansi");

    for (const MarkedKind& kind : kMarkedKinds) {
        SCOPED_TRACE(kind.name);
        PutPrivate(kind.name, u"motdepasse");
        found = clip.ReadText();
        EXPECT_EQ(found.text, u"motdepasse");
        EXPECT_EQ(found.privacy, kind.marks);
        // The watcher's view gives the marks, and the text only when it may be kept.
        found = watched.ReadText();
        EXPECT_EQ(found.privacy, kind.marks);
        EXPECT_EQ(found.text.has_value(), !kind.privateText);
        EXPECT_EQ(watched.HasText(), !kind.privateText);
        EXPECT_EQ(watched.GetText(), kind.privateText ? u"" : u"motdepasse");
        EXPECT_EQ(SystemClipboard::HoldsPrivateText(), kind.privateText);
    }
}

TEST_F(SystemClipboardTest, AMarkedTextSetHereCarriesExactlyItsMarks) {
    for (const MarkedKind& kind : kMarkedKinds) {
        SCOPED_TRACE(kind.name);
        clip.SetMarkedText(u"secret", kind.marks);
        const ClipboardText found = clip.ReadText();
        EXPECT_EQ(found.text, u"secret");
        EXPECT_EQ(found.privacy, kind.marks);
        EXPECT_EQ(SystemClipboard::HoldsPrivateText(), kind.privateText);
        EXPECT_EQ(watched.GetText(), kind.privateText ? u"" : u"secret");
    }
    // A plain text set over it takes the marks away.
    clip.SetText(u"public");
    EXPECT_FALSE(clip.ReadText().privacy.HasMarks());
    EXPECT_FALSE(SystemClipboard::HoldsPrivateText());
    EXPECT_EQ(watched.GetText(), u"public");
}

TEST_F(SystemClipboardTest, ACaseToolGivesBackEveryMarkAsItCameAndAddsNothing) {
    WindowsCaseMapper cases;
    ToolsPanelFake panel;
    MessageBoxesFake boxes;
    for (const MarkedKind& kind : kMarkedKinds) {
        SCOPED_TRACE(kind.name);
        HistoryListFake list;
        SystemClipboardChangeCounter counter;
        ClipboardWatcher watcher(watched, list, &counter);
        CopyFromAnotherProgram(u"visible");
        watcher.Tick();
        PutPrivate(kind.name, u"mot de passe");
        watcher.Tick();
        const std::map<UINT, std::string> before = FormatsOnClipboard();
        ASSERT_TRUE(before.contains(CF_UNICODETEXT));
        panel.open = true;
        RunTextTool(kToolUpperCase, clip, cases, panel, boxes);
        EXPECT_FALSE(panel.open);
        EXPECT_EQ(TextOnClipboard(), u"MOT DE PASSE");
        // The same formats, each mark with the same data, read as any program reads them.
        EXPECT_EQ(FormatsOnClipboard(), before);
        EXPECT_EQ(clip.ReadText().privacy, kind.marks);
        watcher.Tick();
        if (kind.privateText)
            EXPECT_EQ(list.items, std::vector<std::u16string>{u"visible"});
        else
            EXPECT_EQ(list.items,
                      (std::vector<std::u16string>{u"visible", u"mot de passe", u"MOT DE PASSE"}));
    }
}

// --- Another program holding the clipboard ---------------------------------------------

class HeldClipboard {
  public:
    explicit HeldClipboard(DWORD ms) {
        ready_ = CreateEventW(nullptr, TRUE, FALSE, L"TalvexTestClipboardHeld");
        holder_ =
            Process(ClipHelper(), L"hold " + std::to_wstring(ms) + L" TalvexTestClipboardHeld");
        held_ = WaitForSingleObject(ready_, 15000) == WAIT_OBJECT_0;
    }
    ~HeldClipboard() {
        holder_.WaitForExit(15000);
        CloseHandle(ready_);
    }
    bool Held() const { return held_; }

  private:
    HANDLE ready_;
    Process holder_;
    bool held_ = false;
};

TEST_F(SystemClipboardTest, ABusyClipboardIsReportedAsAnError) {
    clip.SetText(u"avant");
    HeldClipboard held(3000);
    ASSERT_TRUE(held.Held());
    EXPECT_THROW(clip.SetText(u"après"), ClipboardError);
    EXPECT_THROW(clip.Clear(), ClipboardError);
    EXPECT_THROW(clip.GetText(), ClipboardError);
}

TEST_F(SystemClipboardTest, TheWatcherSkipsABusyClipboardAndRecordsTheTextLater) {
    HistoryListFake list;
    SystemClipboardChangeCounter counter;
    ClipboardWatcher watcher(watched, list, &counter);
    CopyFromAnotherProgram(u"copié avant");
    {
        HeldClipboard held(1500);
        ASSERT_TRUE(held.Held());
        EXPECT_NO_THROW(watcher.Tick());
    }
    watcher.Tick();
    ASSERT_FALSE(list.items.empty());
    EXPECT_EQ(list.items.back(), u"copié avant");
}

TEST_F(SystemClipboardTest, AShortHoldIsWaitedOut) {
    HeldClipboard held(20);
    ASSERT_TRUE(held.Held());
    // Held for 20 ms after the signal: the retries (under 100 ms in all) get through.
    EXPECT_NO_THROW(clip.SetText(u"patient"));
    EXPECT_EQ(clip.GetText(), u"patient");
}

// --- The clipboard's owner -------------------------------------------------------------

// Another program that owns the clipboard with `text` (rendered at once, or only promised when
// `late`) and takes 150 ms over every message its clipboard window gets: busy, never hung.
// At the end it tells which messages it got, so what our calls cost it is counted, not timed.
class BusyOwner {
  public:
    BusyOwner(const std::u16string& text, bool late) {
        ready_ = CreateEventW(nullptr, TRUE, FALSE, L"TalvexTestBusyOwnerReady");
        quit_ = CreateEventW(nullptr, TRUE, FALSE, L"TalvexTestBusyOwnerQuit");
        wchar_t folder[MAX_PATH];
        log_ = std::wstring(folder, GetTempPathW(MAX_PATH, folder)) + L"talvex-busy-owner.log";
        DeleteFileW(log_.c_str());
        owner_ = Process(ClipHelper(), L"busy 150 " + HexUnits(text) + L" \"" + log_ +
                                           L"\" TalvexTestBusyOwnerReady TalvexTestBusyOwnerQuit" +
                                           (late ? L" late" : L""));
        ready = WaitForSingleObject(ready_, 15000) == WAIT_OBJECT_0;
    }
    ~BusyOwner() {
        CloseHandle(ready_);
        CloseHandle(quit_);
    }
    // Ends it; the messages its clipboard window got while it owned the clipboard and after.
    std::vector<UINT> Received() {
        SetEvent(quit_);
        DWORD code = ~0u;
        EXPECT_TRUE(owner_.WaitForExit(15000, &code));
        EXPECT_EQ(code, 0u);
        std::vector<UINT> messages;
        if (FILE* log = _wfopen(log_.c_str(), L"r")) {
            for (unsigned message = 0; std::fscanf(log, "%u", &message) == 1;)
                messages.push_back(message);
            std::fclose(log);
        }
        return messages;
    }

    bool ready = false;

  private:
    HANDLE ready_;
    HANDLE quit_;
    std::wstring log_;
    Process owner_;
};

TEST_F(SystemClipboardTest, ABusyOwnerGetsFromTicksAndWritesOnlyWhatTheSystemSends) {
    WindowsCaseMapper cases;
    ToolsPanelFake panel;
    MessageBoxesFake boxes;
    boxes.answer = Answer::Yes;
    TextBoxFake text1;
    text1.text = u"copie";
    struct Write {
        const char* name;
        std::function<void(HistoryListFake& list, ClipboardWatcher& watcher)> run;
        std::optional<std::u16string> after;
    };
    const Write writes[] = {
        {"Copy", [&](HistoryListFake&, ClipboardWatcher&) { CopyCommand(text1, clip); }, u"copie"},
        {"Clear",
         [&](HistoryListFake& list, ClipboardWatcher& watcher) {
             ClearCommand(boxes, list, clip, &watcher);
         },
         std::nullopt},
        {"upper case",
         [&](HistoryListFake&, ClipboardWatcher&) {
             panel.open = true;
             RunTextTool(kToolUpperCase, clip, cases, panel, boxes);
             EXPECT_FALSE(panel.open);
         },
         u"OCCUPÉ"}};
    for (const Write& write : writes) {
        for (bool late : {false, true}) {
            SCOPED_TRACE(std::string(write.name) + (late ? ", text only promised" : ""));
            BusyOwner owner(u"occupé", late);
            ASSERT_TRUE(owner.ready);
            HistoryListFake list;
            SystemClipboardChangeCounter counter;
            ClipboardWatcher watcher(watched, list, &counter);
            for (int i = 0; i < 3; ++i) EXPECT_NO_THROW(watcher.Tick());
            EXPECT_EQ(list.items, std::vector<std::u16string>{u"occupé"});
            EXPECT_NO_THROW(write.run(list, watcher));
            EXPECT_EQ(TextOnClipboard(), write.after);
            // A promised text is asked of its owner once, by the system; emptying the
            // clipboard tells the old owner. Nothing else reaches it.
            std::vector<UINT> expected;
            if (late) expected.push_back(WM_RENDERFORMAT);
            expected.push_back(WM_DESTROYCLIPBOARD);
            EXPECT_EQ(owner.Received(), expected);
        }
    }
}

TEST_F(SystemClipboardTest, AHungOwnerMakesAReadBusyButNotAWrite) {
    // It promises text, looks at its messages once, then sleeps without answering any.
    Process silent(ClipHelper(), L"delayed 30000");
    HWND owner = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            owner = GetClipboardOwner();
            return owner != nullptr && IsClipboardFormatAvailable(CF_UNICODETEXT);
        },
        15000));
    // The system counts a program as hung after some seconds without a look at its messages.
    ASSERT_TRUE(WaitUntil([&] { return IsHungAppWindow(owner) != FALSE; }, 20000));
    EXPECT_THROW(clip.GetText(), ClipboardError);
    EXPECT_THROW(clip.ReadText(), ClipboardError);
    HistoryListFake list;
    ClipboardWatcher watcher(watched, list);
    EXPECT_NO_THROW(watcher.Tick());
    EXPECT_TRUE(list.items.empty());
    // Writing needs nothing from the old owner.
    EXPECT_NO_THROW(clip.SetText(u"remplacer"));
    EXPECT_EQ(TextOnClipboard(), u"remplacer");
    // All came back while the owner still sleeps: nothing waited for it.
    EXPECT_FALSE(silent.WaitForExit(0));
}

// --- Idle ticks leave the clipboard alone ----------------------------------------------

class CountingClipboard : public Clipboard {
  public:
    explicit CountingClipboard(Clipboard& inner) : inner_(inner) {}
    int opens = 0;
    bool HasText() override { return inner_.HasText(); }
    std::u16string GetText() override {
        ++opens;
        return inner_.GetText();
    }
    ClipboardText ReadText() override {
        ++opens;
        return inner_.ReadText();
    }
    void SetText(const std::u16string& t) override {
        ++opens;
        inner_.SetText(t);
    }
    void SetMarkedText(const std::u16string& t, const TextPrivacy& privacy) override {
        ++opens;
        inner_.SetMarkedText(t, privacy);
    }
    void Clear() override {
        ++opens;
        inner_.Clear();
    }

  private:
    Clipboard& inner_;
};

TEST_F(SystemClipboardTest, IdleTicksReadNothing) {
    CountingClipboard counting(watched);
    HistoryListFake list;
    SystemClipboardChangeCounter counter;
    ClipboardWatcher watcher(counting, list, &counter);
    CopyFromAnotherProgram(u"une fois");
    watcher.Tick();
    // The clipboard held still during the tick: one read served its three steps.
    EXPECT_EQ(counting.opens, 1);
    for (int i = 0; i < 10; ++i) watcher.Tick();
    EXPECT_EQ(counting.opens, 1);
    CopyFromAnotherProgram(u"deux fois");
    watcher.Tick();
    EXPECT_EQ(list.items, (std::vector<std::u16string>{u"une fois", u"deux fois"}));
}

}  // namespace
}  // namespace talvex::testing
