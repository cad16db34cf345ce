// The popup menu's tree, its access keys and its skin, drawn off screen with the
// program's own pictures.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/win/menu_support.h"
#include "tests/win/win_support.h"
#include "ui/popup_menu.h"

namespace talvex::testing {
namespace {

constexpr std::uint32_t kMagenta = 0xFF00FF;
constexpr std::uint32_t kHighlight = 0x449EF9;  // RGB(68, 158, 249)

std::vector<std::uint32_t> BitmapPixels(HBITMAP bitmap, int w, int h) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(w) * h);
    BITMAPINFO info = TopDownBitmapInfo(w, h);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, static_cast<UINT>(h), pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    for (auto& p : pixels) p &= 0xFFFFFF;
    return pixels;
}

// How many pixels of menu picture n are opaque, from the resources themselves.
int OpaquePixels(int n) {
    HMODULE program = ProgramResources();
    const int id = n <= 5 ? 130 + n - 1 : 120 + n - 1;
    auto bitmap = static_cast<HBITMAP>(
        LoadImageW(program, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (bitmap == nullptr) return -1;
    const auto pixels = BitmapPixels(bitmap, 16, 16);
    DeleteObject(bitmap);
    int opaque = 0;
    for (auto p : pixels) opaque += n <= 5 ? (p == 0 ? 1 : 0) : (p != kMagenta ? 1 : 0);
    return opaque;
}

struct Drawn {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;  // 0xRRGGBB
    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

class MenuSkin : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(ProgramResources(), nullptr);
        menu.Build(ProgramResources());
        ASSERT_NE(menu.Popup(), nullptr);
    }

    HMENU Tools() const { return GetSubMenu(menu.Popup(), 2); }

    // Measures and draws one item into a fresh 32-bit bitmap.
    Drawn DrawItem(HMENU m, int position, UINT state, UINT dpi = 96, int width = 0) const {
        const MEASUREITEMSTRUCT measure = MeasuredItem(menu, m, position, dpi);
        Drawn out;
        // A menu is as wide as its widest item; `width` stands for that.
        out.width = width > 0 ? width : static_cast<int>(measure.itemWidth) + 20;
        out.height = static_cast<int>(measure.itemHeight);
        if (out.height <= 0) return out;

        const BITMAPINFO info = TopDownBitmapInfo(out.width, out.height);
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, bitmap);
        PatBlt(dc, 0, 0, out.width, out.height, BLACKNESS);

        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_MENU;
        draw.itemID = measure.itemID;
        draw.itemAction = ODA_DRAWENTIRE;
        draw.itemState = state;
        draw.hwndItem = reinterpret_cast<HWND>(m);
        draw.hDC = dc;
        draw.rcItem = RECT{0, 0, out.width, out.height};
        draw.itemData = measure.itemData;
        // The menu lends its DC: whatever the item drew, it must come back as it was lent.
        const HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
        const COLORREF textColour = GetTextColor(dc);
        const COLORREF brushColour = GetDCBrushColor(dc);
        const int mode = GetBkMode(dc);
        menu.Draw(draw, dpi);
        EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);
        EXPECT_EQ(GetTextColor(dc), textColour);
        EXPECT_EQ(GetDCBrushColor(dc), brushColour);
        EXPECT_EQ(GetBkMode(dc), mode);
        GdiFlush();
        const auto* p = static_cast<const std::uint32_t*>(bits);
        out.pixels.assign(p, p + static_cast<std::size_t>(out.width) * out.height);
        for (auto& px : out.pixels) px &= 0xFFFFFF;
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
        return out;
    }

    PopupMenu menu;
};

