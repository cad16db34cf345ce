// Form1's command table: which handler a control's click or a menu item runs.
#include "clipboard/text_tools.h"
#include "ui/control_ids.h"
#include "ui/form1.h"

namespace talvex {

// Which handler each control and each menu item runs. A tool's button and its menu item run
// the same tool; "-" hides as "Réduire" does.
const Form1::Command Form1::kCommands[] = {
    {ids::kCommand1, &Form1::OnCopyClicked},
    {ids::kCommand2, &Form1::OnClearClicked},
    {ids::kCommand3, &Form1::OnToolsClicked},
    {ids::kCommand4, &Form1::OnHideClicked},
    {ids::kButtonPlus1, &Form1::OnCloseClicked},
    {ids::kButtonPlus2, &Form1::OnHideClicked},
    {ids::kCmdpropos, &Form1::OnAboutClicked},
    {ids::kKeytool0 + kToolUpperCase, nullptr, kToolUpperCase},
    {ids::kKeytool0 + kToolLowerCase, nullptr, kToolLowerCase},
    {ids::kKeytool0 + kToolProperCase, nullptr, kToolProperCase},
    {ids::kKeytool0 + kToolCharacterCount, nullptr, kToolCharacterCount},
    {menu_ids::kMenuShow, &Form1::OnShowChosen},
    {menu_ids::kMenuUpper, nullptr, kToolUpperCase},
    {menu_ids::kMenuLower, nullptr, kToolLowerCase},
    {menu_ids::kMenuProper, nullptr, kToolProperCase},
    {menu_ids::kMenuCount, nullptr, kToolCharacterCount},
    {menu_ids::kMenuHelp, &Form1::OnHelpChosen},
    {menu_ids::kMenuAbout, &Form1::OnAboutClicked},
    {menu_ids::kMenuClear, &Form1::OnClearClicked},
    {menu_ids::kMenuQuit, &Form1::OnCloseClicked},
};

void Form1::OnCommand(int id, int code) {
    // Selection by mouse or keyboard recalls the entry.
    if (id == ids::kList1) {
        if (code == LBN_SELCHANGE) RunHandler([this] { OnHistoryEntryChosen(); });
        return;
    }
    // A button's click, or a menu item (which comes with a code of 0, as BN_CLICKED).
    if (code != BN_CLICKED) return;
    for (const Command& command : kCommands) {
        if (command.id != id) continue;
        if (command.tool) {
            RunHandler([&] { OnToolClicked(*command.tool); });
        } else {
            RunHandler([&] { (this->*command.handler)(); });
        }
        return;
    }
}

}  // namespace talvex
