// The clipboard commands of the main window: Copy, Recall and Clear. They recover from
// nothing: a ClipboardError reaches the caller, the window's event boundary.
#pragma once

#include "clipboard/clipboard.h"
#include "clipboard/ports.h"
#include "clipboard/watcher.h"

namespace talvex {

// Clear emptied the history, then the clipboard refused to be emptied. Carries the clipboard's
// own reason; the user is told that the history is gone all the same.
class ClipboardNotClearedError : public ClipboardError {
  public:
    using ClipboardError::ClipboardError;
};

// Puts the whole text of Text1 on the clipboard, as it is (an empty box gives an empty text).
void CopyCommand(const TextBox& text1, Clipboard& clip);

// Shows history entry `index` in Text1. An index outside the list (such as -1, no selection)
// does nothing. Neither the clipboard nor the history changes.
void RecallCommand(int index, const HistoryList& history, TextBox& text1);

// Asks for confirmation; on Yes empties the history, then the clipboard (a clipboard that
// refuses raises ClipboardNotClearedError, the history being empty by then). The watcher's record
// of the last clip is not reset here: `watcher`, when given, first takes back its own copy of
// a last clip it kept only in the history.
void ClearCommand(MessageBoxes& boxes, HistoryList& history, Clipboard& clip,
                  ClipboardWatcher* watcher = nullptr);

}  // namespace talvex
