#include "clipboard/watcher.h"

#include <gtest/gtest.h>

#include "tests/core/fakes.h"

namespace talvex::testing {
namespace {

using Items = std::vector<std::u16string>;

class WatcherTest : public ::testing::Test {
  protected:
    ClipboardFake clip;
    HistoryListFake list;
    ClipboardWatcher watcher{clip, list};

    void Copy(std::u16string text) { clip.text = std::move(text); }
};

// --- What gets recorded ---------------------------------------------------------------

TEST_F(WatcherTest, TextPresentAtStartIsTheFirstEntry) {
    Copy(u"déjà là");
    watcher.Tick();
    EXPECT_EQ(list.items, Items{u"déjà là"});
    EXPECT_EQ(watcher.LastClip(), u"déjà là");
}

TEST_F(WatcherTest, SameTextTwiceIsRecordedOnce) {
    Copy(u"A");
    watcher.Tick();
    watcher.Tick();
    Copy(u"A");
    watcher.Tick();
    EXPECT_EQ(list.items, Items{u"A"});
}

TEST_F(WatcherTest, ABAGivesThreeEntriesInOrder) {
    for (const char16_t* t : {u"A", u"B", u"A"}) {
        Copy(t);
        watcher.Tick();
    }
    EXPECT_EQ(list.items, (Items{u"A", u"B", u"A"}));
}

TEST_F(WatcherTest, LetterCaseMakesADifferentText) {
    Copy(u"Hello");
    watcher.Tick();
    Copy(u"HELLO");
    watcher.Tick();
    EXPECT_EQ(list.items, (Items{u"Hello", u"HELLO"}));
}

TEST_F(WatcherTest, MultiLineTextIsOneWholeEntry) {
    Copy(u"ligne 1\r\nligne 2\r\n\r\nfin");
    watcher.Tick();
    EXPECT_EQ(list.items, Items{u"ligne 1\r\nligne 2\r\n\r\nfin"});
}

TEST_F(WatcherTest, EmptyTextIsATextOnceSomethingWasRecorded) {
    Copy(u"");
    watcher.Tick();  // equal to the empty LastClip of start-up
    EXPECT_TRUE(list.items.empty());
    Copy(u"x");
    watcher.Tick();
    Copy(u"");
    watcher.Tick();
    EXPECT_EQ(list.items, (Items{u"x", u""}));
    EXPECT_EQ(watcher.LastClip(), u"");
}

TEST_F(WatcherTest, NoTextOnTheClipboardKeepsLastClip) {
    Copy(u"texte");
    watcher.Tick();
    clip.text.reset();  // a picture, say
    watcher.Tick();
    EXPECT_EQ(list.items, Items{u"texte"});
    EXPECT_EQ(watcher.LastClip(), u"texte");
    // One format test only: nothing is read when there is no text.
    EXPECT_EQ(clip.calls.back(), ClipOp::HasText);
}

TEST_F(WatcherTest, AfterTheHistoryIsEmptiedTheLastTextIsNotAddedAgain) {
    Copy(u"dernier");
    watcher.Tick();
    list.RemoveAll();  // what Clear does; LastClip stays
    Copy(u"dernier");
    watcher.Tick();
    EXPECT_TRUE(list.items.empty());
    Copy(u"autre");
    watcher.Tick();
    EXPECT_EQ(list.items, Items{u"autre"});
}

TEST_F(WatcherTest, EachStepReadsTheClipboardAfresh) {
    Copy(u"x");
    // Another program changes the clipboard between the three reads of one tick.
    clip.scriptedReads = {u"premier", u"deuxième", u"troisième"};
    watcher.Tick();
    EXPECT_EQ(list.items, Items{u"deuxième"});
    EXPECT_EQ(watcher.LastClip(), u"troisième");
    EXPECT_EQ(clip.calls, (std::vector<ClipOp>{ClipOp::HasText, ClipOp::GetText, ClipOp::GetText,
                                               ClipOp::GetText}));
}

TEST_F(WatcherTest, UnchangedTextCostsOneTestAndOneRead) {
    Copy(u"A");
    watcher.Tick();
    clip.calls.clear();
    watcher.Tick();
    EXPECT_EQ(clip.calls, (std::vector<ClipOp>{ClipOp::HasText, ClipOp::GetText}));
}

// --- Failures: every one is swallowed and the tick goes on with the next step -----------

TEST_F(WatcherTest, FailedFormatTestCountsAsPassed) {
    Copy(u"A");
    clip.failNext = {ClipOp::HasText};
    EXPECT_NO_THROW(watcher.Tick());
    EXPECT_EQ(list.items, Items{u"A"});
}

TEST_F(WatcherTest, FailedFormatTestWithNoTextAddsAnEmptyEntryAfterText) {
    Copy(u"A");
    watcher.Tick();
    clip.text.reset();
    clip.failNext = {ClipOp::HasText};
    watcher.Tick();  // the read then finds no text: "" differs from "A"
    EXPECT_EQ(list.items, (Items{u"A", u""}));
}

TEST_F(WatcherTest, FailedComparisonReadCountsAsDifferent) {
    Copy(u"A");
    watcher.Tick();
    clip.failNext = {ClipOp::GetText};  // step 2 only
    watcher.Tick();
    // Steps 3 and 4 ran: the same text is appended again.
    EXPECT_EQ(list.items, (Items{u"A", u"A"}));
}

// Fails the n-th GetText of its life, once.
struct NthReadFails : ClipboardFake {
    explicit NthReadFails(int n) : failing(n) {}
    int failing;
    int reads = 0;
    std::u16string GetText() override {
        if (++reads == failing) throw ClipboardError("busy");
        return ClipboardFake::GetText();
    }
};

TEST_F(WatcherTest, FailedAppendReadSkipsTheAppendButStillSetsLastClip) {
    NthReadFails flaky(2);
    flaky.text = u"A";
    HistoryListFake l;
    ClipboardWatcher w(flaky, l);
    w.Tick();
    EXPECT_TRUE(l.items.empty());
    EXPECT_EQ(w.LastClip(), u"A");
}

TEST_F(WatcherTest, FailedLastReadKeepsLastClip) {
    NthReadFails flaky(3);
    flaky.text = u"B";
    HistoryListFake l;
    ClipboardWatcher w(flaky, l);
    w.Tick();
    EXPECT_EQ(l.items, Items{u"B"});
    EXPECT_EQ(w.LastClip(), u"");
    // So the next tick, with the clipboard free again, adds the same text once more.
    w.Tick();
    EXPECT_EQ(l.items, (Items{u"B", u"B"}));
    EXPECT_EQ(w.LastClip(), u"B");
}

TEST_F(WatcherTest, EveryOperationFailingAddsNothingAndThrowsNothing) {
    Copy(u"A");
    clip.failAll = {ClipOp::HasText, ClipOp::GetText};
    EXPECT_NO_THROW(watcher.Tick());
    EXPECT_TRUE(list.items.empty());
    EXPECT_EQ(watcher.LastClip(), u"");
}

TEST_F(WatcherTest, AFailingListDoesNotStopTheTick) {
    struct FullList : HistoryListFake {
        void Append(const std::u16string&) override { throw std::bad_alloc(); }
    } full;
    Copy(u"énorme");
    ClipboardWatcher w(clip, full);
    EXPECT_NO_THROW(w.Tick());
    EXPECT_EQ(w.LastClip(), u"énorme");
}

// --- Idle ticks with a change counter -----------------------------------------------------

class CountedWatcherTest : public WatcherTest {
  protected:
    ChangeCounterFake changes;
    ClipboardWatcher counted{clip, list, &changes};