TEST_F(MenuSkin, TheTreeHasEveryItemWithItsCaptionAndCommand) {
    struct Expected {
        const wchar_t* caption;  // null: separator
        int id;
    };
    const Expected main[] = {
        {L"&Afficher", 200},     {nullptr, 0},        {L"Outils", -1},
        {L"&Aide", 205},         {L"A &propos", 206}, {nullptr, 0},
        {L"&Effacer tout", 207}, {nullptr, 0},        {L"&Quitter", 208},
    };
    HMENU popup = menu.Popup();
    ASSERT_EQ(GetMenuItemCount(popup), 9);
    for (int i = 0; i < 9; ++i) {
        SCOPED_TRACE(i);
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU;
        ASSERT_TRUE(GetMenuItemInfoW(popup, static_cast<UINT>(i), TRUE, &info));
        EXPECT_TRUE(info.fType & MFT_OWNERDRAW);
        EXPECT_EQ((info.fState & (MFS_DISABLED | MFS_CHECKED)), 0u);
        wchar_t caption[64] = L"";
        GetMenuStringW(popup, static_cast<UINT>(i), caption, 64, MF_BYPOSITION);
        if (main[i].caption == nullptr) {
            EXPECT_TRUE(info.fType & MFT_SEPARATOR);
            continue;
        }
        EXPECT_FALSE(info.fType & MFT_SEPARATOR);
        // Kept in the item for screen readers although the skin draws it.
        EXPECT_STREQ(caption, main[i].caption);
        if (main[i].id > 0) {
            EXPECT_EQ(GetMenuItemID(popup, i), static_cast<UINT>(main[i].id));
            EXPECT_EQ(info.hSubMenu, nullptr);
        } else {
            EXPECT_NE(info.hSubMenu, nullptr);
        }
    }
    EXPECT_EQ(GetMenuDefaultItem(popup, FALSE, 0), 200u);

    const Expected tools[] = {{L"&Majuscule", 201},
                              {L"&Minuscule", 202},
                              {L"&Debut majuscule", 203},
                              {L"&Nombre de caratères", 204}};
    ASSERT_EQ(GetMenuItemCount(Tools()), 4);
    for (int i = 0; i < 4; ++i) {
        wchar_t caption[64] = L"";
        GetMenuStringW(Tools(), static_cast<UINT>(i), caption, 64, MF_BYPOSITION);
        EXPECT_STREQ(caption, tools[i].caption);
        EXPECT_EQ(GetMenuItemID(Tools(), i), static_cast<UINT>(tools[i].id));
    }
    for (int id = 200; id <= 208; ++id) EXPECT_TRUE(PopupMenu::IsMenuCommand(id));
    EXPECT_FALSE(PopupMenu::IsMenuCommand(152));  // cmdpropos, a control
}

TEST_F(MenuSkin, AccessKeysRunOrCycleThroughTheirItems) {
    HMENU popup = menu.Popup();
    EXPECT_EQ(PopupMenu::MenuChar(L'q', popup), MAKELRESULT(8, MNC_EXECUTE));
    EXPECT_EQ(PopupMenu::MenuChar(L'P', popup), MAKELRESULT(4, MNC_EXECUTE));
    EXPECT_EQ(PopupMenu::MenuChar(L'e', popup), MAKELRESULT(6, MNC_EXECUTE));
    EXPECT_EQ(HIWORD(PopupMenu::MenuChar(L'o', popup)), MNC_IGNORE);  // "Outils" has none
    EXPECT_EQ(HIWORD(PopupMenu::MenuChar(L'z', popup)), MNC_IGNORE);
    // &Afficher and &Aide share their letter: the first press selects one, the next the other.
    EXPECT_EQ(PopupMenu::MenuChar(L'a', popup), MAKELRESULT(0, MNC_SELECT));
    MENUITEMINFOW hilite{};
    hilite.cbSize = sizeof hilite;
    hilite.fMask = MIIM_STATE;
    hilite.fState = MFS_HILITE | MFS_DEFAULT;
    SetMenuItemInfoW(popup, 0, TRUE, &hilite);
    EXPECT_EQ(PopupMenu::MenuChar(L'a', popup), MAKELRESULT(3, MNC_SELECT));

    EXPECT_EQ(PopupMenu::MenuChar(L'n', Tools()), MAKELRESULT(3, MNC_EXECUTE));
    EXPECT_EQ(PopupMenu::MenuChar(L'd', Tools()), MAKELRESULT(2, MNC_EXECUTE));
    EXPECT_EQ(PopupMenu::MenuChar(L'm', Tools()), MAKELRESULT(0, MNC_SELECT));
}

