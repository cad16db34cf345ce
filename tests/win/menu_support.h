// The notification icon's popup menu seen from outside: its open windows and where its items
// are on screen, for real clicks on them.
#pragma once

#include <windows.h>

#include <vector>

#include "ui/popup_menu.h"

namespace talvex::testing {

// The popup menus (#32768) process `pid` has open, left to right: the menu, then its submenu.
std::vector<HWND> OpenMenus(DWORD pid);

// What the program's own code answers to WM_MEASUREITEM for item `position` of `menu`.
MEASUREITEMSTRUCT MeasuredItem(const PopupMenu& skin, HMENU menu, int position, UINT dpi);

// Where the items of the program's popup menu lie in its open menu window. Wine cannot read
// the items of another process's menu (GetMenuItemRect refuses the handle MN_GETHMENU gives),
// so the same menu is built here from the program's resources, its items measured by the
// program's own code at the screen's dpi and stacked from the top of the menu window.
class ProgramMenu {
  public:
    ProgramMenu();
    ProgramMenu(const ProgramMenu&) = delete;
    ProgramMenu& operator=(const ProgramMenu&) = delete;

    HMENU Main() const { return skin_.Popup(); }
    HMENU Tools() const;  // "Outils"

    // How high the items of `menu` stand together.
    int ContentHeight(HMENU menu) const;
    // The middle, on screen, of item `position` of `menu` (separators count) shown in the open
    // menu window `window`; the window's frame is as thick above the items as below them.
    POINT ItemCentre(HWND window, HMENU menu, int position) const;

  private:
    PopupMenu skin_;
};

}  // namespace talvex::testing
