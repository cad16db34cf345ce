// The notification icon, hiding and showing, the popup menu and the program's questions, as
// the user meets them: the real program, real mouse input on Wine's own system tray, and the
// icon's messages as any notification area may send them.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>

#include "tests/win/menu_support.h"
#include "tests/win/win_support.h"
#include "ui/control_ids.h"
#include "ui/notification_icon.h"
#include "ui/popup_menu.h"
#include "ui/texts.h"

namespace talvex::testing {
namespace {

using Items = std::vector<std::u16string>;

// Items of the popup menu by position, separators counted.
constexpr int kAfficher = 0;
constexpr int kOutils = 2;
constexpr int kQuitter = 8;
constexpr int kMajuscule = 0;  // in "Outils"

const std::u16string kAboutText = texts::kAbout;
const std::u16string kQuitQuestion = texts::kQuitQuestion;

int CountMessageBoxes(DWORD pid) {
    int shown = 0;
    for (HWND box : WindowsOf(pid, L"#32770")) shown += IsWindowVisible(box) ? 1 : 0;
    return shown;
}

class TrayTalvex : public ProgramTest {
  protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(ProgramTest::SetUp());
        // Icons of programs a test ended by force may linger in Wine's tray; ours is the
        // one that appears after them, at the right.
        iconsBefore = TrayIcons().size();
    }
    void Start() {
        ASSERT_NO_FATAL_FAILURE(StartProgram());
        ASSERT_TRUE(WaitUntil([&] { return IconCount() == iconsBefore + 1; }, 10000))
            << "the program's icon never appeared in the tray";
    }

    std::size_t IconCount() const { return TrayIcons().size(); }
    POINT OurIcon() const {
        const auto icons = TrayIcons();
        return icons.empty() ? POINT{-1, -1} : CentreOf(icons.back());
    }

    bool Visible() const { return IsWindowVisible(form) != FALSE; }

    void HideWith(int button) {
        ClickControl(button);
        ASSERT_TRUE(WaitUntil([&] { return !Visible(); }, 5000));
    }

    // Right-clicks the icon and waits for the popup.
    HWND OpenMenuFromIcon() {
        if (!ClickAt(OurIcon(), MouseKey::Right)) return nullptr;
        WaitUntil([&] { return OpenMenus(program.Id()).size() == 1; }, 5000);
        const auto menus = OpenMenus(program.Id());
        return menus.size() == 1 ? menus.front() : nullptr;
    }

