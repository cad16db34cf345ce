#include "clipboard/watcher.h"

#include <gtest/gtest.h>

#include <new>
#include <utility>

#include "tests/core/fakes.h"

namespace talvex::testing {
namespace {

using Items = std::vector<std::u16string>;

class WatcherTest : public ::testing::Test {
  protected:
    ClipboardFake clip;
    HistoryListFake list;
    ClipboardWatcher watcher{clip, list};

    // Another program copies `text`.
    void Copy(std::u16string text) { clip.Put(std::move(text)); }
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
        if (++reads == failing) throw ClipboardError(ClipboardFailure::Busy);
        return ClipboardFake::GetText();
    }
};

// A watcher without a counter, whose first tick finds `text` and fails read `failingRead`.
struct FlakyReadsWatcher {
    FlakyReadsWatcher(int failingRead, std::u16string text) : clip(failingRead) {
        clip.text = std::move(text);
        watcher.Tick();
    }
    NthReadFails clip;
    HistoryListFake list;
    ClipboardWatcher watcher{clip, list};
};

TEST_F(WatcherTest, FailedAppendReadSkipsTheAppendButStillSetsLastClip) {
    FlakyReadsWatcher flaky(2, u"A");
    EXPECT_TRUE(flaky.list.items.empty());
    EXPECT_EQ(flaky.watcher.LastClip(), u"A");
}

TEST_F(WatcherTest, FailedLastReadKeepsLastClip) {
    FlakyReadsWatcher flaky(3, u"B");
    EXPECT_EQ(flaky.list.items, Items{u"B"});
    EXPECT_EQ(flaky.watcher.LastClip(), u"");
    // So the next tick, with the clipboard free again, adds the same text once more.
    flaky.watcher.Tick();
    EXPECT_EQ(flaky.list.items, (Items{u"B", u"B"}));
    EXPECT_EQ(flaky.watcher.LastClip(), u"B");
}

TEST_F(WatcherTest, ALongTextIsRememberedAsTheLastReadFoundIt) {
    // Without a change counter the append and the remembering read apart: another program
    // copies between them, so the history's last entry is not the text remembered.
    const std::u16string appended(ClipboardWatcher::kKeptInHistoryFrom, u'a');
    const std::u16string remembered(ClipboardWatcher::kKeptInHistoryFrom, u'r');
    Copy(u"court");
    watcher.Tick();
    clip.scriptedReads = {appended, appended, remembered};
    watcher.Tick();
    EXPECT_EQ(list.items, (Items{u"court", appended}));
    EXPECT_EQ(watcher.LastClip(), remembered);
    // Still on the clipboard at the next tick: the text added last, so not added again.
    Copy(remembered);
    watcher.Tick();
    EXPECT_EQ(list.items, (Items{u"court", appended}));
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
    ChangeCounterFake changes{clip};
    ClipboardWatcher counted{clip, list, &changes};
};

TEST_F(CountedWatcherTest, UnchangedClipboardIsNotOpenedAfterACleanTick) {
    Copy(u"A");
    counted.Tick();
    clip.calls.clear();
    for (int i = 0; i < 5; ++i) counted.Tick();
    EXPECT_TRUE(clip.calls.empty());
    EXPECT_EQ(list.items, Items{u"A"});
}

TEST_F(CountedWatcherTest, AChangeIsSeenAtTheNextTick) {
    Copy(u"A");
    counted.Tick();
    Copy(u"B");
    counted.Tick();
    Copy(u"A");
    counted.Tick();
    EXPECT_EQ(list.items, (Items{u"A", u"B", u"A"}));
}

TEST_F(CountedWatcherTest, AFailedTickIsRunAgainEvenWithoutAChange) {
    Copy(u"A");
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
    // B is copied just after the tick has read A: the count moves once, in the middle.
    clip.duringNextRead = [&] { Copy(u"B"); };
    counted.Tick();
    EXPECT_EQ(list.items, Items{u"A"});
    clip.calls.clear();
    counted.Tick();
    EXPECT_FALSE(clip.calls.empty());
    EXPECT_EQ(list.items, (Items{u"A", u"B"}));
    // Settled now: the count has not moved since the start of that tick.
    clip.calls.clear();
    counted.Tick();
    EXPECT_TRUE(clip.calls.empty());
}

TEST_F(CountedWatcherTest, AStillClipboardIsReadOnceForTheThreeSteps) {
    Copy(u"gros texte");
    counted.Tick();
    EXPECT_EQ(clip.Count(ClipOp::GetText), 1);
    EXPECT_EQ(list.items, Items{u"gros texte"});
    EXPECT_EQ(counted.LastClip(), u"gros texte");
}

TEST_F(CountedWatcherTest, AChangeInTheMiddleOfATickNeitherRepeatsNorLosesAText) {
    Copy(u"A");
    counted.Tick();
    // B is read for the comparison, then A comes back before the append and the last read.
    Copy(u"B");
    clip.duringNextRead = [&] { Copy(u"A"); };
    counted.Tick();
    EXPECT_EQ(list.items, (Items{u"A", u"B"}));
    EXPECT_EQ(counted.LastClip(), u"B");
    // The clipboard holds A again: the next tick records it.
    counted.Tick();
    EXPECT_EQ(list.items, (Items{u"A", u"B", u"A"}));
}

TEST_F(CountedWatcherTest, AFailedReadIsNotReused) {
    Copy(u"A");
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
        clip.Put(s);
        plainClip.text = s;
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
    Copy(big);
    counted.Tick();
    EXPECT_EQ(counted.LastClip(), big);
    // Copied again (the count moves, the text does not): not recorded twice.
    Copy(big);
    counted.Tick();
    EXPECT_EQ(list.items.size(), 1U);
    // Cleared with the history, as the Clear command does: the same text is new again.
    list.RemoveAll();
    counted.ResetLastClip();
    Copy(big);
    counted.Tick();
    EXPECT_EQ(list.items, Items{big});
}

TEST_F(CountedWatcherTest, ALongTextTheListRefusedIsStillRemembered) {
    struct FullList : HistoryListFake {
        void Append(const std::u16string&) override { throw std::bad_alloc(); }
    } full;
    ClipboardWatcher w(clip, full, &changes);
    const std::u16string big(ClipboardWatcher::kKeptInHistoryFrom, u'y');
    Copy(big);
    w.Tick();
    EXPECT_EQ(w.LastClip(), big);  // not in the history, so kept whole
    Copy(u"court");
    w.Tick();
    EXPECT_EQ(w.LastClip(), u"court");
}

TEST_F(CountedWatcherTest, ALongTextTheListRefusedAfterOtherEntriesIsNotTakenForThem) {
    struct RefusingList : HistoryListFake {
        bool refuses = false;
        void Append(const std::u16string& e) override {
            if (refuses) throw std::bad_alloc();
            HistoryListFake::Append(e);
        }
    } refusing;
    ClipboardWatcher w(clip, refusing, &changes);
    Copy(u"avant");
    w.Tick();
    refusing.refuses = true;
    const std::u16string big(ClipboardWatcher::kKeptInHistoryFrom, u'y');
    Copy(big);
    w.Tick();
    EXPECT_EQ(refusing.items, Items{u"avant"});
    // The history's last entry is the earlier text, not this one: kept whole instead.
    EXPECT_EQ(w.LastClip(), big);
}

}  // namespace
}  // namespace talvex::testing
