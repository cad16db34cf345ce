// The text view's keyboard, mouse, clipboard keys, context menu and input method.
#include <windows.h>
#include <windowsx.h>
#include <imm.h>

#include <algorithm>

#include "clipboard/system_clipboard_win.h"
#include "editing/text_positions.h"
#include "platform/system_library.h"
#include "platform/unique_handle.h"
#include "ui/text_view.h"

namespace talvex {
namespace {

constexpr UINT kDragTimerMs = 50;

bool KeyDown(int key) { return GetKeyState(key) < 0; }

POINT PointOf(LPARAM lp) {
    return POINT{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
}

// The context menu's commands, as an edit control offers them.
enum MenuCommand : UINT {
    kMenuUndo = 1,
    kMenuCut,
    kMenuCopy,
    kMenuPaste,
    kMenuDelete,
    kMenuSelectAll,
};

}  // namespace

bool TextView::HandleInputMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    switch (msg) {
        case WM_GETDLGCODE:
            // Every key, Enter and Esc included: the dialog manager must not act on them here
            // (Tab is passed on by the view itself, access keys still reach the window).
            *result = DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL | DLGC_WANTALLKEYS;
            return true;
        case WM_KEYDOWN:
            return OnKeyDown(wp);
        case WM_SYSKEYDOWN:
            // Alt+Backspace undoes, as in any Windows text box.
            if (wp != VK_BACK || (HIWORD(lp) & KF_ALTDOWN) == 0) return false;
            editor_.Undo();
            AfterCommand();
            return true;
        case WM_SYSCHAR:
            return wp == VK_BACK;  // the Alt+Backspace above, no beep
        case WM_CHAR:
            OnChar(static_cast<wchar_t>(wp));
            return true;
        case WM_UNICHAR:
            *result = wp == UNICODE_NOCHAR;  // yes, this window takes UTF-32 characters
            if (wp != UNICODE_NOCHAR) TypeCodePoint(static_cast<char32_t>(wp));
            return true;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            OnMouseDown(PointOf(lp), (wp & MK_SHIFT) != 0, msg == WM_LBUTTONDBLCLK);
            return true;
        case WM_MOUSEMOVE:
            OnMouseMove(PointOf(lp));
            return true;
        case WM_LBUTTONUP:
            EndDrag();
            return true;
        case WM_CAPTURECHANGED:
            if (dragging_) {
                dragging_ = false;
                KillTimer(hwnd(), kDragTimer);
            }
            return true;
        case WM_TIMER:
            if (wp == kDragTimer) OnDragTimer();
            return true;
        case WM_RBUTTONDOWN:
            if (GetFocus() != hwnd()) SetFocus(hwnd());
            return true;
        case WM_CONTEXTMENU:
            ShowContextMenu(lp);
            return true;
        case WM_MOUSEWHEEL:
            OnWheel(GET_WHEEL_DELTA_WPARAM(wp), (GET_KEYSTATE_WPARAM(wp) & MK_SHIFT) != 0);
            return true;
        case WM_MOUSEHWHEEL:
            // Tilted right: the text moves left, as when scrolling right.
            OnWheel(-GET_WHEEL_DELTA_WPARAM(wp), true);
            *result = TRUE;
            return true;
        case WM_VSCROLL:
        case WM_HSCROLL:
            OnScroll(msg == WM_VSCROLL ? ScrollBar::Vertical : ScrollBar::Horizontal, wp);
            return true;
        case WM_IME_STARTCOMPOSITION:
        case WM_IME_COMPOSITION:
            PlaceComposition();
            return false;  // the system's part follows: the result comes back as WM_CHAR
        default:
            return false;
    }
}

template <void (TextEditor::*step)(bool), void (TextEditor::*ctrlStep)(bool)>
TextView::KeyOutcome TextView::MoveCaret(TextView& view, const KeyState& keys) {
    (view.editor_.*(keys.ctrl ? ctrlStep : step))(keys.shift);
    return KeyOutcome::Command;
}

std::span<const TextView::KeyCommand> TextView::NavigationKeys() {
    using Keys = const KeyState&;
    using Editor = TextEditor;
    static constexpr KeyCommand kCommands[] = {
        {VK_LEFT, &MoveCaret<&Editor::MoveLeft, &Editor::MoveWordLeft>},
        {VK_RIGHT, &MoveCaret<&Editor::MoveRight, &Editor::MoveWordRight>},
        {VK_HOME, &MoveCaret<&Editor::MoveLineStart, &Editor::MoveDocumentStart>},
        {VK_END, &MoveCaret<&Editor::MoveLineEnd, &Editor::MoveDocumentEnd>},
        {VK_UP,
         [](TextView& v, Keys k) {
             v.viewport_.MoveVertically(-1, k.shift);
             return KeyOutcome::VerticalMove;
         }},
        {VK_DOWN,
         [](TextView& v, Keys k) {
             v.viewport_.MoveVertically(1, k.shift);
             return KeyOutcome::VerticalMove;
         }},
        {VK_PRIOR,
         [](TextView& v, Keys k) {
             if (v.viewport_.Page(false, k.shift)) v.AfterViewMoved();
             return KeyOutcome::VerticalMove;
         }},
        {VK_NEXT,
         [](TextView& v, Keys k) {
             if (v.viewport_.Page(true, k.shift)) v.AfterViewMoved();
             return KeyOutcome::VerticalMove;
         }},
    };
    return kCommands;
}

std::span<const TextView::KeyCommand> TextView::EditingKeys() {
    using Keys = const KeyState&;
    static constexpr KeyCommand kCommands[] = {
        {VK_DELETE,
         [](TextView& v, Keys k) {
             if (k.shift && !k.ctrl) {
                 v.CutSelection();
             } else {
                 k.ctrl ? v.editor_.DeleteWordForward() : v.editor_.DeleteForward();
             }
             return KeyOutcome::Command;
         }},
        {VK_BACK,
         [](TextView& v, Keys k) {
             k.ctrl ? v.editor_.DeleteWordBackward() : v.editor_.Backspace();
             return KeyOutcome::Command;
         }},
        {VK_INSERT,
         [](TextView& v, Keys k) {
             if (k.ctrl == k.shift) return KeyOutcome::Done;
             k.ctrl ? v.CopySelection() : v.Paste();
             return KeyOutcome::Command;
         }},
        {VK_TAB,
         [](TextView& v, Keys k) {
             // A plain Tab is the window's: it moves the keyboard on (FocusNavigator).
             if (!k.ctrl) return KeyOutcome::NotMine;
             v.editor_.Type(u"\t");
             return KeyOutcome::Command;
         }},
        // Nothing to cancel here, and nothing to close.
        {VK_ESCAPE, [](TextView&, Keys) { return KeyOutcome::Done; }},
    };
    return kCommands;
}

std::span<const TextView::Shortcut> TextView::Shortcuts() {
    static constexpr Shortcut kShortcuts[] = {
        {'A', [](TextView& v, bool) { v.editor_.SelectAll(); }, KeyOutcome::Command},
        {'C', [](TextView& v, bool) { v.CopySelection(); }, KeyOutcome::Done},
        {'X', [](TextView& v, bool) { v.CutSelection(); }, KeyOutcome::Command},
        {'V', [](TextView& v, bool) { v.Paste(); }, KeyOutcome::Command},
        {'Z', [](TextView& v, bool shift) { shift ? v.editor_.Redo() : v.editor_.Undo(); },
         KeyOutcome::Command},
        {'Y', [](TextView& v, bool) { v.editor_.Redo(); }, KeyOutcome::Command},
    };
    return kShortcuts;
}

TextView::KeyOutcome TextView::RunKey(WPARAM key, const KeyState& keys) {
    for (const auto commands : {NavigationKeys(), EditingKeys()}) {
        for (const KeyCommand& command : commands) {
            if (command.key == key) return command.run(*this, keys);
        }
    }
    if (!keys.shortcut) return KeyOutcome::NotMine;
    for (const Shortcut& shortcut : Shortcuts()) {
        if (shortcut.letter != key) continue;
        shortcut.run(*this, keys.shift);
        return shortcut.outcome;
    }
    return KeyOutcome::NotMine;
}

bool TextView::OnKeyDown(WPARAM key) {
    KeyState keys;
    keys.shift = KeyDown(VK_SHIFT);
    keys.ctrl = KeyDown(VK_CONTROL);
    keys.shortcut = keys.ctrl && !KeyDown(VK_MENU);
    const KeyOutcome outcome = RunKey(key, keys);
    if (outcome == KeyOutcome::Command || outcome == KeyOutcome::VerticalMove)
        AfterCommand(outcome == KeyOutcome::VerticalMove);
    return outcome != KeyOutcome::NotMine;
}

void TextView::OnChar(wchar_t c) {
    const char16_t unit = static_cast<char16_t>(c);
    if (IsHighSurrogateUnit(unit)) {
        // A character beyond the first 65,536 comes in two messages: wait for its second half.
        pendingHighSurrogate_ = unit;
        return;
    }
    const char16_t high = pendingHighSurrogate_;
    pendingHighSurrogate_ = 0;
    if (IsLowSurrogateUnit(unit)) {
        if (high == 0) return;  // half a character is no character
        const char16_t pair[] = {high, unit};
        editor_.Type(std::u16string_view(pair, 2));
    } else if (unit == u'\r' || unit == u'\n') {
        editor_.InsertLineBreak();
    } else if (unit < 0x20 || unit == 0x7F) {
        return;  // Tab, Backspace and the Ctrl+letter codes were handled as keys
    } else {
        editor_.Type(std::u16string_view(&unit, 1));
    }
    AfterCommand();
}

void TextView::TypeCodePoint(char32_t c) {
    if (c < 0x20 || c == 0x7F || c > 0x10FFFF ||
        (c < 0x10000 && IsSurrogateUnit(static_cast<char16_t>(c))))
        return;
    if (c < 0x10000) {
        const auto unit = static_cast<char16_t>(c);
        editor_.Type(std::u16string_view(&unit, 1));
    } else {
        const char16_t pair[] = {static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)),
                                 static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF))};
        editor_.Type(std::u16string_view(pair, 2));
    }
    AfterCommand();
}

