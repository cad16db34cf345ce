#include "editing/font_runs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace talvex::testing {
namespace {

TEST(SplitByFontTest, RunsChangeFontOnlyBetweenWholeCharacters) {
    const struct {
        std::u16string text;
        std::vector<std::uint8_t> fonts;  // per unit, as the view asks for them
        const char* runs;                 // "offset+length:font" each
    } cases[] = {
        {u"abc", {}, "0+3:0"},  // no font asked for: the view's own
        {u"", {}, ""},
        {u"ab中文cd", {0, 0, 1, 1, 0, 0}, "0+2:0 2+2:1 4+2:0"},
        {u"中ab한", {1, 0, 0, 2}, "0+1:1 1+2:0 3+1:2"},
        {u"中\u0301a", {1, 0, 0}, "0+2:1 2+1:0"},  // a mark goes with its letter
        {u"x\U0002A6A5y", {0, 0, 1, 0}, "0+4:0"},  // a pair is never cut
        {u"abc", {1}, "0+3:0"},                    // a list of another length is not trusted
    };
    for (const auto& c : cases) {
        std::string runs;
        for (const FontRun& run : SplitByFont(c.text, c.fonts)) {
            runs += (runs.empty() ? "" : " ") + std::to_string(run.offset) + "+" +
                    std::to_string(run.length) + ":" + std::to_string(run.font);
        }
        EXPECT_EQ(runs, c.runs) << ::testing::PrintToString(c.fonts);
    }
}

}  // namespace
}  // namespace talvex::testing
