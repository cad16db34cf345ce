#include "clipboard/case_mapping_win.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "clipboard/text_tools.h"
#include "tests/core/fakes.h"

namespace talvex {
namespace {

TEST(WindowsCaseMapperTest, MapsFrenchAccentsBothWays) {
    WindowsCaseMapper cases;
    EXPECT_EQ(cases.ToUpper(u"élève à l'école"), u"ÉLÈVE À L'ÉCOLE");
    EXPECT_EQ(cases.ToLower(u"ÉLÈVE À L'ÉCOLE"), u"élève à l'école");
    EXPECT_EQ(cases.ToLower(cases.ToUpper(u"çà et là, où êtes-vous ?")),
              u"çà et là, où êtes-vous ?");
}

TEST(WindowsCaseMapperTest, EmptyTextGivesEmptyText) {
    WindowsCaseMapper cases;
    EXPECT_EQ(cases.ToUpper(u""), u"");
    EXPECT_EQ(cases.ToLower(u""), u"");
}

TEST(WindowsCaseMapperTest, SpecialLettersKeepTheirLength) {
    WindowsCaseMapper cases;
    for (const std::u16string text : {u"ß", u"straße", u"ǅ", u"ǆ", u"Ǆ", u"ŉ", u"ﬁ"}) {
        SCOPED_TRACE(::testing::PrintToString(text));
        EXPECT_EQ(cases.ToUpper(text).size(), text.size());
        EXPECT_EQ(cases.ToLower(text).size(), text.size());
    }
    EXPECT_EQ(cases.ToUpper(u"ǆ"), u"Ǆ");
    EXPECT_EQ(cases.ToLower(u"ǅ"), u"ǆ");
}

TEST(WindowsCaseMapperTest, EmojiSurrogatePairPassesUntouched) {
    WindowsCaseMapper cases;
    const std::u16string text =
        u"a\xD83D\xDE00"
        u"b";
    EXPECT_EQ(cases.ToUpper(text),
              u"A\xD83D\xDE00"
              u"B");
    EXPECT_EQ(cases.ToLower(text),
              u"a\xD83D\xDE00"
              u"b");
}

TEST(WindowsCaseMapperTest, TenMegabyteTextKeepsItsLength) {
    WindowsCaseMapper cases;
    const std::u16string word = u"élève École ";
    std::u16string text;
    const std::size_t units = 10u * 1024u * 1024u;
    text.reserve(units);
    while (text.size() + word.size() <= units) text += word;
    const std::u16string upper = cases.ToUpper(text);
    ASSERT_EQ(upper.size(), text.size());
    EXPECT_EQ(upper.substr(0, word.size()), u"ÉLÈVE ÉCOLE ");
    EXPECT_EQ(upper.substr(upper.size() - word.size()), u"ÉLÈVE ÉCOLE ");
    EXPECT_EQ(cases.ToLower(upper).size(), text.size());
}

TEST(WindowsCaseMapperTest, ProperCaseToolWithTheRealMapper) {
    WindowsCaseMapper cases;
    testing::ClipboardFake clip;
    testing::ToolsPanelFake panel;
    testing::MessageBoxesFake boxes;
    clip.text = u"jean-pierre l'école ÉCOLE";
    panel.open = true;
    RunTextTool(kToolProperCase, clip, cases, panel, boxes);
    EXPECT_EQ(clip.text, u"Jean-Pierre L'école École");
    EXPECT_FALSE(panel.open);
}

}  // namespace
}  // namespace talvex
