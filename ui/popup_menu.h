// MnuMenu, the notification icon's popup menu, and its skin: owner-drawn items in Tahoma
// with a picture beside six of them, a blue highlight and the default item in bold.
#pragma once

#include <windows.h>

#include <array>

#include "platform/unique_handle.h"

namespace talvex {

// Command ids of the menu items; they arrive as WM_COMMAND with a notification code of 0.
// Kept apart from the controls' ids (ui/control_ids.h stays below 200).
namespace menu_ids {
inline constexpr int kMenuShow = 200;    // MnuAffiche
inline constexpr int kMenuUpper = 201;   // MnuUpper; the tool items are this + the tool number
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

    PopupMenu() = default;
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;

    static bool IsMenuCommand(int id) { return id >= menu_ids::kFirst && id <= menu_ids::kLast; }

    // Builds the tree and loads the pictures, once; `instance` holds the bitmaps.
    void Build(HINSTANCE instance);
    // The submenu of MnuMenu: what the icon shows.
    HMENU Popup() const;

    // Opens the popup at the pointer, owned by `owner`, MnuAffiche as the default item.
    // The chosen item reaches `owner` as WM_COMMAND once the menu has closed.
    void ShowAtPointer(HWND owner);

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

    UniqueMenu menuBar_;  // MnuMenu; owns its submenus
    HMENU popup_ = nullptr;
    HMENU tools_ = nullptr;
    UniqueBrush background_;
    COLORREF backgroundColour_ = 0;
    std::array<UniqueBitmap, 6> pictures_;  // premultiplied 32-bit, transparent where masked
    mutable UINT fontDpi_ = 0;
    mutable UniqueFont font_;
    mutable UniqueFont boldFont_;
};

}  // namespace talvex
