// The four text tools on random UTF-16: lone surrogates, marks, Turkish and Greek letters,
// with a case mapping that sometimes changes a text's length.
#include <string>
#include <vector>

#include "clipboard/text_tools.h"
#include "tests/core/fakes.h"
#include "tests/fuzz/checks.h"
#include "tests/fuzz/portable_case_mapper.h"

namespace talvex::fuzzing {
namespace {

using talvex::testing::ClipboardFake;
using talvex::testing::MessageBoxesFake;
using talvex::testing::ToolsPanelFake;

// Pieces of text worth meeting: letters whose case mapping is not ASCII's, marks, both
// apostrophes, digits of other scripts, line breaks, lone surrogates and whole pairs.
const std::u16string kPieces[] = {
    u"a",      u"Z",          u"i",          u"I",          u"ı",      u"İ",      u"ğ",
    u"Ş",      u"ĳ",          u"Ĺ",          u"ſ",          u"σ",      u"ς",      u"Σ",
    u"ά",      u"ΐ",          u"ΰ",          u"ß",          u"ŉ",      u"µ",      u"ÿ",
    u"\u0301", u"\u0307",     u" ",          u"\t",         u"\r\n",   u"\n",     u"'",
    u"’",      u"7",          u"\u0663",     u"\uFF11",     u"-",      u"\u00A0", u"\xD83D",
    u"\xDE00", u"\U00010428", u"\U00010400", u"\U0001F600", u"\u05D0", u"\u3042", u"\u01C5"};

std::u16string TextOf(Choices& choices) {
    std::u16string text;
    while (!choices.Done()) {
        const std::uint8_t choice = choices.Next();
        if (choice < 200) {
            text += kPieces[choice % std::size(kPieces)];
        } else {  // any unit at all
            text += static_cast<char16_t>(choices.Next() << 8 | choices.Next());
        }
    }
    return text;
}

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool KeepsAWordGoing(char16_t c) {
    return IsAsciiLetter(c) || (c >= u'0' && c <= u'9') || c == u'\'';
}

// A clipboard with the text (or none), its marks and the panel open, before each tool.
struct Bench {
    std::optional<std::u16string> text;
    TextPrivacy marks;
    PortableCaseMapper cases;
    ClipboardFake clip;
    ToolsPanelFake panel;
    MessageBoxesFake boxes;

    void Run(short tool) {
        clip.Put(text, marks);
        panel.open = true;
        boxes.shown.clear();
        RunTextTool(tool, clip, cases, panel, boxes);
    }
    bool Untouched() const { return clip.text == text && clip.privacy == marks; }
};

// The count says the text's length in 16-bit units, and touches nothing.
std::string CheckCount(Bench& b) {
    b.Run(kToolCharacterCount);
    const std::size_t length = b.text ? b.text->size() : 0;
    if (b.boxes.shown.size() != 1 || b.boxes.shown[0].kind != MessageKind::CharacterCount)
        return "the count showed no count";
    if (b.boxes.shown[0].count != length) return "the count does not say " + std::to_string(length);
    if (!b.Untouched() || b.panel.open) return "the count changed the clipboard or left the panel";
    return {};
}

// Upper and lower case: the mapped text, with its marks, or the clipboard as it was when the
// mapping changed the length; the same tool once more changes nothing.
std::string CheckCaseTool(Bench& b, short tool) {
    const std::string name = tool == kToolUpperCase ? "upper case" : "lower case";
    b.Run(tool);
    if (!b.text)
        return b.Untouched() && !b.panel.open ? "" : name + " touched a clipboard without text";
    const std::u16string mapped =
        tool == kToolUpperCase ? b.cases.ToUpper(*b.text) : b.cases.ToLower(*b.text);
    if (mapped.size() != b.text->size()) {
        return b.Untouched() && b.panel.open ? "" : name + " wrote a text of another length";
    }
    if (b.clip.text != mapped || b.clip.privacy != b.marks || b.panel.open)
        return name + " did not write the mapped text with its marks";
    const std::optional<std::u16string> once = b.clip.text;
    RunTextTool(tool, b.clip, b.cases, b.panel, b.boxes);
    if (b.clip.text != once) return name + " of " + name + " differs from " + name;
    return {};
}

// Proper case: every unit is the upper or the lower form of the one it replaces, and among
// ASCII letters a word starts after anything but a letter, a digit or an apostrophe.
std::string CheckProperCase(Bench& b) {
    b.Run(kToolProperCase);
    if (!b.text) return b.Untouched() ? "" : "proper case touched a clipboard without text";
    const std::u16string& text = *b.text;
    const std::u16string upper = b.cases.ToUpper(text);
    const std::u16string lower = b.cases.ToLower(text);
    if (upper.size() != text.size() || lower.size() != text.size())
        return b.Untouched() && b.panel.open ? "" : "proper case wrote a text of another length";
    if (!b.clip.text || b.clip.text->size() != text.size() || b.clip.privacy != b.marks)
        return "proper case did not write a text of the same length with its marks";
    const std::u16string& proper = *b.clip.text;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (proper[i] != upper[i] && proper[i] != lower[i])
            return "proper case made unit " + std::to_string(i) + " neither upper nor lower";
        if (!IsAsciiLetter(text[i]) || (i > 0 && text[i - 1] >= 0x80)) continue;
        const bool startsWord = i == 0 || !KeepsAWordGoing(text[i - 1]);
        if (proper[i] != (startsWord ? upper[i] : lower[i]))
            return "proper case got the word start at unit " + std::to_string(i) + " wrong";
    }
    return {};
}

}  // namespace

std::string CheckTextTools(const std::uint8_t* data, std::size_t size) {
    Choices choices(data, size);
    const std::uint8_t setup = choices.Next();
    Bench b{std::nullopt, {}, PortableCaseMapper((setup & 1) != 0), {}, {}, {}};
    if ((setup & 0x0E) != 0x0E) b.text = TextOf(choices);  // else a picture, say
    if ((setup & 0x70) != 0)
        b.marks = testing::kMarkedKinds[((setup >> 4) & 7) % testing::kMarkedKinds.size()].marks;
    for (auto check : {CheckCount, CheckProperCase}) {
        std::string fault = check(b);
        if (!fault.empty()) return fault;
    }
    for (short tool : {kToolUpperCase, kToolLowerCase}) {
        std::string fault = CheckCaseTool(b, tool);
        if (!fault.empty()) return fault;
    }
    return {};
}

}  // namespace talvex::fuzzing
