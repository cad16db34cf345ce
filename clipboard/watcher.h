// The clipboard watcher: one tick of Timer1 appends the clipboard's text to the history
// when it differs from the text added last.
#pragma once

#include <optional>
#include <string>

#include "clipboard/clipboard.h"
#include "clipboard/ports.h"

namespace talvex {

class ClipboardWatcher {
  public:
    // `changes` may be null: then every tick reads the clipboard.
    ClipboardWatcher(Clipboard& clipboard, HistoryList& history,
                     ClipboardChangeCounter* changes = nullptr)
        : clipboard_(clipboard), history_(history), changes_(changes) {}

    // One tick. Every failure inside it is swallowed and the tick goes on with the next
    // step; nothing escapes.
    void Tick();

    const std::u16string& LastClip() const { return lastClip_; }
    void ResetLastClip() { lastClip_.clear(); }

  private:
    struct ReadCache {
        std::u16string text;
        bool valid = false;
    };
    bool RunSteps();  // true when no clipboard operation failed
    const std::u16string& Read(ReadCache& cache);

    Clipboard& clipboard_;
    HistoryList& history_;
    ClipboardChangeCounter* changes_;
    std::u16string lastClip_;
    // Change count seen at the start of the last tick that ran without any failure. While
    // the clipboard keeps that count, a tick would find exactly what that tick found and
    // change nothing, so it is skipped without opening the clipboard.
    std::optional<unsigned long> settledAt_;
};

}  // namespace talvex
