#include "ui/popup_menu.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <stdexcept>
#include <utility>
#include <vector>

#include "clipboard/text_tools.h"
#include "platform/gdi_guards.h"
#include "resources/resource_ids.h"
#include "ui/contrast.h"
#include "ui/skin.h"
#include "ui/texts.h"

namespace talvex {
namespace {

using namespace menu_ids;

// The items, with their captions and pictures.
constexpr PopupMenu::Item kMainItems[] = {
    {texts::kShowItem, kMenuShow, 1},
    {nullptr, 0, 0},  // sep1
    {texts::kToolsItem, 0, 2},
    {texts::kHelpItem, kMenuHelp, 3},
    {texts::kAboutItem, kMenuAbout, 4},
    {nullptr, 0, 0},  // sep2
    {texts::kClearAllItem, kMenuClear, 5},
    {nullptr, 0, 0},  // Sep3
    {texts::kQuitItem, kMenuQuit, 6},
};
constexpr std::size_t kToolsPosition = 2;
constexpr PopupMenu::Item kToolItems[] = {
    {texts::kToolMenuItems[kToolUpperCase], kMenuUpper, 0},
    {texts::kToolMenuItems[kToolLowerCase], kMenuLower, 0},
    {texts::kToolMenuItems[kToolProperCase], kMenuProper, 0},
    {texts::kToolMenuItems[kToolCharacterCount], kMenuCount, 0},
};
constexpr int kDefaultItem = kMenuShow;

// The skin's measures in pixels at 96 dpi.
constexpr int kItemHeight = 22;
constexpr int kSeparatorHeight = 7;
constexpr int kGutter = 26;  // the picture column
constexpr int kPictureLeft = 5;
constexpr int kPictureSize = 16;
constexpr int kTextGap = 8;
constexpr int kRightRoom = 28;       // room for the submenu arrow
constexpr int kFontHeight825 = 825;  // Tahoma 8.25 points, in hundredths of a point

constexpr COLORREF kColourKey = RGB(255, 0, 255);

struct MenuColours {
    COLORREF background;
    COLORREF gutter;
    COLORREF highlight;
    COLORREF highlightEdge;
    COLORREF highlightText;
    COLORREF rule;
    COLORREF text;
    COLORREF greyText;
};

// The window's blue, and a pale wash of it for the picture column; under high contrast the
// system's menu and highlight colours, which the user chose to read by.
MenuColours CurrentColours() {
    if (HighContrastOn()) {
        const COLORREF menu = GetSysColor(COLOR_MENU);
        const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
        const COLORREF text = GetSysColor(COLOR_MENUTEXT);
        return MenuColours{menu,
                           menu,
                           highlight,
                           highlight,
                           GetSysColor(COLOR_HIGHLIGHTTEXT),
                           text,
                           text,
                           GetSysColor(COLOR_GRAYTEXT)};
    }
    return MenuColours{RGB(255, 255, 255), RGB(228, 240, 254), RGB(68, 158, 249),
                       RGB(38, 118, 214),  RGB(255, 255, 255), RGB(178, 206, 240),
                       RGB(0, 0, 0),       RGB(128, 128, 128)};
}

void Fill(HDC dc, const RECT& r, COLORREF colour) {
    SetDCBrushColor(dc, colour);
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

// Top-down 32-bit copy of a bitmap's pixels (blue, green, red, unused).
std::vector<std::uint32_t> Pixels(HBITMAP bitmap, int width, int height) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    BITMAPINFO info = TopDownBgraInfo(width, height);
    const WindowDc screen(nullptr);
    const int rows = GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(height), pixels.data(),
                               &info, DIB_RGB_COLORS);
    if (rows != height) pixels.clear();
    return pixels;
}

UniqueBitmap LoadBitmapResource(HINSTANCE instance, int id) {
    return UniqueBitmap(static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

// A picture and its transparency made into one premultiplied 32-bit bitmap, so that
// AlphaBlend draws it on any background at any size. With `maskId` 0 the colour key
// marks what is transparent; otherwise the mask's white does (its black is the shape).
UniqueBitmap MakePicture(HINSTANCE instance, int colourId, int maskId) {
    const UniqueBitmap colour = LoadBitmapResource(instance, colourId);
    if (!colour) return {};
    BITMAP size{};
    GetObjectW(colour.get(), sizeof size, &size);
    const int w = size.bmWidth;
    const int h = size.bmHeight;
    const std::vector<std::uint32_t> pixels = Pixels(colour.get(), w, h);
    std::vector<std::uint32_t> mask;
    if (maskId != 0) {
        const UniqueBitmap maskBitmap = LoadBitmapResource(instance, maskId);
        if (maskBitmap) mask = Pixels(maskBitmap.get(), w, h);
        if (mask.size() != pixels.size()) return {};
    }
    if (pixels.empty()) return {};

    const BITMAPINFO info = TopDownBgraInfo(w, h);
    void* bits = nullptr;
    UniqueBitmap picture(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!picture || bits == nullptr) return {};
    // DIB pixels are blue, green, red: the key magenta reads 0xFF00FF either way.
    const std::uint32_t key =
        (GetRValue(kColourKey) << 16) | (GetGValue(kColourKey) << 8) | GetBValue(kColourKey);
    auto* out = static_cast<std::uint32_t*>(bits);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        const std::uint32_t rgb = pixels[i] & 0xFFFFFFu;
        const bool clear = mask.empty() ? rgb == key : (mask[i] & 0xFFFFFFu) != 0;
        out[i] = clear ? 0u : (0xFF000000u | rgb);
    }
    GdiFlush();
    return picture;
}

wchar_t Upper(wchar_t c) {
    return static_cast<wchar_t>(
        reinterpret_cast<UINT_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(static_cast<UINT_PTR>(c)))));
}

