// Text1: the program's own multi-line text view. It holds its text once (TextEditor), lays
// out and shapes only what is in sight (LineLayout, TextShaper), and does what a Windows text
// box does for the keyboard, the mouse, the input method, screen readers and other programs
// (the EM_ and WM_ messages of an edit control). What is in sight and where is the
// Viewport's to say (editing/viewport.h); the view turns messages into its calls, and
// draws. A line of ten million characters costs no more to show, scroll, edit or copy than
// a short one.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <span>
#include <string>

#include "clipboard/ports.h"
#include "editing/line_layout.h"
#include "editing/text_editor.h"
#include "editing/viewport.h"
#include "platform/gdi_guards.h"
#include "platform/unique_handle.h"
#include "ui/text_shaper.h"
#include "ui/texts.h"
#include "ui/window.h"

struct IAccessible;

namespace talvex {

class AutomationView;
class TextViewAccessible;
class TextViewAutomation;

// The view's own reference to what it gives screen readers (its MSAA object, its UI
// Automation provider), which readers may hold on to: the object learns that the view is
// gone, then the reference goes.
struct ReaderObjectDisconnector {
    template <typename Object>
    void operator()(Object* object) const {
        Object::Disconnect(object);
    }
};

class TextView : public Window<TextView>, public TextBox, private TextEditor::Observer {
  public:
    static constexpr wchar_t kClassName[] = L"TalvexPress.TextView";
    // What a screen reader calls the view: the caption of the frame around it.
    static constexpr const wchar_t* kAccessibleName = texts::kTextFrameCaption;

    TextView();
    ~TextView() override;

    bool Create(HINSTANCE instance, HWND parent, int id, const RECT& bounds);

    // The whole text, as Copy takes it.
    const std::u16string& Text() const override { return editor_.Text(); }
    // Replaces the whole text (a recall, WM_SETTEXT): the view shows its beginning, nothing is
    // selected, and undo starts afresh. Throws std::bad_alloc, leaving everything as it was.
    void SetText(std::u16string text) override;

    // What screen readers and magnifiers ask of the view, in client pixels: where the caret
    // standing at `position` is (the top of its line), which caret position is nearest to
    // `client`, the top line in sight and how many whole lines show.
    POINT ClientPointOf(std::size_t position);
    std::size_t PositionAt(POINT client);
    std::size_t FirstLineInSight() const { return viewport_.FirstLine(); }
    int WholeLinesInSight() const { return viewport_.WholeLinesInSight(); }
    // Scrolls as little as brings `position` into sight (sideways, by a quarter of a view).
    void ScrollIntoView(std::size_t position);

  private:
    friend class AutomationView;
    friend class TextViewAccessible;
    friend class Window<TextView>;

    // What a key did: nothing (not the view's key), nothing more to do (Done), or a command
    // after which the caret is brought into sight (a vertical move keeps the column Up and
    // Down aim at).
    enum class KeyOutcome { NotMine, Done, Command, VerticalMove };
    struct KeyState {
        bool shift = false;
        bool ctrl = false;
        bool shortcut = false;  // Ctrl without Alt: AltGr (Ctrl+Alt) types characters instead
    };
    struct KeyCommand {
        WORD key;
        KeyOutcome (*run)(TextView& view, const KeyState& keys);
    };
    // The keys that move the caret or the view; those that edit, copy or undo.
    static std::span<const KeyCommand> NavigationKeys();
    // A move along the line or the text: Ctrl takes the longer step, Shift selects.
    template <void (TextEditor::*step)(bool), void (TextEditor::*ctrlStep)(bool)>
    static KeyOutcome MoveCaret(TextView& view, const KeyState& keys);
    static std::span<const KeyCommand> EditingKeys();
    // The Ctrl+letter shortcuts. A letter without Ctrl, or with AltGr (Ctrl+Alt), types its
    // character instead (WM_CHAR).
    struct Shortcut {
        WORD letter;
        void (*run)(TextView& view, bool shift);
        KeyOutcome outcome;  // Done or Command
    };
    static std::span<const Shortcut> Shortcuts();

    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    // Each answers the messages of one job; false sends the message on to DefWindowProc.
    bool HandleWindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
    bool HandleInputMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
    // The messages other programs and the tests use, as an edit control answers them
    // (text_view_edit_messages.cpp): the text and its selection; undo and the clipboard;
    // lines; what is in sight.
    bool HandleEditMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
    bool HandleTextMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
    bool HandleCommandMessage(UINT msg, LRESULT* result);
    bool HandleLineMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
    bool HandleViewMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);

    // TextEditor::Observer
    void OnTextReset() override;
    void OnTextChanged(const TextChange& change) override;
    void OnSelectionChanged() override;

    // Look and place (text_view_paint.cpp).
    void SetFont(HFONT font, bool redraw);
    void OnSize();
    // The text area within the client area, told to the viewport.
    void UpdateArea();
    void Paint(HDC target, const RECT& area);
    void PaintLine(std::size_t line, int top, const RECT& text);
    RECT TextArea() const;
    // After the view moved, or the text or its size changed: paint, scroll bars, caret.
    void AfterViewMoved();
    void UpdateScrollBars();
    void CreateSystemCaret();
    void PlaceCaret();
    void OnScroll(ScrollBar bar, WPARAM wp);
    void OnWheel(int delta, bool sideways);

    // Keyboard, mouse, clipboard, menu and input method (text_view_input.cpp).
    bool OnKeyDown(WPARAM key);
    // Runs the command of `key`, if any.
    KeyOutcome RunKey(WPARAM key, const KeyState& keys);
    void OnChar(wchar_t c);
    void TypeCodePoint(char32_t c);
    void OnMouseDown(POINT client, bool extend, bool wordWise);
    void OnMouseMove(POINT client);
    // While a drag holds the pointer beyond the text, this timer scrolls and selects on.
    static constexpr UINT_PTR kDragTimer = 1;
    void OnDragTimer();
    void EndDrag();
    void ShowContextMenu(LPARAM screenPoint);
    void CopySelection();
    void CutSelection();
    void Paste();
    void PlaceComposition();
    // After any command: the caret in sight, the screen and the scroll bars up to date.
    // Any command but a vertical move forgets the column Up and Down aim at.
    void AfterCommand(bool keepColumn = false);

    LRESULT OnGetObject(WPARAM wp, LPARAM lp);

    TextEditor editor_;
    TextShaper shaper_;
    LineLayout layout_;
    Viewport viewport_;
    HFONT font_ = nullptr;  // not ours: the window that sets it keeps it alive
    int margin_ = 1;

    bool dragging_ = false;
    POINT dragPoint_{};
    char16_t pendingHighSurrogate_ = 0;  // the first half of a character typed in two messages
    bool modified_ = false;
    bool caretShown_ = false;
    SCROLLINFO shownVertical_{};
    SCROLLINFO shownHorizontal_{};

    // The back buffer: Uniscribe draws into the context it shaped on.
    MemoryDc bufferDc_;
    UniqueBitmap buffer_;
    std::optional<SelectedObject> bufferFont_;  // the view's font, selected for good
    std::optional<SelectedObject> bufferBitmap_;
    SIZE bufferSize_{};

    // Made when a reader first asks; disconnected when the window goes.
    UniqueHandle<TextViewAccessible*, ReaderObjectDisconnector> accessible_;  // MSAA
    UniqueHandle<TextViewAutomation*, ReaderObjectDisconnector> automation_;  // UI Automation
};

}  // namespace talvex
