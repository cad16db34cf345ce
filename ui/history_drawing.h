// How List1 draws a history entry: one row each, whatever the entry holds.
#pragma once

#include <windows.h>

namespace talvex {

void MeasureHistoryItem(MEASUREITEMSTRUCT& item, UINT dpi);
void DrawHistoryItem(const DRAWITEMSTRUCT& item);

}  // namespace talvex
