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
    return i == 0 || i == t.size() ||
           (i < t.size() && !(t[i - 1] == u'\r' && t[i] == u'\n') && !IsPair(t, i - 1));
}

std::size_t SnapBack(const std::u16string& t, std::size_t i) {
    i = std::min(i, t.size());
    return IsCaretPlace(t, i) ? i : i - 1;
}

// The character rules, written out for the code points of kPieces alone. The first three
// stand alone, but for the LF of a CR LF.
enum class Kind { Control, CR, LF, Other, Extend, Joiner, Indicator, Pictograph };

Kind KindAt(const std::u16string& t, std::size_t i) {
    const char32_t c =
        IsPair(t, i) ? 0x10000 + ((t[i] - 0xD800u) << 10) + (t[i + 1] - 0xDC00u) : t[i];
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
    breaks.back() = true;
    Kind before = Kind::Control;
    bool emoji = false, emojiJoiner = false;  // an emoji (and marks), and a joiner after that
    std::size_t indicators = 0;               // in a row right before
    for (std::size_t i = 0; i < t.size(); i += IsPair(t, i) ? 2 : 1) {
        const Kind k = KindAt(t, i);
        const bool holds = k == Kind::Extend || k == Kind::Joiner ||
                           (k == Kind::Pictograph && emojiJoiner) ||
                           (k == Kind::Indicator && indicators % 2 == 1);
        breaks[i] = !(before == Kind::CR && k == Kind::LF) && !(before > Kind::LF && holds);
        emojiJoiner = k == Kind::Joiner && emoji;
        emoji = k == Kind::Pictograph || (k == Kind::Extend && emoji);
        indicators = k == Kind::Indicator ? indicators + 1 : 0;
        before = k;
    }
    return breaks;
}

// The next character break after `i`, or the one before it; the ends of the text stay.
std::size_t NextBreak(const std::vector<bool>& breaks, std::size_t i, bool back = false) {
    while (back ? i > 0 : i + 1 < breaks.size())
        if (breaks[back ? --i : ++i]) break;
    return i;
}

// Backspace takes an emoji, a flag or a keycap whole, anything else one code point at a time
// (a CR LF counting as one).
std::size_t BackspaceFrom(const std::u16string& t, std::size_t caret) {
    if (caret == 0) return 0;
    const std::size_t character = NextBreak(CharacterBreaks(t), caret, true);
    const Kind first = KindAt(t, character);
    const bool keycap = t[character] == u'1' && t[caret - 1] == 0x20E3;
    if (first == Kind::Pictograph || first == Kind::Indicator || keycap) return character;
    return caret >= 2 && !IsCaretPlace(t, caret - 1) ? caret - 2 : caret - 1;
}

// The lines as a scan from the first unit finds them: each [start, end before its break), the
// one `at` is on and the first of the longest.
struct Lines {
    std::vector<std::pair<std::size_t, std::size_t>> spans;
    std::size_t of = 0, longest = 0;
};

Lines ScanLines(const std::u16string& t, std::size_t at) {
    Lines lines;
    auto& spans = lines.spans;
    for (std::size_t i = 0, start = 0; i <= t.size(); ++i) {
        if (i < t.size() && t[i] != u'\r' && t[i] != u'\n') continue;
        if (start <= at) lines.of = spans.size();
        if (spans.empty() || i - start > spans[lines.longest].second - spans[lines.longest].first)
            lines.longest = spans.size();
        spans.emplace_back(start, i);
        if (i + 1 < t.size() && t[i] == u'\r' && t[i + 1] == u'\n') ++i;
        start = i + 1;
    }
    return lines;
}

struct Selection {
    std::size_t anchor = 0;
    std::size_t caret = 0;
    bool operator==(const Selection&) const = default;
};

std::string Describe(const std::u16string& t) {
    std::string s = "\"";
    for (char16_t c : t.substr(0, 60))
        s += c >= 0x20 && c < 0x7F ? std::string(1, static_cast<char>(c))
                                   : "<" + std::to_string(c) + ">";
    return s + (t.size() > 60 ? "...\"" : "\"");
}

std::string Shown(Selection s) { return std::to_string(s.anchor) + ".." + std::to_string(s.caret); }

// The editor, and a plain model that makes each step by its documented effect and keeps each
// undo step as the text and the selection before it, given the same script.
class Session {
  public:
    explicit Session(Choices& choices) : choices_(choices) {
        const std::uint8_t setup = choices.Next();
        // One run in eight keeps only a few units of undo steps, the others the default budget,
        // which no script here comes near: every step stays.
        smallBudget_ = setup % 8 == 0;
        if (smallBudget_) editor_.SetUndoBudget(choices.Next() % 16);
        if (setup / 8 % 4 == 0) editor_.SetLimit(limit_ = choices.Next() % 48);
        History(7);  // a new text
    }