TEST_F(MenuSkin, PicturesAreDrawnThroughTheirMasksOnTheirItems) {
    // Main-menu positions carrying pictures 1 to 6.
    const int withPicture[6] = {0, 2, 3, 4, 6, 8};
    for (int n = 1; n <= 6; ++n) {
        SCOPED_TRACE(n);
        const int opaque = OpaquePixels(n);
        ASSERT_GT(opaque, 20);
        ASSERT_LT(opaque, 256);
        for (UINT state : {0u, static_cast<UINT>(ODS_SELECTED)}) {
            const Drawn item = DrawItem(menu.Popup(), withPicture[n - 1], state);
            ASSERT_GT(item.height, 16);
            int magenta = 0;
            for (auto p : item.pixels) magenta += p == kMagenta ? 1 : 0;
            EXPECT_EQ(magenta, 0) << "a transparent part shows";
            // Outside the picture the column is one plain colour: count what differs from it.
            const std::uint32_t column = item.At(1, 1);
            int picture = 0;
            for (int y = 0; y < item.height; ++y)
                for (int x = 0; x < 24; ++x) picture += item.At(x, y) != column ? 1 : 0;
            if (state == 0) {
                EXPECT_EQ(picture, opaque) << "exactly the masked shape is drawn";
            }
        }
    }
    // The tool items, the separators: no picture.
    for (int position : {0, 1, 2, 3}) {
        const Drawn item = DrawItem(Tools(), position, 0);
        const std::uint32_t column = item.At(1, 1);
        int picture = 0;
        for (int y = 0; y < item.height; ++y)
            for (int x = 0; x < 24; ++x) picture += item.At(x, y) != column ? 1 : 0;
        EXPECT_EQ(picture, 0) << "tool item " << position;
    }
}

TEST_F(MenuSkin, HighlightSeparatorsAndTextAreDrawn) {
    auto count = [](const Drawn& d, auto&& wanted) {
        int n = 0;
        for (auto p : d.pixels) n += wanted(p) ? 1 : 0;
        return n;
    };
    auto dark = [](std::uint32_t p) {
        return ((p >> 16) & 0xFF) < 90 && ((p >> 8) & 0xFF) < 90 && (p & 0xFF) < 90;
    };
    auto white = [](std::uint32_t p) { return p == 0xFFFFFF; };
    auto highlight = [](std::uint32_t p) { return p == kHighlight; };

    const Drawn plain = DrawItem(menu.Popup(), 3, 0);  // &Aide
    const Drawn chosen = DrawItem(menu.Popup(), 3, ODS_SELECTED);
    EXPECT_EQ(count(plain, highlight), 0);
    EXPECT_GT(count(chosen, highlight), plain.width * 4);
    EXPECT_GT(count(plain, dark), 10) << "the caption is written";
    // Selected, the caption turns white on the blue band.
    int whiteInBand = 0;
    for (int y = 0; y < chosen.height; ++y)
        for (int x = 30; x < chosen.width - 20; ++x) whiteInBand += white(chosen.At(x, y)) ? 1 : 0;
    EXPECT_GT(whiteInBand, 10);

    const Drawn separator = DrawItem(menu.Popup(), 1, 0, 96, 160);
    EXPECT_EQ(separator.height, 7);
    EXPECT_EQ(count(separator, dark), 0);
    // A rule runs across, distinct from the background.
    std::uint32_t background = separator.At(separator.width - 2, 0);
    int rule = 0;
    for (int x = 30; x < separator.width - 10; ++x)
        rule += separator.At(x, 3) != background ? 1 : 0;
    EXPECT_GT(rule, separator.width / 2);
    // The separator's selected state, as keyboard navigation never gives it, draws no band.
    EXPECT_EQ(count(DrawItem(menu.Popup(), 1, ODS_SELECTED), highlight), 0);
}

