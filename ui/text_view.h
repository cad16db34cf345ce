// Text1: the program's own multi-line text view. It holds its text once (TextEditor), lays
// out and shapes only what is in sight (LineLayout, TextShaper), and does what a Windows text
// box does for the keyboard, the mouse, the input method, screen readers and other programs
// (the EM_ and WM_ messages of an edit control). A line of ten million characters costs no
// more to show, scroll, edit or copy than a short one.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

#include "clipboard/ports.h"
#include "editing/line_layout.h"
#include "editing/text_editor.h"
#include "platform/gdi_guards.h"
#include "platform/unique_handle.h"
#include "ui/text_shaper.h"
#include "ui/window.h"

struct IAccessible;

namespace talvex {

class AutomationView;
class TextViewAccessible;
class TextViewAutomation;

class TextView : public Window<TextView>, public TextBox, private TextEditor::Observer {
  public:
    static constexpr wchar_t kClassName[] = L"TalvexPress.TextView";
    // What a screen reader calls the view: the caption of the frame around it.
    static constexpr wchar_t kAccessibleName[] = L"Texte :";

    TextView();
    ~TextView() override;

    bool Create(HINSTANCE instance, HWND parent, int id, const RECT& bounds);

    // The whole text, as Copy takes it.
    const std::u16string& Text() const override { return editor_.Text(); }
    // Replaces the whole text (a recall, WM_SETTEXT): the view shows its beginning, nothing is
    // selected, and undo starts afresh. Throws std::bad_alloc, leaving everything as it was.
    void SetText(std::u16string text) override;

  private:
    friend class AutomationView;
    friend class TextViewAccessible;
    friend class Window<TextView>;

    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    // The messages other programs and the tests use, as an edit control answers them.
    bool HandleEditMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);

    // TextEditor::Observer
    void OnTextReset() override;
    void OnTextChanged(const TextChange& change) override;
    void OnSelectionChanged() override;

    // Look and place (text_view_paint.cpp).
    void SetFont(HFONT font, bool redraw);
    void OnSize();
    void Paint(HDC target, const RECT& area);
    void PaintLine(std::size_t line, int top, const RECT& text);
    RECT TextArea() const;
    int WholeLinesInSight() const;
    int LineLeft() const;  // where x = 0 of every line is, in client pixels
    int CaretXOnLine(std::size_t position);
    POINT ClientPointOf(std::size_t position);
    std::size_t PositionAt(POINT client);
    std::size_t PositionOnLineAtX(std::size_t line, int x);
    int HorizontalExtent();
    void UpdateScrollBars();
    void ScrollTo(std::size_t firstLine, int x);
    void ScrollCaretIntoView();
    void CreateSystemCaret();
    void PlaceCaret();
    void OnScroll(int bar, int code);
    void OnWheel(int delta, bool sideways);

    // Keyboard, mouse, clipboard, menu and input method (text_view_input.cpp).
    bool OnKeyDown(WPARAM key);
    void OnChar(wchar_t c);
    void TypeCodePoint(char32_t c);
    void MoveVertically(std::ptrdiff_t lines, bool extend);
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
    void AfterCommand();

    LRESULT OnGetObject(WPARAM wp, LPARAM lp);

    TextEditor editor_;
    TextShaper shaper_;
    LineLayout layout_;
    HFONT font_ = nullptr;  // not ours: the window that sets it keeps it alive
    int lineHeight_ = 13;
    int averageCharWidth_ = 6;
    int margin_ = 1;

    std::size_t firstLine_ = 0;  // the top line in sight
    int scrollX_ = 0;            // pixels of every line scrolled out on the left
    int desiredX_ = -1;          // where Up and Down aim, in line pixels; -1: the caret's own
    bool dragging_ = false;
    POINT dragPoint_{};
    char16_t pendingHighSurrogate_ = 0;  // the first half of a character typed in two messages
    int wheelRest_ = 0;
    int sidewaysWheelRest_ = 0;
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

    TextViewAccessible* accessible_ = nullptr;  // MSAA, for older readers
    TextViewAutomation* automation_ = nullptr;  // UI Automation
};

}  // namespace talvex
