// Copy, Recall, Clear and the four text tools, driven as a user drives them: real mouse clicks
// inside the controls and the history's rows, message boxes read and answered, the clipboard
// read from this process as any other program would read it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "clipboard/system_clipboard_win.h"
#include "tests/win/win_support.h"
#include "ui/control_ids.h"
#include "ui/texts.h"

namespace talvex::testing {
namespace {

using Items = std::vector<std::u16string>;
// Wine's edit control lays out a megabyte of lines in seconds (Windows in milliseconds).
constexpr DWORD kMegabyteDeadline = 60000;

constexpr int kText1ClosedPx = 155;  // 2325 twips
constexpr int kText1OpenPx = 123;    // 1845 twips

constexpr int kMajuscule = ids::kKeytool0;
constexpr int kMiniscule = ids::kKeytool0 + 1;
constexpr int kDebutMajuscule = ids::kKeytool0 + 2;
constexpr int kCaracteres = ids::kKeytool0 + 3;

int ControlTextLength(HWND control) {
    return static_cast<int>(SendMessageW(control, WM_GETTEXTLENGTH, 0, 0));
}

int HeightOf(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r.bottom - r.top;
}

// A button of a message box the user can see and press.
bool ShowsButton(HWND box, int id) {
    HWND button = GetDlgItem(box, id);
    return button != nullptr && IsWindowVisible(button);
}

class CommandsAsAUser : public ProgramTest {
  protected:
    void Start() {
        ASSERT_NO_FATAL_FAILURE(StartProgram());
        ASSERT_EQ(HeightOf(text1), kText1ClosedPx);
    }

    void OpenToolsPanel() {
        ClickControl(ids::kCommand3);
        ASSERT_TRUE(WaitUntil([&] { return HeightOf(text1) == kText1OpenPx; }, kSoon));
    }

    // Opens the panel, clicks a tool, and waits for the clipboard to hold `expected` and the
    // history to take it as a new last entry.
    void RunCaseTool(int tool, const std::u16string& expected) {
        const std::size_t before = ReadListBox(list).size();
        OpenToolsPanel();
        ClickControl(tool);
        EXPECT_TRUE(WaitUntil([&] { return TextOnClipboard() == expected; }, kSoon));
        EXPECT_TRUE(WaitUntil([&] { return HeightOf(text1) == kText1ClosedPx; }, kSoon));
        ASSERT_TRUE(WaitUntil([&] { return ReadListBox(list).size() == before + 1; }, kTwoTicks));
        EXPECT_EQ(ReadListBox(list).back(), expected);
    }

    std::u16string Text1() { return ControlText(text1); }

    // Starts `holder`, another program that holds the clipboard for `ms`, and waits until it
    // does.
    void HoldClipboard(DWORD ms, Process& holder) {
        const wchar_t* eventName = L"TalvexE2eClipboardHeld";
        HANDLE held = CreateEventW(nullptr, TRUE, FALSE, eventName);
        ASSERT_NE(held, nullptr);
        ResetEvent(held);  // a holder of an earlier test may still keep it, set
        holder = Process(ClipHelper(), L"hold " + std::to_wstring(ms) + L" " + eventName);
        const bool holds = holder.Started() && WaitForSingleObject(held, 10000) == WAIT_OBJECT_0;
        CloseHandle(held);
        ASSERT_TRUE(holds);
    }

    // The failure box of a command that met a busy clipboard: under the title, `headline`
    // first, then the reason and the reassurance. Answered OK.
    void AnswerBusyClipboardBox(const std::u16string& headline) {
        HWND box = WaitForBox();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(WindowText(box), u"Talvex Press 1.0");
        const std::u16string said = MessageBoxText(box);
        EXPECT_EQ(said.rfind(headline, 0), 0u) << ::testing::PrintToString(said);
        EXPECT_NE(said.find(u"occupé par un autre programme"), std::u16string::npos);
        EXPECT_NE(said.find(u"Talvex Press continue de fonctionner."), std::u16string::npos);
        SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }, kSoon));
    }
};

// --- The text tools -------------------------------------------------------------------------

TEST_F(CommandsAsAUser, CaseToolsRewriteTheClipboardAndTheHistoryTakesEachResult) {
    Start();
    const std::u16string original = u"élève à l'école, jean-pierre dit hello wORLD";
    ASSERT_TRUE(CopyAndWait(original, 1));

    // Closed, the panel is under Text1: a click where Majuscule sits reaches the text box.
    ClickControl(kMajuscule);
    Sleep(kTwoTicks);
    EXPECT_EQ(TextOnClipboard(), original);
    EXPECT_EQ(ReadListBox(list).size(), 1u);

    RunCaseTool(kMajuscule, u"ÉLÈVE À L'ÉCOLE, JEAN-PIERRE DIT HELLO WORLD");
    RunCaseTool(kMiniscule, u"élève à l'école, jean-pierre dit hello world");
    RunCaseTool(kDebutMajuscule, u"Élève À L'école, Jean-Pierre Dit Hello World");
    EXPECT_EQ(ReadListBox(list), (Items{original, u"ÉLÈVE À L'ÉCOLE, JEAN-PIERRE DIT HELLO WORLD",
                                        u"élève à l'école, jean-pierre dit hello world",
                                        u"Élève À L'école, Jean-Pierre Dit Hello World"}));
}

