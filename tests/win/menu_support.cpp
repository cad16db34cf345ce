#include "tests/win/menu_support.h"

#include <algorithm>

#include "tests/win/win_support.h"

namespace talvex::testing {

std::vector<HWND> OpenMenus(DWORD pid) {
    std::vector<HWND> menus = WindowsOf(pid, L"#32768");
    menus.erase(std::remove_if(menus.begin(), menus.end(),
                               [](HWND menu) { return !IsWindowVisible(menu); }),
                menus.end());
    std::sort(menus.begin(), menus.end(), [](HWND a, HWND b) {
        RECT ra{}, rb{};
        GetWindowRect(a, &ra);
        GetWindowRect(b, &rb);
        return ra.left < rb.left;
    });
    return menus;
}

MEASUREITEMSTRUCT MeasuredItem(const PopupMenu& skin, HMENU menu, int position, UINT dpi) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA;
    GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_MENU;
    measure.itemID = GetMenuItemID(menu, position);
    measure.itemData = info.dwItemData;
    skin.Measure(measure, dpi);
    return measure;
}

namespace {

UINT Dpi() { return static_cast<UINT>(ScreenDpi()); }

}  // namespace

ProgramMenu::ProgramMenu() { skin_.Build(ProgramResources()); }

HMENU ProgramMenu::Tools() const { return GetSubMenu(Main(), 2); }

int ProgramMenu::ContentHeight(HMENU menu) const {
    int height = 0;
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        height += static_cast<int>(MeasuredItem(skin_, menu, i, Dpi()).itemHeight);
    return height;
}

POINT ProgramMenu::ItemCentre(HWND window, HMENU menu, int position) const {
    RECT frame{};
    GetWindowRect(window, &frame);
    const UINT dpi = Dpi();
    int top = frame.top + ((frame.bottom - frame.top) - ContentHeight(menu)) / 2;
    for (int i = 0; i < position; ++i)
        top += static_cast<int>(MeasuredItem(skin_, menu, i, dpi).itemHeight);
    const int height = static_cast<int>(MeasuredItem(skin_, menu, position, dpi).itemHeight);
    return POINT{(frame.left + frame.right) / 2, top + height / 2};
}

}  // namespace talvex::testing
