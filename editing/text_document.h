// The text of the program's text view, held once, with the start of every line. Portable:
// no Windows header. Positions and lengths count UTF-16 units, as everywhere in the program.
//
// A line ends at a line break: CR LF, a lone LF or a lone CR (clipboard texts come with all
// three). The break belongs to the line it ends; the last line has none. An empty text has
// one empty line, and a text ending in a break has an empty last line after it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace talvex {

class TextDocument {
  public:
    TextDocument();

    const std::u16string& Text() const { return text_; }
    std::size_t Length() const { return text_.size(); }

    // Always at least 1.
    std::size_t LineCount() const { return lineStarts_.size(); }
    // `line` below LineCount().
    std::size_t LineStart(std::size_t line) const { return lineStarts_[line]; }
    // Where the line's text ends, before its break.
    std::size_t LineEnd(std::size_t line) const;
    std::size_t LineLength(std::size_t line) const { return LineEnd(line) - LineStart(line); }
    // The line's text, without its break. Valid until the next change.
    std::u16string_view LineText(std::size_t line) const;
    // The line that `position` (0 to Length()) is on; a position inside a line break, or
    // right before it, is on the line the break ends.
    std::size_t LineOfPosition(std::size_t position) const;
    // A line with the most units (the first of them); found again after each change, when
    // first asked for.
    std::size_t LongestLine() const;

    // Replaces the whole text. On failure (no memory) the document stays as it was.
    void SetText(std::u16string text);
    // Replaces `count` units at `position` (clamped to the text) by `with`. On failure (no
    // memory) the document stays as it was. Cost: the units after `position` move once,
    // the line starts after it are shifted once, and only `with` is scanned for breaks.
    void Replace(std::size_t position, std::size_t count, std::u16string_view with);

    // Changes with every SetText and Replace; lets a cache tell that the text moved on.
    std::uint64_t Version() const { return version_; }

  private:
    // The lines an edit changed: [first, oldEnd) before it, [first, newEnd) after it.
    struct TouchedLines {
        std::size_t first;
        std::size_t oldEnd;
        std::size_t newEnd;
    };
    // Shifts the starts after the touched lines by `shift` units and into their new places.
    void MoveLineStartsAfter(const TouchedLines& touched, std::uint32_t shift);
    // Finds the longest line again from the touched ones, when they tell enough.
    void FollowLongestLine(const TouchedLines& touched, std::size_t longestLengthBefore);

    std::u16string text_;
    std::vector<std::uint32_t> lineStarts_;  // lineStarts_[0] == 0, ascending
    mutable std::size_t longestLine_ = 0;
    mutable bool longestKnown_ = true;
    std::uint64_t version_ = 0;
};

}  // namespace talvex
