#include "clipboard/commands.h"

#include <gtest/gtest.h>

#include "clipboard/watcher.h"

#include <string>
#include <vector>

#include "tests/core/fakes.h"

namespace talvex {
namespace {

using testing::ChangeCounterFake;
using testing::ClipboardFake;
using testing::ClipOp;
using testing::HistoryListFake;
using testing::MessageBoxesFake;
using testing::TextBoxFake;

class CommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        history.items = {u"premier", u"deux\r\nlignes", u"troisième"};
        clip.text = u"troisième";
    }

    ClipboardFake clip;
    HistoryListFake history;
    TextBoxFake text1;
    MessageBoxesFake boxes;
};

// --- Copy -----------------------------------------------------------------------------------

TEST_F(CommandTest, CopySetsTheWholeTextWithoutClearingFirst) {
    text1.text = u"  avec espaces\r\net deux lignes\r\n";
    CopyCommand(text1, clip);
    EXPECT_EQ(clip.text, u"  avec espaces\r\net deux lignes\r\n");
    EXPECT_EQ(clip.calls, std::vector<ClipOp>{ClipOp::SetText});
    EXPECT_EQ(history.items.size(), 3u);
}

TEST_F(CommandTest, CopyOfEmptyTextBoxPutsEmptyTextOnClipboard) {
    text1.text.clear();
    CopyCommand(text1, clip);
    ASSERT_TRUE(clip.text.has_value());
    EXPECT_EQ(*clip.text, u"");
}

TEST_F(CommandTest, CopyFailureReachesTheCaller) {
    text1.text = u"abc";
    clip.failNext = {ClipOp::SetText};
    EXPECT_THROW(CopyCommand(text1, clip), ClipboardError);
    EXPECT_EQ(clip.text, u"troisième");
}

// --- Recall ---------------------------------------------------------------------------------

TEST_F(CommandTest, RecallShowsTheEntryAndTouchesNothingElse) {
    RecallCommand(1, history, text1);
    EXPECT_EQ(text1.text, u"deux\r\nlignes");
    EXPECT_TRUE(clip.calls.empty());
    EXPECT_EQ(history.items,
              (std::vector<std::u16string>{u"premier", u"deux\r\nlignes", u"troisième"}));
}

TEST_F(CommandTest, RecallOutsideTheListDoesNothing) {
    text1.text = u"inchangé";
    for (int index : {-1, 3, 1000}) {
        SCOPED_TRACE(index);
        RecallCommand(index, history, text1);
        EXPECT_EQ(text1.text, u"inchangé");
    }
    history.items.clear();
    RecallCommand(0, history, text1);
    EXPECT_EQ(text1.text, u"inchangé");
}

TEST_F(CommandTest, RecallEditThenCopySetsTheEditedText) {
    RecallCommand(0, history, text1);
    text1.SetText(text1.Text() + u" modifié");
    CopyCommand(text1, clip);
    EXPECT_EQ(clip.text, u"premier modifié");
    EXPECT_EQ(history.items[0], u"premier");
    EXPECT_EQ(history.items.size(), 3u);
}

// --- Clear ----------------------------------------------------------------------------------

TEST_F(CommandTest, ClearAsksItsQuestion) {
    boxes.answer = Answer::No;
    ClearCommand(boxes, history, clip);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].kind, MessageKind::ClearQuestion);
}

TEST_F(CommandTest, ClearOnYesEmptiesHistoryAndClipboard) {
    boxes.answer = Answer::Yes;
    ClearCommand(boxes, history, clip);
    EXPECT_TRUE(history.items.empty());
    EXPECT_FALSE(clip.text.has_value());
    EXPECT_EQ(clip.calls, std::vector<ClipOp>{ClipOp::Clear});
}

TEST_F(CommandTest, ClearOnAnyOtherAnswerChangesNothing) {
    for (Answer answer : {Answer::No, Answer::Ok}) {
        SCOPED_TRACE(static_cast<int>(answer));
        boxes.answer = answer;
        ClearCommand(boxes, history, clip);
        EXPECT_EQ(history.items.size(), 3u);
        EXPECT_EQ(clip.text, u"troisième");
        EXPECT_TRUE(clip.calls.empty());
    }
}

TEST_F(CommandTest, ClearEmptiesTheListBeforeTheClipboard) {
    // Sees the clipboard at the moment the list is emptied.
    class ProbeHistory : public HistoryListFake {
      public:
        explicit ProbeHistory(const ClipboardFake& c) : clip(c) {}
        void RemoveAll() override {
            clipCallsAtRemoveAll = clip.calls.size();
            HistoryListFake::RemoveAll();
        }
        const ClipboardFake& clip;
        std::size_t clipCallsAtRemoveAll = 99;
    };
    ProbeHistory probe(clip);
    probe.items = {u"a"};
    boxes.answer = Answer::Yes;
    ClearCommand(boxes, probe, clip);
    EXPECT_EQ(probe.clipCallsAtRemoveAll, 0u);
    EXPECT_EQ(clip.calls, std::vector<ClipOp>{ClipOp::Clear});
}

TEST_F(CommandTest, ClearFailureEscapesWithTheListAlreadyEmpty) {
    boxes.answer = Answer::Yes;
    clip.failNext = {ClipOp::Clear};
    clip.failure = ClipboardFailure::Refused;
    // Its own kind, so the user can be told the history is gone; the clipboard's reason kept.
    try {
        ClearCommand(boxes, history, clip);
        ADD_FAILURE() << "the clipboard's refusal did not escape";
    } catch (const ClipboardNotClearedError& e) {
        EXPECT_EQ(e.failure(), ClipboardFailure::Refused);
    }
    EXPECT_TRUE(history.items.empty());
    EXPECT_EQ(clip.text, u"troisième");
}