TEST_F(MenuSkin, UnderHighContrastTheMenuTakesTheSystemsColours) {
    const DarkHighContrast contrast;
    const std::uint32_t cyan = (GetRValue(DarkHighContrast::kHighlight) << 16) |
                               (GetGValue(DarkHighContrast::kHighlight) << 8) |
                               GetBValue(DarkHighContrast::kHighlight);
    const Drawn plain = DrawItem(menu.Popup(), 3, 0);  // &Aide
    const Drawn chosen = DrawItem(menu.Popup(), 3, ODS_SELECTED);
    int black = 0, white = 0, band = 0, skinBlue = 0;
    for (auto p : plain.pixels) {
        black += p == 0 ? 1 : 0;
        white += p == 0xFFFFFF ? 1 : 0;
    }
    for (auto p : chosen.pixels) {
        band += p == cyan ? 1 : 0;
        skinBlue += p == kHighlight ? 1 : 0;
    }
    EXPECT_GT(black, plain.width * plain.height * 3 / 4) << "the menu colour, gutter included";
    EXPECT_GT(white, 10) << "the caption in the menu's text colour";
    EXPECT_GT(band, chosen.width * 4) << "the system's highlight";
    EXPECT_EQ(skinBlue, 0);
}

TEST_F(MenuSkin, SizesFollowTheDpi) {
    const Drawn small = DrawItem(menu.Popup(), 3, 0, 96);
    const Drawn large = DrawItem(menu.Popup(), 3, 0, 192);
    EXPECT_EQ(small.height, 22);
    EXPECT_GE(large.height, 44);
    EXPECT_GT(large.width, small.width * 3 / 2);
    EXPECT_EQ(DrawItem(menu.Popup(), 1, 0, 192).height, 14);
}

// The dpi of the monitor under the menu, as the test names it, and where the menu asked.
UINT namedDpi = 96;
POINT askedAt{};
PopupMenu* openMenu = nullptr;
std::vector<int> seenHeights;  // of the open menu's items, as laid out

// The menu's owner, as Form1 is. Once the menu is open it notes its items' heights and ends it.
LRESULT CALLBACK MenuOwner(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_MEASUREITEM) {
        openMenu->Measure(*reinterpret_cast<MEASUREITEMSTRUCT*>(lp), openMenu->Dpi());
    } else if (msg == WM_DRAWITEM) {
        openMenu->Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp), openMenu->Dpi());
    } else if (msg == WM_TIMER) {
        KillTimer(hwnd, wp);
        for (UINT i = 0; i < static_cast<UINT>(GetMenuItemCount(openMenu->Popup())); ++i) {
            RECT r{};
            GetMenuItemRect(hwnd, openMenu->Popup(), i, &r);
            seenHeights.push_back(r.bottom - r.top);
        }
        EndMenu();
    } else {
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    return TRUE;
}

TEST(MenuOpened, ItsItemsAreMeasuredForTheMonitorWhereItOpens) {
    PopupMenu menu([](POINT at) {
        askedAt = at;
        return namedDpi;
    });
    openMenu = &menu;
    HWND owner = ShowTestWindow(L"TalvexTestMenuOwner", MenuOwner, 40, 40, 120, 60);
    std::pair<UINT, HMENU> previous{0, nullptr};
    for (const auto& [dpi, at] : {std::pair{96u, POINT{200, 200}}, std::pair{192u, POINT{420, 150}},
                                  std::pair{192u, POINT{300, 120}}}) {
        namedDpi = dpi;
        seenHeights.clear();
        SetTimer(owner, 1, 200, nullptr);  // fires in the open menu's loop
        menu.Show(owner, at);
        EXPECT_TRUE(askedAt.x == at.x && askedAt.y == at.y);
        ASSERT_EQ(seenHeights.size(), 9u);
        for (int i = 0; i < 9; ++i)
            EXPECT_EQ(seenHeights[static_cast<std::size_t>(i)],
                      static_cast<int>(MeasuredItem(menu, menu.Popup(), i, dpi).itemHeight))
                << dpi << " dpi, item " << i;
        // Windows measures a menu's owner-drawn items once: each dpi needs a menu of its own.
        if (previous.second != nullptr) {
            EXPECT_EQ(previous.first == dpi, previous.second == menu.Popup()) << dpi << " dpi";
        }
        previous = {dpi, menu.Popup()};
    }
    DestroyWindow(owner);
}

}  // namespace
}  // namespace talvex::testing