// The letter after the lone ampersand of a caption, upper-cased; 0 when there is none.
wchar_t AccessKey(const wchar_t* caption) {
    for (const wchar_t* p = caption; p != nullptr && *p != 0; ++p) {
        if (*p != L'&') continue;
        if (p[1] == L'&') {
            ++p;
            continue;
        }
        return Upper(p[1]);
    }
    return 0;
}

void Insert(HMENU menu, const PopupMenu::Item& item, HMENU submenu) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_DATA;
    info.fType = MFT_OWNERDRAW;
    // The caption stays in the item although we draw it: screen readers and the
    // system's own access-key search read it there.
    if (item.caption != nullptr) {
        info.fMask |= MIIM_STRING;
        info.dwTypeData = const_cast<wchar_t*>(item.caption);
    } else {
        info.fType |= MFT_SEPARATOR;
    }
    if (item.id != 0) {
        info.fMask |= MIIM_ID;
        info.wID = static_cast<UINT>(item.id);
    }
    if (submenu != nullptr) {
        info.fMask |= MIIM_SUBMENU;
        info.hSubMenu = submenu;
    }
    info.dwItemData = reinterpret_cast<ULONG_PTR>(&item);
    if (!InsertMenuItemW(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &info))
        throw std::runtime_error("menu item could not be added");
}

UniqueMenu NewPopup() {
    UniqueMenu menu(CreatePopupMenu());
    if (!menu) throw std::runtime_error("menu could not be created");
    return menu;
}

}  // namespace

const PopupMenu::Item* PopupMenu::ItemOf(ULONG_PTR data) {
    const auto* item = reinterpret_cast<const Item*>(data);
    for (const Item& known : kMainItems)
        if (&known == item) return item;
    for (const Item& known : kToolItems)
        if (&known == item) return item;
    return nullptr;
}

void PopupMenu::LoadPictures(HINSTANCE instance) {
    if (picturesLoaded_) return;
    picturesLoaded_ = true;
    for (int n = 1; n <= 6; ++n) {
        const int mask = n <= 5 ? IDB_MENU_MASK1 + n - 1 : 0;
        pictures_[static_cast<std::size_t>(n - 1)] = MakePicture(instance, IDB_MENU1 + n - 1, mask);
    }
}

