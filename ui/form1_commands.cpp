// Form1: which control's notification runs which handler.
#include "ui/control_ids.h"
#include "ui/form1.h"
#include "ui/popup_menu.h"

namespace talvex {

void Form1::OnCommand(int id, int code, HWND control) {
    (void)control;
    if (id == ids::kList1) {
        // Selection by mouse or keyboard recalls the entry.
        if (code == LBN_SELCHANGE) RunHandler([this] { OnList1Click(); });
        return;
    }
    if (control == nullptr && code == 0 && PopupMenu::IsMenuCommand(id)) {
        // An item of the notification icon's popup menu.
        switch (id) {
            case menu_ids::kMnuAffiche:
                RunHandler([this] { OnMnuAfficheClick(); });
                break;
            case menu_ids::kMnuUpper:
            case menu_ids::kMnulower:
            case menu_ids::kMnuproper:
            case menu_ids::kMnunbrechar: {
                const auto index = static_cast<short>(id - menu_ids::kMnuUpper);
                RunHandler([this, index] { OnKeytoolClick(index); });
                break;
            }
            case menu_ids::kMnuhelp:
                RunHandler([this] { OnMnuhelpClick(); });
                break;
            case menu_ids::kMnupropos:
                RunHandler([this] { OnCmdproposClick(); });
                break;
            case menu_ids::kMnuefface:
                RunHandler([this] { OnCommand2Click(); });
                break;
            case menu_ids::kMnuexit:
                RunHandler([this] { OnButtonPlus1Click(); });
                break;
            default:
                break;
        }
        return;
    }
    if (code != BN_CLICKED) return;
    switch (id) {
        case ids::kCommand1:
            RunHandler([this] { OnCommand1Click(); });
            break;
        case ids::kCommand2:
            RunHandler([this] { OnCommand2Click(); });
            break;
        case ids::kCommand3:
            RunHandler([this] { OnCommand3Click(); });
            break;
        case ids::kCommand4:
            RunHandler([this] { OnCommand4Click(); });
            break;
        case ids::kButtonPlus1:
            RunHandler([this] { OnButtonPlus1Click(); });
            break;
        case ids::kButtonPlus2:
            RunHandler([this] { OnButtonPlus2Click(); });
            break;
        case ids::kCmdpropos:
            RunHandler([this] { OnCmdproposClick(); });
            break;
        default:
            if (id >= ids::kKeytool0 && id < ids::kKeytool0 + 4) {
                const auto index = static_cast<short>(id - ids::kKeytool0);
                RunHandler([this, index] { OnKeytoolClick(index); });
            }
            break;
    }
}

}  // namespace talvex
