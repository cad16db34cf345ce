#include "editing/font_runs.h"

#include <algorithm>

#include "editing/text_positions.h"

namespace talvex {

std::vector<FontRun> SplitByFont(std::u16string_view text,
                                 const std::vector<std::uint8_t>& fontOfUnit) {
    std::vector<FontRun> runs;
    if (fontOfUnit.size() != text.size()) {
        if (!text.empty()) runs.push_back(FontRun{0, text.size(), 0});
        return runs;
    }
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t next = std::max(NextCharacter(text, at), at + 1);
        const std::uint8_t font = fontOfUnit[at];
        if (!runs.empty() && runs.back().font == font) {
            runs.back().length += next - at;
        } else {
            runs.push_back(FontRun{at, next - at, font});
        }
        at = next;
    }
    return runs;
}

}  // namespace talvex
