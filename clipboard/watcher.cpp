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

// Reads the clipboard's text for one step. Every step reads afresh, unless the change
// count proves that nothing can have changed since the previous step's read: then that
// read is the same text, and a large text is not fetched three times.
const std::u16string& ClipboardWatcher::Read(ReadCache& cache) {
    if (changes_ != nullptr && cache.valid && changes_->Current() == cache.count) return cache.text;
    cache.valid = false;
    const unsigned long count = changes_ != nullptr ? changes_->Current() : 0;
    cache.text = clipboard_.GetText();
    cache.valid = changes_ != nullptr && changes_->Current() == count;
    cache.count = count;
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
