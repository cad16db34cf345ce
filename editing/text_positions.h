// Where the caret may stand in a text, and where characters and words begin and end. Portable.
//
// The caret never stands inside a surrogate pair nor between the CR and the LF of a line
// break. A "character" is a user-perceived character: an extended grapheme cluster of
// Unicode's text segmentation rules (UAX #29), from the table in grapheme_table.cpp. A letter
// with its marks, a Hangul syllable of jamo, an emoji with its modifiers and joined emoji, a
// flag (two regional indicators), a CR LF are each one character.
#pragma once

#include <cstddef>
#include <string_view>
#include <utility>

#include "editing/utf16.h"

namespace talvex {

inline bool IsLineBreakUnit(char16_t c) { return c == u'\r' || c == u'\n'; }

// True when the caret may stand at `position` (0 and text.size() always can).
bool IsCaretBoundary(std::u16string_view text, std::size_t position);
// The nearest position at or before `position` (clamped to the text) where the caret may
// stand.
std::size_t SnapToCaretBoundary(std::u16string_view text, std::size_t position);

// Whether one character ends and another begins at `position` (a caret boundary that no
// rule joins across). The ends of the text are; positions beyond it are not.
bool IsCharacterBoundary(std::u16string_view text, std::size_t position);

// One character on or back, for the arrow keys, Delete, mouse hits and selection ends: the
// next or previous character boundary (from inside a character, its end or its start). At
// the ends of the text they stay where they are. Both look back only over the character
// they are in, and over at most 1024 regional indicators (a run of more than 512 flags, which
// no real text has, pairs up deep inside with every fourth unit of the text).
std::size_t NextCharacter(std::u16string_view text, std::size_t position);
std::size_t PreviousCharacter(std::u16string_view text, std::size_t position);
// One code point back, a CR LF counting as one.
std::size_t PreviousCodePoint(std::u16string_view text, std::size_t position);
// Where Backspace's deletion starts: the whole character before when it is an emoji
// sequence (Extended_Pictographic with its modifiers, selectors, joined emoji or tags), a
// flag or a keycap; else one code point back (a CR LF counting as one), so that an accent
// typed after its letter can be taken back alone.
std::size_t BackspaceStart(std::u16string_view text, std::size_t position);

// Words, for Ctrl+arrows, Ctrl+Backspace, Ctrl+Delete and double-click. A text is made of
// runs of one class each: word characters (letters, digits, marks, symbols and everything
// not below), punctuation, white space (not line breaks), and line breaks (each break alone).
//
// NextWordStart: from a line break, just past it; otherwise past the run `position` is in
// (unless it is white space), then past the white space that follows, stopping at a line
// break. At the end it stays.
std::size_t NextWordStart(std::u16string_view text, std::size_t position);
// PreviousWordStart: back over white space; then, if a line break comes before, just before
// that break (when no white space was crossed) or stop (when some was); otherwise back to the
// start of the run before. At 0 it stays.
std::size_t PreviousWordStart(std::u16string_view text, std::size_t position);
// The run (word, punctuation or white space) that holds the character at `position`, for a
// double-click: [first, second). At a line break or at the end of the text, the run that
// ends there; an empty range at `position` when there is none (an empty line).
std::pair<std::size_t, std::size_t> WordAt(std::u16string_view text, std::size_t position);

}  // namespace talvex
