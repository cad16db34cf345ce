// The text box's editing rules against a plain model, over random scripts of every edit, caret
// move, selection and undo, on texts full of line breaks, surrogates (lone ones too), marks,
// emoji, flags and keycaps.
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "editing/text_editor.h"
#include "editing/text_positions.h"
#include "tests/fuzz/checks.h"

namespace talvex::fuzzing {
namespace {

// What texts are made of. A lone high surrogate typed before a lone low one makes U+1F600,
// which is here already: no other code point can come up.
// clang-format off
const std::u16string kPieces[] = {
    u"a", u"b", u"Z", u" ", u".", u"\t", u"\r", u"\n", u"\r\n", u"\xD83D", u"\xDE00",
    u"\U0001F600", u"\u0301", u"e\u0301", u"\u200D", u"\U0001F3FD", u"1\uFE0F\u20E3",
    u"\U0001F1EB", u"\U0001F1EB\U0001F1F7", u"\U0001F468\u200D\U0001F469\u200D\U0001F467"};
// clang-format on

std::u16string TextOf(Choices& choices, unsigned most) {
    std::u16string text;
    for (unsigned n = choices.Next() % (most + 1); n > 0; --n)
        text += kPieces[choices.Next() % std::size(kPieces)];
    return text;
}

bool IsPair(const std::u16string& t, std::size_t i) {
    return i + 1 < t.size() && t[i] >= 0xD800 && t[i] <= 0xDBFF && t[i + 1] >= 0xDC00 &&
           t[i + 1] <= 0xDFFF;
}

// The caret never stands inside a CR LF nor inside a surrogate pair.
bool IsCaretPlace(const std::u16string& t, std::size_t i) {
    if (i == 0 || i == t.size()) return true;
    return i < t.size() && !(t[i - 1] == u'\r' && t[i] == u'\n') && !IsPair(t, i - 1);
}

std::size_t SnapBack(const std::u16string& t, std::size_t i) {
    i = std::min(i, t.size());
    return IsCaretPlace(t, i) ? i : i - 1;
}

char32_t CodePointAt(const std::u16string& t, std::size_t i) {
    if (IsPair(t, i)) return 0x10000 + ((t[i] - 0xD800u) << 10) + (t[i + 1] - 0xDC00u);
    return t[i];
}

// The character rules, written out for the code points of kPieces alone. The first three
// stand alone, but for the LF of a CR LF.
enum class Kind { Control, CR, LF, Other, Extend, Joiner, Indicator, Pictograph };

Kind KindOf(char32_t c) {
    static const std::pair<char32_t, Kind> kKinds[] = {
        {u'\t', Kind::Control},      {u'\r', Kind::CR},           {u'\n', Kind::LF},
        {0x0301, Kind::Extend},      {0xFE0F, Kind::Extend},      {0x20E3, Kind::Extend},
        {0x1F3FD, Kind::Extend},     {0x200D, Kind::Joiner},      {0x1F600, Kind::Pictograph},
        {0x1F468, Kind::Pictograph}, {0x1F469, Kind::Pictograph}, {0x1F467, Kind::Pictograph}};
    for (const auto& [code, kind] : kKinds)
        if (c == code) return kind;
    return c >= 0x1F1E6 && c <= 0x1F1FF ? Kind::Indicator : Kind::Other;
}

// Where one character ends and the next begins, for every place of the text: a CR LF is one;
// marks, selectors, modifiers and joiners hold to what comes before (but a control or a line
// break); a joiner holds an emoji to the emoji before it; indicators pair up from the first of
// a run; everything else stands alone.
std::vector<bool> CharacterBreaks(const std::u16string& t) {
    std::vector<bool> breaks(t.size() + 1, false);
    breaks[0] = breaks[t.size()] = true;
    Kind before = Kind::Control;
    bool emoji = false, emojiJoiner = false;  // an emoji (and marks), and a joiner after that
    std::size_t indicators = 0;               // right before
    for (std::size_t i = 0; i < t.size(); i += IsPair(t, i) ? 2 : 1) {
        const Kind k = KindOf(CodePointAt(t, i));
        if (i == 0 || (before == Kind::CR && k == Kind::LF)) {
        } else if (before <= Kind::LF || k <= Kind::LF) {
            breaks[i] = true;
        } else if (k == Kind::Extend || k == Kind::Joiner) {
        } else if (before == Kind::Joiner && k == Kind::Pictograph) {
            breaks[i] = !emojiJoiner;
        } else {
            breaks[i] = !(before == Kind::Indicator && k == Kind::Indicator && indicators % 2 == 1);
        }
        emojiJoiner = k == Kind::Joiner && emoji;
        emoji = k == Kind::Pictograph || (k == Kind::Extend && emoji);
        indicators = k == Kind::Indicator ? indicators + 1 : 0;
        before = k;
    }
    return breaks;
}

std::size_t NextBreak(const std::vector<bool>& breaks, std::size_t i) {
    while (i + 1 < breaks.size() && !breaks[++i]) {
    }
    return i;
}

std::size_t PreviousBreak(const std::vector<bool>& breaks, std::size_t i) {
    while (i > 0 && !breaks[--i]) {
    }
    return i;
}

// Backspace takes an emoji, a flag or a keycap whole, anything else one code point at a time
// (a CR LF counting as one).
std::size_t BackspaceFrom(const std::u16string& t, std::size_t caret) {
    if (caret == 0) return 0;
    const std::size_t character = PreviousBreak(CharacterBreaks(t), caret);
    const Kind first = KindOf(CodePointAt(t, character));
    const bool keycap = t[character] == u'1' && t[caret - 1] == 0x20E3;
    if (first == Kind::Pictograph || first == Kind::Indicator || keycap) return character;
    return caret >= 2 && !IsCaretPlace(t, caret - 1) ? caret - 2 : caret - 1;
}

// Each line as [start, end before its break), found by a scan from the first unit.
std::vector<std::pair<std::size_t, std::size_t>> Lines(const std::u16string& t) {
    std::vector<std::pair<std::size_t, std::size_t>> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] != u'\r' && t[i] != u'\n') continue;
        lines.emplace_back(start, i);
        if (t[i] == u'\r' && i + 1 < t.size() && t[i + 1] == u'\n') ++i;
        start = i + 1;
    }
    lines.emplace_back(start, t.size());
    return lines;
}

