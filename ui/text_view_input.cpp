// The text view's keyboard, mouse, clipboard keys, context menu and input method.
#include <windows.h>
#include <windowsx.h>
#include <imm.h>

#include <algorithm>

#include "clipboard/system_clipboard_win.h"
#include "editing/text_positions.h"
#include "platform/system_library.h"
#include "ui/text_view.h"

namespace talvex {
namespace {

constexpr UINT kDragTimerMs = 50;

bool KeyDown(int key) { return GetKeyState(key) < 0; }

// The keys that move the caret along the text: alone, and with Ctrl (Shift extends either).
struct CaretKey {
    WORD key;
    void (TextEditor::*move)(bool extend);
    void (TextEditor::*withCtrl)(bool extend);
};
constexpr CaretKey kCaretKeys[] = {
    {VK_LEFT, &TextEditor::MoveLeft, &TextEditor::MoveWordLeft},
    {VK_RIGHT, &TextEditor::MoveRight, &TextEditor::MoveWordRight},
    {VK_HOME, &TextEditor::MoveLineStart, &TextEditor::MoveDocumentStart},
    {VK_END, &TextEditor::MoveLineEnd, &TextEditor::MoveDocumentEnd},
};

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

bool TextView::OnKeyDown(WPARAM key) {
    const bool shift = KeyDown(VK_SHIFT);
    const bool ctrl = KeyDown(VK_CONTROL);
    // AltGr comes as Ctrl+Alt and types characters: it is no shortcut.
    const bool shortcut = ctrl && !KeyDown(VK_MENU);
    for (const CaretKey& caretKey : kCaretKeys) {
        if (caretKey.key != key) continue;
        (editor_.*(ctrl ? caretKey.withCtrl : caretKey.move))(shift);
        desiredX_ = -1;  // a move along the line forgets where Up and Down were aiming
        AfterCommand();
        return true;
    }
    bool horizontal = true;  // a move that forgets where Up and Down were aiming
    switch (key) {
        case VK_UP:
        case VK_DOWN:
            MoveVertically(key == VK_UP ? -1 : 1, shift);
            horizontal = false;
            break;
        case VK_PRIOR:
        case VK_NEXT: {
            // A page: the view and the caret move together.
            const auto page = static_cast<std::ptrdiff_t>(WholeLinesInSight());
            const auto first =
                static_cast<std::ptrdiff_t>(firstLine_) + (key == VK_PRIOR ? -page : page);
            ScrollTo(static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, first)), scrollX_);
            MoveVertically(key == VK_PRIOR ? -page : page, shift);
            horizontal = false;
            break;
        }
        case VK_DELETE:
            if (shift && !ctrl) {
                CutSelection();
            } else {
                ctrl ? editor_.DeleteWordForward() : editor_.DeleteForward();
            }
            break;
        case VK_BACK:
            ctrl ? editor_.DeleteWordBackward() : editor_.Backspace();
            break;
        case VK_INSERT:
            if (ctrl && !shift) {
                CopySelection();
            } else if (shift && !ctrl) {
                Paste();
            } else {
                return true;
            }
            break;
        case VK_TAB:
            // A plain Tab is the window's: it moves the keyboard on (FocusNavigator).
            if (!ctrl) return false;
            editor_.Type(u"\t");
            break;
        case VK_ESCAPE:
            return true;  // nothing to cancel here, and nothing to close
        case 'A':
            if (!shortcut) return false;
            editor_.SelectAll();
            break;
        case 'C':
            if (!shortcut) return false;
            CopySelection();
            return true;
        case 'X':
            if (!shortcut) return false;
            CutSelection();
            break;
        case 'V':
            if (!shortcut) return false;
            Paste();
            break;
        case 'Z':
            if (!shortcut) return false;
            shift ? editor_.Redo() : editor_.Undo();
            break;
        case 'Y':
            if (!shortcut) return false;
            editor_.Redo();
            break;
        default:
            return false;
    }
    if (horizontal) desiredX_ = -1;
    AfterCommand();
    return true;
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
    desiredX_ = -1;
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
    desiredX_ = -1;
    AfterCommand();
}

void TextView::MoveVertically(std::ptrdiff_t lines, bool extend) {
    const TextDocument& document = editor_.Document();
    const std::size_t caret = editor_.Caret();
    const auto line = static_cast<std::ptrdiff_t>(document.LineOfPosition(caret));
    const auto last = static_cast<std::ptrdiff_t>(document.LineCount()) - 1;
    const std::ptrdiff_t target = std::clamp<std::ptrdiff_t>(line + lines, 0, last);
    if (desiredX_ < 0) desiredX_ = CaretXOnLine(caret);
    if (target == line) return;
    editor_.MoveCaretTo(PositionOnLineAtX(static_cast<std::size_t>(target), desiredX_), extend);
}

void TextView::OnMouseDown(POINT client, bool extend, bool wordWise) {
    if (GetFocus() != hwnd()) SetFocus(hwnd());
    const std::size_t at = PositionAt(client);
    if (wordWise) {
        editor_.SelectWordAt(at);
    } else {
        editor_.MoveCaretTo(at, extend);
    }
    desiredX_ = -1;
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
        at.y += lineHeight_;
        const RECT text = TextArea();
        at.x = std::clamp<LONG>(at.x, text.left, text.right);
        at.y = std::clamp<LONG>(at.y, text.top, text.bottom);
        ClientToScreen(hwnd(), &at);
    }
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) return;
    const bool selection = editor_.HasSelection();
    const bool all =
        editor_.SelectionStart() == 0 && editor_.SelectionEnd() == editor_.Text().size();
    const auto flags = [](bool enabled) { return MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED); };
    AppendMenuW(menu, flags(editor_.CanUndo()), kMenuUndo, L"&Annuler");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, flags(selection), kMenuCut, L"Co&uper");
    AppendMenuW(menu, flags(selection), kMenuCopy, L"&Copier");
    AppendMenuW(menu, flags(IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE), kMenuPaste,
                L"C&oller");
    AppendMenuW(menu, flags(selection), kMenuDelete, L"&Supprimer");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, flags(!editor_.Text().empty() && !all), kMenuSelectAll,
                L"Sélectionner &tout");
    const UINT command = static_cast<UINT>(TrackPopupMenu(
        menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd(), nullptr));
    DestroyMenu(menu);
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
    desiredX_ = -1;
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
