// MnuMenu, the notification icon's popup menu, and its skin: owner-drawn items in Tahoma
// with a picture beside six of them, a blue highlight and the default item in bold.
#pragma once

#include <windows.h>

#include <array>
#include <optional>

#include "platform/monitor_dpi.h"
#include "platform/unique_handle.h"

namespace talvex {

// Command ids of the menu items; they arrive as WM_COMMAND with a notification code of 0.
// Kept apart from the controls' ids (ui/control_ids.h stays below 200).
namespace menu_ids {
inline constexpr int kMenuShow = 200;    // MnuAffiche
inline constexpr int kMenuUpper = 201;   // MnuUpper
inline constexpr int kMenuLower = 202;   // Mnulower
inline constexpr int kMenuProper = 203;  // Mnuproper
inline constexpr int kMenuCount = 204;   // Mnunbrechar
inline constexpr int kMenuHelp = 205;    // Mnuhelp
inline constexpr int kMenuAbout = 206;   // Mnupropos
inline constexpr int kMenuClear = 207;   // Mnuefface
inline constexpr int kMenuQuit = 208;    // Mnuexit
inline constexpr int kFirst = 200;
inline constexpr int kLast = 299;
}  // namespace menu_ids

class PopupMenu {
  public:
    // One item of the tree, as its owner-drawn entry sees it.
    struct Item {
        const wchar_t* caption;  // null for a separator
        int id;                  // 0 for separators and the Outils submenu
        int picture;             // 1 to 6, or 0 for none
    };

    // Where the menu learns the dpi of the screen it is about to open on.
    using DpiAt = UINT (*)(POINT at);

    explicit PopupMenu(DpiAt dpiAt = MonitorDpiAt) : dpiAt_(dpiAt) {}
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;

    static bool IsMenuCommand(int id) { return id >= menu_ids::kFirst && id <= menu_ids::kLast; }

    // Builds the tree for `dpi` (the pictures once; `instance` holds them). Windows asks an
    // owner-drawn item its size once, the first time its menu is shown, and keeps the answer:
    // a tree shown at one dpi would keep that dpi's sizes at another, so a new dpi gets a new
    // tree. A tree already built for `dpi` is kept.
    void Build(HINSTANCE instance, UINT dpi = 96);
    // The submenu of MnuMenu: what the icon shows.
    HMENU Popup() const;
    // The dpi the tree was built for, which its items are measured and drawn at.
    UINT Dpi() const { return dpi_; }

    // Opens the popup at screen point `at` (at the pointer when there is none), owned by
    // `owner`, MnuAffiche as the default item, measured for the monitor it opens on. The
    // chosen item reaches `owner` as WM_COMMAND once the menu has closed. Asked again while
    // it is open (a message that arrives meanwhile), it does nothing.
    void Show(HWND owner, std::optional<POINT> at = std::nullopt);

    // The owner-draw messages of the menu (CtlType ODT_MENU).
    void Measure(MEASUREITEMSTRUCT& item, UINT dpi) const;
    void Draw(const DRAWITEMSTRUCT& item, UINT dpi) const;
    // WM_MENUCHAR: finds the item whose access letter is `key` in `menu`.
    static LRESULT MenuChar(wchar_t key, HMENU menu);

  private:
    void EnsureFonts(UINT dpi) const;
    // The menus' background in the colour of the moment (the skin's, or high contrast's).
    void PaintBackground();
    static const Item* ItemOf(ULONG_PTR data);

    void LoadPictures(HINSTANCE instance);

    DpiAt dpiAt_;
    UniqueMenu menuBar_;  // MnuMenu; owns its submenus
    HMENU popup_ = nullptr;
    HMENU tools_ = nullptr;
    UINT dpi_ = 0;
    bool open_ = false;
    UniqueBrush background_;
    bool picturesLoaded_ = false;
    COLORREF backgroundColour_ = 0;
    std::array<UniqueBitmap, 6> pictures_;  // premultiplied 32-bit, transparent where masked
    mutable UINT fontDpi_ = 0;
    mutable UniqueFont font_;
    mutable UniqueFont boldFont_;
};

}  // namespace talvex