std::size_t LineIndex(const std::u16string& t, std::size_t at) {
    const auto lines = Lines(t);
    std::size_t line = 0;
    while (line + 1 < lines.size() && lines[line + 1].first <= at) ++line;
    return line;
}

struct Selection {
    std::size_t anchor = 0;
    std::size_t caret = 0;
    bool operator==(const Selection&) const = default;
};

// The text as the documented operations leave it, with each undo step as the text and the
// selection before it.
struct Model {
    enum class Run { None, Typing, Backspace, Delete };
    struct Step {
        std::u16string text;
        Selection before;
    };

    // [from, to) gives way to `in`: a step of its own, or more of the typing or deleting run
    // that ended right where this one starts. The caret goes after what came in, and past the
    // pair the edit made across its edge (before it, when nothing came in).
    Selection Edit(std::size_t from, std::size_t to, const std::u16string& in, Run kind,
                   Selection now, bool undoable = true) {
        if (from == to && in.empty()) return now;
        const bool joins = kind != Run::None && kind == run && now.anchor == now.caret &&
                           now.caret == runAt && !undo.empty();
        if (!undoable) undo.clear();
        if (undoable && !joins) undo.push_back({text, now});
        redo.clear();
        text.replace(from, to - from, in);
        if (!undoable) oldest = text;
        run = undoable ? kind : Run::None;
        runAt = from + in.size();
        std::size_t caret = from + in.size();
        if (!IsCaretPlace(text, caret)) caret = in.empty() ? caret - 1 : caret + 1;
        return {caret, caret};
    }
    // What the limit lets in: cut at the room left, but not inside a pair.
    std::u16string Limited(std::size_t from, std::size_t to, const std::u16string& in) const {
        const std::size_t kept = text.size() - (to - from);
        const std::size_t room = limit > kept ? limit - kept : 0;
        return in.size() <= room ? in : in.substr(0, SnapBack(in, room));
    }
    void Reset(std::u16string t) {
        text = oldest = std::move(t);
        undo.clear();
        redo.clear();
        run = Run::None;
    }
    // Undo gives back the text and the selection before the step; Redo the text after it.
    std::optional<Selection> TakeBack(std::vector<Step>& from, std::vector<Step>& to) {
        if (from.empty()) return std::nullopt;
        Step step = std::move(from.back());
        from.pop_back();
        to.push_back({std::move(text), step.before});
        text = std::move(step.text);
        run = Run::None;
        return step.before;
    }

