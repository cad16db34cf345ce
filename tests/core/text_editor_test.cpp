#include "editing/text_editor.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "editing/text_positions.h"

namespace talvex::testing {
namespace {

using Log = std::vector<std::string>;
using State = std::tuple<std::u16string, std::size_t, std::size_t>;  // text, anchor, caret

const std::u16string kFamily = u"\U0001F468\u200D\U0001F469\u200D\U0001F467";
const std::u16string kFrance = u"\U0001F1EB\U0001F1F7";

std::string Narrow(std::u16string_view text) {
    std::string narrow;
    for (char16_t c : text) narrow += c < 0x80 ? static_cast<char>(c) : '?';
    return narrow;
}

std::size_t NaiveLineCount(const std::u16string& text) {
    std::size_t lines = 1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') continue;
        lines += text[i] == u'\r' || text[i] == u'\n';
    }
    return lines;
}

// Writes down every notification with what the editor showed at that moment, and checks that
// the editor is whole whenever it is heard from.
class ObserverFake : public TextEditor::Observer {
  public:
    explicit ObserverFake(const TextEditor& editor) : editor_(editor) {}

    void OnTextReset() override { Hear("reset: " + Narrow(editor_.Text())); }
    void OnTextChanged(const TextChange& c) override {
        if (c.position + c.inserted > editor_.Text().size()) ADD_FAILURE() << "change past the end";
        Hear("changed " + std::to_string(c.position) + " -" + std::to_string(c.removed) + " +" +
             std::to_string(c.inserted) + ": " + Narrow(editor_.Text()));
    }
    void OnSelectionChanged() override {
        Hear("selection " + std::to_string(editor_.Anchor()) + " " +
             std::to_string(editor_.Caret()));
    }

    Log log;

  private:
    void Hear(std::string what) {
        const std::u16string& text = editor_.Text();
        EXPECT_TRUE(IsCaretBoundary(text, editor_.Anchor())) << what;
        EXPECT_TRUE(IsCaretBoundary(text, editor_.Caret())) << what;
        EXPECT_EQ(editor_.Document().LineCount(), NaiveLineCount(text)) << what;
        log.push_back(std::move(what));
    }

    const TextEditor& editor_;
};

class TextEditorTest : public ::testing::Test {
  protected:
    void SetUp() override { editor.SetObserver(&observer); }

    // A text with a selection, an empty undo history and nothing heard yet.
    void Start(std::u16string text, std::size_t anchor, std::size_t caret) {
        editor.SetText(std::move(text));
        editor.Select(anchor, caret);
        observer.log.clear();
    }
    void Start(std::u16string text, std::size_t caret) { Start(std::move(text), caret, caret); }

    State Now() const { return {editor.Text(), editor.Anchor(), editor.Caret()}; }

