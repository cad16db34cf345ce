// Form1, the program's one window: the history list, the text box with the tools panel under
// it, the buttons, the polling timer and the notification icon. This class puts the window
// together and holds the handlers of its commands; moving it and the keyboard's way through it
// are jobs of their own (WindowMover, FocusNavigator), and one table says which control or
// menu item runs which handler (form1_commands.cpp).
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <optional>

#include "clipboard/case_mapping_win.h"
#include "clipboard/system_clipboard_win.h"
#include "clipboard/text_tools.h"
#include "clipboard/watcher.h"
#include "ui/background.h"
#include "ui/button_plus.h"
#include "ui/focus_navigator.h"
#include "ui/frame_plus.h"
#include "ui/list_history.h"
#include "ui/message_boxes.h"
#include "ui/notification_icon.h"
#include "ui/popup_menu.h"
#include "ui/text_view.h"
#include "ui/tools_panel.h"
#include "ui/window.h"
#include "ui/window_mover.h"

namespace talvex {

class Form1 : public Window<Form1> {
  public:
    static constexpr wchar_t kClassName[] = L"TalvexPress.Form1";

    Form1() = default;
    ~Form1();

    // Creates the window and its controls and runs the load handler. Returns false when
    // the load handler unloaded the window again (another copy is already running).
    bool Create(HINSTANCE instance, bool anotherInstanceRunning);
    // Shows the window, centred on the screen.
    void Show();

    HWND historyListBox() const { return historyListBox_; }  // List1
    HWND textBox() const { return textView_.hwnd(); }        // Text1

    // The handlers of the commands; the buttons and the popup menu run them through the
    // command table.
    void OnCopyClicked();               // Copier
    void OnClearClicked();              // Effacer, after asking
    void OnToolsClicked();              // Outils: opens the tools panel
    void OnHideClicked();               // Réduire, and "-" in the title strip
    void OnToolClicked(TextTool tool);  // a case tool, from its button or the menu
    void OnCloseClicked();              // "X": quit, after asking
    void OnAboutClicked();              // "?"
    void OnHistoryEntryChosen();        // an entry selected in List1: recall it into Text1
    void OnShowChosen();                // "Afficher" in the menu
    void OnHelpChosen();                // "Aide" in the menu
    // An event of the notification icon: a click, or Enter, Space or the menu key on it.
    void OnNotifyIconMessage(const NotificationIcon::Event& event);
    // Another copy of the program was started, and said so: the user is looking for this one.
    void OnAnotherCopyStarted();

    // What another copy sends this one's window to bring it forward. A registered message:
    // every copy gets the same number, and no other program's message has it.
    static UINT ComeForwardMessage();

  private:
    friend class Window<Form1>;
    // One row of the command table: what a control's click or a menu item runs.
    struct Command {
        int id;
        void (Form1::*handler)();                     // null for a case tool
        std::optional<TextTool> tool = std::nullopt;  // a case tool's, and only its
    };
    static const Command kCommands[];

    // The hidden owner: it keeps the window off the taskbar and, being unowned, hears the
    // taskbar's broadcast and close requests for the program.
    class Owner : public Window<Owner> {
      public:
        bool Create(HINSTANCE instance, Form1& form);

      private:
        friend class Window<Owner>;
        LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
        Form1* form_ = nullptr;
    };

    // form1.cpp: the window's life.
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    void OnLoad(bool anotherInstanceRunning);
    void OnUnload();
    void OnTimerTick();
    void OnCommand(int id, int code);
    bool HandleOwnerDraw(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
    // True while one of our message boxes waits for an answer (it disables the window);
    // brings that box to the front so the user sees what is being asked.
    bool ShowWaitingBox() const;
    // Handlers run one at a time: a tick that falls inside another handler (a message box
    // is open, say) waits for the next one.
    template <typename Handler>
    void RunHandler(Handler&& handler);

    // form1_controls.cpp: the controls at their places, dpi, the picture and the shape.
    void CreateControls();
    void LayoutControls(UINT dpi);
    void SetBoxFont(UINT dpi);  // Text1's and List1's font, and the list's row height
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    void ApplyRoundedShape();
    void Paint(HDC dc, const RECT& area) const;
    UINT Dpi() const;

    HINSTANCE instance_ = nullptr;
    Owner owner_;
    FramePlus textFrame_;     // FramePlus1, "Texte :"
    FramePlus historyFrame_;  // FramePlus2, "Liste des éléments copier :"
    HWND historyListBox_ = nullptr;
    TextView textView_;
    ButtonPlus copyButton_;                  // Command1
    ButtonPlus clearButton_;                 // Command2
    ButtonPlus toolsButton_;                 // Command3
    ButtonPlus hideButton_;                  // Command4
    std::array<ButtonPlus, 4> toolButtons_;  // keytool(0..3)
    ButtonPlus closeButton_;                 // ButtonPlus1, "X"
    ButtonPlus minimizeButton_;              // ButtonPlus2, "-"
    ButtonPlus aboutButton_;                 // cmdpropos, "?"
    NotificationIcon notificationIcon_;      // its receiver is Picture1
    BackgroundPicture background_;
    UniqueFont boxFont_;

    WindowMover mover_;
    FocusNavigator focus_;
    ToolsPanelOnForm toolsPanel_;
    bool loaded_ = false;
    int handlersRunning_ = 0;
    // The icon's last event was a right button-up: the WM_CONTEXTMENU after it is that click's.
    bool rightClickUp_ = false;

    ListBoxHistory history_;
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
    Guarded(hwnd(), handler);
    --handlersRunning_;
}

}  // namespace talvex
