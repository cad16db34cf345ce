// The watcher against a model of its four steps, over random scripts of what other programs
// and the user do to the clipboard between and during ticks.
#include <array>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "clipboard/commands.h"
#include "clipboard/watcher.h"
#include "tests/core/fakes.h"
#include "tests/fuzz/checks.h"

namespace talvex::fuzzing {
namespace {

using talvex::testing::ChangeCounterFake;
using talvex::testing::ClipboardFake;
using talvex::testing::ClipOp;
using talvex::testing::HistoryListFake;
using talvex::testing::MessageBoxesFake;
using talvex::testing::WatchedClipboardFake;

// The tick once more, as written: HasText; GetText compared with LastClip; GetText appended;
// GetText stored in LastClip. A failure in a test counts as passed, a failed append skips the
// append, a failed last read keeps LastClip. It reads the clipboard as the program's watcher
// does, a private text as no text: that mend is the clipboard's, not the tick's.
//
// With the change count at hand the program departs from the steps where they go wrong, and
// the model with it, one line each:
//  - (idle) a tick that finds the count where a tick without a failure started opens nothing:
//    the clipboard cannot hold anything new, and a failure there could only repeat an entry;
//  - (one read) the first text read in a tick serves its later steps: a copy made between two
//    reads would else append the last entry again, or be remembered without being appended.
class ModelWatcher {
  public:
    ModelWatcher(Clipboard& clip, HistoryList& list, ClipboardChangeCounter* counter)
        : clip_(clip), list_(list), counter_(counter) {}

    void Tick() {
        const unsigned long count = counter_ != nullptr ? counter_->Current() : 0;
        if (counter_ != nullptr && settledAt_ == count) return;  // idle
        settledAt_.reset();
        failed_ = false;
        firstRead_.reset();
        RunSteps();
        if (!failed_ && counter_ != nullptr) settledAt_ = count;
    }
    const std::u16string& LastClip() const { return lastClip_; }

  private:
    void RunSteps() {
        if (!Passes([&] { return clip_.HasText(); })) return;
        if (!Passes([&] { return Read() != lastClip_; })) return;
        try {
            list_.Append(Read());
        } catch (const std::exception&) {
            failed_ = true;
        }
        try {
            lastClip_ = Read();
        } catch (const std::exception&) {
            failed_ = true;
        }
    }
    template <typename Test>
    bool Passes(Test test) {
        try {
            return test();
        } catch (const std::exception&) {
            failed_ = true;
            return true;
        }
    }
    std::u16string Read() {
        if (counter_ != nullptr && firstRead_) return *firstRead_;  // one read
        firstRead_ = clip_.GetText();
        return *firstRead_;
    }

    Clipboard& clip_;
    HistoryList& list_;
    ClipboardChangeCounter* counter_;
    std::u16string lastClip_;
    std::optional<unsigned long> settledAt_;
    std::optional<std::u16string> firstRead_;
    bool failed_ = false;
};

// What can go wrong in one tick, and what another program does in the middle of it.
struct TickEvents {
    bool formatTestFails = false;
    std::array<bool, 3> readFails{};  // the first, second and third read of the tick, once
    bool busy = false;                // every read of the tick fails
    bool listRefuses = false;         // out of memory for the history
    int copyAfterRead = -1;           // another program copies right after that read (0..2)
    std::u16string copied;
};

// The clipboard a tick meets: each read of the tick can be made to fail, and a copy can
// land right after one. A copy the tick gave no chance to land lands after the tick, so that
// every world's clipboard stays the same between ticks.
class TickClipboard : public ClipboardFake {
  public:
    void StartTick(const TickEvents& events) {
        events_ = events;
        reads_ = 0;
        copyPending_ = events.copyAfterRead >= 0;
        if (events.formatTestFails) failNext = {ClipOp::HasText};
        if (events.busy) failAll = {ClipOp::GetText};
    }
    void EndTick() {
        failNext.clear();
        failAll.clear();
        LandCopy();
    }
    std::u16string GetText() override {
        const int read = reads_++;
        if (read < 3 && events_.readFails[static_cast<std::size_t>(read)]) {
            calls.push_back(ClipOp::GetText);
            throw ClipboardError(ClipboardFailure::Busy);
        }
        std::u16string text = ClipboardFake::GetText();
        if (read == events_.copyAfterRead) LandCopy();
        return text;
    }