    std::u16string text, oldest;  // oldest: where the undo steps still kept lead back to
    std::vector<Step> undo, redo;
    std::size_t limit = TextEditor::kNoLimit;
    Run run = Run::None;
    std::size_t runAt = 0;
};

std::string Describe(const std::u16string& t) {
    std::string s = "\"";
    for (char16_t c : t.substr(0, 60))
        s += c >= 0x20 && c < 0x7F ? std::string(1, static_cast<char>(c))
                                   : "<" + std::to_string(c) + ">";
    return s + (t.size() > 60 ? "...\"" : "\"");
}

using Key = void (TextEditor::*)();
using Move = void (TextEditor::*)(bool);

// The editor and the model given the same script.
class Session {
  public:
    explicit Session(Choices& choices) : choices_(choices) {
        const std::uint8_t setup = choices.Next();
        // Most runs keep the default budget, which no script here comes near: every step stays
        // and undo must lead back to the first text. One in eight keeps only a few units: undo
        // may stop early then, but only at one of the model's older texts.
        smallBudget_ = setup % 8 == 0;
        if (smallBudget_) editor_.SetUndoBudget(choices.Next() % 16);
        if (setup / 8 % 4 == 0) editor_.SetLimit(model_.limit = choices.Next() % 48);
        SetText(TextOf(choices, 24));
    }