void PopupMenu::Build(HINSTANCE instance, UINT dpi) {
    if (menuBar_ && dpi_ == dpi) return;
    LoadPictures(instance);
    // MnuMenu is the invisible top-level item; each menu owns its submenus from the
    // moment it is attached, so only the bar needs an owner here.
    UniqueMenu bar(CreateMenu());
    if (!bar) throw std::runtime_error("menu could not be created");
    UniqueMenu newPopup = NewPopup();
    if (!AppendMenuW(bar.get(), MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(newPopup.get()),
                     L"Menu"))
        throw std::runtime_error("menu could not be created");
    const HMENU popup = newPopup.release();  // the bar's now
    HMENU tools = nullptr;
    for (std::size_t i = 0; i < std::size(kMainItems); ++i) {
        if (i == kToolsPosition) {
            UniqueMenu newTools = NewPopup();
            Insert(popup, kMainItems[i], newTools.get());
            tools = newTools.release();  // the popup's now
        } else {
            Insert(popup, kMainItems[i], nullptr);
        }
    }
    for (const Item& item : kToolItems) Insert(tools, item, nullptr);

    SetMenuDefaultItem(popup, kDefaultItem, FALSE);

    // The tree built for the previous dpi, if any, goes now.
    menuBar_ = std::move(bar);
    popup_ = popup;
    tools_ = tools;
    dpi_ = dpi;
    background_.reset();  // the new tree takes its background below
    PaintBackground();
}

void PopupMenu::PaintBackground() {
    const COLORREF colour = CurrentColours().background;
    if (background_ && colour == backgroundColour_) return;
    UniqueBrush brush(CreateSolidBrush(colour));
    if (!brush) return;  // the old one stays
    MENUINFO look{};
    look.cbSize = sizeof look;
    look.fMask = MIM_BACKGROUND;
    look.hbrBack = brush.get();
    SetMenuInfo(popup_, &look);
    SetMenuInfo(tools_, &look);
    background_ = std::move(brush);  // the menus use it from now on: the old one may go
    backgroundColour_ = colour;
}

HMENU PopupMenu::Popup() const { return popup_; }

void PopupMenu::Show(HWND owner, std::optional<POINT> at) {
    // Rebuilt under an open menu, the tree being tracked would be destroyed.
    if (open_) return;
    POINT place{};
    if (at) {
        place = *at;
    } else {
        GetCursorPos(&place);
    }
    Build(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE)), dpiAt_(place));
    SetMenuDefaultItem(popup_, kDefaultItem, FALSE);
    PaintBackground();  // high contrast may have come or gone since
    // Without the foreground the menu would stay open when the user clicks elsewhere.
    SetForegroundWindow(owner);
    open_ = true;
    TrackPopupMenuEx(popup_, 0, place.x, place.y, owner, nullptr);
    open_ = false;
    PostMessageW(owner, WM_NULL, 0, 0);
}

void PopupMenu::EnsureFonts(UINT dpi) const {
    if (font_ && fontDpi_ == dpi) return;
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(kFontHeight825, static_cast<int>(dpi), 7200);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = ANSI_CHARSET;
    wcscpy_s(lf.lfFaceName, L"Tahoma");
    font_.reset(CreateFontIndirectW(&lf));
    lf.lfWeight = FW_BOLD;
    boldFont_.reset(CreateFontIndirectW(&lf));
    fontDpi_ = dpi;
}

void PopupMenu::Measure(MEASUREITEMSTRUCT& item, UINT dpi) const {
    const Item* entry = ItemOf(item.itemData);
    if (entry == nullptr) return;
    if (entry->caption == nullptr) {
        item.itemWidth = static_cast<UINT>(Scale(kGutter, dpi));
        item.itemHeight = static_cast<UINT>(Scale(kSeparatorHeight, dpi));
        return;
    }
    EnsureFonts(dpi);
    const WindowDc screen(nullptr);
    const SelectedObject font(screen.get(), (entry->id == kDefaultItem ? boldFont_ : font_).get());
    RECT text{};
    DrawTextW(screen.get(), entry->caption, -1, &text, DT_CALCRECT | DT_SINGLELINE);
    item.itemWidth = static_cast<UINT>(Scale(kGutter + kTextGap + kRightRoom, dpi) + text.right);
    item.itemHeight =
        static_cast<UINT>(std::max<LONG>(Scale(kItemHeight, dpi), text.bottom + Scale(8, dpi)));
}

