// Form1 as it shows itself: every control at its place, stacking and tab order, the rounded
// shape, moving by the background, the tools panel, the keyboard, and the version record of
// the program file. The real program runs in its own process; this one looks from outside.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/win/screen_reader_support.h"
#include "tests/win/win_support.h"

namespace talvex::testing {
namespace {

constexpr int kCommand1 = 101, kCommand2 = 102, kCommand3 = 103, kCommand4 = 104;
constexpr int kKeytool0 = 110, kText1 = 120, kList1 = 121, kFramePlus1 = 130, kFramePlus2 = 131;
constexpr int kPicture1 = 140, kButtonPlus1 = 150, kButtonPlus2 = 151, kCmdpropos = 152;

struct Placement {
    int id;
    int container;  // 0: the window
    RECT rect;      // pixels at 96 dpi, in the container's client area
};

// The documented places: twips / 15, rounded.
const Placement kPlacements[] = {
    {kFramePlus2, 0, {8, 64, 417, 257}},
    {kFramePlus1, 0, {8, 264, 417, 457}},
    {kCommand1, 0, {8, 464, 97, 489}},
    {kCommand3, 0, {112, 464, 201, 489}},
    {kCommand2, 0, {216, 464, 313, 489}},
    {kCommand4, 0, {320, 464, 409, 489}},
    {kCmdpropos, 0, {340, 5, 365, 22}},
    {kButtonPlus2, 0, {365, 5, 390, 22}},
    {kButtonPlus1, 0, {389, 5, 422, 22}},
    {kList1, kFramePlus2, {8, 32, 401, 177}},
    {kText1, kFramePlus1, {8, 32, 401, 187}},
    {kKeytool0 + 0, kFramePlus1, {8, 160, 97, 185}},
    {kKeytool0 + 1, kFramePlus1, {104, 160, 185, 185}},
    {kKeytool0 + 2, kFramePlus1, {192, 160, 305, 185}},
    {kKeytool0 + 3, kFramePlus1, {312, 160, 393, 185}},
};

std::string Describe(const RECT& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ") - (" +
           std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
}

// A window's rectangle in its parent's client coordinates.
RECT PlaceInParent(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

POINT ScreenPoint(HWND hwnd, int x, int y) {
    POINT p{x, y};
    ClientToScreen(hwnd, &p);
    return p;
}

// The child ids of `parent`, top of the stack first.
std::vector<int> StackOf(HWND parent) {
    std::vector<int> ids;
    for (HWND w = GetWindow(parent, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT))
        ids.push_back(GetDlgCtrlID(w));
    return ids;
}

void Press(WORD vk, WORD modifier = 0) {
    if (modifier != 0) {
        PressKey(vk, {modifier});
    } else {
        PressKey(vk);
    }
}

class Form1Look : public ProgramTest {
  protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(ProgramTest::SetUp());
        ASSERT_NO_FATAL_FAILURE(StartProgram());
    }

    HWND Focus() const { return FocusIn(form); }

    // Presses `button` at client point (x, y) of the form, drags by (dx, dy) and lets go.
    void Drag(int x, int y, int dx, int dy, DWORD down, DWORD up) {
        POINT start = ScreenPoint(form, x, y);
        ASSERT_TRUE(CursorAt(start));
        MouseButton(down);
        Sleep(100);
        for (int step = 1; step <= 4; ++step) {
            CursorAt(POINT{start.x + dx * step / 4, start.y + dy * step / 4});
            Sleep(50);
        }
        MouseButton(up);
        Sleep(200);
    }

    RECT FormRect() const {
        RECT r{};
        GetWindowRect(form, &r);
        return r;
    }
};

TEST_F(Form1Look, EveryControlSitsAtItsDocumentedPlace) {
    RECT client{};
    GetClientRect(form, &client);
    EXPECT_EQ(client.right, 431);
    EXPECT_EQ(client.bottom, 502);
    RECT window{};
    GetWindowRect(form, &window);
    EXPECT_EQ(window.right - window.left, 431) << "no border around the client area";
    EXPECT_EQ(GetWindowLongPtrW(form, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), 0);

    for (const Placement& p : kPlacements) {
        SCOPED_TRACE("control " + std::to_string(p.id));
        HWND control = Control(p.id);
        ASSERT_NE(control, nullptr);
        HWND container = p.container == 0 ? form : Control(p.container);
        EXPECT_EQ(GetParent(control), container);
        EXPECT_TRUE(IsWindowVisible(control));
        EXPECT_EQ(Describe(PlaceInParent(control)), Describe(p.rect));
    }

    HWND picture1 = Control(kPicture1);
    ASSERT_NE(picture1, nullptr);
    EXPECT_FALSE(IsWindowVisible(picture1));
    EXPECT_GE(PlaceInParent(picture1).left, client.right) << "outside the client area";
}

TEST_F(Form1Look, StackingAndTabOrderAreTheDocumentedOnes) {
    EXPECT_EQ(StackOf(form),
              (std::vector<int>{kPicture1, kFramePlus1, kCommand1, kCommand3, kCommand2, kCommand4,
                                kFramePlus2, kButtonPlus1, kButtonPlus2, kCmdpropos}));
    EXPECT_EQ(StackOf(Control(kFramePlus1)),
              (std::vector<int>{kText1, kKeytool0, kKeytool0 + 1, kKeytool0 + 2, kKeytool0 + 3}));
    EXPECT_EQ(StackOf(Control(kFramePlus2)), std::vector<int>{kList1});
    // The frames are containers for the keyboard, so Tab and access keys reach inside.
    EXPECT_TRUE(GetWindowLongPtrW(Control(kFramePlus1), GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
    EXPECT_TRUE(GetWindowLongPtrW(form, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);

    ASSERT_TRUE(BringToFront());
    EXPECT_EQ(GetDlgCtrlID(Focus()), kCommand1) << "the keyboard starts on the first button";
    auto walk = [&](int presses, WORD modifier) {
        std::vector<int> seen{GetDlgCtrlID(Focus())};
        for (int i = 0; i < presses; ++i) {
            HWND before = Focus();
            Press(VK_TAB, modifier);
            WaitUntil([&] { return Focus() != before; }, 2000);
            seen.push_back(GetDlgCtrlID(Focus()));
        }
        return seen;
    };
    // Tools hidden: the covered tool buttons are skipped; the order wraps round.
    EXPECT_EQ(walk(9, 0),
              (std::vector<int>{kCommand1, kCommand3, kCommand2, kCommand4, kText1, kList1,
                                kButtonPlus1, kButtonPlus2, kCmdpropos, kCommand1}));
    EXPECT_EQ(walk(2, VK_SHIFT), (std::vector<int>{kCommand1, kCmdpropos, kButtonPlus2}));
    // A Tab in the text box moves on and types nothing.
    EXPECT_EQ(GetWindowTextLengthW(text1), 0);

    // Tools shown: the whole documented order.
    SendMessageW(Control(kCommand3), BM_CLICK, 0, 0);  // the click focuses the Tools button
    ASSERT_TRUE(BringToFront());
    ASSERT_EQ(GetDlgCtrlID(Focus()), kCommand3);
    Press(VK_TAB);
    ASSERT_TRUE(WaitUntil([&] { return GetDlgCtrlID(Focus()) == kCommand2; }, 2000));
    EXPECT_EQ(walk(11, 0), (std::vector<int>{kCommand2, kCommand4, kText1, kList1, kKeytool0,
                                             kKeytool0 + 1, kKeytool0 + 2, kKeytool0 + 3,
                                             kButtonPlus1, kButtonPlus2, kCmdpropos, kCommand1}));
    EXPECT_EQ(GetWindowTextLengthW(text1), 0);
}

TEST_F(Form1Look, TheCornersAreCutAlongTwentyPixelArcs) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(form, region), ERROR);
    const POINT outside[] = {{0, 0}, {430, 0}, {0, 501}, {430, 501}, {2, 2}, {428, 499}};
    for (const POINT& p : outside) EXPECT_FALSE(PtInRegion(region, p.x, p.y)) << p.x << "," << p.y;
    const POINT inside[] = {{5, 5}, {425, 5}, {5, 496}, {425, 496}, {10, 0}, {0, 10}, {215, 250}};
    for (const POINT& p : inside) EXPECT_TRUE(PtInRegion(region, p.x, p.y)) << p.x << "," << p.y;
    DeleteObject(region);

    // A click there does not reach the window: the pointer sees what lies below.
    EXPECT_NE(WindowFromPoint(ScreenPoint(form, 0, 0)), form);
    EXPECT_EQ(WindowFromPoint(ScreenPoint(form, 6, 6)), form);
}

TEST_F(Form1Look, ThePictureCoversTheWindow) {
    ASSERT_TRUE(BringToFront());
    HDC screen = GetDC(nullptr);
    auto at = [&](int x, int y) {
        const POINT p = ScreenPoint(form, x, y);
        return GetPixel(screen, p.x, p.y);
    };
    // The title strip is blue, the body white: not the grey button face of an empty window.
    ASSERT_TRUE(WaitUntil([&] { return GetBValue(at(250, 20)) > 200; }, 3000));
    const COLORREF strip = at(250, 20);
    EXPECT_GT(GetBValue(strip), GetRValue(strip) + 60);
    const COLORREF body = at(215, 260);  // the gap between the frames
    EXPECT_GT(GetRValue(body), 240);
    EXPECT_GT(GetGValue(body), 240);
    ReleaseDC(nullptr, screen);
}

TEST_F(Form1Look, TheToolsButtonUncoversTheToolRow) {
    // Closed: the text box lies over the tool buttons.
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(WindowFromPoint(CentreOf(Control(kKeytool0 + i))), text1) << i;

    HWND tools = Control(kCommand3);
    SendMessageW(tools, BM_CLICK, 0, 0);
    SendMessageW(tools, BM_CLICK, 0, 0);
    RECT r{};
    GetWindowRect(text1, &r);
    EXPECT_EQ(r.bottom - r.top, 123) << "1845 twips";
    EXPECT_EQ(Describe(PlaceInParent(text1)), Describe(RECT{8, 32, 401, 155}));
    for (int i = 0; i < 4; ++i) {
        HWND tool = Control(kKeytool0 + i);
        EXPECT_EQ(WindowFromPoint(CentreOf(tool)), tool) << i;
    }
}

TEST_F(Form1Look, APressOnTheBackgroundMovesTheWindowAndAPressOnAControlDoesNot) {
    ASSERT_TRUE(BringToFront());
    const RECT start = FormRect();

    // The title strip, left button.
    Drag(200, 30, 40, 30, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(WaitUntil([&] { return FormRect().left == start.left + 40; }, 3000))
        << FormRect().left - start.left;
    EXPECT_EQ(FormRect().top, start.top + 30);

    // The gap between the frames, right button.
    const RECT second = FormRect();
    Drag(215, 260, -25, 20, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    ASSERT_TRUE(WaitUntil([&] { return FormRect().left == second.left - 25; }, 3000))
        << FormRect().left - second.left;
    EXPECT_EQ(FormRect().top, second.top + 20);

    // A frame's caption band, the list, and a button: nothing moves.
    const RECT still = FormRect();
    Drag(100, 75, 30, 30, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    Drag(100, 150, 30, 30, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    Drag(100, 150, 30, 30, MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP);
    Drag(360, 476, 30, 30, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    EXPECT_EQ(Describe(FormRect()), Describe(still));
}

// Messages between processes carry at most 64 K under Wine, so the megabyte goes the user's
// way: copied by another program, recalled from the list into the text box, copied back.
TEST_F(Form1Look, TheTextBoxHoldsAMegabyte) {
    std::u16string big;
    big.reserve(1 << 20);
    for (int line = 0; big.size() + 64 < (1u << 20); ++line)
        big += u"ligne " + std::u16string(1, static_cast<char16_t>(u'a' + line % 26)) +
               u" très longue, sans retour à la ligne automatique ......\r\n";
    big.resize(1 << 20, u'x');
    ASSERT_TRUE(PutOnClipboard(big));
    LRESULT last = -1;
    ASSERT_TRUE(WaitUntil(
        [&] {
            last = SendMessageW(list, LB_GETCOUNT, 0, 0) - 1;
            return last >= 0 &&
                   SendMessageW(list, LB_GETTEXTLEN, last, 0) == static_cast<LRESULT>(big.size());
        },
        kTwoTicks));

    ASSERT_TRUE(BringToFront());
    ClickEntry(static_cast<int>(last));
    ASSERT_TRUE(WaitUntil(
        [&] {
            return SendMessageW(text1, WM_GETTEXTLENGTH, 0, 0) == static_cast<LRESULT>(big.size());
        },
        5000))
        << SendMessageW(text1, WM_GETTEXTLENGTH, 0, 0);

    ASSERT_TRUE(PutOnClipboard(u"autre chose"));
    SendMessageW(Control(kCommand1), BM_CLICK, 0, 0);
    // Read whole, compared whole (a read can meet the watcher holding the clipboard: retry).
    std::size_t lastSize = 0;
    EXPECT_TRUE(WaitUntil(
        [&] {
            const auto now = TextOnClipboard();
            lastSize = now.value_or(u"").size();
            return now == big;
        },
        5000))
        << "last read " << lastSize << " units";
}

TEST_F(Form1Look, TheAccessKeyAndBmClickRunCopy) {
    HWND copy = Control(kCommand1);
    EXPECT_EQ(WindowText(copy), u"&Copier") << "the caption keeps its ampersand";

    const std::u16string first = u"copié par Alt+C";
    SendMessageW(text1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(first.c_str()));
    ASSERT_TRUE(BringToFront());
    Press('C', VK_MENU);
    EXPECT_TRUE(WaitUntil([&] { return TextOnClipboard() == first; }, 3000)) << "Alt+C";

    const std::u16string second = u"copié par BM_CLICK";
    SendMessageW(text1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(second.c_str()));
    SendMessageW(copy, BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return TextOnClipboard() == second; }, 3000)) << "BM_CLICK";

    // Enter on the focused button presses it, as on any button.
    const std::u16string third = u"copié par Entrée";
    SendMessageW(text1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(third.c_str()));
    ASSERT_TRUE(BringToFront());
    ASSERT_EQ(GetDlgCtrlID(Focus()), kCommand1);
    Press(VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return TextOnClipboard() == third; }, 3000)) << "Enter";
}

// What a screen reader reads: the caption without its ampersand, through the system's own
// accessibility proxy of a button.
TEST_F(Form1Look, ScreenReadersReadTheCaptionWithoutItsAmpersand) {
    ScreenReader reader;
    const std::pair<int, std::u16string> expected[] = {{kCommand1, u"Copier"},
                                                       {kCommand2, u"Effacer"},
                                                       {kCommand3, u"Outils"},
                                                       {kCommand4, u"Réduire"},
                                                       {kKeytool0 + 2, u"Debut majuscule"},
                                                       {kButtonPlus1, u"X"}};
    for (const auto& [id, name] : expected) {
        IAccessible* accessible = reader.ObjectOf(Control(id));
        ASSERT_NE(accessible, nullptr) << id;
        EXPECT_EQ(ScreenReader::Name(accessible), name);
        accessible->Release();
    }
}

// The version record, read back from the program file as Explorer would.
class VersionRecord : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::wstring path = ProgramPath();
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
        ASSERT_GT(size, 0u);
        data.resize(size);
        ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, data.data()));
    }

