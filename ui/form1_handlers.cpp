// Form1's handlers. Failures that escape them are caught by the event boundary.
#include <windows.h>
#include <shellapi.h>

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
        messageBoxes_.Show(MessageKind::CannotHide);
        return;
    }
    ShowWindow(hwnd(), SW_HIDE);
}

void Form1::OnToolClicked(TextTool tool) {
    RunTextTool(tool, *commandClipboard_, caseMapper_, toolsPanel_, messageBoxes_);
}

void Form1::OnCloseClicked() {
    // Asked twice at once (the owner and the window both told to close), one box is enough.
    if (ShowWaitingBox()) return;
    if (messageBoxes_.Show(MessageKind::QuitQuestion) == Answer::Yes)
        DestroyWindow(hwnd());  // the unload removes the icon; the process ends
}

void Form1::OnAboutClicked() { messageBoxes_.Show(MessageKind::About); }

void Form1::OnHistoryEntryChosen() {
    const LRESULT selected = SendMessageW(historyListBox_, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR) return;
    RecallCommand(static_cast<int>(selected), history_, textView_);
}

void Form1::OnNotifyIconMessage(const NotificationIcon::Event& event) {
    // With version 4 a right click ends in WM_RBUTTONUP then WM_CONTEXTMENU; its button-down
    // has opened the menu already. (Had the open menu taken the button-up, the icon sends
    // neither.) Whatever comes between them but moves tells the two apart.
    const bool endsRightClick = rightClickUp_;
    if (event.message != WM_MOUSEMOVE) rightClickUp_ = event.message == WM_RBUTTONUP;
    switch (event.message) {
        case WM_LBUTTONDOWN:
        case NIN_KEYSELECT:  // version 4: Enter or Space on the icon
        {
            // Brought back from the icon it comes to the front, or the user would not see it;
            // a window already shown is left alone.
            const bool wasHidden = !IsWindowVisible(hwnd());
            ShowWindow(hwnd(), SW_SHOW);
            if (wasHidden) SetForegroundWindow(hwnd());
            break;
        }
        // NIN_SELECT, which version 4 sends after a click, does nothing: the button-down has
        // shown the window. (Wine's tray sends it also for the button-up of the click that
        // closed the menu, which must not show the window.)
        case WM_RBUTTONDOWN:
            // A second command must not start under an unanswered question: show the question.
            if (ShowWaitingBox()) return;
            popupMenu_.Show(hwnd());  // at the pointer, where the click was
            break;
        case WM_CONTEXTMENU:
            if (endsRightClick || ShowWaitingBox()) return;
            // The menu key or Shift+F10: at the icon, which the pointer may be far from.
            popupMenu_.Show(hwnd(), event.anchor);
            break;
        default:
            break;
    }
}

void Form1::OnAnotherCopyStarted() {
    // As "Afficher" shows it, then in front, where the user who looked for it will see it;
    // a question waiting for its answer comes before it.
    ShowWindow(hwnd(), SW_SHOW);
    if (IsIconic(hwnd())) ShowWindow(hwnd(), SW_RESTORE);
    if (!ShowWaitingBox()) SetForegroundWindow(hwnd());
}

void Form1::OnShowChosen() { ShowWindow(hwnd(), SW_SHOW); }

void Form1::OnHelpChosen() { OpenHelpPage(); }

}  // namespace talvex
