#include "editing/text_editor.h"

#include <algorithm>
#include <utility>

#include "editing/text_positions.h"

namespace talvex {
namespace {

// Grows a vector ahead of a push_back that must not throw, keeping the growth geometric.
template <class T>
void ReserveOneMore(std::vector<T>& v) {
    if (v.size() == v.capacity()) v.reserve(std::max<std::size_t>(16, 2 * v.size()));
}

// Makes room in `s` for `more` units, so that adding them later cannot throw.
void ReserveMore(std::u16string& s, std::size_t more) {
    const std::size_t needed = s.size() + more;
    if (needed > s.capacity()) s.reserve(std::max(needed, 2 * s.capacity()));
}

}  // namespace

std::u16string TextEditor::SelectedText() const {
    return Text().substr(SelectionStart(), SelectionEnd() - SelectionStart());
}

void TextEditor::SetText(std::u16string text) {
    document_.SetText(std::move(text));
    // Nothing below throws.
    undo_.clear();
    redo_.clear();
    undoUnits_ = 0;
    joinable_ = false;
    const bool moved = anchor_ != 0 || caret_ != 0;
    anchor_ = 0;
    caret_ = 0;
    if (observer_ == nullptr) return;
    observer_->OnTextReset();
    if (moved) observer_->OnSelectionChanged();
}

// --- Selection ------------------------------------------------------------------------------

void TextEditor::SetSelection(std::size_t anchor, std::size_t caret) {
    if (anchor == anchor_ && caret == caret_) return;
    anchor_ = anchor;
    caret_ = caret;
    joinable_ = false;
    if (observer_ != nullptr) observer_->OnSelectionChanged();
}

void TextEditor::Move(std::size_t caret, bool extend) {
    SetSelection(extend ? anchor_ : caret, caret);
}

void TextEditor::Select(std::size_t anchor, std::size_t caret) {
    SetSelection(SnapToCaretBoundary(Text(), anchor), SnapToCaretBoundary(Text(), caret));
}

void TextEditor::SelectAll() { SetSelection(0, Text().size()); }

void TextEditor::MoveCaretTo(std::size_t position, bool extend) {
    Move(SnapToCaretBoundary(Text(), position), extend);
}

void TextEditor::MoveLeft(bool extend) {
    if (!extend && HasSelection()) {
        SetSelection(SelectionStart(), SelectionStart());
        return;
    }
    Move(PreviousCharacter(Text(), caret_), extend);
}

void TextEditor::MoveRight(bool extend) {
    if (!extend && HasSelection()) {
        SetSelection(SelectionEnd(), SelectionEnd());
        return;
    }
    Move(NextCharacter(Text(), caret_), extend);
}

void TextEditor::MoveWordLeft(bool extend) { Move(PreviousWordStart(Text(), caret_), extend); }

void TextEditor::MoveWordRight(bool extend) { Move(NextWordStart(Text(), caret_), extend); }

void TextEditor::MoveLineStart(bool extend) {
    Move(document_.LineStart(document_.LineOfPosition(caret_)), extend);
}

void TextEditor::MoveLineEnd(bool extend) {
    Move(document_.LineEnd(document_.LineOfPosition(caret_)), extend);
}

void TextEditor::MoveDocumentStart(bool extend) { Move(0, extend); }

void TextEditor::MoveDocumentEnd(bool extend) { Move(Text().size(), extend); }

void TextEditor::SelectWordAt(std::size_t position) {
    const auto [first, last] = WordAt(Text(), position);
    SetSelection(first, last);
}

// --- Editing --------------------------------------------------------------------------------

void TextEditor::Type(std::u16string_view text) {
    const std::size_t from = SelectionStart();
    const std::size_t to = SelectionEnd();
    Edit(from, to, WithinLimit(from, to, text), StepKind::Typing, true);
}

// A selection taken away by Backspace or Delete is a step that later keys do not join: a
// Backspace step grows at its front, and a large selection would be copied at every key.
void TextEditor::Backspace() {
    if (HasSelection())
        DeleteSelection();
    else if (caret_ > 0)
        Edit(BackspaceStart(Text(), caret_), caret_, u"", StepKind::Backspace, true);
}

void TextEditor::DeleteForward() {
    if (HasSelection())
        DeleteSelection();
    else if (caret_ < Text().size())
        Edit(caret_, NextCharacter(Text(), caret_), u"", StepKind::Delete, true);
}

void TextEditor::DeleteWordBackward() {
    if (HasSelection())
        DeleteSelection();
    else
        Edit(PreviousWordStart(Text(), caret_), caret_, u"", StepKind::Other, true);
}

void TextEditor::DeleteWordForward() {
    if (HasSelection())
        DeleteSelection();
    else
        Edit(caret_, NextWordStart(Text(), caret_), u"", StepKind::Other, true);
}

void TextEditor::ReplaceSelection(std::u16string_view text, bool undoable) {
    const std::size_t from = SelectionStart();
    const std::size_t to = SelectionEnd();
    Edit(from, to, WithinLimit(from, to, text), StepKind::Other, undoable);
}

std::u16string_view TextEditor::WithinLimit(std::size_t from, std::size_t to,
                                            std::u16string_view text) const {
    if (limit_ == kNoLimit) return text;
    const std::size_t kept = Text().size() - (to - from);
    const std::size_t room = limit_ > kept ? limit_ - kept : 0;
    if (text.size() <= room) return text;
    return text.substr(0, SnapToCaretBoundary(text, room));
}

std::size_t TextEditor::CaretAfterEdit(std::size_t position, std::size_t inserted) const {
    const std::size_t caret = position + inserted;
    if (IsCaretBoundary(Text(), caret)) return caret;
    // The edit made a CR LF or a surrogate pair across its edge: after inserted text the
    // caret goes past the pair, after a mere removal it stays before it.
    return inserted > 0 ? caret + 1 : caret - 1;
}

bool TextEditor::JoinsLastStep(std::size_t from, std::size_t to, std::size_t inserted,
                               StepKind kind) const {
    if (!joinable_ || undo_.empty() || HasSelection() || kind == StepKind::Other) return false;
    const Step& last = undo_.back();
    if (last.kind != kind) return false;
    switch (kind) {
        case StepKind::Typing:
            return from == to && from == caret_ && caret_ == last.position + last.length;
        case StepKind::Backspace:
            return inserted == 0 && to == caret_ && caret_ == last.position && last.length == 0;
        case StepKind::Delete:
            return inserted == 0 && from == caret_ && caret_ == last.position && last.length == 0;
        case StepKind::Other:
            break;
    }
    return false;
}

void TextEditor::Edit(std::size_t from, std::size_t to, std::u16string_view text, StepKind kind,
                      bool undoable) {
    if (from == to && text.empty()) return;  // nothing changes, not even the undo history
    const std::size_t removed = to - from;
    const std::size_t inserted = text.size();
    const TextChange change{from, removed, inserted};

    if (!undoable) {
        document_.Replace(from, removed, text);
        // Nothing below throws.
        undo_.clear();
        redo_.clear();
        undoUnits_ = 0;
        joinable_ = false;
        const std::size_t caret = CaretAfterEdit(from, inserted);
        AfterTextChange(change, caret, caret);
        return;
    }

    // Everything that allocates comes before the text changes: a failure leaves all as it was.
    if (JoinsLastStep(from, to, inserted, kind)) {
        Step& last = undo_.back();
        const bool backward = kind == StepKind::Backspace;
        if (removed > 0) {
            // The units taken away join the step's text, in text order, copied into room
            // made first so that the copy itself cannot fail.
            ReserveMore(last.text, removed);
            if (backward)
                last.text.insert(0, Text(), from, removed);
            else
                last.text.append(Text(), from, removed);
        }
        try {
            document_.Replace(from, removed, text);
        } catch (...) {
            if (backward)
                last.text.erase(0, removed);
            else
                last.text.resize(last.text.size() - removed);
            throw;
        }
        // Nothing below throws.
        if (backward) last.position = from;
        last.length += inserted;
    } else {
        Step step;
        step.position = from;
        step.length = inserted;
        step.text.assign(Text(), from, removed);
        step.anchorBefore = anchor_;
        step.caretBefore = caret_;
        step.kind = kind;
        ReserveOneMore(undo_);
        document_.Replace(from, removed, text);
        // Nothing below throws.
        undo_.push_back(std::move(step));
        ForgetRedo();
    }
    undoUnits_ += removed;
    joinable_ = kind != StepKind::Other;
    TrimUndo(true);
    const std::size_t caret = CaretAfterEdit(from, inserted);
    AfterTextChange(change, caret, caret);
}

void TextEditor::AfterTextChange(const TextChange& change, std::size_t anchor, std::size_t caret) {
    const bool moved = anchor != anchor_ || caret != caret_;
    anchor_ = anchor;
    caret_ = caret;
    if (observer_ == nullptr) return;
    observer_->OnTextChanged(change);
    if (moved) observer_->OnSelectionChanged();
}

// --- Undo -----------------------------------------------------------------------------------

// Puts back what the newest step of `from` took away and moves the step to `to`, where it
// keeps what it had put there instead: an undo and a redo are the same move, either way.
TextChange TextEditor::TakeBack(std::vector<Step>& from, std::vector<Step>& to) {
    Step& step = from.back();
    std::u16string other = Text().substr(step.position, step.length);
    ReserveOneMore(to);
    document_.Replace(step.position, step.length, step.text);
    // Nothing below throws.
    const TextChange change{step.position, step.length, step.text.size()};
    undoUnits_ = undoUnits_ - step.text.size() + other.size();
    step.length = step.text.size();
    step.text = std::move(other);
    to.push_back(std::move(step));
    from.pop_back();
    joinable_ = false;
    return change;
}

bool TextEditor::Undo() {
    if (undo_.empty()) return false;
    const TextChange change = TakeBack(undo_, redo_);
    TrimUndo(false);
    const Step& done = redo_.back();
    AfterTextChange(change, done.anchorBefore, done.caretBefore);
    return true;
}

bool TextEditor::Redo() {
    if (redo_.empty()) return false;
    const TextChange change = TakeBack(redo_, undo_);
    TrimUndo(true);
    const std::size_t caret = CaretAfterEdit(change.position, change.inserted);
    AfterTextChange(change, caret, caret);
    return true;
}

void TextEditor::EmptyUndoHistory() {
    undo_.clear();
    redo_.clear();
    undoUnits_ = 0;
    joinable_ = false;
}

void TextEditor::ForgetRedo() {
    for (const Step& step : redo_) undoUnits_ -= step.text.size();
    redo_.clear();
}

void TextEditor::TrimUndo(bool newestIsUndo) {
    if (undoUnits_ <= undoBudget_) return;
    // Steps are taken back newest first, so only a bottom slice of the undo stack can go. It
    // ends at the last step whose text brings the count within the budget, or, when none
    // does, at the last one that keeps any text: a step that keeps nothing frees nothing.
    const std::size_t candidates = undo_.size() - (newestIsUndo ? 1 : 0);
    std::size_t units = undoUnits_;
    std::size_t drop = 0;
    for (std::size_t i = 0; i < candidates && units > undoBudget_; ++i) {
        if (undo_[i].text.empty()) continue;
        units -= undo_[i].text.size();
        drop = i + 1;
    }
    undoUnits_ = units;
    undo_.erase(undo_.begin(), undo_.begin() + static_cast<std::ptrdiff_t>(drop));
}

}  // namespace talvex
