// The grapheme table and the character rules against Unicode's own data files, from Debian's
// unicode-data package (under Wine, through the Z: drive that shows the Linux file system).
#include "editing/grapheme.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "editing/text_positions.h"

namespace talvex::testing {
namespace {

#ifdef _WIN32
constexpr char kUnicodeData[] = "Z:/usr/share/unicode/";
#else
constexpr char kUnicodeData[] = "/usr/share/unicode/";
#endif

// Opens a file of the Unicode data, or says why not: natively the package is part of the
// build's set-up; on Windows it is there only under Wine.
#define OPEN_UNICODE_FILE(stream, relative)                                                 \
    std::ifstream stream(std::string(kUnicodeData) + (relative));                           \
    if (!stream) {                                                                          \
        const std::string why = std::string("no ") + kUnicodeData + (relative) +            \
                                " (Debian's unicode-data package, seen through Wine's Z:)"; \
        if (kUnicodeData[0] == 'Z') GTEST_SKIP() << why;                                    \
        FAIL() << why;                                                                      \
    }

// The data files' names of the classes, in the order of GraphemeClass.
const std::vector<std::string> kClassNames = {
    "Other",   "CR",          "LF", "Control", "Extend", "ZWJ", "Regional_Indicator",
    "Prepend", "SpacingMark", "L",  "V",       "T",      "LV",  "Extended_Pictographic",
    "LVT"};

// Gives each code point of a data line ("0300..036F    ; Extend # ...") the class it names.
void ReadRanges(std::istream& in, std::vector<GraphemeClass>& classes) {
    std::string line;
    while (std::getline(in, line)) {
        line = line.substr(0, line.find('#'));
        const std::size_t semicolon = line.find(';');
        if (semicolon == std::string::npos) continue;
        std::string name;
        std::istringstream(line.substr(semicolon + 1)) >> name;
        const auto found = std::find(kClassNames.begin(), kClassNames.end(), name);
        if (found == kClassNames.end()) continue;  // the other emoji properties
        const std::size_t dots = line.find("..");
        const unsigned long first = std::stoul(line, nullptr, 16);
        const unsigned long last =
            dots < semicolon ? std::stoul(line.substr(dots + 2), nullptr, 16) : first;
        for (unsigned long c = first; c <= last; ++c)
            classes[c] = static_cast<GraphemeClass>(found - kClassNames.begin());
    }
}

TEST(GraphemeTest, EveryCodePointHasTheClassUnicodesDataGivesIt) {
    OPEN_UNICODE_FILE(property, "auxiliary/GraphemeBreakProperty.txt");
    OPEN_UNICODE_FILE(emoji, "emoji/emoji-data.txt");
    std::vector<GraphemeClass> expected(0x110000, GraphemeClass::Other);
    ReadRanges(property, expected);
    ReadRanges(emoji, expected);
    std::size_t wrong = 0;
    for (char32_t c = 0; c < expected.size(); ++c) {
        if (GraphemeClassOf(c) == expected[c]) continue;
        if (++wrong <= 10) ADD_FAILURE() << "U+" << std::hex << static_cast<unsigned long>(c);
    }
    EXPECT_EQ(wrong, 0u);
    EXPECT_EQ(expected[0xAC00], GraphemeClass::LV);  // the files were read
    EXPECT_EQ(expected[0x1F600], GraphemeClass::ExtendedPictographic);
}

std::u16string Utf16(unsigned long c) {
    if (c < 0x10000) return std::u16string(1, static_cast<char16_t>(c));
    c -= 0x10000;
    return {static_cast<char16_t>(0xD800 + (c >> 10)), static_cast<char16_t>(0xDC00 + (c & 0x3FF))};
}

struct Case {
    std::string line;
    std::u16string text;
    std::vector<std::size_t> stops;  // in units
};

// "÷ 0020 × 0308 ÷ 0020 ÷ # ...": code points, with ÷ where a character ends.
Case ParseCase(const std::string& line) {
    Case c{line, {}, {}};
    std::istringstream words(line.substr(0, line.find('#')));
    std::string word;
    while (words >> word) {
        if (word == "\xC3\xB7") {  // ÷ in UTF-8
            c.stops.push_back(c.text.size());
        } else if (word != "\xC3\x97") {  // ×
            c.text += Utf16(std::stoul(word, nullptr, 16));
        }
    }
    return c;
}

TEST(GraphemeTest, EveryConformanceCaseBreaksWhereUnicodeSays) {
    OPEN_UNICODE_FILE(file, "auxiliary/GraphemeBreakTest.txt");
    std::vector<Case> cases;
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line[0] != '#') cases.push_back(ParseCase(line));
    }
    EXPECT_EQ(cases.size(), 602u);  // Unicode 15.0's
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        // From every position, on and back to the stops next to it, as the arrows, mouse hits
        // and selection ends go.
        std::size_t next = 0;
        for (std::size_t p = 0; p <= c.text.size(); ++p) {
            const bool stop = next < c.stops.size() && c.stops[next] == p;
            next += stop ? 1 : 0;
            const std::size_t after = next < c.stops.size() ? c.stops[next] : c.text.size();
            const std::size_t before = c.stops[next - 1] < p ? c.stops[next - 1]
                                       : next >= 2           ? c.stops[next - 2]
                                                             : 0;
            const bool surrogateMiddle = !IsCaretBoundary(c.text, p);
            EXPECT_EQ(IsCharacterBoundary(c.text, p), stop) << "at " << p;
            if (surrogateMiddle) continue;
            EXPECT_EQ(NextCharacter(c.text, p), after) << "on from " << p;
            EXPECT_EQ(PreviousCharacter(c.text, p), before) << "back from " << p;
        }
        if (HasFailure()) return;
    }
}

}  // namespace
}  // namespace talvex::testing
