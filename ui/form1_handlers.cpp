// Form1's handlers. Failures that escape them are caught by the event boundary.
#include "clipboard/commands.h"
#include "clipboard/text_tools.h"
#include "ui/form1.h"
#include "ui/help_page.h"
#include "ui/texts.h"

namespace talvex {

void Form1::OnCopyClicked() { CopyCommand(textView_, *commandClipboard_); }

void Form1::OnClearClicked() {
    ClearCommand(messageBoxes_, history_, *commandClipboard_, watcher_.get());
}

void Form1::OnToolsClicked() { toolsPanel_.Open(); }

// Hidden, the window keeps everything: history, text, tools panel, place on the screen.
void Form1::OnHideClicked() {
    // The icon is the only way back: without it (lost, refused) hiding would strand the
    // history in an invisible program, so the window stays, and says why.
    if (!notificationIcon_.Present() && !notificationIcon_.Add()) {
        messageBoxes_.Show(texts::kCannotHide, MessageKind::Information);
        return;
    }
    ShowWindow(hwnd(), SW_HIDE);
}

void Form1::OnToolClicked(short tool) {
    RunTextTool(tool, *commandClipboard_, caseMapper_, toolsPanel_, messageBoxes_);
}

void Form1::OnCloseClicked() {
    // Asked twice at once (the owner and the window both told to close), one box is enough.
    if (ShowWaitingBox()) return;
    if (messageBoxes_.Show(texts::kQuitQuestion, MessageKind::Question) == Answer::Yes)
        DestroyWindow(hwnd());  // the unload removes the icon; the process ends
}

void Form1::OnAboutClicked() { messageBoxes_.Show(texts::kAbout, MessageKind::Information); }

void Form1::OnHistoryEntryChosen() {
    const LRESULT selected = SendMessageW(historyListBox_, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR) return;
    RecallCommand(static_cast<int>(selected), history_, textView_);
}

void Form1::OnNotifyIconMessage(UINT mouseMessage) {
    if (mouseMessage == WM_LBUTTONDOWN) {
        // Brought back from the icon it comes to the front, or the user would not see it;
        // a window already shown is left alone.
        const bool wasHidden = !IsWindowVisible(hwnd());
        ShowWindow(hwnd(), SW_SHOW);
        if (wasHidden) SetForegroundWindow(hwnd());
    } else if (mouseMessage == WM_RBUTTONDOWN) {
        // A second command must not start under an unanswered question: show the question.
        if (ShowWaitingBox()) return;
        popupMenu_.ShowAtPointer(hwnd());
    }
}

void Form1::OnShowChosen() { ShowWindow(hwnd(), SW_SHOW); }

void Form1::OnHelpChosen() { OpenHelpPage(); }

}  // namespace talvex