void TextView::OnMouseDown(POINT client, bool extend, bool wordWise) {
    if (GetFocus() != hwnd()) SetFocus(hwnd());
    const std::size_t at = PositionAt(client);
    if (wordWise) {
        editor_.SelectWordAt(at);
    } else {
        editor_.MoveCaretTo(at, extend);
    }
    dragging_ = true;
    dragPoint_ = client;
    SetCapture(hwnd());
    AfterCommand();
}

void TextView::OnMouseMove(POINT client) {
    if (!dragging_) return;
    dragPoint_ = client;
    editor_.MoveCaretTo(PositionAt(client), true);
    AfterCommand();
    // Held beyond the text, the selection goes on growing and the view scrolls along.
    const RECT text = TextArea();
    if (!PtInRect(&text, client)) SetTimer(hwnd(), kDragTimer, kDragTimerMs, nullptr);
}

void TextView::OnDragTimer() {
    POINT at{};
    GetCursorPos(&at);
    ScreenToClient(hwnd(), &at);
    const RECT text = TextArea();
    if (!dragging_ || PtInRect(&text, at)) {
        KillTimer(hwnd(), kDragTimer);
        return;
    }
    OnMouseMove(at);
}

void TextView::EndDrag() {
    if (hwnd() != nullptr) KillTimer(hwnd(), kDragTimer);
    const bool wasDragging = dragging_;
    dragging_ = false;
    if (wasDragging && GetCapture() == hwnd()) ReleaseCapture();
}