    void CopyAndBump(std::u16string text) {
        Copy(std::move(text));
        ++changes.value;
    }
};

TEST_F(CountedWatcherTest, UnchangedClipboardIsNotOpenedAfterACleanTick) {
    CopyAndBump(u"A");
    counted.Tick();
    clip.calls.clear();
    for (int i = 0; i < 5; ++i) counted.Tick();
    EXPECT_TRUE(clip.calls.empty());
    EXPECT_EQ(list.items, Items{u"A"});
}

TEST_F(CountedWatcherTest, AChangeIsSeenAtTheNextTick) {
    CopyAndBump(u"A");
    counted.Tick();
    CopyAndBump(u"B");
    counted.Tick();
    CopyAndBump(u"A");
    counted.Tick();
    EXPECT_EQ(list.items, (Items{u"A", u"B", u"A"}));
}

TEST_F(CountedWatcherTest, AFailedTickIsRunAgainEvenWithoutAChange) {
    CopyAndBump(u"A");
    clip.failAll = {ClipOp::GetText};
    counted.Tick();
    EXPECT_TRUE(list.items.empty());
    clip.failAll.clear();
    counted.Tick();  // same change count, but the last tick failed
    EXPECT_EQ(list.items, Items{u"A"});
    clip.calls.clear();
    counted.Tick();
    EXPECT_TRUE(clip.calls.empty());
}

TEST_F(CountedWatcherTest, AChangeDuringATickIsLookedAtNextTime) {
    Copy(u"A");
    struct MovingCounter : ClipboardChangeCounter {
        unsigned long v = 10;
        unsigned long Current() override { return v++; }  // changes at every look
    } moving;
    ClipboardWatcher w(clip, list, &moving);
    w.Tick();
    clip.calls.clear();
    w.Tick();
    EXPECT_FALSE(clip.calls.empty());
}

TEST_F(CountedWatcherTest, AStillClipboardIsReadOnceForTheThreeSteps) {
    CopyAndBump(u"gros texte");
    counted.Tick();
    EXPECT_EQ(clip.Count(ClipOp::GetText), 1);
    EXPECT_EQ(list.items, Items{u"gros texte"});
    EXPECT_EQ(counted.LastClip(), u"gros texte");
}

TEST_F(CountedWatcherTest, AChangeInTheMiddleOfATickNeitherRepeatsNorLosesAText) {
    struct MovingCounter : ClipboardChangeCounter {
        unsigned long v = 10;
        unsigned long Current() override { return v++; }  // another program keeps copying
    } moving;
    ClipboardWatcher w(clip, list, &moving);
    Copy(u"A");
    w.Tick();
    // B is read for the comparison, then A comes back before the append and the last read.
    clip.scriptedReads = {u"B", u"A", u"A"};
    w.Tick();
    EXPECT_EQ(list.items, (Items{u"A", u"B"}));
    EXPECT_EQ(w.LastClip(), u"B");
    // The clipboard holds A again: the next tick records it.
    clip.scriptedReads.clear();
    w.Tick();
    EXPECT_EQ(list.items, (Items{u"A", u"B", u"A"}));
}

TEST_F(CountedWatcherTest, AFailedReadIsNotReused) {
    CopyAndBump(u"A");
    clip.failNext = {ClipOp::GetText};  // the comparison's read
    counted.Tick();
    // Steps 3 and 4 read for themselves.
    EXPECT_EQ(clip.Count(ClipOp::GetText), 2);
    EXPECT_EQ(list.items, Items{u"A"});
    EXPECT_EQ(counted.LastClip(), u"A");
}

TEST_F(CountedWatcherTest, HistoryMatchesTheUncountedWatcherOverAScript) {
    HistoryListFake plainList;
    ClipboardFake plainClip;
    ClipboardWatcher plain(plainClip, plainList);
    // Long texts too: the counted watcher keeps those in the history, not twice.
    const std::u16string longA(ClipboardWatcher::kKeptInHistoryFrom, u'a');
    const std::u16string longB = longA.substr(1) + u'b';  // same length, differs at the end
    const std::vector<std::optional<std::u16string>> script = {
        u"a", u"a",  std::nullopt, u"b",  u"",   u"",          u"a",  std::nullopt, u"A", u"A",
        u"b", longA, longA,        longB, longA, std::nullopt, longA, u"a",         longA};
    for (const auto& s : script) {
        clip.text = s;
        plainClip.text = s;
        ++changes.value;
        counted.Tick();
        counted.Tick();  // an idle tick
        plain.Tick();
        plain.Tick();
    }
    EXPECT_EQ(list.items, plainList.items);
    EXPECT_EQ(counted.LastClip(), plain.LastClip());
}

TEST_F(CountedWatcherTest, ALongTextIsComparedWithTheHistoryEntryItWasAddedAs) {
    const std::u16string big(ClipboardWatcher::kKeptInHistoryFrom + 10, u'x');
    CopyAndBump(big);
    counted.Tick();
    EXPECT_EQ(counted.LastClip(), big);
    // Copied again (the count moves, the text does not): not recorded twice.
    CopyAndBump(big);
    counted.Tick();
    EXPECT_EQ(list.items.size(), 1U);
    // Cleared with the history, as the Clear command does: the same text is new again.
    list.RemoveAll();
    counted.ResetLastClip();
    CopyAndBump(big);
    counted.Tick();
    EXPECT_EQ(list.items, Items{big});
}

TEST_F(CountedWatcherTest, ALongTextTheListRefusedIsStillRemembered) {
    struct FullList : HistoryListFake {
        void Append(const std::u16string&) override { throw std::bad_alloc(); }
    } full;
    ClipboardWatcher w(clip, full, &changes);
    const std::u16string big(ClipboardWatcher::kKeptInHistoryFrom, u'y');
    CopyAndBump(big);
    w.Tick();
    EXPECT_EQ(w.LastClip(), big);  // not in the history, so kept whole
    CopyAndBump(u"court");
    w.Tick();
    EXPECT_EQ(w.LastClip(), u"court");
}

}  // namespace
}  // namespace talvex::testing
