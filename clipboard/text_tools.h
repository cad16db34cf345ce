// The four text tools of the tools panel (its four buttons and the matching popup items):
// upper case, lower case and proper case of the clipboard text, and its character count.
#pragma once

#include <cstddef>
#include <string>

#include "clipboard/clipboard.h"
#include "clipboard/ports.h"

namespace talvex {

// The tools by number: the number of a keytool button and of its menu item. Where it comes
// from outside (a command), a tool number is a plain 16-bit value, and one outside the four
// only closes the panel.
enum TextTool : short {
    kToolUpperCase = 0,
    kToolLowerCase = 1,
    kToolProperCase = 2,
    kToolCharacterCount = 3,
};

// A case mapping returned a text of another length than it was given. Derives from
// ClipboardError so the tools give up on it exactly as on a clipboard failure.
class CaseLengthError : public ClipboardError {
  public:
    CaseLengthError() : ClipboardError(ClipboardFailure::MappingChangedLength) {}
};

// Upper-cases the first letter of every word and lower-cases everything else. A word starts
// at a letter that follows anything other than a letter, a digit or an apostrophe (' or ’),
// or that starts the text. Every unit comes from cases.ToUpper or cases.ToLower of the whole
// text, so surrogate pairs come out as the mapper made them. Throws CaseLengthError when the
// mapper changes the length; the result always has the length of `text`.
std::u16string ProperCase(const std::u16string& text, CaseMapper& cases);

// Runs tool `toolNumber` on the clipboard, then closes the tools panel. Numbers outside 0..3
// only close the panel. Any failure (ClipboardError or another std::exception, from the
// clipboard, the mapper or the message box) abandons the tool silently and leaves the panel
// open. A case tool leaves a clipboard without text as it is, and writes the text back with
// every mark it came with, each with its data. The clipboard is only cleared once the new text
// is ready, and when setting it then fails the original text is put back if possible: only a
// clipboard that refuses both leaves empty.
void RunTextTool(short toolNumber, Clipboard& clip, CaseMapper& cases, ToolsPanel& panel,
                 MessageBoxes& boxes);

}  // namespace talvex
