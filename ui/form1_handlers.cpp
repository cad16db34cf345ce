// Form1's click handlers. Failures that escape them are caught by the event boundary.
#include "app/module1.h"
#include "clipboard/commands.h"
#include "clipboard/text_tools.h"
#include "ui/form1.h"
#include "ui/help_page.h"
#include "ui/layout.h"
#include "ui/texts.h"

namespace talvex {

void Form1::OnCommand1Click() { CopyCommand(text1View_, *commandClipboard_); }

void Form1::OnCommand2Click() {
    ClearCommand(messageBoxes_, history_, *commandClipboard_, watcher_.get());
}

void Form1::OnCommand3Click() { toolsPanel_.Open(); }

// Hidden, the window keeps everything: history, text, tools panel, place on the screen.
void Form1::OnCommand4Click() {
    // The icon is the only way back: without it (lost, refused) hiding would strand the
    // history in an invisible program, so the window stays.
    if (!TrayIconPresent(picture1_) && !AddTrayIcon(picture1_)) return;
    ShowWindow(hwnd_, SW_HIDE);
}

void Form1::OnKeytoolClick(short index) {
    RunTextTool(index, *commandClipboard_, caseMapper_, toolsPanel_, messageBoxes_);
}

void Form1::OnButtonPlus1Click() {
    // Asked twice at once (the owner and the window both told to close), one box is enough.
    if (ShowWaitingBox()) return;
    if (messageBoxes_.Show(texts::kQuitQuestion, MessageKind::Question) == Answer::Yes)
        DestroyWindow(hwnd_);  // the unload removes the icon; the process ends
}

void Form1::OnButtonPlus2Click() { OnCommand4Click(); }

void Form1::OnCmdproposClick() { messageBoxes_.Show(texts::kAbout, MessageKind::Information); }

void Form1::OnList1Click() {
    const LRESULT selected = SendMessageW(list1_, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR) return;
    RecallCommand(static_cast<int>(selected), history_, text1View_);
}

void Form1::OnPicture1MouseMove(double x) {
    if (x == WM_LBUTTONDOWN) {
        // Brought back from the icon it comes to the front, or the user would not see it;
        // a window already shown is left alone.
        const bool wasHidden = !IsWindowVisible(hwnd_);
        ShowWindow(hwnd_, SW_SHOW);
        if (wasHidden) SetForegroundWindow(hwnd_);
    } else if (x == WM_RBUTTONDOWN) {
        // A second command must not start under an unanswered question: show the question.
        if (ShowWaitingBox()) return;
        popupMenu_.ShowAtPointer(hwnd_);
    }
}

void Form1::OnMnuAfficheClick() { ShowWindow(hwnd_, SW_SHOW); }

void Form1::OnMnuhelpClick() { OpenHelpPage(); }

bool Form1::ShowWaitingBox() const {
    if (hwnd_ == nullptr || IsWindowEnabled(hwnd_)) return false;
    HWND box = GetLastActivePopup(hwnd_);
    if (box != nullptr && box != hwnd_) SetForegroundWindow(box);
    return true;
}

}  // namespace talvex
