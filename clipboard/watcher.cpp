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
    if (!passes([&] { return Read(cache) != lastClip_; })) return clean;
    // 3. Append what is there now.
    attempt([&] { history_.Append(Read(cache)); });
    // 4. Remember what is there now.
    attempt([&] {
        Read(cache);
        lastClip_ = std::move(cache.text);
    });
    return clean;
}

}  // namespace talvex