    std::u16string Value(const wchar_t* key) {
        void* p = nullptr;
        UINT len = 0;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\040C04B0\\") + key;
        if (!VerQueryValueW(data.data(), path.c_str(), &p, &len) || p == nullptr) return u"<none>";
        return std::u16string(static_cast<const char16_t*>(p));
    }

    // The keys of the string table, walked through the record's own layout.
    std::vector<std::u16string> Keys() {
        struct Block {
            const BYTE* at;
            WORD length, valueLength, type;
            std::u16string key;
            const BYTE* children;
        };
        auto align = [&](const BYTE* p) {
            const BYTE* base = data.data();
            return base + ((p - base + 3) & ~std::ptrdiff_t{3});
        };
        auto read = [&](const BYTE* p) {
            Block b{p, 0, 0, 0, {}, nullptr};
            memcpy(&b.length, p, 2);
            memcpy(&b.valueLength, p + 2, 2);
            memcpy(&b.type, p + 4, 2);
            b.key = reinterpret_cast<const char16_t*>(p + 6);
            const BYTE* value = align(p + 6 + (b.key.size() + 1) * 2);
            b.children = align(value + (b.type == 1 ? b.valueLength * 2 : b.valueLength));
            return b;
        };
        auto children = [&](const Block& parent) {
            std::vector<Block> out;
            const BYTE* end = parent.at + parent.length;
            for (const BYTE* p = parent.children; p + 6 < end;) {
                Block b = read(p);
                if (b.length == 0) break;
                out.push_back(b);
                p = align(p + b.length);
            }
            return out;
        };
        std::vector<std::u16string> keys;
        for (const Block& info : children(read(data.data()))) {
            if (info.key != u"StringFileInfo") continue;
            for (const Block& table : children(info)) {
                EXPECT_EQ(table.key, u"040C04B0");
                for (const Block& value : children(table)) keys.push_back(value.key);
            }
        }
        return keys;
    }

