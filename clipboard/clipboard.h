// The clipboard operations the program uses, and the one error they raise.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

namespace talvex {

// Why a clipboard operation could not do its job. The window tells the user in its own words.
enum class ClipboardFailure {
    Busy,                  // another program holds the clipboard
    OwnerNotResponding,    // the program that filled it does not answer for its data
    Unreadable,            // the text is there, but its data cannot be had
    OutOfMemory,           // no memory for the block to hand over
    Refused,               // the system would not empty or fill it
    TooLongToMap,          // a text longer than the system's case mapping takes
    MappingFailed,         // the system's case mapping failed
    MappingChangedLength,  // the case mapping would give a text of another length
};

// Raised by every clipboard operation that cannot do its job (another program holds the
// clipboard, memory runs out, the system refuses). Never replaced by a made-up value.
class ClipboardError : public std::runtime_error {
  public:
    explicit ClipboardError(ClipboardFailure failure)
        : std::runtime_error("clipboard operation failed"), failure_(failure) {}
    ClipboardFailure failure() const noexcept { return failure_; }

  private:
    ClipboardFailure failure_;
};

// The marks by which the owner of a text tells the programs that keep clipboard histories, and
// the system's own history and cloud, what they may do with it (password managers set them).
// Each mark is kept with its data exactly as it came, byte for byte, so that a tool that
// rewrites the text gives every mark back unchanged; nullopt: the mark is not there.
struct TextPrivacy {
    // Its presence alone asks every program that watches the clipboard not to keep the text.
    std::optional<std::string> notForMonitors = std::nullopt;
    // The older mark of the same wish.
    std::optional<std::string> notForViewers = std::nullopt;
    // The system's own history: a 32-bit number, 0 to keep the text out, 1 to let it in.
    std::optional<std::string> systemHistory = std::nullopt;
    // The system's copy to the user's other devices, the same way; the history is not its
    // concern, so it does not make a text private.
    std::optional<std::string> cloudUpload = std::nullopt;

    // Private, not to be recorded: either of the first two marks, or the history's 0.
    bool IsPrivate() const { return notForMonitors || notForViewers || RefusesSystemHistory(); }
    // Four zero bytes are 0 in either byte order; a shorter mark says nothing.
    bool RefusesSystemHistory() const {
        return systemHistory && systemHistory->size() >= 4 &&
               systemHistory->compare(0, 4, std::string(4, '\0')) == 0;
    }
    bool HasMarks() const {
        return notForMonitors || notForViewers || systemHistory || cloudUpload;
    }
    bool operator==(const TextPrivacy&) const = default;
};

// What the clipboard offers as text, with its marks, as found by one look.
struct ClipboardText {
    std::optional<std::u16string> text;  // nullopt: no text at all (nothing, or a picture)
    TextPrivacy privacy;
};

// Each call opens and closes the clipboard by itself; no caller holds it across two calls.
class Clipboard {
  public:
    virtual ~Clipboard() = default;
    // True exactly when the clipboard offers text.
    virtual bool HasText() = 0;
    // The clipboard's text, or an empty string when it holds no text.
    virtual std::u16string GetText() = 0;
    // The text, whether there is any, and its marks, from one opening of the clipboard: what a
    // tool that rewrites the text needs to know, all of the same moment.
    virtual ClipboardText ReadText() = 0;
    // Afterwards the clipboard offers exactly this text, without marks.
    virtual void SetText(const std::u16string& text) = 0;
    // Afterwards the clipboard offers exactly this text, with exactly the marks of `marks`, each
    // with its data.
    virtual void SetMarkedText(const std::u16string& text, const TextPrivacy& marks) = 0;
    // Afterwards the clipboard holds nothing.
    virtual void Clear() = 0;
};

// A number that changes whenever any program changes the clipboard. Lets the watcher skip
// ticks in which nothing can have changed without opening the clipboard at all.
class ClipboardChangeCounter {
  public:
    virtual ~ClipboardChangeCounter() = default;
    virtual unsigned long Current() = 0;
};

}  // namespace talvex