TEST_F(CommandsAsAUser, CharacterCountReportsTheLengthAndClosesThePanel) {
    Start();
    ASSERT_TRUE(CopyAndWait(u"hello\r\n", 1));
    OpenToolsPanel();
    ClickControl(kCaracteres);
    HWND box = WaitForBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(WindowText(box), u"Talvex Press 1.0 ");
    EXPECT_EQ(MessageBoxText(box), texts::CharacterCountMessage(7));
    EXPECT_TRUE(ShowsButton(box, IDOK));
    EXPECT_FALSE(ShowsButton(box, IDNO));
    SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return HeightOf(text1) == kText1ClosedPx; }, kSoon));
    EXPECT_EQ(TextOnClipboard(), u"hello\r\n");
    EXPECT_EQ(ReadListBox(list), Items{u"hello\r\n"});
}

TEST_F(CommandsAsAUser, CharacterCountOfAPictureIsZero) {
    Start();
    ASSERT_EQ(RunToEnd(ClipHelper(), L"picture"), 0u);
    OpenToolsPanel();
    ClickControl(kCaracteres);
    HWND box = WaitForBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), texts::CharacterCountMessage(0));
    SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return HeightOf(text1) == kText1ClosedPx; }, kSoon));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
}

TEST_F(CommandsAsAUser, CaseToolOnAPictureLeavesItAndAddsNoEntry) {
    Start();
    ASSERT_TRUE(CopyAndWait(u"texte", 1));
    ASSERT_EQ(RunToEnd(ClipHelper(), L"picture"), 0u);
    OpenToolsPanel();
    ClickControl(kMajuscule);
    EXPECT_TRUE(WaitUntil([&] { return HeightOf(text1) == kText1ClosedPx; }, kSoon));
    Sleep(kTwoTicks);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
    EXPECT_EQ(ReadListBox(list), Items{u"texte"});
}

TEST_F(CommandsAsAUser, CaseToolOnAPrivateTextKeepsItPrivateAndOutOfTheHistory) {
    Start();
    ASSERT_TRUE(CopyAndWait(u"visible", 1));
    ASSERT_EQ(RunToEnd(ClipHelper(), L"private exclude " + HexUnits(u"mot de passe")), 0u);
    OpenToolsPanel();
    ClickControl(kMajuscule);
    EXPECT_TRUE(WaitUntil([&] { return TextOnClipboard() == u"MOT DE PASSE"; }, kSoon));
    EXPECT_TRUE(WaitUntil([&] { return HeightOf(text1) == kText1ClosedPx; }, kSoon));
    Sleep(kTwoTicks);
    EXPECT_TRUE(SystemClipboard::HoldsPrivateText());
    EXPECT_EQ(ReadListBox(list), Items{u"visible"});
}

// --- Clear ----------------------------------------------------------------------------------

TEST_F(CommandsAsAUser, ClearAsksThenNoKeepsEverythingAndYesEmptiesListAndClipboard) {
    Start();
    ASSERT_TRUE(CopyAndWait(u"un", 1));
    ASSERT_TRUE(CopyAndWait(u"deux", 2));

    ClickControl(ids::kCommand2);
    HWND box = WaitForBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(WindowText(box), u"Talvex Press 1.0");
    EXPECT_EQ(MessageBoxText(box), u"Etes vous sûre d'effacer la presse papier ?");
    ASSERT_TRUE(ShowsButton(box, IDYES));
    ASSERT_TRUE(ShowsButton(box, IDNO));
    EXPECT_FALSE(ShowsButton(box, IDOK));
    SendMessageW(GetDlgItem(box, IDNO), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }, kSoon));
    Sleep(kTwoTicks);
    EXPECT_EQ(ReadListBox(list), (Items{u"un", u"deux"}));
    EXPECT_EQ(TextOnClipboard(), u"deux");

    ClickControl(ids::kCommand2);
    box = WaitForBox();
    ASSERT_NE(box, nullptr);
    SendMessageW(GetDlgItem(box, IDYES), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return ReadListBox(list).empty(); }, kSoon));
    EXPECT_TRUE(WaitUntil([] { return !IsClipboardFormatAvailable(CF_UNICODETEXT); }, kSoon));

    // The last text is still remembered: copied again, it adds nothing; another text does.
    CopyFromAnotherProgram(u"deux");
    Sleep(kTwoTicks);
    EXPECT_TRUE(ReadListBox(list).empty());
    ASSERT_TRUE(CopyAndWait(u"trois", 1));
    EXPECT_EQ(ReadListBox(list), Items{u"trois"});
}