    TextEditor editor;
    ObserverFake observer{editor};
};

// --- Selection and caret moves --------------------------------------------------------------

TEST_F(TextEditorTest, SelectClampsAndSnapsBothEnds) {
    Start(u"a\U0001F600\r\nb", 0);  // a, pair at 1-2, CR LF at 3-4, b
    editor.Select(2, 4);
    EXPECT_EQ(Now(), (State{u"a\U0001F600\r\nb", 1, 3}));
    editor.Select(99, 0);
    EXPECT_EQ(editor.Anchor(), 6u);
    EXPECT_EQ(editor.Caret(), 0u);
    EXPECT_EQ(editor.SelectionStart(), 0u);
    EXPECT_EQ(editor.SelectionEnd(), 6u);
    EXPECT_TRUE(editor.HasSelection());
    EXPECT_EQ(editor.SelectedText(), editor.Text());
    editor.MoveCaretTo(2, false);
    EXPECT_EQ(Now(), (State{editor.Text(), 1, 1}));
    EXPECT_FALSE(editor.HasSelection());
    EXPECT_EQ(editor.SelectedText(), u"");
}

TEST_F(TextEditorTest, SelectAllAndMovesWithShiftKeepTheAnchor) {
    Start(u"un\r\ndeux", 5);
    editor.SelectAll();
    EXPECT_EQ(editor.SelectedText(), u"un\r\ndeux");
    EXPECT_EQ(Now(), (State{u"un\r\ndeux", 0, 8}));
    editor.MoveCaretTo(5, false);
    editor.MoveCaretTo(2, true);
    EXPECT_EQ(editor.SelectedText(), u"\r\nd");
    editor.MoveDocumentStart(true);
    EXPECT_EQ(Now(), (State{u"un\r\ndeux", 5, 0}));
    editor.MoveDocumentEnd(false);
    EXPECT_EQ(Now(), (State{u"un\r\ndeux", 8, 8}));
}

TEST_F(TextEditorTest, ArrowsCollapseASelectionToTheEndTheyPoint) {
    Start(u"abcdef", 4, 2);
    editor.MoveLeft(false);
    EXPECT_EQ(Now(), (State{u"abcdef", 2, 2}));
    editor.Select(2, 4);
    editor.MoveLeft(false);
    EXPECT_EQ(Now(), (State{u"abcdef", 2, 2}));
    editor.Select(4, 2);
    editor.MoveRight(false);
    EXPECT_EQ(Now(), (State{u"abcdef", 4, 4}));
    // With Shift the caret moves on from where it is, the anchor stays.
    editor.Select(2, 4);
    editor.MoveLeft(true);
    EXPECT_EQ(Now(), (State{u"abcdef", 2, 3}));
    editor.MoveRight(true);
    editor.MoveRight(true);
    EXPECT_EQ(Now(), (State{u"abcdef", 2, 5}));
}

TEST_F(TextEditorTest, ArrowsStepOverWholeCharacters) {
    const std::u16string text = u"a\r\n\U0001F600e\u0301" + kFrance;  // stops 0 1 3 5 7 11
    Start(text, 0);
    std::vector<std::size_t> stops{editor.Caret()};
    for (int i = 0; i < 6; ++i) {
        editor.MoveRight(false);
        stops.push_back(editor.Caret());
    }
    EXPECT_EQ(stops, (std::vector<std::size_t>{0, 1, 3, 5, 7, 11, 11}));
    stops = {editor.Caret()};
    for (int i = 0; i < 6; ++i) {
        editor.MoveLeft(false);
        stops.push_back(editor.Caret());
    }
    EXPECT_EQ(stops, (std::vector<std::size_t>{11, 7, 5, 3, 1, 0, 0}));
}

TEST_F(TextEditorTest, CtrlArrowsAndDoubleClickUseWords) {
    Start(u"Bonjour, le monde", 0);
    editor.MoveWordRight(false);
    EXPECT_EQ(editor.Caret(), 7u);
    editor.MoveWordRight(true);
    EXPECT_EQ(Now(), (State{editor.Text(), 7, 9}));
    editor.MoveWordLeft(false);
    EXPECT_EQ(Now(), (State{editor.Text(), 7, 7}));
    editor.SelectWordAt(14);
    EXPECT_EQ(editor.SelectedText(), u"monde");
    EXPECT_EQ(Now(), (State{editor.Text(), 12, 17}));
    editor.SelectWordAt(8);
    EXPECT_EQ(editor.SelectedText(), u" ");
}

TEST_F(TextEditorTest, HomeAndEndStayOnTheCaretsLine) {
    Start(u"un\r\ndeux\rtrois\n", 6);  // lines start at 0, 4, 9, 15
    editor.MoveLineStart(false);
    EXPECT_EQ(editor.Caret(), 4u);
    editor.MoveLineEnd(true);
    EXPECT_EQ(Now(), (State{editor.Text(), 4, 8}));
    editor.MoveCaretTo(2, false);  // before a CR LF: still the first line
    editor.MoveLineStart(false);
    EXPECT_EQ(editor.Caret(), 0u);
    editor.MoveLineEnd(false);
    EXPECT_EQ(editor.Caret(), 2u);
    editor.MoveCaretTo(12, false);
    editor.MoveLineEnd(false);
    EXPECT_EQ(editor.Caret(), 14u);
    editor.MoveDocumentEnd(false);  // the empty last line
    editor.MoveLineStart(false);
    EXPECT_EQ(editor.Caret(), 15u);
}

// --- Editing --------------------------------------------------------------------------------

TEST_F(TextEditorTest, TypingReplacesTheSelectionAndLeavesTheCaretAfter) {
    Start(u"le chien", 3, 8);
    editor.Type(u"chat");
    EXPECT_EQ(Now(), (State{u"le chat", 7, 7}));
    editor.InsertLineBreak();
    EXPECT_EQ(Now(), (State{u"le chat\r\n", 9, 9}));
    EXPECT_EQ(editor.Document().LineCount(), 2u);
    editor.Type(u"");  // nothing typed, nothing selected: nothing happens
    EXPECT_EQ(editor.Text(), u"le chat\r\n");
    editor.Select(0, 2);
    editor.Type(u"");  // but an empty text still takes the selection away
    EXPECT_EQ(Now(), (State{u" chat\r\n", 0, 0}));
}

TEST_F(TextEditorTest, BackspaceTakesAnEmojiWholeButOneMarkAtATime) {
    struct Case {
        const char* name;
        std::u16string text;
        std::u16string after;  // Backspace at the end
    };
    const std::vector<Case> cases = {
        {"a whole CR LF", u"a\r\n", u"a"},
        {"a lone CR", u"a\r", u"a"},
        {"a whole surrogate pair", u"x\U0001D4B3", u"x"},
        {"an accent typed after its letter", u"e\u0301", u"e"},
        {"the last of two marks", u"e\u0301\u0323", u"e\u0301"},
        {"a Devanagari vowel sign", u"\u0915\u093F", u"\u0915"},
        {"a Hangul jamo", u"\u1100\u1161", u"\u1100"},
        {"a ZWJ after a letter", u"a\u200D", u"a"},
        {"a flag", u"A" + kFrance, u"A"},
        {"the indicator left over after a flag", kFrance + u"\U0001F1E9", kFrance},
        {"a hand and its skin tone", u"A\U0001F44D\U0001F3FD", u"A"},
        {"a family joined by ZWJ", u"A" + kFamily, u"A"},
        {"an emoji and its selector", u"A\u2764\uFE0F", u"A"},
        {"a keycap", u"A1\uFE0F\u20E3", u"A"},
        {"a keycap without the emoji selector", u"A#\u20E3", u"A"},
        {"a digit and a mark are no keycap", u"A1\u0301", u"A1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Start(c.text, c.text.size());
        editor.Backspace();
        EXPECT_EQ(Now(), (State{c.after, c.after.size(), c.after.size()}));
        editor.Undo();
        EXPECT_EQ(editor.Text(), c.text);
    }
    Start(u"abcd", 1, 3);
    editor.Backspace();
    EXPECT_EQ(Now(), (State{u"ad", 1, 1}));
    Start(u"ab", 0);
    editor.Backspace();
    EXPECT_EQ(Now(), (State{u"ab", 0, 0}));
    EXPECT_FALSE(editor.CanUndo());
    EXPECT_TRUE(observer.log.empty());
}

TEST_F(TextEditorTest, DeleteTakesOneCharacterOn) {
    struct Case {
        const char* name;
        std::u16string text;
    };
    const std::vector<Case> cases = {
        {"a CR LF", u"\r\n"},
        {"a family joined by ZWJ", kFamily},
        {"a flag", kFrance},
        {"a letter and its accent", u"e\u0301"},
        {"a pair and its skin tone", u"\U0001F44D\U0001F3FD"},
        {"a keycap", u"1\uFE0F\u20E3"},
        {"a Devanagari syllable", u"\u0915\u093F"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Start(u"<" + c.text + u">", 1);
        editor.DeleteForward();
        EXPECT_EQ(Now(), (State{u"<>", 1, 1}));
    }
    Start(u"ab", 2);
    editor.DeleteForward();
    EXPECT_EQ(Now(), (State{u"ab", 2, 2}));
    EXPECT_FALSE(editor.CanUndo());
    Start(u"abcd", 3, 1);
    editor.DeleteForward();
    EXPECT_EQ(Now(), (State{u"ad", 1, 1}));
}

TEST_F(TextEditorTest, CtrlBackspaceAndCtrlDeleteTakeWords) {
    Start(u"Bonjour, le monde", 17);
    editor.DeleteWordBackward();
    EXPECT_EQ(Now(), (State{u"Bonjour, le ", 12, 12}));
    editor.MoveDocumentStart(false);
    editor.DeleteWordForward();
    EXPECT_EQ(Now(), (State{u", le ", 0, 0}));
    editor.DeleteWordForward();
    EXPECT_EQ(Now(), (State{u"le ", 0, 0}));
    editor.DeleteWordBackward();  // at the start: nothing
    EXPECT_EQ(Now(), (State{u"le ", 0, 0}));
    editor.Select(1, 3);  // a selection goes, whatever the words
    editor.DeleteWordBackward();
    EXPECT_EQ(Now(), (State{u"l", 1, 1}));
    editor.Select(0, 1);
    editor.DeleteWordForward();
    EXPECT_EQ(Now(), (State{u"", 0, 0}));
}

TEST_F(TextEditorTest, PasteAndClearReplaceTheSelection) {
    Start(u"abc", 1, 2);
    editor.ReplaceSelection(u"XYZ");
    EXPECT_EQ(Now(), (State{u"aXYZc", 4, 4}));
    editor.Select(0, 4);
    editor.DeleteSelection();
    EXPECT_EQ(Now(), (State{u"c", 0, 0}));
    editor.DeleteSelection();  // nothing selected: no change, no step
    EXPECT_EQ(Now(), (State{u"c", 0, 0}));
    editor.Undo();
    editor.Undo();
    EXPECT_EQ(editor.Text(), u"abc");
    EXPECT_FALSE(editor.CanUndo());
}

TEST_F(TextEditorTest, APairMadeAcrossAnEditsEdgeKeepsTheCaretOutsideIt) {
    // A CR typed before a lone LF makes a CR LF: the caret goes past it.
    Start(u"a\nb", 1);
    editor.Type(u"\r");
    EXPECT_EQ(Now(), (State{u"a\r\nb", 3, 3}));
    EXPECT_EQ(editor.Document().LineCount(), 2u);
    // Typing on after that pair is a step of its own: one Ctrl+Z takes back the typing alone,
    // never the text's own LF with it.
    editor.Type(u"x");
    editor.Undo();
    EXPECT_EQ(Now(), (State{u"a\r\nb", 3, 3}));
    editor.Undo();
    EXPECT_EQ(Now(), (State{u"a\nb", 1, 1}));
    // Taking away what stood between a CR and an LF: the caret stays before the new pair.
    Start(u"\rx\n", 2);
    editor.Backspace();
    EXPECT_EQ(Now(), (State{u"\r\n", 0, 0}));
    editor.Undo();
    EXPECT_EQ(Now(), (State{u"\rx\n", 2, 2}));
    // Delete on from there takes the new pair as a step of its own.
    Start(u"\rx\n", 1);
    editor.DeleteForward();
    editor.DeleteForward();
    editor.Undo();
    EXPECT_EQ(Now(), (State{u"\r\n", 0, 0}));
    editor.Undo();
    EXPECT_EQ(Now(), (State{u"\rx\n", 1, 1}));
    // The halves of a surrogate pair, each lone in a text it was given, meet.
    const std::u16string high(1, char16_t{0xD83D});
    const std::u16string low(1, char16_t{0xDE00});
    Start(u"x" + low, 1);
    editor.Type(u"a" + high);
    EXPECT_EQ(Now(), (State{u"xa\U0001F600", 4, 4}));
    editor.Redo();      // nothing to redo
    editor.Type(u"y");  // on after the pair: a step of its own, as after the CR LF
    editor.Undo();
    EXPECT_EQ(Now(), (State{u"xa\U0001F600", 4, 4}));
    editor.Undo();
    EXPECT_EQ(Now(), (State{u"x" + low, 1, 1}));
    editor.Redo();
    EXPECT_EQ(Now(), (State{u"xa\U0001F600", 4, 4}));
}

// --- Undo and redo --------------------------------------------------------------------------

TEST_F(TextEditorTest, UndoAndRedoWalkSeveralSteps) {
    Start(u"abc", 3);
    editor.Type(u"d");
    editor.Select(1, 0);  // backwards
    editor.ReplaceSelection(u"XY");
    editor.MoveCaretTo(3, false);
    editor.DeleteForward();
    ASSERT_EQ(Now(), (State{u"XYbd", 3, 3}));

    // Back, each time with the selection from before the step.
    EXPECT_TRUE(editor.Undo());
    EXPECT_EQ(Now(), (State{u"XYbcd", 3, 3}));
    EXPECT_TRUE(editor.Undo());
    EXPECT_EQ(Now(), (State{u"abcd", 1, 0}));
    EXPECT_TRUE(editor.Undo());
    EXPECT_EQ(Now(), (State{u"abc", 3, 3}));
    EXPECT_FALSE(editor.CanUndo());
    EXPECT_FALSE(editor.Undo());
    EXPECT_EQ(Now(), (State{u"abc", 3, 3}));

    // On again, the caret after what each step put in, nothing selected.
    EXPECT_TRUE(editor.Redo());
    EXPECT_EQ(Now(), (State{u"abcd", 4, 4}));
    EXPECT_TRUE(editor.Redo());
    EXPECT_EQ(Now(), (State{u"XYbcd", 2, 2}));
    EXPECT_TRUE(editor.Redo());
    EXPECT_EQ(Now(), (State{u"XYbd", 3, 3}));
    EXPECT_FALSE(editor.CanRedo());
    EXPECT_FALSE(editor.Redo());
    EXPECT_TRUE(editor.CanUndo());
}

TEST_F(TextEditorTest, TypingJoinsTheTypingBeforeIt) {
    Start(u"le chien", 3, 8);
    for (const char16_t* piece : {u"c", u"h", u"a", u"t", u"\r\n", u"!"}) editor.Type(piece);
    ASSERT_EQ(editor.Text(), u"le chat\r\n!");
    EXPECT_TRUE(editor.Undo());
    EXPECT_EQ(Now(), (State{u"le chien", 3, 8}));
    EXPECT_FALSE(editor.CanUndo());
    EXPECT_TRUE(editor.Redo());
    EXPECT_EQ(Now(), (State{u"le chat\r\n!", 10, 10}));
}

TEST_F(TextEditorTest, AnythingDoneBetweenTwoTypingsKeepsThemApart) {
    struct Case {
        const char* name;
        std::function<void(TextEditor&)> between;
        std::u16string afterOneUndo;
    };
    const std::vector<Case> cases = {
        {"caret moved away and back",
         [](TextEditor& e) {
             e.MoveLeft(false);
             e.MoveRight(false);
         },
         u"ab"},
        {"selection made and dropped",
         [](TextEditor& e) {
             e.SelectAll();
             e.MoveDocumentEnd(false);
         },
         u"ab"},
        {"Backspace", [](TextEditor& e) { e.Backspace(); }, u"a"},
        {"paste", [](TextEditor& e) { e.ReplaceSelection(u"P"); }, u"abP"},
        {"undo and redo",
         [](TextEditor& e) {
             e.Undo();
             e.Redo();
         },
         u"ab"},
        {"history emptied", [](TextEditor& e) { e.EmptyUndoHistory(); }, u"ab"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Start(u"", 0);
        editor.Type(u"a");
        editor.Type(u"b");
        c.between(editor);
        editor.Type(u"c");
        EXPECT_TRUE(editor.Undo());
        EXPECT_EQ(editor.Text(), c.afterOneUndo);
    }
}

TEST_F(TextEditorTest, RepeatedBackspaceOrDeleteIsOneStep) {
    Start(u"abcdef", 3);
    editor.Backspace();
    editor.Backspace();
    ASSERT_EQ(Now(), (State{u"adef", 1, 1}));
    editor.Undo();
    EXPECT_EQ(Now(), (State{u"abcdef", 3, 3}));
    EXPECT_FALSE(editor.CanUndo());
    editor.Redo();
    EXPECT_EQ(Now(), (State{u"adef", 1, 1}));

    Start(u"abcdef", 2);
    editor.DeleteForward();
    editor.DeleteForward();
    ASSERT_EQ(Now(), (State{u"abef", 2, 2}));
    editor.Undo();
    EXPECT_EQ(Now(), (State{u"abcdef", 2, 2}));
    EXPECT_FALSE(editor.CanUndo());
}

TEST_F(TextEditorTest, ASelectionTakenByBackspaceOrDeleteIsAStepOfItsOwn) {
    for (const bool backspace : {true, false}) {
        SCOPED_TRACE(backspace ? "Backspace" : "Delete");
        const auto key = [&] { backspace ? editor.Backspace() : editor.DeleteForward(); };
        Start(u"abcdef", 2, 4);
        key();
        key();
        ASSERT_EQ(Now(), backspace ? (State{u"aef", 1, 1}) : (State{u"abf", 2, 2}));
        editor.Undo();
        EXPECT_EQ(Now(), (State{u"abef", 2, 2}));
        editor.Undo();
        EXPECT_EQ(Now(), (State{u"abcdef", 2, 4}));
        EXPECT_FALSE(editor.CanUndo());
    }
}

TEST_F(TextEditorTest, BackspaceAndDeleteStepsEndAtAnythingElse) {
    Start(u"abcdef", 3);
    editor.Backspace();
    editor.DeleteForward();  // another kind
    ASSERT_EQ(editor.Text(), u"abef");
    editor.Undo();
    EXPECT_EQ(Now(), (State{u"abdef", 2, 2}));
    editor.Undo();
    EXPECT_EQ(Now(), (State{u"abcdef", 3, 3}));

    Start(u"abcdef", 4);
    editor.Backspace();
    editor.MoveLeft(false);
    editor.MoveRight(false);
    editor.Backspace();
    ASSERT_EQ(editor.Text(), u"abef");
    editor.Undo();
    EXPECT_EQ(editor.Text(), u"abcef");

    Start(u"abc", 3);
    editor.Type(u"x");
    editor.Backspace();
    editor.Type(u"y");
    ASSERT_EQ(editor.Text(), u"abcy");
    editor.Undo();
    EXPECT_EQ(editor.Text(), u"abc");
    editor.Undo();
    EXPECT_EQ(editor.Text(), u"abcx");
}

TEST_F(TextEditorTest, ANewStepEmptiesTheRedoStack) {
    Start(u"abc", 3);
    editor.Type(u"d");
    editor.Undo();
    ASSERT_TRUE(editor.CanRedo());
    editor.Backspace();
    EXPECT_FALSE(editor.CanRedo());
    EXPECT_FALSE(editor.Redo());
    EXPECT_EQ(editor.Text(), u"ab");
    editor.Undo();
    EXPECT_EQ(editor.Text(), u"abc");
    EXPECT_FALSE(editor.CanUndo());
}

TEST_F(TextEditorTest, SetTextAndEmptyUndoHistoryForgetBothStacks) {
    Start(u"abc", 3);
    editor.Type(u"d");
    editor.Type(u" ");
    editor.ReplaceSelection(u"e");
    editor.Undo();
    ASSERT_TRUE(editor.CanUndo() && editor.CanRedo());
    editor.EmptyUndoHistory();
    EXPECT_FALSE(editor.CanUndo());
    EXPECT_FALSE(editor.CanRedo());
    EXPECT_EQ(editor.Text(), u"abcd ");

    editor.Type(u"f");
    editor.Undo();
    ASSERT_TRUE(editor.CanRedo());
    editor.Type(u"g");
    editor.SetText(u"neuf");
    EXPECT_FALSE(editor.CanUndo());
    EXPECT_FALSE(editor.CanRedo());
    EXPECT_EQ(Now(), (State{u"neuf", 0, 0}));
}

TEST_F(TextEditorTest, AReplacementWithoutUndoIsNoStepAndEndsTheHistory) {
    Start(u"abc", 3);
    editor.Type(u"x");
    editor.Type(u" ");
    editor.ReplaceSelection(u"y");
    editor.Undo();
    editor.ReplaceSelection(u"Z", false);
    EXPECT_EQ(Now(), (State{u"abcx Z", 6, 6}));
    EXPECT_FALSE(editor.CanUndo());
    EXPECT_FALSE(editor.CanRedo());
    EXPECT_EQ(Log(observer.log.end() - 2, observer.log.end()),
              (Log{"changed 5 -0 +1: abcx Z", "selection 6 6"}));
    editor.Type(u"w");
    editor.Undo();
    EXPECT_EQ(editor.Text(), u"abcx Z");
    EXPECT_FALSE(editor.CanUndo());
}

TEST_F(TextEditorTest, UndoForgetsTheOldestStepsBeyondItsBudgetButNeverTheNewest) {
    // One text over the whole budget, kept by one step at a time.
    editor.SetUndoBudget(8);
    const std::u16string big(9, u'x');
    Start(u"a", 0, 1);
    editor.ReplaceSelection(big);  // keeps "a"
    editor.Undo();                 // now the redo step keeps the big text: still there
    ASSERT_EQ(editor.Text(), u"a");
    EXPECT_TRUE(editor.Redo());
    EXPECT_EQ(editor.Text(), big);
    editor.SelectAll();
    editor.Type(u"b");  // keeps the big text: the step before goes, this one stays
    EXPECT_TRUE(editor.Undo());
    EXPECT_EQ(editor.Text(), big);
    EXPECT_FALSE(editor.Undo());
    EXPECT_TRUE(editor.Redo());
    EXPECT_EQ(editor.Text(), u"b");

    // What the redo steps kept stops counting once a new step forgets them.
    Start(u"abcd", 0, 4);
    editor.ReplaceSelection(u"x");  // keeps 4
    editor.SelectAll();
    editor.ReplaceSelection(u"efgh");  // keeps 1
    editor.Undo();                     // the redo step keeps 4: 8 in all
    editor.Type(u"y");                 // keeps 1, and the redo step goes
    EXPECT_TRUE(editor.Undo());
    EXPECT_TRUE(editor.Undo());
    EXPECT_EQ(editor.Text(), u"abcd");
}

// A recall, a word typed, then pastes of 10,000,000 units against a budget of 32 Mi, scaled
// down: undo until nothing is left to undo, then redo as often.
TEST_F(TextEditorTest, UndoingManyLargePastesAndRedoingThemGivesEveryTextBack) {
    struct Case {
        int pastes;
        bool overEverything;  // Ctrl+A before each Ctrl+V: each step keeps the text it replaced
        int undoable;         // how many steps Ctrl+Z takes back
    };
    // Pasted at the caret, the steps keep nothing: all can be undone, whatever the redo steps
    // hold. Over everything, the oldest are forgotten, just enough to keep 30 of 32 units.
    const std::vector<Case> cases = {{4, false, 5}, {20, false, 21}, {5, true, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.pastes << (c.overEverything ? " over all" : ""));
        editor.SetUndoBudget(32);
        Start(u"court", 5);
        editor.Type(u" mot");
        std::vector<std::u16string> texts = {u"court", editor.Text()};
        for (int i = 0; i < c.pastes; ++i) {
            if (c.overEverything) editor.SelectAll();
            editor.ReplaceSelection(std::u16string(10, static_cast<char16_t>(u'A' + i)));
            texts.push_back(editor.Text());
        }
        int undone = 0;
        for (; editor.Undo(); ++undone) {
            EXPECT_EQ(editor.Text(), texts[texts.size() - 2 - undone]);
        }
        EXPECT_EQ(undone, c.undoable);
        for (int redone = 0; redone < undone; ++redone) {
            EXPECT_TRUE(editor.Redo());
            EXPECT_EQ(editor.Text(), texts[texts.size() - undone + redone]);
        }
        EXPECT_FALSE(editor.Redo());
    }
}

// --- Limit ----------------------------------------------------------------------------------

TEST_F(TextEditorTest, TheLimitCutsWhatTypingAndPastingBring) {
    EXPECT_EQ(editor.Limit(), TextEditor::kNoLimit);
    editor.SetLimit(5);
    EXPECT_EQ(editor.Limit(), 5u);
    Start(u"abcdefg", 7);  // SetText goes beyond it
    EXPECT_EQ(editor.Text(), u"abcdefg");
    editor.Type(u"x");
    EXPECT_EQ(Now(), (State{u"abcdefg", 7, 7}));
    EXPECT_FALSE(editor.CanUndo());
    EXPECT_TRUE(observer.log.empty());
    // The selection's units are free again: one more fits.
    editor.Select(0, 3);
    editor.Type(u"xyz");
    EXPECT_EQ(Now(), (State{u"xdefg", 1, 1}));
    editor.Select(0, 1);
    editor.ReplaceSelection(u"12");
    EXPECT_EQ(Now(), (State{u"1defg", 1, 1}));
    // No room even once the selection is gone: the selection still goes.
    Start(u"abcdefg", 0, 1);
    editor.Type(u"xy");
    EXPECT_EQ(Now(), (State{u"bcdefg", 0, 0}));

    editor.SetLimit(4);
    Start(u"ab", 2);
    editor.ReplaceSelection(u"c\U0001F600");  // the pair would be cut: it stays out whole
    EXPECT_EQ(Now(), (State{u"abc", 3, 3}));
    editor.Type(u"\r\n");  // a CR LF is not cut in two either
    EXPECT_EQ(Now(), (State{u"abc", 3, 3}));
    editor.Type(u"d\r\n");
    EXPECT_EQ(Now(), (State{u"abcd", 4, 4}));
    editor.SetLimit(TextEditor::kNoLimit);
    editor.InsertLineBreak();
    EXPECT_EQ(editor.Text(), u"abcd\r\n");
}

// --- What the observer hears ----------------------------------------------------------------

TEST_F(TextEditorTest, TheObserverHearsEachChangeOnceAndInOrder) {
    Start(u"abc", 0);
    editor.Type(u"xy");
    editor.Select(2, 2);  // where it already is: nothing to tell
    editor.Select(0, 2);
    editor.Type(u"Z");
    editor.DeleteForward();  // the caret does not move
    editor.MoveDocumentEnd(false);
    editor.Undo();
    editor.Redo();  // the caret ends where Undo put it
    editor.SetText(u"new");
    editor.SetText(u"again");  // the caret is at 0 already
    EXPECT_EQ(observer.log, (Log{
                                "changed 0 -0 +2: xyabc",
                                "selection 2 2",
                                "selection 0 2",
                                "changed 0 -2 +1: Zabc",
                                "selection 1 1",
                                "changed 1 -1 +0: Zbc",
                                "selection 3 3",
                                "changed 1 -0 +1: Zabc",
                                "selection 1 1",
                                "changed 1 -1 +0: Zbc",
                                "reset: new",
                                "selection 0 0",
                                "reset: again",
                            }));
}

// --- Random editing -------------------------------------------------------------------------

std::u16string RandomPiece(std::mt19937& random) {
    static const std::u16string kPieces[] = {u"a",      u"b",          u" ",     u".",
                                             u"\r",     u"\n",         u"\r\n",  u"\U0001F600",
                                             u"\u0301", u"\U0001F1EB", u"\u200D"};
    std::u16string piece;
    for (int n = std::uniform_int_distribution<int>(0, 3)(random); n > 0; --n)
        piece +=
            kPieces[std::uniform_int_distribution<std::size_t>(0, std::size(kPieces) - 1)(random)];
    return piece;
}

TEST_F(TextEditorTest, RandomEditingUndoesToTheStartAndRedoesToTheEnd) {
    std::mt19937 random(424242);
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        std::u16string start;
        for (int i = 0; i < 4; ++i) start += RandomPiece(random);
        Start(start, 0);
        for (int step = 0; step < 250; ++step) {
            const auto anywhere = [&] { return random() % (editor.Text().size() + 2); };
            const bool extend = random() % 2 == 0;
            const std::vector<std::function<void()>> actions = {
                [&] { editor.Type(RandomPiece(random)); },
                [&] { editor.Type(RandomPiece(random)); },
                [&] { editor.InsertLineBreak(); },
                [&] { editor.Backspace(); },
                [&] { editor.Backspace(); },
                [&] { editor.DeleteForward(); },
                [&] { editor.DeleteWordBackward(); },
                [&] { editor.DeleteWordForward(); },
                [&] { editor.ReplaceSelection(RandomPiece(random)); },
                [&] { editor.Select(anywhere(), anywhere()); },
                [&] { editor.MoveLeft(extend); },
                [&] { editor.MoveRight(extend); },
                [&] { editor.MoveWordLeft(extend); },
                [&] { editor.MoveLineEnd(extend); },
                [&] { editor.SelectWordAt(anywhere()); },
                [&] { editor.Undo(); },
                [&] { editor.Redo(); },
                [&] {
                    if (random() % 8 != 0) return;
                    const std::u16string before = editor.Text();
                    editor.ReplaceSelection(RandomPiece(random), false);
                    if (editor.Text() != before) start = editor.Text();  // a new history
                },
            };
            actions[random() % actions.size()]();
            ASSERT_TRUE(IsCaretBoundary(editor.Text(), editor.Anchor()));
            ASSERT_TRUE(IsCaretBoundary(editor.Text(), editor.Caret()));
            ASSERT_EQ(editor.Document().LineCount(), NaiveLineCount(editor.Text()));
        }
        // Steps undone at the end of the round are made again first: the far end of history.
        while (editor.Redo()) {
        }
        const std::u16string end = editor.Text();
        int steps = 0;
        for (; editor.Undo(); ++steps) {
        }
        EXPECT_EQ(editor.Text(), start);
        for (; editor.Redo(); --steps) {
        }
        EXPECT_EQ(editor.Text(), end);
        EXPECT_EQ(steps, 0);
        if (HasFailure()) return;
    }
}

}  // namespace
}  // namespace talvex::testing