    // Plays one step on both, and returns what it was.
    std::string Play(std::uint8_t op) {
        now_ = {editor_.Anchor(), editor_.Caret()};
        expected_.reset();
        edited_ = mustUndo_ = redone_ = false;
        const std::u16string& t = text_;
        const std::size_t caret = now_.caret, variant = op / 8;
        const std::size_t from = std::min(now_.anchor, caret), to = std::max(now_.anchor, caret);
        switch (op % 8) {
            case 0:
            case 1: {
                const std::u16string in = variant % 4 ? TextOf(choices_, 2) : u"\r\n";
                variant % 4 ? editor_.Type(in) : editor_.InsertLineBreak();
                Replace(from, to, in, Run::Typing);
                return "typing";
            }
            case 2: {  // EM_REPLACESEL without undo, WM_CLEAR, paste
                const bool undoable = variant % 8 != 0;
                const std::u16string in = variant % 8 == 1 ? u"" : TextOf(choices_, 6);
                editor_.ReplaceSelection(in, undoable);
                Replace(from, to, in, Run::None, undoable);
                return undoable ? "paste" : "replacement without undo";
            }
            case 3: {  // the word rules are text_positions' own: here, that their range goes
                static constexpr void (TextEditor::*kKeys[])() = {
                    &TextEditor::Backspace, &TextEditor::DeleteForward,
                    &TextEditor::DeleteWordBackward, &TextEditor::DeleteWordForward};
                static constexpr Run kRuns[] = {Run::Backspace, Run::Delete, Run::None, Run::None};
                const std::size_t key = variant % 4;
                const std::pair<std::size_t, std::size_t> ranges[] = {
                    {BackspaceFrom(t, caret), caret},
                    {caret, NextBreak(CharacterBreaks(t), caret)},
                    {PreviousWordStart(t, caret), caret},
                    {caret, NextWordStart(t, caret)}};
                (editor_.*kKeys[key])();
                const auto [a, b] = from != to ? std::pair{from, to} : ranges[key];
                Replace(a, b, u"", from != to ? Run::None : kRuns[key]);
                return "deletion key " + std::to_string(key);
            }
            case 4:
            case 5: {
                const Lines lines = ScanLines(t, caret);
                const std::vector<bool> breaks = CharacterBreaks(t);
                const std::pair<void (TextEditor::*)(bool), std::size_t> moves[] = {
                    {&TextEditor::MoveLeft, NextBreak(breaks, caret, true)},
                    {&TextEditor::MoveRight, NextBreak(breaks, caret)},
                    {&TextEditor::MoveWordLeft, PreviousWordStart(t, caret)},
                    {&TextEditor::MoveWordRight, NextWordStart(t, caret)},
                    {&TextEditor::MoveLineStart, lines.spans[lines.of].first},
                    {&TextEditor::MoveLineEnd, lines.spans[lines.of].second},
                    {&TextEditor::MoveDocumentStart, 0},
                    {&TextEditor::MoveDocumentEnd, t.size()}};
                const auto [move, target] = moves[variant % 8];
                const bool extend = (variant & 8) != 0;
                (editor_.*move)(extend);
                // Left and Right without Shift collapse a selection to the end they point to.
                if (variant % 8 < 2 && from != to && !extend)
                    expected_ = Selection{variant % 8 ? to : from, variant % 8 ? to : from};
                else
                    expected_ = Selection{extend ? now_.anchor : target, target};
                return "caret move " + std::to_string(variant % 8) + (extend ? " with Shift" : "");
            }
            case 6: {
                const std::size_t at = Position(), other = Position(), kind = variant % 5;
                const auto word = WordAt(t, at);
                const Selection selections[] = {{0, t.size()},
                                                {SnapBack(t, other), SnapBack(t, at)},
                                                {SnapBack(t, at), SnapBack(t, at)},
                                                {now_.anchor, SnapBack(t, at)},
                                                {word.first, word.second}};
                expected_ = selections[kind];
                if (kind == 0) editor_.SelectAll();
                if (kind == 1) editor_.Select(other, at);
                if (kind == 2 || kind == 3) editor_.MoveCaretTo(at, kind == 3);
                if (kind == 4) editor_.SelectWordAt(at);
                return "selection " + std::to_string(kind);
            }
            default:
                return History(variant % 8);
        }
    }