void PopupMenu::Draw(const DRAWITEMSTRUCT& item, UINT dpi) const {
    const Item* entry = ItemOf(item.itemData);
    if (entry == nullptr) return;
    HDC dc = item.hDC;
    const RECT& rc = item.rcItem;
    // The menu lends its DC: the colours, mode and font set below go back with the rest.
    const SavedDc saved(dc);
    const MenuColours colours = CurrentColours();

    Fill(dc, rc, colours.background);
    const RECT gutter{rc.left, rc.top, rc.left + Scale(kGutter, dpi), rc.bottom};
    Fill(dc, gutter, colours.gutter);

    if (entry->caption == nullptr) {
        const int y = (rc.top + rc.bottom) / 2;
        const RECT rule{gutter.right + Scale(4, dpi), y, rc.right - Scale(4, dpi),
                        y + std::max(1, Scale(1, dpi))};
        Fill(dc, rule, colours.rule);
        return;
    }

    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    if (selected) {
        RECT band = rc;
        InflateRect(&band, -Scale(2, dpi), -Scale(1, dpi));
        Fill(dc, band, colours.highlightEdge);
        InflateRect(&band, -1, -1);
        Fill(dc, band, colours.highlight);
    }

    if (entry->picture != 0) {
        HBITMAP picture = pictures_[static_cast<std::size_t>(entry->picture - 1)].get();
        BITMAP bm{};
        if (picture != nullptr && GetObjectW(picture, sizeof bm, &bm) != 0) {
            const int size = Scale(kPictureSize, dpi);
            const int x = rc.left + Scale(kPictureLeft, dpi);
            const int y = rc.top + (rc.bottom - rc.top - size) / 2;
            const MemoryDc memory(dc);
            const SelectedObject selected(memory.get(), picture);
            const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
            AlphaBlend(dc, x, y, size, size, memory.get(), 0, 0, bm.bmWidth, bm.bmHeight, blend);
        }
    }

    EnsureFonts(dpi);
    const bool isDefault = entry->id == kDefaultItem || (item.itemState & ODS_DEFAULT) != 0;
    SelectObject(dc, (isDefault ? boldFont_ : font_).get());
    SetBkMode(dc, TRANSPARENT);
    const bool grey = (item.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    SetTextColor(dc, selected ? colours.highlightText : grey ? colours.greyText : colours.text);
    RECT text{gutter.right + Scale(kTextGap, dpi), rc.top, rc.right - Scale(kRightRoom, dpi) / 2,
              rc.bottom};
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_LEFT;
    // The underlines follow the system's keyboard-cue setting.
    if (item.itemState & ODS_NOACCEL) format |= DT_HIDEPREFIX;
    DrawTextW(dc, entry->caption, -1, &text, format);
}

LRESULT PopupMenu::MenuChar(wchar_t key, HMENU menu) {
    const wchar_t wanted = Upper(key);
    const int count = GetMenuItemCount(menu);
    int current = -1;
    std::vector<int> matches;
    for (int i = 0; i < count; ++i) {
        if (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_HILITE) current = i;
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_DATA;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) continue;
        const Item* entry = ItemOf(info.dwItemData);
        if (entry != nullptr && entry->caption != nullptr && AccessKey(entry->caption) == wanted)
            matches.push_back(i);
    }
    if (matches.empty()) return MAKELRESULT(0, MNC_IGNORE);
    if (matches.size() == 1) return MAKELRESULT(matches.front(), MNC_EXECUTE);
    // Two items share the letter (&Afficher, &Aide): each press moves to the next one.
    const auto next =
        std::find_if(matches.begin(), matches.end(), [&](int i) { return i > current; });
    return MAKELRESULT(next != matches.end() ? *next : matches.front(), MNC_SELECT);
}

}  // namespace talvex