    // Plays one step on both, and returns what it was.
    std::string Play(std::uint8_t op) {
        now_ = {editor_.Anchor(), editor_.Caret()};
        expected_.reset();
        edited_ = mustUndo_ = redone_ = false;
        const std::u16string& t = model_.text;
        const std::size_t caret = now_.caret, variant = op / 8;
        const std::size_t from = std::min(now_.anchor, caret), to = std::max(now_.anchor, caret);
        const bool selected = from != to;
        switch (op % 8) {
            case 0:
            case 1: {
                const std::u16string in = variant % 4 == 0 ? u"\r\n" : TextOf(choices_, 2);
                if (variant % 4 == 0)
                    editor_.InsertLineBreak();
                else
                    editor_.Type(in);
                Replace(from, to, in, Model::Run::Typing);
                return "typing";
            }
            case 2: {  // paste, EM_REPLACESEL without undo, WM_CLEAR
                const std::u16string in = variant % 8 == 1 ? u"" : TextOf(choices_, 6);
                editor_.ReplaceSelection(in, variant % 8 != 0);
                Replace(from, to, in, Model::Run::None, variant % 8 != 0);
                return variant % 8 == 0 ? "replacement without undo" : "paste";
            }
            case 3: {  // the word rules are text_positions' own: here, that their range goes
                static constexpr Key kKeys[] = {&TextEditor::Backspace, &TextEditor::DeleteForward,
                                                &TextEditor::DeleteWordBackward,
                                                &TextEditor::DeleteWordForward};
                const std::pair<std::size_t, std::size_t> ranges[] = {
                    {BackspaceFrom(t, caret), caret},
                    {caret, NextBreak(CharacterBreaks(t), caret)},
                    {PreviousWordStart(t, caret), caret},
                    {caret, NextWordStart(t, caret)}};
                const Model::Run kinds[] = {Model::Run::Backspace, Model::Run::Delete,
                                            Model::Run::None, Model::Run::None};
                (editor_.*kKeys[variant % 4])();
                if (selected)
                    Replace(from, to, u"", Model::Run::None);
                else
                    Replace(ranges[variant % 4].first, ranges[variant % 4].second, u"",
                            kinds[variant % 4]);
                return "deletion key " + std::to_string(variant % 4);
            }
            case 4:
            case 5: {
                static constexpr Move kMoves[] = {
                    &TextEditor::MoveLeft,          &TextEditor::MoveRight,
                    &TextEditor::MoveWordLeft,      &TextEditor::MoveWordRight,
                    &TextEditor::MoveLineStart,     &TextEditor::MoveLineEnd,
                    &TextEditor::MoveDocumentStart, &TextEditor::MoveDocumentEnd};
                const auto line = Lines(t)[LineIndex(t, caret)];
                const std::vector<bool> breaks = CharacterBreaks(t);
                // clang-format off
                const std::size_t targets[] = {
                    PreviousBreak(breaks, caret), NextBreak(breaks, caret),
                    PreviousWordStart(t, caret), NextWordStart(t, caret), line.first, line.second,
                    0, t.size()};
                // clang-format on
                const bool extend = (variant & 8) != 0;
                (editor_.*kMoves[variant % 8])(extend);
                // Left and Right without Shift collapse a selection to the end they point to.
                const std::size_t ends[] = {from, to};
                if (variant % 8 < 2 && selected && !extend)
                    expected_ = Selection{ends[variant % 8], ends[variant % 8]};
                else
                    expected_ = Selection{extend ? now_.anchor : targets[variant % 8],
                                          targets[variant % 8]};
                return "caret move " + std::to_string(variant % 8) + (extend ? " with Shift" : "");
            }
            case 6: {
                const std::size_t at = Position(), other = Position();
                const auto word = WordAt(t, at);
                const Selection selections[] = {{0, t.size()},
                                                {SnapBack(t, other), SnapBack(t, at)},
                                                {SnapBack(t, at), SnapBack(t, at)},
                                                {now_.anchor, SnapBack(t, at)},
                                                {word.first, word.second}};
                expected_ = selections[variant % 5];
                if (variant % 5 == 0) editor_.SelectAll();
                if (variant % 5 == 1) editor_.Select(other, at);
                if (variant % 5 == 2 || variant % 5 == 3) editor_.MoveCaretTo(at, variant % 5 == 3);
                if (variant % 5 == 4) editor_.SelectWordAt(at);
                return "selection " + std::to_string(variant % 5);
            }
            default:
                return History(variant % 8);
        }
    }

    // What differs after a step, or nothing.
    std::string Check() {
        if (!fault_.empty()) return fault_;
        const std::u16string& t = editor_.Text();
        if (t != model_.text)
            return "the text is " + Describe(t) + ", the model's " + Describe(model_.text);
        const Selection sel{editor_.Anchor(), editor_.Caret()};
        const std::string shown = std::to_string(sel.anchor) + ".." + std::to_string(sel.caret);
        if (!IsCaretPlace(t, sel.anchor) || !IsCaretPlace(t, sel.caret))
            return "the selection " + shown + " cuts a pair in " + Describe(t);
        if (expected_ && sel != *expected_)
            return "the selection is " + shown + ", the model's " +
                   std::to_string(expected_->anchor) + ".." + std::to_string(expected_->caret);
        if (redone_ && sel.anchor != sel.caret) return "Redo left " + shown + " selected";
        if (!edited_ && sel != now_) model_.run = Model::Run::None;  // no join across a move

        const TextDocument& doc = editor_.Document();
        const auto lines = Lines(t);
        if (doc.LineCount() != lines.size()) return std::to_string(doc.LineCount()) + " lines";
        std::size_t longest = 0;
        for (std::size_t k = 0; k < lines.size(); ++k) {
            if (doc.LineStart(k) != lines[k].first || doc.LineEnd(k) != lines[k].second)
                return "line " + std::to_string(k) + " is not where a scan finds it";
            if (lines[k].second - lines[k].first > lines[longest].second - lines[longest].first)
                longest = k;
        }
        if (doc.LongestLine() != longest) return "the longest line is " + std::to_string(longest);
        if (doc.LineOfPosition(sel.caret) != LineIndex(t, sel.caret)) return "the caret's line";

        if (editor_.CanRedo() != !model_.redo.empty()) return "CanRedo differs from the model";
        if (editor_.CanUndo() && model_.undo.empty()) return "CanUndo, but the model has no step";
        if (!editor_.CanUndo() && !model_.undo.empty() && (!smallBudget_ || mustUndo_))
            return "the newest step, or one within the budget, was forgotten";
        return {};
    }

