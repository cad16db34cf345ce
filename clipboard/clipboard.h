// The four clipboard operations the program uses, and the one error they raise.
#pragma once

#include <stdexcept>
#include <string>

namespace talvex {

// Raised by every clipboard operation that cannot do its job (another program holds the
// clipboard, memory runs out, the system refuses). Never replaced by a made-up value.
class ClipboardError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Each call opens and closes the clipboard by itself; no caller holds it across two calls.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    // True exactly when the clipboard offers text.
    virtual bool HasText() = 0;
    // The clipboard's text, or an empty string when it holds no text.
    virtual std::u16string GetText() = 0;
    // Afterwards the clipboard offers exactly this text.
    virtual void SetText(const std::u16string& text) = 0;
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
