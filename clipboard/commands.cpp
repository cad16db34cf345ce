#include "clipboard/commands.h"

#include <cstddef>

namespace talvex {

void CopyCommand(const TextBox& text1, Clipboard& clip) { clip.SetText(text1.Text()); }

void RecallCommand(int index, const HistoryList& history, TextBox& text1) {
    if (index < 0 || static_cast<std::size_t>(index) >= history.Count()) return;
    text1.SetText(history.At(static_cast<std::size_t>(index)));  // the entry's one copy moves in
}

void ClearCommand(MessageBoxes& boxes, HistoryList& history, Clipboard& clip,
                  ClipboardWatcher* watcher) {
    if (boxes.Show(MessageKind::ClearQuestion) != Answer::Yes) return;
    if (watcher != nullptr) watcher->BeforeHistoryEmptied();
    // The list goes first, so a clipboard that refuses still leaves an empty list behind.
    history.RemoveAll();
    try {
        clip.Clear();
    } catch (const ClipboardError& e) {
        throw ClipboardNotClearedError(e.failure());
    }
}

}  // namespace talvex
