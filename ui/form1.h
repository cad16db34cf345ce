// Form1, the program's one window: the history list, the text box, the buttons, the
// polling timer and the hidden receiver of the notification icon's messages.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "clipboard/case_mapping_win.h"
#include "clipboard/system_clipboard_win.h"
#include "clipboard/watcher.h"
#include "ui/background.h"
#include "ui/button_plus.h"
#include "ui/event_boundary.h"
#include "ui/frame_plus.h"
#include "ui/list_history.h"
#include "ui/message_boxes.h"
#include "ui/popup_menu.h"
#include "ui/tools_panel.h"
#include "ui/text_view.h"

namespace talvex {

class Form1 {
  public:
    static constexpr wchar_t kClassName[] = L"TalvexPress.Form1";
    static constexpr wchar_t kPicture1ClassName[] = L"TalvexPress.Picture1";

    Form1();
    ~Form1();
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // Creates the window and its controls and runs the load handler. Returns false when
    // the load handler unloaded the window again (another copy is already running).
    bool Create(HINSTANCE instance, bool anotherInstanceRunning);
    // Shows the window, centred on the screen.
    void Show();

    HWND hwnd() const { return hwnd_; }
    HWND list1() const { return list1_; }
    HWND text1() const { return text1View_.hwnd(); }
    HWND picture1() const { return picture1_; }

    // Called for a mouse move reported by Picture1, with its X coordinate in pixels: the
    // notification icon's callback puts the mouse message's number there.
    void OnPicture1MouseMove(double x);

    // The click handlers of the controls; the popup menu's items call the same ones.
    void OnCommand1Click();            // Copy
    void OnCommand2Click();            // Clear, after asking
    void OnCommand3Click();            // open the tools panel
    void OnCommand4Click();            // hide to the notification area
    void OnKeytoolClick(short index);  // text tool 0 to 3
    void OnButtonPlus1Click();         // quit, after asking
    void OnButtonPlus2Click();         // hide (Command4's handler)
    void OnCmdproposClick();           // about box
    void OnList1Click();               // recall the selected entry
    void OnMnuAfficheClick();          // show the window again
    void OnMnuhelpClick();             // the web page

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK Picture1Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static bool RegisterClasses(HINSTANCE instance);

    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    void CreateControls();
    void OnLoad(bool anotherInstanceRunning);
    void OnUnload();
    void OnTimer1Tick();
    // Routes a control's notification to its click handler (form1_commands.cpp).
    void OnCommand(int id, int code, HWND control);
    void OnPaint();
    // True while one of our message boxes waits for an answer (it disables the window);
    // brings that box to the front so the user sees what is being asked.
    bool ShowWaitingBox() const;
    static LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void ApplyRoundedShape();
    // The look (form1_layout.cpp): places, stacking and tab order, dpi, moving.
    bool HandleLayoutMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
    void LayoutControls(UINT dpi);
    void SetBoxFont(UINT dpi);  // Text1's and List1's font, and the list's row height
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    std::vector<HWND> TabOrder() const;
    void MoveFocus(bool backwards);
    void FocusControl(HWND control);
    void StartDrag(WPARAM button);
    UINT Dpi() const;

    // Handlers run one at a time: a tick that falls inside another handler (a message box
    // is open, say) waits for the next one.
    template <typename Handler>
    void RunHandler(Handler&& handler);

    HINSTANCE instance_ = nullptr;
    HWND owner_ = nullptr;  // hidden; keeps the window off the taskbar
    HWND hwnd_ = nullptr;
    HWND list1_ = nullptr;
    HWND picture1_ = nullptr;
    FramePlus framePlus1_;
    FramePlus framePlus2_;
    ButtonPlus command1_;
    ButtonPlus command2_;
    ButtonPlus command3_;
    ButtonPlus command4_;
    ButtonPlus keytool_[4];
    ButtonPlus buttonPlus1_;
    ButtonPlus buttonPlus2_;
    ButtonPlus cmdpropos_;
    BackgroundPicture background_;
    UniqueFont boxFont_;        // Text1's and List1's
    HWND lastFocus_ = nullptr;  // the control to give the keyboard back to on activation
    WPARAM dragButton_ = 0;     // MK_RBUTTON or MK_MBUTTON while that button moves the window
    POINT dragOffset_{};        // the pointer from the window's top-left corner
    bool loaded_ = false;
    int handlersRunning_ = 0;

    ListBoxHistory history_;
    TextView text1View_;  // Text1
    ToolsPanelOnForm toolsPanel_;
    WindowMessageBoxes messageBoxes_;
    PopupMenu popupMenu_;
    WindowsCaseMapper caseMapper_;
    // The commands see every text; the watcher does not record text marked private.
    std::unique_ptr<SystemClipboard> commandClipboard_;
    std::unique_ptr<SystemClipboard> watchedClipboard_;
    SystemClipboardChangeCounter clipboardChanges_;
    std::unique_ptr<ClipboardWatcher> watcher_;
};

template <typename Handler>
void Form1::RunHandler(Handler&& handler) {
    ++handlersRunning_;
    Guarded(hwnd_, handler);
    --handlersRunning_;
}

}  // namespace talvex
