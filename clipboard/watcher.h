// The clipboard watcher: one tick of Timer1 appends the clipboard's text to the history
// when it differs from the text added last.
#pragma once

#include <cstddef>
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

    // The text added last (read back from the history when it is kept there).
    std::u16string LastClip() const;
    void ResetLastClip() {
        lastClip_.clear();
        lastClipAt_.reset();
    }

    // The history is about to be emptied: a last clip kept only there is copied out first,
    // so that it is still the text added last. Throws std::bad_alloc when there is no room.
    void BeforeHistoryEmptied();

    // From this length on, a text the tick has just appended is not kept a second time: it is
    // remembered by its place in the history and read back from there for a comparison. A
    // 10 MB copy would otherwise be held twice for as long as it stays the last one.
    static constexpr std::size_t kKeptInHistoryFrom = 64 * 1024;

  private:
    struct ReadCache {
        std::u16string text;
        bool valid = false;
    };
    bool RunSteps();  // true when no clipboard operation failed
    const std::u16string& Read(ReadCache& cache);
    bool EqualsLastClip(const std::u16string& text) const;
    void Remember(std::u16string text, bool appendedThisTick);

    Clipboard& clipboard_;
    HistoryList& history_;
    ClipboardChangeCounter* changes_;
    std::u16string lastClip_;  // empty while lastClipAt_ is set
    std::optional<std::size_t> lastClipAt_;
    std::size_t lastClipLength_ = 0;
    // Change count seen at the start of the last tick that ran without any failure. While
    // the clipboard keeps that count, a tick would find exactly what that tick found and
    // change nothing, so it is skipped without opening the clipboard.
    std::optional<unsigned long> settledAt_;
};

}  // namespace talvex
