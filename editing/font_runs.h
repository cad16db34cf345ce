// A piece of a line drawn in more than one font: the view's own, and fonts that have the
// characters it lacks. Portable: the view says which font each unit wants; this cuts the
// piece into runs, each shaped alone, never parting a character from its marks, so that the
// caret, a click and the selection meet a run's edge only where a character ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace talvex {

struct FontRun {
    std::size_t offset = 0;  // within the piece
    std::size_t length = 0;
    std::uint8_t font = 0;  // 0: the view's own font; n: the n-th font that has what it lacks
};

// Runs of whole characters (as the caret steps over them) in one font each, in order, covering
// `text`. A character takes the font its first unit wants; `fontOfUnit` has one entry per
// unit of `text`, or none at all when every unit is in the view's own font.
std::vector<FontRun> SplitByFont(std::u16string_view text,
                                 const std::vector<std::uint8_t>& fontOfUnit);

}  // namespace talvex
