// The program as a user and other programs meet it: started for real, fed from another
// process, read from outside through its list box.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/win/win_support.h"
#include "ui/control_ids.h"

namespace talvex::testing {
namespace {

using Items = std::vector<std::u16string>;

class RunningTalvex : public ProgramTest {
  protected:
    void Start() { ASSERT_NO_FATAL_FAILURE(StartProgram()); }
};

TEST_F(RunningTalvex, CopiedTextsAppearInOrderExactly) {
    ASSERT_EQ(RunToEnd(ClipHelper(), L"empty"), 0u);
    Start();
    EXPECT_TRUE(ReadListBox(list).empty());

    const std::u16string multiLine = u"première ligne\r\nseconde ligne é 字 \xD83D\xDE00";
    ASSERT_TRUE(CopyAndWait(u"Bonjour", 1));
    ASSERT_TRUE(CopyAndWait(u"BONJOUR", 2));
    ASSERT_TRUE(CopyAndWait(multiLine, 3));
    ASSERT_TRUE(CopyAndWait(u"Bonjour", 4));
    // The same text again: nothing new within two ticks.
    CopyFromAnotherProgram(u"Bonjour");
    Sleep(kTwoTicks);
    EXPECT_EQ(ReadListBox(list), (Items{u"Bonjour", u"BONJOUR", multiLine, u"Bonjour"}));
}

TEST_F(RunningTalvex, TextOnTheClipboardAtStartBecomesTheFirstEntry) {
    CopyFromAnotherProgram(u"déjà copié");
    Start();
    ASSERT_TRUE(WaitUntil([&] { return !ReadListBox(list).empty(); }, kTwoTicks));
    EXPECT_EQ(ReadListBox(list), Items{u"déjà copié"});
}

TEST_F(RunningTalvex, APictureAddsNothing) {
    ASSERT_EQ(RunToEnd(ClipHelper(), L"empty"), 0u);
    Start();
    ASSERT_TRUE(CopyAndWait(u"texte", 1));
    ASSERT_EQ(RunToEnd(ClipHelper(), L"picture"), 0u);
    Sleep(kTwoTicks);
    EXPECT_EQ(ReadListBox(list), Items{u"texte"});
}

// From Windows 11 22H2 a new icon waits in the overflow until the user pins it: after
// "Réduire" a second start may be the only way back the user finds.
TEST_F(RunningTalvex, ASecondCopySaysSoAndEndsAndTheHiddenFirstComesToTheFront) {
    ASSERT_EQ(RunToEnd(ClipHelper(), L"empty"), 0u);
    Start();
    ASSERT_TRUE(CopyAndWait(u"historique", 1));
    PostMessageW(Control(ids::kCommand4), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(form); }, kSoon));

    Process second(ProgramPath());
    ASSERT_TRUE(second.Started());
    HWND box = WaitForMessageBox(second.Id(), 20000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(WindowText(box), u"Talvex Press 1.0");
    EXPECT_EQ(MessageBoxText(box), u"Vous ne pouvez pas éxécuter cette application deux fois!!");
    // The second copy's window stays hidden while it asks.
    if (HWND secondForm = WaitForWindow(second.Id(), L"TalvexPress.Form1", 0)) {
        EXPECT_FALSE(IsWindowVisible(secondForm));
    }
    EXPECT_FALSE(IsWindowVisible(form)) << "the first came forward before the answer";
    SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    DWORD code = 1;
    EXPECT_TRUE(second.WaitForExit(10000, &code));

    EXPECT_TRUE(program.WaitForExit(0) == false);
    EXPECT_TRUE(
        WaitUntil([&] { return IsWindowVisible(form) && GetForegroundWindow() == form; }, kSoon));
    EXPECT_EQ(ReadListBox(list), Items{u"historique"});
    ASSERT_TRUE(CopyAndWait(u"toujours là", 2));
}

TEST_F(RunningTalvex, CopiesStartedTogetherLeaveExactlyOne) {
    ASSERT_EQ(RunToEnd(ClipHelper(), L"empty"), 0u);
    std::vector<Process> copies;
    for (int i = 0; i < 4; ++i) copies.emplace_back(ProgramPath());
    // Every copy but one shows the message; answer each once.
    const std::vector<bool> asked = AnswerEachCopyOnce(copies, 3, 30000);
    EXPECT_EQ(std::count(asked.begin(), asked.end(), true), 3);
    int running = 0;
    for (std::size_t i = 0; i < copies.size(); ++i) {
        if (copies[i].WaitForExit(10000)) continue;
        ++running;
        // The one left is the real thing: its window is up and it never asked.
        EXPECT_FALSE(asked[i]);
        HWND survivor = WaitForWindow(copies[i].Id(), L"TalvexPress.Form1", 10000);
        EXPECT_TRUE(survivor != nullptr && IsWindowVisible(survivor));
    }
    EXPECT_EQ(running, 1);
}

TEST_F(RunningTalvex, LogOffEndsTheProgramWithoutAsking) {
    Start();
    SendMessageTimeoutW(form, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000,
                        nullptr);
    SendMessageTimeoutW(form, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000,
                        nullptr);
    EXPECT_TRUE(program.WaitForExit(10000));
    EXPECT_EQ(WaitForMessageBox(program.Id(), 0), nullptr);
}

}  // namespace
}  // namespace talvex::testing
