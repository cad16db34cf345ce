// The rules of editing the text view's text: the selection and the caret, the editing
// operations of a Windows text box, and undo and redo. Portable; the Win32 view only turns
// keys, clicks and messages into these calls and draws the result.
//
// Every position the editor keeps or hands out is a caret boundary (text_positions.h); every
// position it is given is clamped to the text and snapped back to one. No operation leaves
// half a surrogate pair or half a CR LF behind, and none inserts one: a lone surrogate in a
// text it is given is kept as it is only inside that text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "editing/text_document.h"

namespace talvex {

// One change of the text: `removed` units at `position` gave way to `inserted` units.
struct TextChange {
    std::size_t position = 0;
    std::size_t removed = 0;
    std::size_t inserted = 0;
};

class TextEditor {
  public:
    // Told of every change, after it is made (the document already shows it).
    class Observer {
      public:
        virtual ~Observer() = default;
        // The whole text was replaced (SetText): everything known about it is void.
        virtual void OnTextReset() = 0;
        virtual void OnTextChanged(const TextChange& change) = 0;
        // The anchor or the caret moved (also after each text change that moved them).
        virtual void OnSelectionChanged() = 0;
    };

    // How many units the undo and redo steps may keep together before the oldest undo steps
    // are forgotten. The newest step is always kept, whatever its size, and so is every redo
    // step: they hold what the user's latest undos took out of the text, which Redo owes back.
    static constexpr std::size_t kUndoBudgetUnits = 32u * 1024 * 1024;
    // "No limit" for SetLimit.
    static constexpr std::size_t kNoLimit = static_cast<std::size_t>(-1);

    TextEditor() = default;
    TextEditor(const TextEditor&) = delete;
    TextEditor& operator=(const TextEditor&) = delete;

    void SetObserver(Observer* observer) { observer_ = observer; }

    const TextDocument& Document() const { return document_; }
    const std::u16string& Text() const { return document_.Text(); }

    // The selection runs from the anchor (where it started) to the caret (the end that
    // moves); they are equal when nothing is selected.
    std::size_t Anchor() const { return anchor_; }
    std::size_t Caret() const { return caret_; }
    std::size_t SelectionStart() const { return anchor_ < caret_ ? anchor_ : caret_; }
    std::size_t SelectionEnd() const { return anchor_ < caret_ ? caret_ : anchor_; }
    bool HasSelection() const { return anchor_ != caret_; }
    std::u16string SelectedText() const;

    // Replaces the whole text (a recall, WM_SETTEXT): caret at 0, nothing selected, and a
    // new undo history. On failure (no memory) nothing changes.
    void SetText(std::u16string text);

    // Selection. `Select` takes any two positions; the others move the caret and, with
    // `extend`, keep the anchor where it is (Shift held), else bring the anchor along.
    void Select(std::size_t anchor, std::size_t caret);
    void SelectAll();
    void MoveCaretTo(std::size_t position, bool extend);
    // Left and Right: without `extend`, a selection collapses to its left or right end.
    void MoveLeft(bool extend);
    void MoveRight(bool extend);
    void MoveWordLeft(bool extend);
    void MoveWordRight(bool extend);
    // Home and End: the start and end of the caret's line (the view does not wrap).
    void MoveLineStart(bool extend);
    void MoveLineEnd(bool extend);
    void MoveDocumentStart(bool extend);
    void MoveDocumentEnd(bool extend);
    // Double-click: selects WordAt(position).
    void SelectWordAt(std::size_t position);

