// Form1's click handlers. Failures that escape them are caught by the event boundary.
#include "clipboard/commands.h"
#include "clipboard/text_tools.h"
#include "ui/form1.h"
#include "ui/layout.h"
#include "ui/texts.h"

namespace talvex {

void Form1::OnCommand1Click() { CopyCommand(text1Box_, *commandClipboard_); }

void Form1::OnCommand2Click() { ClearCommand(messageBoxes_, history_, *commandClipboard_); }

void Form1::OnCommand3Click() { text1Box_.SetHeightTwips(layout::kText1HeightToolsShown); }

void Form1::OnCommand4Click() { ShowWindow(hwnd_, SW_HIDE); }

void Form1::OnKeytoolClick(short index) {
    RunTextTool(index, *commandClipboard_, caseMapper_, text1Box_, messageBoxes_);
}

void Form1::OnButtonPlus1Click() {
    if (messageBoxes_.Show(texts::kQuitQuestion, kTitle, kMbInformationYesNo) == kAnswerYes)
        DestroyWindow(hwnd_);
}

void Form1::OnButtonPlus2Click() { OnCommand4Click(); }

void Form1::OnCmdproposClick() { messageBoxes_.Show(texts::kAbout, kTitle, kMbInformationOk); }

void Form1::OnList1Click() {
    const LRESULT selected = SendMessageW(list1_, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR) return;
    RecallCommand(static_cast<int>(selected), history_, text1Box_);
}

void Form1::OnPicture1MouseMove(double x) {
    if (x == WM_LBUTTONDOWN) ShowWindow(hwnd_, SW_SHOW);
}

}  // namespace talvex
