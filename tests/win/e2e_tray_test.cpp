// The notification icon, hiding and showing, the popup menu and the program's questions,
// as the user meets them: the real program, real mouse input on Wine's own system tray.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <algorithm>

#include "tests/win/win_support.h"
#include "ui/popup_menu.h"

namespace talvex::testing {
namespace {

using Items = std::vector<std::u16string>;
constexpr int kCommand3 = 103;
constexpr int kPicture1 = 140;
constexpr DWORD kTwoTicks = 2500;
constexpr DWORD kBoxWait = 10000;

// Where things are on the window, in pixels from its top-left corner (96 dpi).
constexpr POINT kHideTitleButton{377, 13};   // "-"
constexpr POINT kCommand4{364, 476};         // "&Réduire"
constexpr POINT kAboutTitleButton{352, 13};  // "?"

// The popup's rows from the top of its first item, at 96 dpi: items are 22 pixels high,
// separators 7.
constexpr int kMenuContentHeight = 6 * 22 + 3 * 7;
constexpr int kRowAfficher = 11;
constexpr int kRowOutils = 40;
constexpr int kRowQuitter = 142;
constexpr int kToolsContentHeight = 4 * 22;
constexpr int kRowMajuscule = 11;

const std::u16string kAboutText =
    u"Talvex Press est un utilitaire de press papier, très facile à utiliser et très efficace.\r"
    u"Ce logiciel permet une meilleure gestion de la presse papier, vous ne serez pas \r"
    u"obliger à réécrire ce que vous avez copier.\r"
    u" Vous pouvez manipuler la forme du press papier : majuscule, miniscule...\r"
    u"_____________________________________________________________\r"
    u"Équipe Talvex\r"
    u"Auteur : l'équipe Talvex\r"
    u"Site Web : http://www.example.com\r"
    u"Email : talvex@example.com";
const std::u16string kQuitQuestion = u"Etes vous sûre de quitter Talvex Press ?";

// Real pointer input, as a user's hand would give it.
void MoveMouse(POINT at) {
    const int w = GetSystemMetrics(SM_CXSCREEN);
    const int h = GetSystemMetrics(SM_CYSCREEN);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = (at.x * 65536 + w - 1) / w;
    in.mi.dy = (at.y * 65536 + h - 1) / h;
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof in);
    Sleep(50);
}

void Click(POINT at, bool right = false) {
    MoveMouse(at);
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    SendInput(1, &in[0], sizeof in[0]);
    Sleep(50);
    SendInput(1, &in[1], sizeof in[1]);
    Sleep(50);
}

POINT OnWindow(HWND window, POINT offset) {
    RECT r{};
    GetWindowRect(window, &r);
    return POINT{r.left + offset.x, r.top + offset.y};
}

POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// The icons shown in Wine's own tray window, left to right.
std::vector<RECT> TrayIcons() {
    std::vector<RECT> icons;
    HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
    if (tray == nullptr || !IsWindowVisible(tray)) return icons;
    EnumChildWindows(
        tray,
        [](HWND child, LPARAM lp) -> BOOL {
            wchar_t cls[64];
            GetClassNameW(child, cls, 64);
            if (wcscmp(cls, L"__winex11_tray_icon") == 0 && IsWindowVisible(child)) {
                RECT r{};
                GetWindowRect(child, &r);
                reinterpret_cast<std::vector<RECT>*>(lp)->push_back(r);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&icons));
    std::sort(icons.begin(), icons.end(),
              [](const RECT& a, const RECT& b) { return a.left < b.left; });
    return icons;
}

// Open popup menus (#32768) of process `pid`, left to right: the menu, then its submenu.
std::vector<HWND> OpenMenus(DWORD pid) {
    struct State {
        DWORD pid;
        std::vector<HWND> menus;
    } state{pid, {}};
    EnumWindows(
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<State*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(hwnd, &owner);
            wchar_t cls[64];
            GetClassNameW(hwnd, cls, 64);
            if (owner == s->pid && wcscmp(cls, L"#32768") == 0 && IsWindowVisible(hwnd))
                s->menus.push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&state));
    std::sort(state.menus.begin(), state.menus.end(), [](HWND a, HWND b) {
        RECT ra{}, rb{};
        GetWindowRect(a, &ra);
        GetWindowRect(b, &rb);
        return ra.left < rb.left;
    });
    return state.menus;
}

// The centre of the row `rowCentre` pixels below the first item of `menu`.
POINT MenuRow(HWND menu, int contentHeight, int rowCentre) {
    RECT r{};
    GetWindowRect(menu, &r);
    const int border = ((r.bottom - r.top) - contentHeight) / 2;
    return POINT{r.left + 40, r.top + border + rowCentre};
}

std::u16string ClipboardText() {
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (OpenClipboard(MessageOnlyWindow())) {
            std::u16string text;
            if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
                if (const auto* p = static_cast<const char16_t*>(GlobalLock(data))) {
                    text = p;
                    GlobalUnlock(data);
                }
            }
            CloseClipboard();
            return text;
        }
        Sleep(20);
    }
    return u"<clipboard busy>";
}

