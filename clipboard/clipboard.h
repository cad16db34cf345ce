// The clipboard operations the program uses, and the one error they raise.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

namespace talvex {

// Raised by every clipboard operation that cannot do its job (another program holds the
// clipboard, memory runs out, the system refuses). Never replaced by a made-up value.
class ClipboardError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The marks by which the owner of a text asks the programs that keep clipboard histories not to
// keep it (password managers set them). A text with any of them is private: the watcher does
// not record it, and a tool that rewrites it gives it back with the same marks.
struct TextPrivacy {
    bool notForMonitors = false;       // no program that watches the clipboard should keep it
    bool notForViewers = false;        // the older mark of the same wish
    bool notForSystemHistory = false;  // the system's own clipboard history should not keep it

    bool IsPrivate() const { return notForMonitors || notForViewers || notForSystemHistory; }
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
    // Afterwards the clipboard offers exactly this text, with exactly the marks of `privacy`.
    virtual void SetPrivateText(const std::u16string& text, const TextPrivacy& privacy) = 0;
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