void TextView::ShowContextMenu(LPARAM screenPoint) {
    if (GetFocus() != hwnd()) SetFocus(hwnd());
    POINT at{GET_X_LPARAM(screenPoint), GET_Y_LPARAM(screenPoint)};
    if (at.x == -1 && at.y == -1) {
        // From the keyboard (the menu key, Shift+F10): under the caret.
        at = ClientPointOf(editor_.Caret());
        at.y += viewport_.LineHeight();
        const RECT text = TextArea();
        at.x = std::clamp<LONG>(at.x, text.left, text.right);
        at.y = std::clamp<LONG>(at.y, text.top, text.bottom);
        ClientToScreen(hwnd(), &at);
    }
    UniqueMenu menu(CreatePopupMenu());
    if (!menu) return;
    const bool selection = editor_.HasSelection();
    const bool all =
        editor_.SelectionStart() == 0 && editor_.SelectionEnd() == editor_.Text().size();
    const auto flags = [](bool enabled) { return MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED); };
    AppendMenuW(menu.get(), flags(editor_.CanUndo()), kMenuUndo, texts::kUndoItem);
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), flags(selection), kMenuCut, texts::kCutItem);
    AppendMenuW(menu.get(), flags(selection), kMenuCopy, texts::kCopyItem);
    AppendMenuW(menu.get(), flags(IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE), kMenuPaste,
                texts::kPasteItem);
    AppendMenuW(menu.get(), flags(selection), kMenuDelete, texts::kDeleteItem);
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), flags(!editor_.Text().empty() && !all), kMenuSelectAll,
                texts::kSelectAllItem);
    const UINT command =
        static_cast<UINT>(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON,
                                         at.x, at.y, 0, hwnd(), nullptr));
    menu.reset();
    switch (command) {
        case kMenuUndo:
            editor_.Undo();
            break;
        case kMenuCut:
            CutSelection();
            break;
        case kMenuCopy:
            CopySelection();
            break;
        case kMenuPaste:
            Paste();
            break;
        case kMenuDelete:
            editor_.DeleteSelection();
            break;
        case kMenuSelectAll:
            editor_.SelectAll();
            break;
        default:
            return;
    }
    AfterCommand();
}

