#include "clipboard/watcher.h"

#include <exception>

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

    // 1. Text on the clipboard at all?
    if (!passes([&] { return clipboard_.HasText(); })) return clean;
    // 2. Different from the text added last? Each step reads afresh.
    if (!passes([&] { return clipboard_.GetText() != lastClip_; })) return clean;
    // 3. Append what is there now.
    attempt([&] { history_.Append(clipboard_.GetText()); });
    // 4. Remember what is there now.
    attempt([&] { lastClip_ = clipboard_.GetText(); });
    return clean;
}

}  // namespace talvex