    void Answer(HWND box, int button) {
        SendMessageW(GetDlgItem(box, button), BM_CLICK, 0, 0);
        WaitUntil([&] { return !IsWindow(box); }, 5000);
    }
    void PostMenuCommand(int id) { PostMessageW(form, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    bool Responsive() const {
        DWORD_PTR result = 0;
        return SendMessageTimeoutW(form, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
    }

    std::size_t iconsBefore = 0;
    const ProgramMenu menuLayout;
};

// The icon's callback message in either shape: version 4 (the event and the icon's id in
// lParam, its place in wParam) or the old one (the message alone in lParam, the id in wParam).
void PostIconEvent(HWND picture1, bool versionFour, UINT event, POINT at) {
    PostMessageW(picture1, NotificationIcon::kCallbackMessage,
                 versionFour ? MAKEWPARAM(at.x, at.y) : NotificationIcon::kId,
                 versionFour ? MAKELPARAM(event, NotificationIcon::kId) : event);
}

TEST_F(TrayTalvex, HiddenWindowComesBackFromALeftClickOnTheIconAsItWas) {
    Start();
    ASSERT_TRUE(CopyAndWait(u"historique", 1));
    SendMessageW(text1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"mon texte"));
    RECT before{};
    GetWindowRect(form, &before);

    HideWith(ids::kButtonPlus2);
    // Hidden, it keeps watching the clipboard.
    ASSERT_TRUE(CopyAndWait(u"pendant", 2));
    // The pointer passing over the icon does nothing.
    ASSERT_TRUE(CursorAt(OurIcon()));
    ASSERT_TRUE(CursorAt(POINT{OurIcon().x + 3, OurIcon().y + 2}));
    Sleep(600);
    EXPECT_FALSE(Visible());
    EXPECT_TRUE(OpenMenus(program.Id()).empty());

    ASSERT_TRUE(ClickAt(OurIcon()));
    ASSERT_TRUE(WaitUntil([&] { return Visible(); }, 5000));
    // A left click shows the window and never opens the menu.
    Sleep(300);
    EXPECT_TRUE(OpenMenus(program.Id()).empty());
    EXPECT_EQ(ReadListBox(list), (Items{u"historique", u"pendant"}));
    EXPECT_EQ(ControlText(text1), u"mon texte");
    RECT after{};
    GetWindowRect(form, &after);
    EXPECT_TRUE(EqualRect(&before, &after));

    // The same round trip through "&Réduire", and a second click changes nothing.
    HideWith(ids::kCommand4);
    ASSERT_TRUE(ClickAt(OurIcon()));
    ASSERT_TRUE(WaitUntil([&] { return Visible(); }, 5000));
    ASSERT_TRUE(ClickAt(OurIcon()));
    Sleep(300);
    EXPECT_TRUE(Visible());
    EXPECT_EQ(ReadListBox(list), (Items{u"historique", u"pendant"}));
    EXPECT_EQ(ControlText(text1), u"mon texte");
}

TEST_F(TrayTalvex, RightClickOpensTheMenuWhileHiddenAndAfficherBringsTheWindowBack) {
    Start();
    HideWith(ids::kCommand4);

    HWND menu = OpenMenuFromIcon();
    ASSERT_NE(menu, nullptr) << "no popup menu after a right click on the icon";
    EXPECT_FALSE(Visible());
    // The menu window holds the items as the program measures them, in a thin frame.
    RECT r{};
    GetWindowRect(menu, &r);
    const int content = menuLayout.ContentHeight(menuLayout.Main());
    EXPECT_GE(r.bottom - r.top, content);
    EXPECT_LE(r.bottom - r.top, content + 12);

    ASSERT_TRUE(ClickAt(menuLayout.ItemCentre(menu, menuLayout.Main(), kAfficher)));
    ASSERT_TRUE(WaitUntil([&] { return Visible(); }, 5000));
    EXPECT_TRUE(WaitUntil([&] { return OpenMenus(program.Id()).empty(); }, 3000));

    // Chosen while the window is shown, it leaves it shown.
    menu = OpenMenuFromIcon();
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(ClickAt(menuLayout.ItemCentre(menu, menuLayout.Main(), kAfficher)));
    ASSERT_TRUE(WaitUntil([&] { return OpenMenus(program.Id()).empty(); }, 3000));
    Sleep(300);
    EXPECT_TRUE(Visible());

    // Clicking elsewhere closes the menu and runs nothing.
    HideWith(ids::kCommand4);
    menu = OpenMenuFromIcon();
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(ClickAt(POINT{700, 700}));
    EXPECT_TRUE(WaitUntil([&] { return OpenMenus(program.Id()).empty(); }, 3000));
    Sleep(300);
    EXPECT_FALSE(Visible());
    EXPECT_EQ(CountMessageBoxes(program.Id()), 0);
}

TEST_F(TrayTalvex, TheKeyboardOnTheIconOpensTheMenuThereOrShowsTheWindowInEitherShape) {
    Start();
    HideWith(ids::kCommand4);
    HWND picture1 = Control(ids::kPicture1);
    const POINT pointer{520, 330};
    const POINT icon{180, 140};
    // A right click ends in WM_RBUTTONUP and WM_CONTEXTMENU, after its button-down opened the
    // menu: no second one.
    PostIconEvent(picture1, true, WM_RBUTTONUP, pointer);
    PostIconEvent(picture1, true, WM_CONTEXTMENU, pointer);
    Sleep(600);
    EXPECT_TRUE(OpenMenus(program.Id()).empty());

    enum Outcome { MenuAtIcon, MenuAtPointer, WindowShown };
    struct Case {
        bool versionFour;
        UINT event;
        Outcome outcome;
    };
    const Case cases[] = {
        {true, WM_CONTEXTMENU, MenuAtIcon},     {true, WM_RBUTTONDOWN, MenuAtPointer},
        {false, WM_RBUTTONDOWN, MenuAtPointer},  // Enter and Space come so too
        {true, NIN_KEYSELECT, WindowShown},     {true, WM_LBUTTONDOWN, WindowShown},
        {false, WM_LBUTTONDOWN, WindowShown}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "version 4 " << c.versionFour << ", " << c.event);
        if (Visible()) HideWith(ids::kCommand4);
        ASSERT_TRUE(CursorAt(pointer));
        PostIconEvent(picture1, c.versionFour, c.event, icon);
        if (c.outcome == WindowShown) {
            EXPECT_TRUE(
                WaitUntil([&] { return Visible() && GetForegroundWindow() == form; }, 5000));
            continue;
        }
        ASSERT_TRUE(WaitUntil([&] { return OpenMenus(program.Id()).size() == 1; }, 5000));
        RECT r{};
        GetWindowRect(OpenMenus(program.Id()).front(), &r);
        const POINT at = c.outcome == MenuAtIcon ? icon : pointer;
        EXPECT_TRUE(std::abs(r.left - at.x) <= 2 && std::abs(r.top - at.y) <= 2)
            << r.left << "," << r.top;
        ASSERT_TRUE(ClickAt(POINT{1000, 900}));  // elsewhere: the menu closes
        ASSERT_TRUE(WaitUntil([&] { return OpenMenus(program.Id()).empty(); }, 5000));
    }
}

TEST_F(TrayTalvex, AToolChosenFromTheMenuWorksOnTheClipboardWhileHidden) {
    Start();
    ASSERT_TRUE(CopyAndWait(u"bonjour le monde", 1));
    SendMessageW(Control(ids::kCommand3), BM_CLICK, 0, 0);  // tools panel open
    RECT panelOpen{};
    GetWindowRect(text1, &panelOpen);
    HideWith(ids::kCommand4);

    HWND menu = OpenMenuFromIcon();
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(CursorAt(menuLayout.ItemCentre(menu, menuLayout.Main(), kOutils)));
    ASSERT_TRUE(WaitUntil([&] { return OpenMenus(program.Id()).size() == 2; }, 5000))
        << "Outils did not open its submenu";
    HWND tools = OpenMenus(program.Id()).back();
    ASSERT_TRUE(ClickAt(menuLayout.ItemCentre(tools, menuLayout.Tools(), kMajuscule)));

    EXPECT_TRUE(WaitUntil([&] { return TextOnClipboard() == u"BONJOUR LE MONDE"; }, 5000))
        << "clipboard holds: " << ::testing::PrintToString(TextOnClipboard());
    EXPECT_FALSE(Visible());
    // The tool closes the panel even on the hidden window: Text1 back to 2325 twips.
    RECT closed{};
    GetWindowRect(text1, &closed);
    EXPECT_EQ(closed.bottom - closed.top, MulDiv(2325, ScreenDpi(), 1440));
    EXPECT_LT(panelOpen.bottom - panelOpen.top, closed.bottom - closed.top);
    // And the watcher records the new text.
    EXPECT_TRUE(WaitUntil([&] { return ReadListBox(list).size() == 2; }, kTwoTicks));
}

TEST_F(TrayTalvex, EveryOtherMenuItemRunsItsCommand) {
    CopyFromAnotherProgram(u"bonJOUR le MONDE");
    Start();
    ASSERT_TRUE(WaitUntil([&] { return ReadListBox(list).size() == 1; }, kTwoTicks));

    PostMenuCommand(menu_ids::kMenuLower);
    EXPECT_TRUE(WaitUntil([&] { return TextOnClipboard() == u"bonjour le monde"; }, 5000));
    PostMenuCommand(menu_ids::kMenuProper);
    EXPECT_TRUE(WaitUntil([&] { return TextOnClipboard() == u"Bonjour Le Monde"; }, 5000));

    PostMenuCommand(menu_ids::kMenuCount);
    HWND box = WaitForBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(WindowText(box), u"Talvex Press 1.0 ");
    const std::u16string count = MessageBoxText(box);
    EXPECT_TRUE(count.size() >= 3 && count.substr(count.size() - 3) == u"16.")
        << ::testing::PrintToString(count);
    Answer(box, IDOK);

    PostMenuCommand(menu_ids::kMenuAbout);
    box = WaitForBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), kAboutText);
    Answer(box, IDOK);