    // What differs after a step, or nothing.
    std::string Check() {
        if (!fault_.empty()) return fault_;
        const std::u16string& t = editor_.Text();
        if (t != text_) return "the text is " + Describe(t) + ", the model's " + Describe(text_);
        const Selection sel{editor_.Anchor(), editor_.Caret()};
        if (!IsCaretPlace(t, sel.anchor) || !IsCaretPlace(t, sel.caret))
            return "the selection " + Shown(sel) + " cuts a pair in " + Describe(t);
        if (expected_ && sel != *expected_)
            return "the selection is " + Shown(sel) + ", the model's " + Shown(*expected_);
        if (redone_ && sel.anchor != sel.caret) return "Redo left " + Shown(sel) + " selected";
        if (!edited_ && sel != now_) run_ = Run::None;  // no join across a move

        const TextDocument& doc = editor_.Document();
        const Lines lines = ScanLines(t, sel.caret);
        if (doc.LineCount() != lines.spans.size())
            return std::to_string(doc.LineCount()) + " lines";
        for (std::size_t k = 0; k < lines.spans.size(); ++k)
            if (doc.LineStart(k) != lines.spans[k].first || doc.LineEnd(k) != lines.spans[k].second)
                return "line " + std::to_string(k) + " is not where a scan finds it";
        if (doc.LongestLine() != lines.longest)
            return "the longest line is " + std::to_string(lines.longest);
        if (doc.LineOfPosition(sel.caret) != lines.of) return "the caret's line";

        if (editor_.CanRedo() != !redo_.empty()) return "CanRedo differs from the model";
        // Only a small budget may forget steps, and never the newest.
        if (editor_.CanUndo() ? undo_.empty() : !undo_.empty() && (!smallBudget_ || mustUndo_))
            return "CanUndo differs from the model";
        return {};
    }

    // Undo until nothing is left, back to the first text (or the oldest one a small budget
    // kept), then redo until nothing is left, to the newest: each step checked as any other.
    std::string Finish() {
        for (const std::uint8_t op : {7, 31})  // Undo, Redo
            while (op == 7 ? editor_.CanUndo() : editor_.CanRedo()) {
                const std::string what = Play(op), fault = Check();
                if (!fault.empty()) return what + ": " + fault;
            }
        return {};
    }

  private:
    enum class Run { None, Typing, Backspace, Delete };
    struct Step {
        std::u16string text;
        Selection before;
    };

    // [from, to) gives way to what the limit lets in of `in` (cut at the room left, not inside
    // a pair): a step of its own, or more of the typing or deleting run that ended right where
    // this one starts. The caret goes after what came in, and past the pair the edit made
    // across its edge (before it, when nothing came in).
    void Replace(std::size_t from, std::size_t to, std::u16string in, Run run,
                 bool undoable = true) {
        const std::size_t kept = text_.size() - (to - from);
        const std::size_t room = limit_ > kept ? limit_ - kept : 0;
        if (in.size() > room) in.resize(SnapBack(in, room));
        edited_ = true;
        expected_ = now_;
        if (from == to && in.empty()) return;
        mustUndo_ = undoable;
        const bool joins = run != Run::None && run == run_ && now_.anchor == now_.caret &&
                           now_.caret == runAt_ && !undo_.empty();
        if (!undoable)
            undo_.clear();
        else if (!joins)
            undo_.push_back({text_, now_});
        redo_.clear();
        text_.replace(from, to - from, in);
        run_ = undoable ? run : Run::None;
        runAt_ = from + in.size();
        std::size_t caret = runAt_;
        if (!IsCaretPlace(text_, caret)) caret = in.empty() ? caret - 1 : caret + 1;
        expected_ = Selection{caret, caret};
    }
    // Undo gives back the text and the selection before the step; Redo the text after it.
    std::optional<Selection> TakeBack(std::vector<Step>& from, std::vector<Step>& to) {
        if (from.empty()) return std::nullopt;
        to.push_back({std::move(text_), from.back().before});
        text_ = std::move(from.back().text);
        from.pop_back();
        run_ = Run::None;
        return to.back().before;
    }
    std::string History(std::size_t variant) {
        if (variant < 6) {
            // Either takes back the newest step of its stack onto the other. Only a small
            // budget may forget the oldest undo steps, found when Undo does nothing.
            const bool undo = variant < 3, done = undo ? editor_.Undo() : editor_.Redo();
            std::vector<Step>& from = undo ? undo_ : redo_;
            if (done != !from.empty() && (done || !undo || !smallBudget_))
                fault_ = std::string(undo ? "Undo" : "Redo") + " did not do what the model can";
            const std::optional<Selection> before =
                done ? TakeBack(from, undo ? redo_ : undo_) : std::nullopt;
            if (undo) expected_ = before;
            redone_ = !undo && done;
            if (!done) from.clear();
            return undo ? "Undo" : "Redo";
        }
        if (variant == 6) {
            editor_.EmptyUndoHistory();
            expected_ = now_;
        } else {
            text_ = TextOf(choices_, 24);
            editor_.SetText(text_);
            expected_ = Selection{};
        }
        undo_.clear();
        redo_.clear();
        run_ = Run::None;
        return variant == 6 ? "empty the undo history" : "new text";
    }
    std::size_t Position() {
        const std::size_t raw = choices_.Next() | static_cast<std::size_t>(choices_.Next()) << 8;
        return raw % (text_.size() + 2);  // one place past the end too: it is clamped
    }
    Choices& choices_;
    TextEditor editor_;
    std::size_t limit_ = TextEditor::kNoLimit;
    std::u16string text_;
    std::vector<Step> undo_, redo_;
    Run run_ = Run::None;
    std::size_t runAt_ = 0;  // where the last typing or deleting run ended
    Selection now_;
    std::optional<Selection> expected_;
    bool smallBudget_ = false, edited_ = false, mustUndo_ = false, redone_ = false;
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