TEST_F(CommandTest, ClearMessageBoxFailureEscapesAndChangesNothing) {
    boxes.fail = true;
    EXPECT_THROW(ClearCommand(boxes, history, clip), std::runtime_error);
    EXPECT_EQ(history.items.size(), 3u);
    EXPECT_TRUE(clip.calls.empty());
}

// --- The commands with the watcher ----------------------------------------------------------
// What the user sees in the history: the commands touch the clipboard, the next tick decides.

class CommandsWithWatcherTest : public ::testing::Test {
  protected:
    // Another program copies `text`, and a tick passes.
    void CopiedElsewhere(const std::u16string& text) {
        clip.text = text;
        watcher.Tick();
    }

    // "un", then "deux" copied; Clear answered with `answer`; a tick passes.
    void ClearAfterTwoCopies(Answer answer) {
        CopiedElsewhere(u"un");
        CopiedElsewhere(u"deux");
        boxes.answer = answer;
        ClearCommand(boxes, history, clip);
        watcher.Tick();
    }

    ClipboardFake clip;
    HistoryListFake history;
    TextBoxFake text1;
    MessageBoxesFake boxes;
    ClipboardWatcher watcher{clip, history};
};

TEST_F(CommandsWithWatcherTest, AfterClearALongLastTextCopiedAgainAddsNothingEither) {
    // The watcher as the window runs it (with a change counter) keeps a long text only in
    // the history; emptying the history must not make it new again.
    ChangeCounterFake changes{clip};
    ClipboardWatcher counted{clip, history, &changes};
    const std::u16string big(ClipboardWatcher::kKeptInHistoryFrom, u'z');
    const auto copy = [&](const std::u16string& text) {
        clip.Put(text);
        counted.Tick();
    };
    copy(big);
    boxes.answer = Answer::Yes;
    ClearCommand(boxes, history, clip, &counted);
    copy(big);
    EXPECT_TRUE(history.items.empty());
    EXPECT_EQ(counted.LastClip(), big);
    copy(u"autre");
    EXPECT_EQ(history.items, std::vector<std::u16string>{u"autre"});
}

TEST_F(CommandsWithWatcherTest, AfterClearTheLastTextCopiedAgainAddsNothingButOthersDo) {
    ClearAfterTwoCopies(Answer::Yes);
    EXPECT_TRUE(history.items.empty());
    EXPECT_EQ(watcher.LastClip(), u"deux");

    CopiedElsewhere(u"deux");
    EXPECT_TRUE(history.items.empty());
    CopiedElsewhere(u"un");
    EXPECT_EQ(history.items, std::vector<std::u16string>{u"un"});
}

TEST_F(CommandsWithWatcherTest, ClearAnsweredNoKeepsListAndClipboardThroughTheNextTick) {
    ClearAfterTwoCopies(Answer::No);
    EXPECT_EQ(history.items, (std::vector<std::u16string>{u"un", u"deux"}));
    EXPECT_EQ(clip.text, u"deux");
}

TEST_F(CommandsWithWatcherTest, RecallEditCopyAppendsTheEditedTextAtTheEnd) {
    CopiedElsewhere(u"premier");
    CopiedElsewhere(u"second");
    RecallCommand(0, history, text1);
    text1.SetText(text1.Text() + u" corrigé");
    CopyCommand(text1, clip);
    watcher.Tick();
    EXPECT_EQ(history.items,
              (std::vector<std::u16string>{u"premier", u"second", u"premier corrigé"}));
}

TEST_F(CommandsWithWatcherTest, CopyOfTheLastTextAddsNothing) {
    CopiedElsewhere(u"premier");
    CopiedElsewhere(u"second");
    RecallCommand(1, history, text1);
    CopyCommand(text1, clip);
    watcher.Tick();
    EXPECT_EQ(history.items, (std::vector<std::u16string>{u"premier", u"second"}));
}

TEST_F(CommandsWithWatcherTest, CopyOfEmptyTextBoxAddsAnEmptyEntryUnlessLastClipIsEmpty) {
    // LastClip starts empty: nothing to add.
    CopyCommand(text1, clip);
    watcher.Tick();
    EXPECT_TRUE(history.items.empty());

    CopiedElsewhere(u"texte");
    CopyCommand(text1, clip);
    watcher.Tick();
    EXPECT_EQ(history.items, (std::vector<std::u16string>{u"texte", u""}));
}

TEST_F(CommandsWithWatcherTest, FailedCopyLosesNothing) {
    CopiedElsewhere(u"ailleurs");
    text1.text = u"mon texte";
    clip.failNext = {ClipOp::SetText};
    EXPECT_THROW(CopyCommand(text1, clip), ClipboardError);
    watcher.Tick();
    EXPECT_EQ(text1.text, u"mon texte");
    EXPECT_EQ(clip.text, u"ailleurs");
    EXPECT_EQ(history.items, std::vector<std::u16string>{u"ailleurs"});
    // Once the clipboard is free again the same click works.
    CopyCommand(text1, clip);
    watcher.Tick();
    EXPECT_EQ(history.items, (std::vector<std::u16string>{u"ailleurs", u"mon texte"}));
}

}  // namespace
}  // namespace talvex