    std::vector<BYTE> data;
};

TEST_F(VersionRecord, HasEveryValueAndNoFileDescription) {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &len));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x0000000Au);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x0000000Au);
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u);
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &len));
    ASSERT_EQ(len, 4u);
    EXPECT_EQ(translation[0], 0x040C);
    EXPECT_EQ(translation[1], 1200);

    EXPECT_EQ(Value(L"CompanyName"), u"Équipe Talvex");
    EXPECT_EQ(Value(L"LegalCopyright"), u"Équipe Talvex");
    EXPECT_EQ(Value(L"ProductName"), u"TalvexPress");
    EXPECT_EQ(Value(L"FileVersion"), u"1.00.0010");
    EXPECT_EQ(Value(L"ProductVersion"), u"1.00.0010");
    EXPECT_EQ(Value(L"InternalName"), u"TalvexPress");
    EXPECT_EQ(Value(L"OriginalFilename"), u"TalvexPress.exe");
    EXPECT_EQ(Value(L"FileDescription"), u"<none>");
    EXPECT_EQ(Keys(), (std::vector<std::u16string>{
                          u"CompanyName", u"LegalCopyright", u"ProductName", u"FileVersion",
                          u"ProductVersion", u"InternalName", u"OriginalFilename"}));
}

// The manifest travels inside the program: common controls 6, per-monitor dpi awareness.
TEST(ProgramManifest, IsEmbeddedWithCommonControlsSixAndPerMonitorDpi) {
    HMODULE exe = ProgramResources();
    ASSERT_NE(exe, nullptr);
    HRSRC found = FindResourceW(exe, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
    ASSERT_NE(found, nullptr);
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(exe, found)));
    ASSERT_NE(bytes, nullptr);
    const std::string manifest(bytes, SizeofResource(exe, found));
    for (const char* needle :
         {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"", "PerMonitorV2",
          "true/pm", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", "asInvoker"}) {
        EXPECT_NE(manifest.find(needle), std::string::npos) << needle;
    }
}

}  // namespace
}  // namespace talvex::testing
