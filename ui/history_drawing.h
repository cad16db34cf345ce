// How List1 draws a history entry: one row each, whatever the entry holds.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace talvex {

// A row shows at most this many units of its entry; nobody reads further on one row, and
// a 10 MB entry must not be laid out at every paint.
inline constexpr std::size_t kHistoryRowUnits = 256;

// Marks drawn in place of what cannot show on one line.
// ¶ for CR LF, a lone CR or a lone LF: every font has it, unlike the arrow ↵.
inline constexpr wchar_t kLineBreakMark = L'\u00B6';
inline constexpr wchar_t kCutMark = L'\u2026';  // … after an entry cut short

// Selected rows in the blue of the window's title strip.
inline constexpr COLORREF kSelectedRowBack = RGB(68, 158, 249);
inline constexpr COLORREF kSelectedRowText = RGB(255, 255, 255);

// What one row shows of an entry: its first kHistoryRowUnits units, every line break as one
// kLineBreakMark, tabs and other control characters as spaces, and kCutMark when the entry
// goes on. A surrogate pair is never cut in two.
std::wstring HistoryRowText(const wchar_t* entry, std::size_t length);

void MeasureHistoryItem(MEASUREITEMSTRUCT& item, UINT dpi);

// Draws one row. The item data of a row, when not zero, points at its row text (kept by
// ListBoxHistory); otherwise the entry is read from the list box.
void DrawHistoryItem(const DRAWITEMSTRUCT& item);

}  // namespace talvex
