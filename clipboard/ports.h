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
    virtual int HeightTwips() const = 0;
    virtual void SetHeightTwips(int twips) = 0;
};

// The platform's modal message box. Flags and answers are the platform's own numbers:
// 64 information + OK, 68 information + Yes/No; the answer 6 is Yes.
class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    virtual int Show(const std::u16string& text, const std::u16string& caption, int flags) = 0;
};

inline constexpr int kMbInformationOk = 64;
inline constexpr int kMbInformationYesNo = 68;
inline constexpr int kAnswerYes = 6;

// Letter-case mapping of whole strings; the result always has the length of the input.
class CaseMapper {
  public:
    virtual ~CaseMapper() = default;
    virtual std::u16string ToUpper(const std::u16string& text) = 0;
    virtual std::u16string ToLower(const std::u16string& text) = 0;
};

inline constexpr char16_t kTitle[] = u"Talvex Press 1.0";

}  // namespace talvex