TEST_F(CommandsAsAUser, ClearWhileAnotherProgramHoldsTheClipboardSaysTheHistoryIsGone) {
    Start();
    ASSERT_TRUE(CopyAndWait(u"un", 1));
    Process holder;
    ASSERT_NO_FATAL_FAILURE(HoldClipboard(4000, holder));

    ClickControl(ids::kCommand2);
    HWND question = WaitForBox();
    ASSERT_NE(question, nullptr);
    SendMessageW(GetDlgItem(question, IDYES), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(question); }, kSoon));
    ASSERT_NO_FATAL_FAILURE(AnswerBusyClipboardBox(
        u"L'historique a été vidé, mais le presse-papiers n'a pas pu l'être."));
    EXPECT_TRUE(ReadListBox(list).empty());
    EXPECT_FALSE(program.WaitForExit(0));
    ASSERT_TRUE(holder.WaitForExit(10000));
    EXPECT_TRUE(TextOnClipboard() == u"un");
}

// --- Recall and Copy ------------------------------------------------------------------------

TEST_F(CommandsAsAUser, RecallOfAMegabyteEntryAndCopyGiveBackExactlyTheSameText) {
    std::u16string big;
    big.reserve(1 << 20);
    for (int line = 0; big.size() < (1u << 20); ++line)
        big += u"ligne " + std::u16string(1, static_cast<char16_t>(u'0' + line % 10)) +
               u" élève \xD83D\xDE00 à l'école\t fin\r\n";
    Start();
    ASSERT_TRUE(PutOnClipboard(big));
    ASSERT_TRUE(WaitUntil([&] { return HistoryCount() == 1; }, kTwoTicks));
    ASSERT_TRUE(CopyAndWait(u"petit", 2));
    ASSERT_TRUE(ReadListBox(list) == (Items{big, u"petit"}));

    ClickEntry(0);
    ASSERT_TRUE(WaitUntil([&] { return ControlTextLength(text1) == static_cast<int>(big.size()); },
                          kMegabyteDeadline));
    EXPECT_TRUE(Text1() == big);

    // The keyboard recalls as well.
    PressKey(VK_DOWN);
    EXPECT_TRUE(WaitUntil([&] { return Text1() == u"petit"; }, kSoon));
    PressKey(VK_UP);
    ASSERT_TRUE(WaitUntil([&] { return ControlTextLength(text1) == static_cast<int>(big.size()); },
                          kMegabyteDeadline));

    ASSERT_EQ(RunToEnd(ClipHelper(), L"empty"), 0u);
    ClickControl(ids::kCommand1);
    ASSERT_TRUE(
        WaitUntil([&] { return TextOnClipboard().value_or(u"").size() == big.size(); }, kSoon));
    EXPECT_TRUE(TextOnClipboard() == big);
    // Copied back, the recalled text comes at the end; the entry it came from stays.
    ASSERT_TRUE(WaitUntil([&] { return HistoryCount() == 3; }, kTwoTicks));
    EXPECT_TRUE(ReadListBox(list) == (Items{big, u"petit", big}));
}

TEST_F(CommandsAsAUser, CopyWhileAnotherProgramHoldsTheClipboardSaysSoAndLosesNothing) {
    Start();
    ASSERT_TRUE(CopyAndWait(u"avant", 1));
    ClickEntry(0);
    ASSERT_TRUE(WaitUntil([&] { return Text1() == u"avant"; }, kSoon));
    const std::u16string mine = u"mon texte à copier\r\ndeuxième ligne";
    SendMessageW(text1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(mine.c_str()));

    Process holder;
    ASSERT_NO_FATAL_FAILURE(HoldClipboard(4000, holder));

    ClickControl(ids::kCommand1);
    ASSERT_NO_FATAL_FAILURE(
        AnswerBusyClipboardBox(u"L'opération sur le presse-papiers n'a pas pu se faire."));

    EXPECT_FALSE(program.WaitForExit(0));
    EXPECT_EQ(Text1(), mine);
    EXPECT_EQ(ReadListBox(list), Items{u"avant"});

    // Once the other program lets go, the same click copies.
    ASSERT_TRUE(holder.WaitForExit(10000));
    ClickControl(ids::kCommand1);
    EXPECT_TRUE(WaitUntil([&] { return TextOnClipboard() == mine; }, kSoon));
    EXPECT_TRUE(WaitUntil([&] { return ReadListBox(list) == Items{u"avant", mine}; }, kTwoTicks));
}

}  // namespace
}  // namespace talvex::testing
