#include "clipboard/watcher.h"

#include <exception>
#include <utility>

namespace talvex {

void ClipboardWatcher::Tick() {
    std::optional<unsigned long> before;
    if (changes_ != nullptr) {
        before = changes_->Current();
        if (settledAt_ && *settledAt_ == *before) return;
    }
    settledAt_.reset();
    if (RunSteps() && before) settledAt_ = before;
}

// Reads the clipboard's text for one step. Without a change counter every step reads
// afresh. With one, the first text read in a tick serves the steps after it: when another
// program changes the clipboard in the middle of a tick, separate reads could append a text
// equal to the one added last, or remember as added a text that never was (and so never
// record it). The next tick sees the change count move and looks again.
const std::u16string& ClipboardWatcher::Read(ReadCache& cache) {
    if (changes_ != nullptr && cache.valid) return cache.text;
    cache.text = clipboard_.GetText();
    cache.valid = true;
    return cache.text;
}

std::u16string ClipboardWatcher::LastClip() const {
    return lastClipAt_ ? history_.At(*lastClipAt_) : lastClip_;
}

bool ClipboardWatcher::EqualsLastClip(const std::u16string& text) const {
    if (!lastClipAt_) return text == lastClip_;
    // Only a text of the same length needs the copy back from the history.
    if (text.size() != lastClipLength_ || *lastClipAt_ >= history_.Count()) return false;
    return history_.At(*lastClipAt_) == text;
}

void ClipboardWatcher::BeforeHistoryEmptied() {
    if (!lastClipAt_) return;
    std::u16string whole = *lastClipAt_ < history_.Count() ? history_.At(*lastClipAt_) : u"";
    lastClip_ = std::move(whole);
    lastClipAt_.reset();
}

void ClipboardWatcher::Remember(std::u16string text, bool appendedThisTick) {
    lastClipAt_.reset();
    // With a change counter the append and the remembering use one read, so the history's last
    // entry is this very text; without one they read apart and may differ.
    if (appendedThisTick && changes_ != nullptr && text.size() >= kKeptInHistoryFrom &&
        history_.Count() > 0) {
        lastClipAt_ = history_.Count() - 1;
        lastClipLength_ = text.size();
        lastClip_.clear();
        lastClip_.shrink_to_fit();
        return;
    }
    lastClip_ = std::move(text);
}

bool ClipboardWatcher::RunSteps() {
    bool clean = true;
    // A failed test counts as passed: the tick carries on with the next step.
    auto passes = [&clean](auto&& test) {
        try {
            return test();
        } catch (const std::exception&) {  // ClipboardError, or out of memory on a huge text
        }
        clean = false;
        return true;
    };
    auto attempt = [&clean](auto&& step) {
        try {
            step();
        } catch (const std::exception&) {
            clean = false;
        }
    };
    ReadCache cache;

    // 1. Text on the clipboard at all?
    if (!passes([&] { return clipboard_.HasText(); })) return clean;
    // 2. Different from the text added last?
    if (!passes([&] { return !EqualsLastClip(Read(cache)); })) return clean;
    // 3. Append what is there now.
    bool appended = false;
    attempt([&] {
        history_.Append(Read(cache));
        appended = true;
    });
    // 4. Remember what is there now.
    attempt([&] {
        Read(cache);
        Remember(std::move(cache.text), appended);
    });
    return clean;
}

}  // namespace talvex