  private:
    void LandCopy() {
        if (std::exchange(copyPending_, false)) Put(events_.copied);
    }
    TickEvents events_;
    int reads_ = 0;
    bool copyPending_ = false;
};

struct RefusingList : HistoryListFake {
    bool refuses = false;
    void Append(const std::u16string& entry) override {
        if (refuses) throw std::bad_alloc();
        HistoryListFake::Append(entry);
    }
};

// One clipboard and one history, watched either by the program's watcher or by the model.
struct World {
    TickClipboard clip;
    WatchedClipboardFake watched{clip};
    ChangeCounterFake counter{clip};
    RefusingList list;
    MessageBoxesFake boxes;
    World() { boxes.answer = Answer::Yes; }
};

// Short texts that differ in one letter, in case, or not at all; and, one time in eight (they
// cost), texts on either side of the length from which the watcher keeps the last one only in
// the history, differing in their last unit.
std::u16string TextOf(std::uint8_t choice) {
    static const std::u16string kShort[] = {u"", u"a", u"A", u"b", u"l'été\r\nΣίσυφος", u"a", u"b"};
    if (choice % 8 < 7) return kShort[choice % 8];
    const std::size_t length = ClipboardWatcher::kKeptInHistoryFrom - 1 + (choice >> 3) % 3;
    std::u16string text(length, u'x');
    text.back() = static_cast<char16_t>(u'a' + (choice >> 5) % 3);
    return text;
}

TextPrivacy MarksOf(std::uint8_t choice) {
    return testing::kMarkedKinds[choice % testing::kMarkedKinds.size()].marks;
}

TickEvents TickEventsOf(Choices& choices) {
    TickEvents events;
    const std::uint8_t faults = choices.Next();
    events.formatTestFails = (faults & 1) != 0;
    events.readFails = {(faults & 2) != 0, (faults & 4) != 0, (faults & 8) != 0};
    events.busy = (faults & 0x30) == 0x30;
    events.listRefuses = (faults & 0x40) != 0;
    if ((faults & 0x80) != 0) {
        events.copyAfterRead = choices.Next() % 3;
        events.copied = TextOf(choices.Next());
    }
    return events;
}

std::string Describe(const std::u16string& text) {
    if (text.size() > 40) return "a text of " + std::to_string(text.size()) + " units";
    std::string ascii = "\"";
    for (char16_t c : text) ascii += c < 0x80 ? static_cast<char>(c) : '?';
    return ascii + "\"";
}

// The watcher and the model, each on a world of its own, given the same script.
class Pair {
  public:
    explicit Pair(bool counted)
        : counted_(counted),
          watcher_(program_.watched, program_.list, counted ? &program_.counter : nullptr),
          model_(modelled_.watched, modelled_.list, counted ? &modelled_.counter : nullptr) {}

