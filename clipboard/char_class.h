// Portable character classes for proper-casing text: what counts as a letter, a digit or an
// apostrophe, for one UTF-16 unit. Deliberately modest: the platform's case mapping decides
// most letters, a table of common script blocks covers the scripts without case, and the
// grapheme table tells the marks.
#pragma once

namespace talvex {

// True when c lies in one of the common letter blocks (Latin, Greek, Cyrillic, Armenian,
// Hebrew, Arabic, Indic, Thai, Georgian, Hangul, kana, CJK ideographs...). Surrogates are
// never in a block.
bool IsInLetterBlock(char16_t c);

// A unit that belongs to the character before it by Unicode's grapheme rules: a combining
// mark, a variation selector, a joiner (editing/grapheme.h). It neither starts nor ends a
// word. Surrogates are never marks.
bool IsMark(char16_t c);

// A letter: a unit that upper- or lower-casing changes, or one in a letter block. `upper` and
// `lower` are the mapped forms of c. Surrogates are never letters, whatever the mapping says.
bool IsLetter(char16_t c, char16_t upper, char16_t lower);

// A decimal digit: ASCII 0-9 and the other common decimal digit blocks (Arabic-Indic, Indic
// scripts, Thai, Lao, Tibetan, Myanmar, Khmer, Mongolian, fullwidth).
bool IsDecimalDigit(char16_t c);

// U+0027 and the typographic apostrophe U+2019, both used in French elisions ("l'école").
bool IsApostrophe(char16_t c);

}  // namespace talvex