void TextView::CopySelection() {
    if (!editor_.HasSelection()) return;
    SystemClipboard(hwnd()).SetText(editor_.SelectedText());
}

void TextView::CutSelection() {
    if (!editor_.HasSelection()) return;
    // Only once the clipboard holds it is the text taken away.
    SystemClipboard(hwnd()).SetText(editor_.SelectedText());
    editor_.DeleteSelection();
}

void TextView::Paste() {
    SystemClipboard clipboard(hwnd());
    // Nothing to paste leaves the selection where it is.
    if (!clipboard.HasText()) return;
    editor_.ReplaceSelection(clipboard.GetText());
}

void TextView::PlaceComposition() {
    // imm32 is loaded when an input method first speaks up.
    static const auto getContext =
        SystemFunction<decltype(&ImmGetContext)>(L"imm32.dll", "ImmGetContext");
    static const auto releaseContext =
        SystemFunction<decltype(&ImmReleaseContext)>(L"imm32.dll", "ImmReleaseContext");
    static const auto setWindow =
        SystemFunction<decltype(&ImmSetCompositionWindow)>(L"imm32.dll", "ImmSetCompositionWindow");
    static const auto setFont =
        SystemFunction<decltype(&ImmSetCompositionFontW)>(L"imm32.dll", "ImmSetCompositionFontW");
    if (getContext == nullptr || releaseContext == nullptr || setWindow == nullptr ||
        setFont == nullptr)
        return;
    HIMC context = getContext(hwnd());
    if (context == nullptr) return;
    // The input method writes its composition at the caret, in the view's font.
    COMPOSITIONFORM form{};
    form.dwStyle = CFS_POINT;
    form.ptCurrentPos = ClientPointOf(editor_.Caret());
    setWindow(context, &form);
    LOGFONTW font{};
    if (GetObjectW(font_, sizeof font, &font) != 0) setFont(context, &font);
    releaseContext(hwnd(), context);
}

}  // namespace talvex