    // Typing: replaces the selection with `text`. Typing at the end of the last typing,
    // with nothing else done in between, joins that undo step.
    void Type(std::u16string_view text);
    // Enter: a CR LF, typed.
    void InsertLineBreak() { Type(u"\r\n"); }
    // Backspace and Delete: the selection when there is one, else back to BackspaceStart (a
    // whole emoji, flag or keycap, else one code point) or one character on (NextCharacter).
    // Repeated, they join one undo step (a selection they take away is a step of its own).
    void Backspace();
    void DeleteForward();
    // Ctrl+Backspace and Ctrl+Delete: the selection when there is one, else back to
    // PreviousWordStart or on to NextWordStart.
    void DeleteWordBackward();
    void DeleteWordForward();
    // Paste, EM_REPLACESEL, Cut and WM_CLEAR: one step of their own. `undoable` false
    // (EM_REPLACESEL with FALSE) makes it no step at all, and a change it makes empties the
    // undo history (its steps would no longer fit the text).
    void ReplaceSelection(std::u16string_view text, bool undoable = true);
    void DeleteSelection() { ReplaceSelection(u""); }

    // Undo takes back the last step and restores the selection it had before; Redo makes
    // it again and selects nothing, caret after what it inserted. Both return false when
    // there is nothing to take back or make again.
    void SetUndoBudget(std::size_t units) { undoBudget_ = units; }  // kUndoBudgetUnits at first
    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    bool Undo();
    bool Redo();
    void EmptyUndoHistory();

    // The most units typing, pasting and EM_REPLACESEL may bring the text to (what they
    // bring beyond it is cut off, never in a surrogate pair or a CR LF); SetText ignores
    // it. kNoLimit by default.
    void SetLimit(std::size_t units) { limit_ = units; }
    std::size_t Limit() const { return limit_; }

  private:
    enum class StepKind : std::uint8_t { Typing, Backspace, Delete, Other };
    // One step as it can be taken back: the text it put at `position` is `length` units
    // long, and `text` is what it took away. Once undone, the same record (on the redo
    // stack) holds what it had put there, and `length` what it takes away.
    struct Step {
        std::size_t position = 0;
        std::size_t length = 0;
        std::u16string text;
        std::size_t anchorBefore = 0;
        std::size_t caretBefore = 0;
        StepKind kind = StepKind::Other;
    };

    // The one place the text changes (but SetText): replaces [from, to) with `text` as one
    // step of `kind` (or joins the last step), then puts the caret after it.
    void Edit(std::size_t from, std::size_t to, std::u16string_view text, StepKind kind,
              bool undoable);
    // Whether the edit of [from, to) by `kind` continues the last step instead of making one.
    bool JoinsLastStep(std::size_t from, std::size_t to, std::size_t inserted, StepKind kind) const;
    // What of `text` may replace [from, to) within the limit.
    std::u16string_view WithinLimit(std::size_t from, std::size_t to,
                                    std::u16string_view text) const;
    // The caret's place once `inserted` units stand at `position`: right after them, or
    // past the LF or low surrogate the edit joined to them.
    std::size_t CaretAfterEdit(std::size_t position, std::size_t inserted) const;
    // Takes already snapped positions; a selection that really changes ends the typing join.
    void SetSelection(std::size_t anchor, std::size_t caret);
    void Move(std::size_t caret, bool extend);
    // Puts the selection after a change of the text, and tells the observer of both.
    void AfterTextChange(const TextChange& change, std::size_t anchor, std::size_t caret);
    void ForgetRedo();
    TextChange TakeBack(std::vector<Step>& from, std::vector<Step>& to);
    // Forgets the oldest undo steps while the steps keep more than the budget, and only as
    // many as free something: never a redo step, nor the newest step (on the undo stack after
    // an edit or a Redo).
    void TrimUndo(bool newestIsUndo);

    TextDocument document_;
    Observer* observer_ = nullptr;
    std::size_t anchor_ = 0;
    std::size_t caret_ = 0;
    std::size_t limit_ = kNoLimit;
    std::vector<Step> undo_;
    std::vector<Step> redo_;
    std::size_t undoUnits_ = 0;  // what the steps of both stacks keep
    std::size_t undoBudget_ = kUndoBudgetUnits;
    bool joinable_ = false;  // the last undo step may take in the next edit of its kind
};

}  // namespace talvex