    // Undo all the way back, to the first text (or the oldest one a small budget kept), then
    // redo all the way forward, to the newest (from before the script's last undos).
    std::string Finish() {
        const std::u16string newest = model_.redo.empty() ? model_.text : model_.redo.front().text;
        while (Undo()) {
            if (!fault_.empty()) return fault_;
            if (editor_.Text() != model_.text) return "undoing all: " + Describe(editor_.Text());
        }
        if (!fault_.empty()) return fault_;
        if (editor_.Text() != model_.oldest)
            return "undoing all gave " + Describe(editor_.Text()) + ", not " +
                   Describe(model_.oldest);
        while (editor_.Redo()) {
            if (!model_.TakeBack(model_.redo, model_.undo)) return "Redo past the model's last";
            if (editor_.Text() != model_.text) return "redoing all: " + Describe(editor_.Text());
        }
        if (!model_.redo.empty()) return "redoing all stopped short";
        return editor_.Text() == newest ? "" : "redoing all gave " + Describe(editor_.Text());
    }

  private:
    std::string History(std::size_t variant) {
        if (variant < 3) {
            Undo();
            return "Undo";
        }
        if (variant < 6) {
            redone_ = editor_.Redo();
            if (redone_ != !model_.redo.empty()) fault_ = "Redo did not do what the model can";
            if (redone_) model_.TakeBack(model_.redo, model_.undo);
            return "Redo";
        }
        if (variant == 6) {
            editor_.EmptyUndoHistory();
            model_.Reset(model_.text);
            expected_ = now_;
            return "empty the undo history";
        }
        SetText(TextOf(choices_, 24));
        return "new text";
    }
    std::size_t Position() {
        const std::size_t raw = choices_.Next() | static_cast<std::size_t>(choices_.Next()) << 8;
        return raw % (model_.text.size() + 2);  // one place past the end too: it is clamped
    }
    // [from, to) gives way to what the limit lets in of `in`, on both.
    void Replace(std::size_t from, std::size_t to, const std::u16string& in, Model::Run kind,
                 bool undoable = true) {
        const std::u16string limited = model_.Limited(from, to, in);
        edited_ = true;
        mustUndo_ = undoable && (from != to || !limited.empty());
        expected_ = model_.Edit(from, to, limited, kind, now_, undoable);
    }
    void SetText(std::u16string text) {
        editor_.SetText(text);
        model_.Reset(std::move(text));
        expected_ = Selection{};
    }
    // Whether the editor undid a step; the model follows, or learns that a small budget
    // forgot its oldest steps.
    bool Undo() {
        if (editor_.Undo()) {
            expected_ = model_.TakeBack(model_.undo, model_.redo);
            if (!expected_) fault_ = "Undo took back a step the model never made";
            return true;
        }
        if (!model_.undo.empty() && !smallBudget_) fault_ = "Undo stopped short of the first text";
        model_.undo.clear();
        model_.oldest = model_.text;
        return false;
    }

    Choices& choices_;
    TextEditor editor_;
    Model model_;
    bool smallBudget_ = false;
    Selection now_;
    std::optional<Selection> expected_;
    bool edited_ = false, mustUndo_ = false, redone_ = false;
    std::string fault_;
};

}  // namespace

std::string CheckEditing(const std::uint8_t* data, std::size_t size) {
    Choices choices(data, size);
    Session session(choices);
    for (int step = 0; !choices.Done(); ++step) {
        const std::string what = session.Play(choices.Next());
        if (std::string fault = session.Check(); !fault.empty())
            return "step " + std::to_string(step) + " (" + what + "): " + fault;
    }
    const std::string fault = session.Finish();
    return fault.empty() ? fault : "at the end: " + fault;
}

}  // namespace talvex::fuzzing
