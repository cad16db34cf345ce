// What the clipboard core needs from the main window. Form1 implements these on its
// controls; the unit tests implement them with fakes.
#pragma once

#include <cstddef>
#include <string>

namespace talvex {

// The item list of List1: the history, oldest first.
class HistoryList {
  public:
    virtual ~HistoryList() = default;
    virtual void Append(const std::u16string& entry) = 0;
    virtual void RemoveAll() = 0;
    virtual std::size_t Count() const = 0;
    virtual std::u16string At(std::size_t index) const = 0;
};

// Text1, the text box that receives a recalled entry.
class TextBox {
  public:
    virtual ~TextBox() = default;
    // The whole text, held by the box (Copy hands it on without a copy of its own).
    virtual const std::u16string& Text() const = 0;
    virtual void SetText(std::u16string text) = 0;
};

// The row of case tools under Text1: open, it shows; closed, Text1 covers it.
class ToolsPanel {
  public:
    virtual ~ToolsPanel() = default;
    virtual void Open() = 0;
    virtual void Close() = 0;
};

// The messages the program shows, each under the program's title with the information icon.
// The window gives each its words.
enum class MessageKind {
    ClearQuestion,   // Yes and No
    CharacterCount,  // OK, under the count's own caption (the title and a space)
    QuitQuestion,    // Yes and No
    About,           // OK
    CannotHide,      // OK: the window cannot hide without its notification icon
};

enum class Answer { Ok, Yes, No };  // a box closed without an answer says No

// The platform's modal message box. Throws when no box could be shown.
class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    // `count` is the number the message tells: the character count's; the others tell none.
    virtual Answer Show(MessageKind kind, std::size_t count) = 0;
    Answer Show(MessageKind kind) { return Show(kind, 0); }
};

// Letter-case mapping of whole strings; the result always has the length of the input.
class CaseMapper {
  public:
    virtual ~CaseMapper() = default;
    virtual std::u16string ToUpper(const std::u16string& text) = 0;
    virtual std::u16string ToLower(const std::u16string& text) = 0;
};

}  // namespace talvex