bool HasIconStatic(HWND box) {
    bool found = false;
    EnumChildWindows(
        box,
        [](HWND child, LPARAM lp) -> BOOL {
            wchar_t cls[32];
            GetClassNameW(child, cls, 32);
            const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
            if (_wcsicmp(cls, L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
                *reinterpret_cast<bool*>(lp) = true;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

int CountMessageBoxes(DWORD pid) {
    struct State {
        DWORD pid;
        int count;
    } state{pid, 0};
    EnumWindows(
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<State*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(hwnd, &owner);
            wchar_t cls[64];
            GetClassNameW(hwnd, cls, 64);
            if (owner == s->pid && wcscmp(cls, L"#32770") == 0 && IsWindowVisible(hwnd)) ++s->count;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&state));
    return state.count;
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
        return icons.empty() ? POINT{-1, -1} : Centre(icons.back());
    }

    bool CopyAndWait(const std::u16string& text, std::size_t count) {
        CopyFromAnotherProgram(text);
        return WaitUntil([&] { return ReadListBox(list).size() >= count; }, kTwoTicks);
    }

    bool Visible() const { return IsWindowVisible(form) != FALSE; }

    void HideWith(POINT button) {
        Click(OnWindow(form, button));
        ASSERT_TRUE(WaitUntil([&] { return !Visible(); }, 5000));
    }

    // Right-clicks the icon and waits for the popup.
    HWND OpenMenuFromIcon() {
        Click(OurIcon(), true);
        WaitUntil([&] { return OpenMenus(program.Id()).size() == 1; }, 5000);
        const auto menus = OpenMenus(program.Id());
        return menus.size() == 1 ? menus.front() : nullptr;
    }

    // A message box of the program once it is on screen with its text.
    HWND WaitForBox() {
        HWND box = nullptr;
        WaitUntil(
            [&] {
                box = WaitForMessageBox(program.Id(), 0);
                return box != nullptr && IsWindowVisible(box) && !MessageBoxText(box).empty();
            },
            kBoxWait);
        return box != nullptr && IsWindowVisible(box) ? box : nullptr;
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
};

TEST_F(TrayTalvex, HiddenWindowComesBackFromALeftClickOnTheIconAsItWas) {
    Start();
    ASSERT_TRUE(CopyAndWait(u"historique", 1));
    SendMessageW(text1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"mon texte"));
    RECT before{};
    GetWindowRect(form, &before);

    HideWith(kHideTitleButton);
    // Hidden, it keeps watching the clipboard.
    ASSERT_TRUE(CopyAndWait(u"pendant", 2));
    // The pointer passing over the icon does nothing.
    MoveMouse(OurIcon());
    MoveMouse(POINT{OurIcon().x + 3, OurIcon().y + 2});
    Sleep(600);
    EXPECT_FALSE(Visible());
    EXPECT_TRUE(OpenMenus(program.Id()).empty());

    Click(OurIcon());
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
    HideWith(kCommand4);
    Click(OurIcon());
    ASSERT_TRUE(WaitUntil([&] { return Visible(); }, 5000));
    Click(OurIcon());
    Sleep(300);
    EXPECT_TRUE(Visible());
    EXPECT_EQ(ReadListBox(list), (Items{u"historique", u"pendant"}));
    EXPECT_EQ(ControlText(text1), u"mon texte");
}

TEST_F(TrayTalvex, RightClickOpensTheMenuWhileHiddenAndAfficherBringsTheWindowBack) {
    Start();
    HideWith(kCommand4);

    HWND menu = OpenMenuFromIcon();
    ASSERT_NE(menu, nullptr) << "no popup menu after a right click on the icon";
    EXPECT_FALSE(Visible());
    // Wine keeps a menu's items in its own process; the rows are found by their place.
    RECT r{};
    GetWindowRect(menu, &r);
    EXPECT_GE(r.bottom - r.top, kMenuContentHeight);
    EXPECT_LE(r.bottom - r.top, kMenuContentHeight + 12);

    Click(MenuRow(menu, kMenuContentHeight, kRowAfficher));
    ASSERT_TRUE(WaitUntil([&] { return Visible(); }, 5000));
    EXPECT_TRUE(WaitUntil([&] { return OpenMenus(program.Id()).empty(); }, 3000));

    // Chosen while the window is shown, it leaves it shown.
    menu = OpenMenuFromIcon();
    ASSERT_NE(menu, nullptr);
    Click(MenuRow(menu, kMenuContentHeight, kRowAfficher));
    ASSERT_TRUE(WaitUntil([&] { return OpenMenus(program.Id()).empty(); }, 3000));
    Sleep(300);
    EXPECT_TRUE(Visible());

    // Clicking elsewhere closes the menu and runs nothing.
    HideWith(kCommand4);
    menu = OpenMenuFromIcon();
    ASSERT_NE(menu, nullptr);
    Click(POINT{700, 700});
    EXPECT_TRUE(WaitUntil([&] { return OpenMenus(program.Id()).empty(); }, 3000));
    Sleep(300);
    EXPECT_FALSE(Visible());
    EXPECT_EQ(CountMessageBoxes(program.Id()), 0);
}

TEST_F(TrayTalvex, AToolChosenFromTheMenuWorksOnTheClipboardWhileHidden) {
    Start();
    ASSERT_TRUE(CopyAndWait(u"bonjour le monde", 1));
    SendMessageW(FindControl(form, kCommand3), BM_CLICK, 0, 0);  // tools panel open
    RECT panelOpen{};
    GetWindowRect(text1, &panelOpen);
    HideWith(kCommand4);

    HWND menu = OpenMenuFromIcon();
    ASSERT_NE(menu, nullptr);
    MoveMouse(MenuRow(menu, kMenuContentHeight, kRowOutils));
    ASSERT_TRUE(WaitUntil([&] { return OpenMenus(program.Id()).size() == 2; }, 5000))
        << "Outils did not open its submenu";
    HWND tools = OpenMenus(program.Id()).back();
    Click(MenuRow(tools, kToolsContentHeight, kRowMajuscule));

    EXPECT_TRUE(WaitUntil([&] { return ClipboardText() == u"BONJOUR LE MONDE"; }, 5000))
        << "clipboard holds: " << ::testing::PrintToString(ClipboardText());
    EXPECT_FALSE(Visible());
    // The tool closes the panel even on the hidden window: Text1 back to 2325 twips.
    RECT closed{};
    GetWindowRect(text1, &closed);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(closed.bottom - closed.top, MulDiv(2325, dpi, 1440));
    EXPECT_LT(panelOpen.bottom - panelOpen.top, closed.bottom - closed.top);
    // And the watcher records the new text.
    EXPECT_TRUE(WaitUntil([&] { return ReadListBox(list).size() == 2; }, kTwoTicks));
}

TEST_F(TrayTalvex, EveryOtherMenuItemRunsItsCommand) {
    CopyFromAnotherProgram(u"bonJOUR le MONDE");
    Start();
    ASSERT_TRUE(WaitUntil([&] { return ReadListBox(list).size() == 1; }, kTwoTicks));

    PostMenuCommand(menu_ids::kMenuLower);
    EXPECT_TRUE(WaitUntil([&] { return ClipboardText() == u"bonjour le monde"; }, 5000));
    PostMenuCommand(menu_ids::kMenuProper);
    EXPECT_TRUE(WaitUntil([&] { return ClipboardText() == u"Bonjour Le Monde"; }, 5000));

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
    HideWith(kCommand4);

    HWND menu = OpenMenuFromIcon();
    ASSERT_NE(menu, nullptr);
    Click(MenuRow(menu, kMenuContentHeight, kRowQuitter));
    HWND box = WaitForBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(WindowText(box), u"Talvex Press 1.0");
    EXPECT_EQ(MessageBoxText(box), kQuitQuestion);
    EXPECT_TRUE(HasIconStatic(box));
    EXPECT_NE(GetDlgItem(box, IDYES), nullptr);
    EXPECT_NE(GetDlgItem(box, IDNO), nullptr);
    EXPECT_FALSE(Visible());

    // While the question waits, a right click on the icon shows it rather than a menu.
    Click(OurIcon(), true);
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
    Click(MenuRow(menu, kMenuContentHeight, kRowQuitter));
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
    Click(OnWindow(form, kAboutTitleButton));
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
    HWND picture1 = FindControl(form, kPicture1);
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
    HideWith(kCommand4);
    Click(OurIcon());
    EXPECT_TRUE(WaitUntil([&] { return Visible(); }, 5000));
}

TEST_F(TrayTalvex, HidingWithoutAnIconPutsTheIconBackFirst) {
    Start();
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = FindControl(form, kPicture1);
    data.uID = 1;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &data));
    ASSERT_TRUE(WaitUntil([&] { return IconCount() == iconsBefore; }, 5000));

    // Hidden with no icon, the window could never come back.
    HideWith(kCommand4);
    ASSERT_TRUE(WaitUntil([&] { return IconCount() == iconsBefore + 1; }, 5000));
    Click(OurIcon());
    EXPECT_TRUE(WaitUntil([&] { return Visible(); }, 5000));
}

TEST_F(TrayTalvex, LoggingOffWhileHiddenRemovesTheIcon) {
    Start();
    HideWith(kHideTitleButton);
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
