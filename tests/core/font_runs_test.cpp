#include "editing/font_runs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace talvex::testing {
namespace {

struct Case {
    const char* what;
    std::u16string text;
    std::vector<std::uint8_t> fonts;  // per unit, as the view asks for them
    std::vector<FontRun> runs;        // what is shaped: offset, length, font
};

TEST(SplitByFontTest, RunsChangeFontOnlyBetweenWholeCharacters) {
    const Case cases[] = {
        {"no font asked for: one run in the view's font", u"abc", {}, {{0, 3, 0}}},
        {"nothing at all", u"", {}, {}},
        {"a stretch in a linked font between Latin letters",
         u"ab中文cd",
         {0, 0, 1, 1, 0, 0},
         {{0, 2, 0}, {2, 2, 1}, {4, 2, 0}}},
        {"two linked fonts side by side", u"中한", {1, 2}, {{0, 1, 1}, {1, 1, 2}}},
        {"a mark the view's font has stays with the letter before it",
         u"中\u0301a",
         {1, 0, 0},
         {{0, 2, 1}, {2, 1, 0}}},
        {"a surrogate pair is never cut: it takes its first half's font",
         u"x\U0002A6A5y",
         {0, 0, 1, 0},
         {{0, 4, 0}}},
        {"a lone linked letter at each end",
         u"中ab文",
         {1, 0, 0, 1},
         {{0, 1, 1}, {1, 2, 0}, {3, 1, 1}}},
        {"a per-unit list of another length is not trusted", u"abc", {1}, {{0, 3, 0}}},
    };
    for (const Case& c : cases) {
        const std::vector<FontRun> runs = SplitByFont(c.text, c.fonts);
        ASSERT_EQ(runs.size(), c.runs.size()) << c.what;
        for (std::size_t i = 0; i < runs.size(); ++i) {
            EXPECT_EQ(runs[i].offset, c.runs[i].offset) << c.what << ", run " << i;
            EXPECT_EQ(runs[i].length, c.runs[i].length) << c.what << ", run " << i;
            EXPECT_EQ(runs[i].font, c.runs[i].font) << c.what << ", run " << i;
        }
    }
}

}  // namespace
}  // namespace talvex::testing
