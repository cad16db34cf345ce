#include "clipboard/text_tools.h"

#include <string>

#include "clipboard/char_class.h"

namespace talvex {
namespace {

void RequireSameLength(const std::u16string& mapped, const std::u16string& text) {
    if (mapped.size() != text.size()) throw CaseLengthError();
}

std::u16string CheckedUpper(const std::u16string& text, CaseMapper& cases) {
    std::u16string upper = cases.ToUpper(text);
    RequireSameLength(upper, text);
    return upper;
}

std::u16string CheckedLower(const std::u16string& text, CaseMapper& cases) {
    std::u16string lower = cases.ToLower(text);
    RequireSameLength(lower, text);
    return lower;
}

void PutText(Clipboard& clip, const std::u16string& text, const TextPrivacy& privacy) {
    if (privacy.HasMarks())
        clip.SetMarkedText(text, privacy);
    else
        clip.SetText(text);
}

// Clear, then the new text, with every mark the old one came with, as it came: a private text
// written back without them would be recorded at the watcher's next look, or sent to the
// user's other devices. When the new text cannot be set, the text that was there is put back
// if the clipboard lets us, so a failed tool does not wipe the user's clipboard; the tool still
// counts as failed.
void ReplaceClipboardText(Clipboard& clip, const std::u16string& original,
                          const TextPrivacy& privacy, const std::u16string& converted) {
    clip.Clear();
    try {
        PutText(clip, converted, privacy);
    } catch (...) {
        try {
            PutText(clip, original, privacy);
        } catch (...) {
            // The clipboard stays empty; nothing more can be done from here.
        }
        throw;
    }
}

// The conversion of a case tool: upper, lower or proper case.
std::u16string CaseConverted(short tool, const std::u16string& text, CaseMapper& cases) {
    if (tool == kToolUpperCase) return CheckedUpper(text, cases);
    if (tool == kToolLowerCase) return CheckedLower(text, cases);
    return ProperCase(text, cases);
}

}  // namespace

std::u16string ProperCase(const std::u16string& text, CaseMapper& cases) {
    std::u16string result = CheckedLower(text, cases);
    const std::u16string upper = CheckedUpper(text, cases);
    bool inWord = false;  // the previous unit keeps a word going
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (IsMark(c)) continue;  // it goes with the character before: "e\u0301cole", "❤\uFE0Fa"
        const bool letter = IsLetter(c, upper[i], result[i]);
        if (letter && !inWord) result[i] = upper[i];
        inWord = letter || IsDecimalDigit(c) || IsApostrophe(c);
    }
    return result;
}

void RunTextTool(short toolNumber, Clipboard& clip, CaseMapper& cases, ToolsPanel& panel,
                 MessageBoxes& boxes) {
    // This is an event boundary: the tools report nothing, a failure (ClipboardError, the
    // expected one, is a std::exception too) just leaves the panel open.
    try {
        const ClipboardText found = clip.ReadText();
        switch (toolNumber) {
            case kToolUpperCase:
            case kToolLowerCase:
            case kToolProperCase:
                // Without text (a picture, say) the clipboard is left as it is: clearing it
                // would only lose what it holds.
                if (found.text)
                    ReplaceClipboardText(clip, *found.text, found.privacy,
                                         CaseConverted(toolNumber, *found.text, cases));
                break;
            case kToolCharacterCount:
                boxes.Show(MessageKind::CharacterCount, found.text ? found.text->size() : 0);
                break;
            default:
                break;
        }
        panel.Close();
    } catch (const std::exception&) {
    }
}

}  // namespace talvex