    template <typename Action>
    void Both(Action action) {
        action(program_);
        action(modelled_);
    }
    void Tick(const TickEvents& events) {
        Both([&](World& w) {
            w.clip.StartTick(events);
            w.list.refuses = events.listRefuses;
        });
        watcher_.Tick();
        model_.Tick();
        Both([](World& w) {
            w.clip.EndTick();
            w.list.refuses = false;
        });
    }
    void ClearCommand(bool clipboardRefuses) {
        if (clipboardRefuses) Both([](World& w) { w.clip.failNext = {ClipOp::Clear}; });
        Run(program_, &watcher_);
        Run(modelled_, nullptr);
    }
    // What differs after a step, or nothing.
    std::string Difference() {
        std::string found;
        const std::string who = counted_ ? "with the change count: " : "without it: ";
        if (!SameHistories()) {
            found = who + "history of " + std::to_string(program_.list.items.size()) +
                    " entries, the model " + std::to_string(modelled_.list.items.size());
        } else if (watcher_.LastClip() != model_.LastClip()) {
            found = who + "last text " + Describe(watcher_.LastClip()) + ", the model " +
                    Describe(model_.LastClip());
        } else if (program_.clip.calls != modelled_.clip.calls) {
            found = who + "the clipboard was used otherwise than the model used it";
        }
        Both([](World& w) { w.clip.calls.clear(); });
        return found;
    }

  private:
    // Entries are only ever appended, or all removed: those compared once stay compared (a
    // script can hold many texts of 64 Ki units).
    bool SameHistories() {
        const std::vector<std::u16string>& mine = program_.list.items;
        const std::vector<std::u16string>& model = modelled_.list.items;
        if (mine.size() != model.size()) return false;
        if (mine.size() < compared_) compared_ = 0;
        for (; compared_ < mine.size(); ++compared_)
            if (mine[compared_] != model[compared_]) return false;
        return true;
    }
    static void Run(World& w, ClipboardWatcher* watcher) {
        try {
            talvex::ClearCommand(w.boxes, w.list, w.clip, watcher);
        } catch (const ClipboardNotClearedError&) {
        }
        w.clip.failNext.clear();
    }

    bool counted_;
    World program_;
    World modelled_;
    ClipboardWatcher watcher_;
    ModelWatcher model_;
    std::size_t compared_ = 0;
};

}  // namespace

std::string CheckWatcher(const std::uint8_t* data, std::size_t size) {
    Choices choices(data, size);
    // Without the change count the watcher is the four steps exactly; with it, they and the
    // departures written in the model.
    Pair plain(false);
    Pair counted(true);
    std::vector<Pair*> pairs = {&plain, &counted};
    for (int step = 0; !choices.Done(); ++step) {
        const std::uint8_t op = choices.Next();
        std::string what;
        switch (op % 8) {
            case 0:
            case 1:
                what = "tick";
                for (Pair* p : pairs) p->Tick({});
                break;
            case 2: {
                what = "tick with failures or a copy in its middle";
                const TickEvents events = TickEventsOf(choices);
                for (Pair* p : pairs) p->Tick(events);
                break;
            }
            case 3: {
                what = "copy";
                const std::u16string text = TextOf(choices.Next());
                for (Pair* p : pairs) p->Both([&](World& w) { w.clip.Put(text); });
                break;
            }
            case 4: {
                what = "private copy";
                const std::u16string text = TextOf(choices.Next());
                const TextPrivacy marks = MarksOf(choices.Next());
                for (Pair* p : pairs) p->Both([&](World& w) { w.clip.Put(text, marks); });
                break;
            }
            case 5:
                what = "picture, or nothing, on the clipboard";
                for (Pair* p : pairs) {
                    p->Both([op](World& w) {
                        if (op & 8)
                            w.clip.PutPicture();
                        else
                            w.clip.Put(std::nullopt);
                    });
                }
                break;
            case 6:
                what = "Clear";
                for (Pair* p : pairs) p->ClearCommand((op & 8) != 0);
                break;
            default:
                what = "the same text copied again";
                for (Pair* p : pairs)
                    p->Both([](World& w) { w.clip.Put(w.clip.text, w.clip.privacy); });
                break;
        }
        for (Pair* p : pairs) {
            const std::string difference = p->Difference();
            if (!difference.empty())
                return "step " + std::to_string(step) + " (" + what + "), " + difference;
        }
    }
    return {};
}

}  // namespace talvex::fuzzing
