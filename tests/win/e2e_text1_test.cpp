// Text1 as a user and other programs meet it, in the real program: real keys and clicks sent
// from this process, the text read back with the messages any program may send to a text box.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/win/screen_reader_support.h"
#include "tests/win/win_support.h"
#include "ui/control_ids.h"

namespace talvex::testing {
namespace {

using Selection = std::pair<DWORD, DWORD>;

class Text1AsAUser : public ProgramTest {
  protected:
    void Start() {
        ASSERT_NO_FATAL_FAILURE(StartProgram());
        ASSERT_TRUE(BringToFront());
        ASSERT_NO_FATAL_FAILURE(FocusOn(text1));
    }

    // The window moves the keyboard there itself, as for a Tab (a text box gets all selected).
    void FocusOn(HWND control) {
        SendMessageW(form, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
        ASSERT_TRUE(WaitUntil([&] { return FocusIn(form) == control; }, kSoon));
    }

    void SetText1(const std::u16string& text) {
        SendMessageW(text1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    std::u16string Text() const { return ControlText(text1); }
    Selection Sel() const {
        DWORD start = 0, end = 0;
        SendMessageW(text1, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        return {start, end};
    }
    void Select(DWORD anchor, DWORD caret) { SendMessageW(text1, EM_SETSEL, anchor, caret); }

    // Waits until the keys sent so far have been handled: the program answers a sent message
    // only between two of its queued ones, so a full round trip after the keys left is enough
    // once they are in its queue.
    bool TextBecomes(const std::u16string& expected) {
        return WaitUntil([&] { return Text() == expected; }, kSoon);
    }
    bool SelectionBecomes(Selection expected) {
        return WaitUntil([&] { return Sel() == expected; }, kSoon);
    }

    // A point of Text1 on screen: where the caret stands before character `index`, plus `dx`.
    POINT AtChar(DWORD index, int dx = 0) {
        const LRESULT at = SendMessageW(text1, EM_POSFROMCHAR, index, 0);
        POINT p{static_cast<short>(LOWORD(at)) + dx, static_cast<short>(HIWORD(at)) + 4};
        ClientToScreen(text1, &p);
        return p;
    }
};

TEST_F(Text1AsAUser, KeysEditAsInAWindowsTextBox) {
    Start();
    TypeUnits(u"Bonjour le monde");
    ASSERT_TRUE(TextBecomes(u"Bonjour le monde"));
    PressKey(VK_RETURN);
    TypeUnits(u"élève");
    ASSERT_TRUE(TextBecomes(u"Bonjour le monde\r\nélève"));

    // Backspace takes one character, Ctrl+Backspace a word.
    PressKey(VK_BACK);
    EXPECT_TRUE(TextBecomes(u"Bonjour le monde\r\nélèv"));
    PressKey(VK_BACK, {VK_CONTROL});
    EXPECT_TRUE(TextBecomes(u"Bonjour le monde\r\n"));
    PressKey(VK_BACK);  // the line break goes as one
    EXPECT_TRUE(TextBecomes(u"Bonjour le monde"));

    // Home, Ctrl+Right, Delete and Ctrl+Delete.
    PressKey(VK_HOME);
    EXPECT_TRUE(SelectionBecomes({0, 0}));
    PressKey(VK_RIGHT, {VK_CONTROL});
    EXPECT_TRUE(SelectionBecomes({8, 8}));
    PressKey(VK_DELETE, {VK_CONTROL});
    EXPECT_TRUE(TextBecomes(u"Bonjour monde"));
    PressKey(VK_DELETE);
    EXPECT_TRUE(TextBecomes(u"Bonjour onde"));

    // Shift+arrows select, typing replaces; End and Ctrl+Left.
    PressKey(VK_END);
    PressKey(VK_LEFT, {VK_CONTROL, VK_SHIFT});
    EXPECT_TRUE(SelectionBecomes({8, 12}));
    TypeUnits(u"Monde");
    EXPECT_TRUE(TextBecomes(u"Bonjour Monde"));
    PressKey(VK_LEFT, {VK_SHIFT});
    PressKey(VK_LEFT, {VK_SHIFT});
    EXPECT_TRUE(SelectionBecomes({11, 13}));
    PressKey(VK_LEFT);  // a selection collapses to its start
    EXPECT_TRUE(SelectionBecomes({11, 11}));

    // Ctrl+Home, Ctrl+End, Ctrl+A.
    PressKey(VK_HOME, {VK_CONTROL});
    EXPECT_TRUE(SelectionBecomes({0, 0}));
    PressKey(VK_END, {VK_CONTROL, VK_SHIFT});
    EXPECT_TRUE(SelectionBecomes({0, 13}));
    PressKey(VK_END);
    PressKey('A', {VK_CONTROL});
    EXPECT_TRUE(SelectionBecomes({0, 13}));

    // Ctrl+Tab types a tab; Tab moves on and types nothing; Esc does nothing.
    PressKey(VK_END);
    PressKey(VK_TAB, {VK_CONTROL});
    EXPECT_TRUE(TextBecomes(u"Bonjour Monde\t"));
    PressKey(VK_ESCAPE);
    PressKey(VK_TAB);
    EXPECT_TRUE(WaitUntil([&] { return FocusIn(form) == list; }, kSoon));
    EXPECT_EQ(Text(), u"Bonjour Monde\t");
    PressKey(VK_TAB, {VK_SHIFT});
    EXPECT_TRUE(WaitUntil([&] { return FocusIn(form) == text1; }, kSoon));
}

TEST_F(Text1AsAUser, UndoAndRedoGoBackAndForthOverSeveralSteps) {
    Start();
    TypeUnits(u"un");
    ASSERT_TRUE(TextBecomes(u"un"));
    PressKey(VK_LEFT);  // a caret move ends the typing step
    PressKey(VK_RIGHT);
    TypeUnits(u" deux");
    ASSERT_TRUE(TextBecomes(u"un deux"));
    PressKey('A', {VK_CONTROL});
    PressKey(VK_DELETE);
    ASSERT_TRUE(TextBecomes(u""));

    PressKey('Z', {VK_CONTROL});
    EXPECT_TRUE(TextBecomes(u"un deux"));
    EXPECT_TRUE(SelectionBecomes({0, 7}));  // as it was before the step
    PressKey('Z', {VK_CONTROL});
    EXPECT_TRUE(TextBecomes(u"un"));
    PressKey('Z', {VK_CONTROL});
    EXPECT_TRUE(TextBecomes(u""));
    EXPECT_EQ(SendMessageW(text1, EM_CANUNDO, 0, 0), FALSE);
    PressKey('Y', {VK_CONTROL});
    EXPECT_TRUE(TextBecomes(u"un"));
    PressKey('Z', {VK_CONTROL, VK_SHIFT});
    EXPECT_TRUE(TextBecomes(u"un deux"));
    PressKey(VK_BACK, {VK_MENU});  // Alt+Backspace, the old undo key
    EXPECT_TRUE(TextBecomes(u"un"));

    // A new edit ends what could be redone; a recall starts a new history.
    TypeUnits(u"!");
    EXPECT_TRUE(TextBecomes(u"un!"));
    PressKey('Y', {VK_CONTROL});
    Sleep(300);
    EXPECT_EQ(Text(), u"un!");
    ASSERT_TRUE(CopyAndWait(u"rappel", 1));
    SendMessageW(list, LB_SETCURSEL, 0, 0);
    SendMessageW(form, WM_COMMAND, MAKEWPARAM(ids::kList1, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(Text(), u"rappel");
    EXPECT_EQ(SendMessageW(text1, EM_CANUNDO, 0, 0), FALSE);
}

TEST_F(Text1AsAUser, SurrogatePairsAndLineBreaksAreNeverSplit) {
    Start();
    const std::u16string text = u"a\U0001F600b\r\nc";
    SetText1(text);
    ASSERT_EQ(Text(), text);
    Select(0, 0);
    const DWORD rightStops[] = {1, 3, 4, 6, 7, 7};
    for (DWORD stop : rightStops) {
        PressKey(VK_RIGHT);
        EXPECT_TRUE(SelectionBecomes({stop, stop})) << stop;
    }
    const DWORD leftStops[] = {6, 4, 3, 1, 0};
    for (DWORD stop : leftStops) {
        PressKey(VK_LEFT);
        EXPECT_TRUE(SelectionBecomes({stop, stop})) << stop;
    }
    // Selecting over them takes them whole; a position inside one is moved out of it.
    Select(1, 1);
    PressKey(VK_RIGHT, {VK_SHIFT});
    EXPECT_TRUE(SelectionBecomes({1, 3}));
    Select(2, 5);
    EXPECT_EQ(Sel(), Selection(1, 4));
    // Backspace after the emoji and Delete before the line break remove them whole.
    Select(3, 3);
    PressKey(VK_BACK);
    EXPECT_TRUE(TextBecomes(u"ab\r\nc"));
    PressKey(VK_DELETE, {VK_SHIFT});  // Shift+Delete with nothing selected: nothing to cut
    PressKey(VK_RIGHT);
    PressKey(VK_DELETE);
    EXPECT_TRUE(TextBecomes(u"abc"));

    // A character typed in two halves arrives whole.
    PressKey(VK_END);
    TypeUnits(u"\U0001F44D");
    EXPECT_TRUE(TextBecomes(u"abc\U0001F44D"));
    PressKey(VK_LEFT, {VK_SHIFT});
    EXPECT_TRUE(SelectionBecomes({3, 5}));
}

TEST_F(Text1AsAUser, ClipboardKeysAndTheContextMenu) {
    Start();
    SetText1(u"alpha beta gamma");
    Select(6, 10);  // "beta"
    PressKey('C', {VK_CONTROL});
    EXPECT_TRUE(WaitUntil([] { return TextOnClipboard() == u"beta"; }, kSoon));
    Select(0, 5);
    PressKey(VK_INSERT, {VK_CONTROL});
    EXPECT_TRUE(WaitUntil([] { return TextOnClipboard() == u"alpha"; }, kSoon));
    Select(11, 16);
    PressKey('X', {VK_CONTROL});
    EXPECT_TRUE(TextBecomes(u"alpha beta "));
    EXPECT_TRUE(WaitUntil([] { return TextOnClipboard() == u"gamma"; }, kSoon));
    Select(0, 0);
    PressKey('V', {VK_CONTROL});
    EXPECT_TRUE(TextBecomes(u"gammaalpha beta "));
    Select(5, 10);
    PressKey(VK_DELETE, {VK_SHIFT});
    EXPECT_TRUE(TextBecomes(u"gamma beta "));
    EXPECT_TRUE(WaitUntil([] { return TextOnClipboard() == u"alpha"; }, kSoon));
    PressKey(VK_INSERT, {VK_SHIFT});
    EXPECT_TRUE(TextBecomes(u"gammaalpha beta "));

    // Nothing to paste (a picture): the selection stays.
    ASSERT_EQ(RunToEnd(ClipHelper(), L"picture"), 0u);
    Select(0, 5);
    PressKey('V', {VK_CONTROL});
    Sleep(300);
    EXPECT_EQ(Text(), u"gammaalpha beta ");

    // The context menu (its items are checked in-process): a right click opens it, its access
    // letters choose.
    Select(3, 3);
    ASSERT_TRUE(CursorAt(AtChar(2)));
    MouseButton(MOUSEEVENTF_RIGHTDOWN);
    MouseButton(MOUSEEVENTF_RIGHTUP);
    ASSERT_NE(WaitForWindow(program.Id(), L"#32768", kSoon), nullptr);
    EXPECT_EQ(Sel(), Selection(3, 3)) << "a right click leaves the caret where it was";
    PressKey('T');  // Sélectionner &tout
    EXPECT_TRUE(SelectionBecomes({0, 16}));
    EXPECT_TRUE(
        WaitUntil([&] { return WaitForWindow(program.Id(), L"#32768", 0) == nullptr; }, kSoon));

    // From the keyboard (Shift+F10), with a selection: Supprimer.
    PressKey(VK_F10, {VK_SHIFT});
    ASSERT_NE(WaitForWindow(program.Id(), L"#32768", kSoon), nullptr);
    PressKey('S');
    EXPECT_TRUE(TextBecomes(u""));
}

TEST_F(Text1AsAUser, ClicksDragsAndDoubleClicksPlaceTheCaretAndSelect) {
    Start();
    SetText1(u"premier mot\r\nsecond passage ici");
    Select(0, 0);
    ASSERT_TRUE(CursorAt(AtChar(16, 1)));  // on "second", just after its fourth letter
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    MouseButton(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(SelectionBecomes({16, 16}));

    // Shift+click extends from there.
    ASSERT_TRUE(CursorAt(AtChar(4, 1)));
    KeyEvent(VK_SHIFT, false);
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    MouseButton(MOUSEEVENTF_LEFTUP);
    KeyEvent(VK_SHIFT, true);
    EXPECT_TRUE(SelectionBecomes({4, 16}));

    // A drag selects from where it starts to where it ends.
    ASSERT_TRUE(CursorAt(AtChar(1, 1)));
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    Sleep(100);
    ASSERT_TRUE(CursorAt(AtChar(9, 1)));
    Sleep(100);
    MouseButton(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(SelectionBecomes({1, 9}));

    // A double-click selects the word under the pointer.
    Sleep(600);                            // not a double-click with the drag's press
    ASSERT_TRUE(CursorAt(AtChar(23, 2)));  // on "passage"
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    MouseButton(MOUSEEVENTF_LEFTUP);
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    MouseButton(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(SelectionBecomes({20, 27}));
}

TEST_F(Text1AsAUser, TheWheelAndThePageKeysMoveTheViewAndTheCaretStaysInSight) {
    Start();
    std::u16string lines;
    for (int i = 0; i < 200; ++i)
        lines += u"ligne " + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)) + u"\r\n";
    // One long line at the top, wider than the box many times over.
    SetText1(std::u16string(1000, u'w') + u"\r\n" + lines);
    const auto first = [&] { return SendMessageW(text1, EM_GETFIRSTVISIBLELINE, 0, 0); };
    // Where a character stands in the box, in pixels from its left edge.
    const auto xOf = [&](DWORD index) {
        return static_cast<short>(LOWORD(SendMessageW(text1, EM_POSFROMCHAR, index, 0)));
    };
    RECT client{};
    GetClientRect(text1, &client);
    ASSERT_EQ(first(), 0);
    const short home = xOf(0);

    ASSERT_TRUE(CursorAt(CentreOf(text1)));
    INPUT wheel{};
    wheel.type = INPUT_MOUSE;
    wheel.mi.dwFlags = MOUSEEVENTF_WHEEL;
    wheel.mi.mouseData = static_cast<DWORD>(-WHEEL_DELTA);
    SendInput(1, &wheel, sizeof wheel);
    EXPECT_TRUE(WaitUntil([&] { return first() == 3; }, kSoon)) << first();
    wheel.mi.mouseData = WHEEL_DELTA;
    SendInput(1, &wheel, sizeof wheel);
    EXPECT_TRUE(WaitUntil([&] { return first() == 0; }, kSoon));
    // Shift+wheel goes sideways; so does a tilt.
    KeyEvent(VK_SHIFT, false);
    wheel.mi.mouseData = static_cast<DWORD>(-WHEEL_DELTA);
    SendInput(1, &wheel, sizeof wheel);
    KeyEvent(VK_SHIFT, true);
    EXPECT_TRUE(WaitUntil([&] { return xOf(0) < home; }, kSoon));
    const short afterShiftWheel = xOf(0);
    wheel.mi.dwFlags = MOUSEEVENTF_HWHEEL;
    wheel.mi.mouseData = WHEEL_DELTA;
    SendInput(1, &wheel, sizeof wheel);
    EXPECT_TRUE(WaitUntil([&] { return xOf(0) < afterShiftWheel; }, kSoon));

    // The caret keeps itself in sight: End of the long line, Ctrl+End, Page Up.
    Select(0, 0);
    PressKey(VK_END);
    EXPECT_TRUE(SelectionBecomes({1000, 1000}));
    EXPECT_TRUE(WaitUntil([&] { return xOf(1000) > 0 && xOf(1000) < client.right; }, kSoon))
        << xOf(1000);
    PressKey(VK_END, {VK_CONTROL});
    EXPECT_TRUE(WaitUntil([&] { return first() > 190 && xOf(0) == home; }, kSoon)) << first();
    const LRESULT bottom = first();
    PressKey(VK_PRIOR);
    EXPECT_TRUE(WaitUntil([&] { return first() < bottom; }, kSoon));
    PressKey(VK_HOME, {VK_CONTROL});
    EXPECT_TRUE(WaitUntil([&] { return first() == 0; }, kSoon));
}

// Every key a user may press by chance, in the three kinds of control: afterwards the window
// is whole and Copy still copies Text1's text.
TEST_F(Text1AsAUser, NoKeyBreaksTheWindow) {
    Start();
    ASSERT_TRUE(CopyAndWait(u"une entrée", 1));
    const std::u16string mine = u"le texte de Text1";
    const int controls[] = {
        ids::kCommand1,     ids::kCommand2,    ids::kCommand3, ids::kCommand4,   ids::kKeytool0,
        ids::kKeytool0 + 3, ids::kText1,       ids::kList1,    ids::kFramePlus1, ids::kFramePlus2,
        ids::kButtonPlus1,  ids::kButtonPlus2, ids::kCmdpropos};
    const auto whole = [&] {
        for (int id : controls) {
            HWND control = Control(id);
            if (control == nullptr || !IsWindowVisible(control)) return false;
        }
        return IsWindow(form) != FALSE;
    };
    // Whatever a key brought up is put away: questions answered No, the rest closed.
    const auto settle = [&] {
        for (int round = 0; round < 20; ++round) {
            Sleep(150);
            if (HWND box = WaitForWindow(program.Id(), L"#32770", 0)) {
                HWND no = GetDlgItem(box, IDNO);
                SendMessageW(no != nullptr ? no : GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
                continue;
            }
            if (WaitForWindow(program.Id(), L"#32768", 0) != nullptr) {
                PressKey(VK_ESCAPE);
                continue;
            }
            if (!IsWindowVisible(form)) {
                ShowWindow(form, SW_SHOW);  // "Réduire" hid it; the icon would bring it back
                continue;
            }
            break;
        }
        BringToFront();
    };

    std::vector<std::pair<WORD, std::vector<WORD>>> keys = {
        {VK_ESCAPE, {}}, {VK_RETURN, {}}, {VK_TAB, {}}, {VK_TAB, {VK_SHIFT}}, {VK_F4, {VK_MENU}}};
    for (WORD f = VK_F1; f <= VK_F12; ++f) keys.push_back({f, {}});
    for (WORD letter = 'A'; letter <= 'Z'; ++letter) keys.push_back({letter, {VK_MENU}});

    for (HWND target : {text1, list, Control(ids::kCommand3)}) {
        for (const auto& [key, modifiers] : keys) {
            SCOPED_TRACE(::testing::Message()
                         << "control " << GetDlgCtrlID(target) << ", key " << key << " with "
                         << modifiers.size() << " modifier(s)");
            SetText1(mine);
            ASSERT_TRUE(BringToFront());
            SendMessageW(form, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target), TRUE);
            PressKey(key, modifiers);
            settle();
            ASSERT_TRUE(whole());
            ASSERT_FALSE(program.WaitForExit(0));
        }
    }
    SetText1(mine);
    ASSERT_EQ(RunToEnd(ClipHelper(), L"empty"), 0u);
    SendMessageW(Control(ids::kCommand1), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return TextOnClipboard() == mine; }, kSoon));
}

// A long recall is in Text1 whole as soon as it is recalled: what the user does next works on
// exactly that text, and nothing arrives later to mix with it.
TEST_F(Text1AsAUser, ARecalledTextIsWholeAtOnceAndEditsNeverMixWithIt) {
    Start();
    std::u16string big;
    for (int line = 0; line < 100000; ++line)
        big += u"ligne " + std::u16string(17, static_cast<char16_t>(u'a' + line % 26)) + u"\r\n";
    ASSERT_EQ(big.size(), 2500000u);  // 2.5 million characters in 100,000 lines
    ASSERT_TRUE(PutOnClipboard(big));
    ASSERT_TRUE(WaitUntil([&] { return HistoryCount() == 1; }, kTwoTicks));
    const auto recall = [&] {
        SendMessageW(list, LB_SETCURSEL, 0, 0);
        SendMessageW(form, WM_COMMAND, MAKEWPARAM(ids::kList1, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
    };
    const auto length = [&] { return SendMessageW(text1, WM_GETTEXTLENGTH, 0, 0); };

    // Whole at once, with its lines.
    recall();
    EXPECT_EQ(length(), static_cast<LRESULT>(big.size()));
    EXPECT_EQ(SendMessageW(text1, EM_GETLINECOUNT, 0, 0), 100001);

    // Select all and type: only what was typed remains, and undo brings the whole back.
    FocusOn(text1);
    PressKey('A', {VK_CONTROL});
    TypeUnits(u"X");
    EXPECT_TRUE(TextBecomes(u"X"));
    Sleep(1200);  // time for anything late to turn up
    EXPECT_EQ(Text(), u"X");
    PressKey('Z', {VK_CONTROL});
    EXPECT_TRUE(WaitUntil([&] { return length() == static_cast<LRESULT>(big.size()); }, kSoon));

    // Select all, Delete, Copier: the clipboard gets the empty text.
    recall();
    FocusOn(text1);
    PressKey(VK_DELETE);
    EXPECT_TRUE(TextBecomes(u""));
    SendMessageW(Control(ids::kCommand1), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([] { return TextOnClipboard() == u""; }, kSoon));

    // Another program's WM_SETTEXT right after a recall: exactly its text.
    recall();
    SetText1(u"posé par un autre programme");
    Sleep(1200);
    EXPECT_EQ(Text(), u"posé par un autre programme");

    // Esc right after a recall: no message, nothing lost.
    recall();
    FocusOn(text1);
    PressKey(VK_ESCAPE);
    Sleep(600);
    EXPECT_EQ(WaitForMessageBox(program.Id(), 0), nullptr);
    EXPECT_EQ(length(), static_cast<LRESULT>(big.size()));
    EXPECT_NE(Control(ids::kFramePlus1), nullptr);
}

// The tool buttons under the closed panel are out of reach; a tool that closes the panel
// gives the keyboard to Text1.
TEST_F(Text1AsAUser, CoveredToolButtonsTakeNoKeys) {
    Start();
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(IsWindowEnabled(Control(ids::kKeytool0 + i)));
    // From the list: Shift+Tab, then Up and Enter stay in Text1.
    ASSERT_TRUE(CopyAndWait(u"avant", 1));
    FocusOn(list);
    PressKey(VK_TAB, {VK_SHIFT});
    EXPECT_TRUE(WaitUntil([&] { return FocusIn(form) == text1; }, kSoon));
    PressKey(VK_UP);
    PressKey(VK_RETURN);
    Sleep(1500);
    EXPECT_EQ(TextOnClipboard(), u"avant");

    // Opened, the panel's buttons work from the keyboard; the tool closes the panel and the
    // keyboard comes back to Text1, so Enter no longer runs the tool again.
    HWND tools = Control(ids::kCommand3);
    SendMessageW(tools, BM_CLICK, 0, 0);
    HWND upper = Control(ids::kKeytool0);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(upper) != FALSE; }, kSoon));
    FocusOn(upper);
    PressKey(VK_SPACE);
    EXPECT_TRUE(WaitUntil([] { return TextOnClipboard() == u"AVANT"; }, kSoon));
    EXPECT_TRUE(WaitUntil([&] { return FocusIn(form) == text1; }, kSoon));
    EXPECT_FALSE(IsWindowEnabled(upper));
    CopyFromAnotherProgram(u"après");
    PressKey(VK_RETURN);
    Sleep(1500);
    EXPECT_EQ(TextOnClipboard(), u"après");
}

}  // namespace
}  // namespace talvex::testing

namespace talvex::testing {
namespace {

// What a screen reader in its own process reads, through the system's accessibility runtime.
TEST_F(Text1AsAUser, AScreenReaderReadsTheTextFromAnotherProcess) {
    Start();
    SetText1(u"lu par un lecteur d'écran");
    ScreenReader reader;
    IAccessible* accessible = reader.ObjectOf(text1);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(ScreenReader::Role(accessible), ROLE_SYSTEM_TEXT);
    EXPECT_EQ(ScreenReader::Name(accessible), u"Texte :");
    EXPECT_EQ(ScreenReader::Value(accessible), u"lu par un lecteur d'écran");
    EXPECT_TRUE(ScreenReader::State(accessible) & STATE_SYSTEM_FOCUSED);
    accessible->Release();
}

// A UI Automation client in its own process, as its first steps go: the root object asked of
// Text1 with WM_GETOBJECT, then the element and its properties through the runtime. (Wine 8
// goes no further: its runtime hands out no pattern across processes.)
TEST_F(Text1AsAUser, AUiAutomationClientFindsTheEditFromAnotherProcess) {
    Start();
    SetText1(u"lu par UI Automation");
    ScreenReader reader;
    IUnknown* root = reader.RootObjectOf(text1);
    ASSERT_NE(root, nullptr);
    root->Release();
    const struct {
        int property;
        VARTYPE type;
        long value;
    } cases[] = {
        {30003, VT_I4, 50004},            // control type: Edit
        {30008, VT_BOOL, VARIANT_TRUE},   // has the keyboard
        {30010, VT_BOOL, VARIANT_TRUE},   // enabled
        {30019, VT_BOOL, VARIANT_FALSE},  // no password
    };
    for (const auto& c : cases) {
        VARIANT value = reader.AutomationProperty(text1, c.property);
        EXPECT_EQ(value.vt, c.type) << c.property;
        EXPECT_EQ(c.type == VT_I4 ? value.lVal : value.boolVal, c.value) << c.property;
    }
    VARIANT name = reader.AutomationProperty(text1, 30005);
    ASSERT_EQ(name.vt, VT_BSTR);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(name.bstrVal)), u"Texte :");
    VariantClear(&name);
}

}  // namespace
}  // namespace talvex::testing
