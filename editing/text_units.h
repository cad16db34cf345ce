// Units of text as screen readers walk them: characters, words, lines, pages and the whole
// text, where each begins and ends, and moving a position or a range by them. Portable; the
// UI Automation provider of the text view is a thin layer over it.
//
// The units follow the editing model's own rules, so that a reader stops where the caret
// stops: a character is what the arrows step over (NextCharacter, PreviousCharacter), a word
// what Ctrl+arrows step over (NextWordStart, PreviousWordStart), a line or a paragraph is a line
// of the document with its break (the view does not wrap), a page is as many whole lines as
// the view shows, counted from the top line in sight, and the format (one font for the whole
// text) and the document are the whole text.
//
// Every answer costs what the unit at hand costs, never a walk over the whole text: lines are
// found through the document's line starts, and a character or a word only looks at itself and
// its neighbours.
#pragma once

#include <cstddef>
#include <string_view>

#include "editing/text_document.h"

namespace talvex {

enum class TextUnit { Character, Format, Word, Line, Paragraph, Page, Document };

// [start, end) in the document.
struct TextSpan {
    std::size_t start = 0;
    std::size_t end = 0;

    bool Empty() const { return start == end; }
    friend bool operator==(const TextSpan&, const TextSpan&) = default;
};

class TextUnits {
  public:
    // The pages: `linesPerPage` (taken as at least 1) lines each, one of them starting at
    // `firstLineInSight`, so that the page in sight is the lines in sight.
    TextUnits(const TextDocument& document, std::size_t firstLineInSight, std::size_t linesPerPage);

    // A range as it stands in the document now: each end clamped to the text and snapped back
    // to where the caret may stand (a range kept across edits may point beyond the text).
    TextSpan Clamp(TextSpan span) const;

    // The nearest boundary of `unit` after `position` (before it): the start and the end of
    // the text are boundaries of every unit; at the end (the start) the position stays.
    std::size_t NextBoundary(TextUnit unit, std::size_t position) const;
    std::size_t PreviousBoundary(TextUnit unit, std::size_t position) const;

    // The unit that holds `position`. At the end of the text there is no character or word
    // (an empty span there), while a line, a page, the format and the document end there.
    TextSpan Enclosing(TextUnit unit, std::size_t position) const;

    // ExpandToEnclosingUnit: the unit that holds the start of `span`.
    TextSpan Expand(TextUnit unit, TextSpan span) const { return Enclosing(unit, span.start); }

    // Moves `position` across `count` boundaries (back when negative); returns how many it
    // crossed, fewer at either end of the text.
    int MovePosition(TextUnit unit, std::size_t& position, int count) const;

    // ITextRangeProvider::Move: an empty span moves as a position and stays empty; any other
    // goes back to the start of the unit its start is in, moves by whole units and becomes
    // that one unit. It never lands on the empty end of the text (but for a line-made unit
    // when the last line is empty). Returns the units moved; when none, `span` is left as it
    // was.
    int Move(TextUnit unit, TextSpan& span, int count) const;

    // MoveEndpointByUnit: one end moves as a position; when it crosses the other end, that one
    // comes along (the span is empty there).
    int MoveEndpoint(TextUnit unit, TextSpan& span, bool start, int count) const;

  private:
    std::size_t Length() const { return document_.Length(); }
    // The start of the unit that holds `position`.
    std::size_t UnitStart(TextUnit unit, std::size_t position) const;
    // Whether Move may make a range of the unit at `boundary`, a boundary after a unit.
    bool MayStartAt(TextUnit unit, std::size_t boundary) const;
    // The first line of the page that holds `line`: where it would be if lines went on before
    // the first one (so negative for the first page but one in sight), and as it is.
    long long PageStart(std::size_t line) const;
    std::size_t PageStartLine(std::size_t line) const;
    // Where `line` starts; the end of the text for a line past the last.
    std::size_t LineStartOrEnd(std::size_t line) const;

    const TextDocument& document_;
    std::u16string_view text_;
    std::size_t firstLine_;
    std::size_t linesPerPage_;
};

// Where `needle` first occurs in text[from, to) (the last occurrence when `backward`), or
// std::u16string_view::npos. With `fold` (a table of 65,536 units), units are compared by what
// the table maps them to: case-insensitive with a case table. An empty needle is never found.
std::size_t FindInText(std::u16string_view text, std::size_t from, std::size_t to,
                       std::u16string_view needle, bool backward, const char16_t* fold);

}  // namespace talvex