    const Items history = ReadListBox(list);
    PostMenuCommand(menu_ids::kMenuClear);
    box = WaitForBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), u"Etes vous sûre d'effacer la presse papier ?");
    Answer(box, IDNO);
    EXPECT_EQ(ReadListBox(list), history);
    PostMenuCommand(menu_ids::kMenuClear);
    box = WaitForBox();
    ASSERT_NE(box, nullptr);
    Answer(box, IDYES);
    EXPECT_TRUE(WaitUntil([&] { return ReadListBox(list).empty(); }, 3000));

    // The help page goes to the shell; whatever the browser does, we go on at once.
    PostMenuCommand(menu_ids::kMenuHelp);
    EXPECT_TRUE(Responsive());
    Sleep(500);
    EXPECT_EQ(CountMessageBoxes(program.Id()), 0);
    EXPECT_FALSE(program.WaitForExit(0));

    PostMenuCommand(menu_ids::kMenuQuit);
    box = WaitForBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), kQuitQuestion);
    Answer(box, IDNO);
    EXPECT_TRUE(Responsive());
    EXPECT_TRUE(Visible());
    EXPECT_EQ(IconCount(), iconsBefore + 1);
}

TEST_F(TrayTalvex, QuitFromTheMenuWhileHiddenAsksThenYesEndsTheProgramAndItsIcon) {
    Start();
    ASSERT_TRUE(CopyAndWait(u"gardé", 1));
    HideWith(ids::kCommand4);

    HWND menu = OpenMenuFromIcon();
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(ClickAt(menuLayout.ItemCentre(menu, menuLayout.Main(), kQuitter)));
    HWND box = WaitForBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(WindowText(box), u"Talvex Press 1.0");
    EXPECT_EQ(MessageBoxText(box), kQuitQuestion);
    EXPECT_TRUE(HasIconStatic(box));
    EXPECT_NE(GetDlgItem(box, IDYES), nullptr);
    EXPECT_NE(GetDlgItem(box, IDNO), nullptr);
    EXPECT_FALSE(Visible());

    // While the question waits, a right click on the icon shows it rather than a menu.
    ASSERT_TRUE(ClickAt(OurIcon(), MouseKey::Right));
    Sleep(600);
    EXPECT_TRUE(OpenMenus(program.Id()).empty());
    EXPECT_EQ(CountMessageBoxes(program.Id()), 1);

    Answer(box, IDNO);
    Sleep(300);
    EXPECT_FALSE(program.WaitForExit(0));
    EXPECT_FALSE(Visible());
    EXPECT_EQ(ReadListBox(list), Items{u"gardé"});
    EXPECT_EQ(IconCount(), iconsBefore + 1);

    menu = OpenMenuFromIcon();
    ASSERT_NE(menu, nullptr);
    ASSERT_TRUE(ClickAt(menuLayout.ItemCentre(menu, menuLayout.Main(), kQuitter)));
    box = WaitForBox();
    ASSERT_NE(box, nullptr);
    Answer(box, IDYES);
    DWORD code = 1;
    EXPECT_TRUE(program.WaitForExit(10000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(WaitUntil([&] { return IconCount() == iconsBefore; }, 5000))
        << "an icon stayed behind";
}

TEST_F(TrayTalvex, TheQuestionMarkShowsTheAboutBoxWordForWord) {
    Start();
    ClickControl(ids::kCmdpropos);
    HWND box = WaitForBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(WindowText(box), u"Talvex Press 1.0");
    const std::u16string text = MessageBoxText(box);
    EXPECT_EQ(text, kAboutText);
    // Spelled out, so that a difference is easy to find.
    ASSERT_EQ(text.size(), kAboutText.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        ASSERT_EQ(static_cast<unsigned>(text[i]), static_cast<unsigned>(kAboutText[i]))
            << "at " << i;
    EXPECT_TRUE(HasIconStatic(box));
    EXPECT_NE(GetDlgItem(box, IDOK), nullptr);
    EXPECT_EQ(GetDlgItem(box, IDYES), nullptr);
    Answer(box, IDOK);
    EXPECT_TRUE(Responsive());
    EXPECT_TRUE(Visible());
    EXPECT_TRUE(IsWindowEnabled(form));
}

TEST_F(TrayTalvex, ACloseRequestAsksTheQuitQuestionOnce) {
    Start();
    HWND owner = GetWindow(form, GW_OWNER);
    ASSERT_NE(owner, nullptr);

    PostMessageW(form, WM_CLOSE, 0, 0);
    HWND box = WaitForBox();
    ASSERT_NE(box, nullptr) << "WM_CLOSE ended the program without asking";
    EXPECT_EQ(MessageBoxText(box), kQuitQuestion);
    Answer(box, IDNO);
    EXPECT_FALSE(program.WaitForExit(500));
    EXPECT_TRUE(Visible());

    // Told through both its windows at once, it asks one question.
    PostMessageW(owner, WM_CLOSE, 0, 0);
    PostMessageW(form, WM_CLOSE, 0, 0);
    box = WaitForBox();
    ASSERT_NE(box, nullptr);
    Sleep(600);
    EXPECT_EQ(CountMessageBoxes(program.Id()), 1);
    Answer(box, IDYES);
    EXPECT_TRUE(program.WaitForExit(10000));
    EXPECT_TRUE(WaitUntil([&] { return IconCount() == iconsBefore; }, 5000));
}

TEST_F(TrayTalvex, TheIconComesBackWhenTheTaskbarStartsAgain) {
    Start();
    HWND picture1 = Control(ids::kPicture1);
    ASSERT_NE(picture1, nullptr);

    // Another process takes the icon away, as a restarting taskbar loses it.
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = picture1;
    data.uID = 1;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &data));
    ASSERT_TRUE(WaitUntil([&] { return IconCount() == iconsBefore; }, 5000));

    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    SendMessageTimeoutW(HWND_BROADCAST, taskbarCreated, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return IconCount() == iconsBefore + 1; }, 5000))
        << "the icon did not come back";

    // The icon that came back still answers.
    HideWith(ids::kCommand4);
    ASSERT_TRUE(ClickAt(OurIcon()));
    EXPECT_TRUE(WaitUntil([&] { return Visible(); }, 5000));
}

TEST_F(TrayTalvex, HidingWithoutAnIconPutsTheIconBackFirst) {
    Start();
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = Control(ids::kPicture1);
    data.uID = 1;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &data));
    ASSERT_TRUE(WaitUntil([&] { return IconCount() == iconsBefore; }, 5000));

    // Hidden with no icon, the window could never come back.
    HideWith(ids::kCommand4);
    ASSERT_TRUE(WaitUntil([&] { return IconCount() == iconsBefore + 1; }, 5000));
    ASSERT_TRUE(ClickAt(OurIcon()));
    EXPECT_TRUE(WaitUntil([&] { return Visible(); }, 5000));
}

TEST_F(TrayTalvex, LoggingOffWhileHiddenRemovesTheIcon) {
    Start();
    HideWith(ids::kButtonPlus2);
    SendMessageTimeoutW(form, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000,
                        nullptr);
    SendMessageTimeoutW(form, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000,
                        nullptr);
    EXPECT_TRUE(program.WaitForExit(10000));
    EXPECT_TRUE(WaitUntil([&] { return IconCount() == iconsBefore; }, 5000))
        << "an icon stayed behind";
}

}  // namespace
}  // namespace talvex::testing
