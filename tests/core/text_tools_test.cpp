#include "clipboard/text_tools.h"

#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "clipboard/char_class.h"
#include "clipboard/watcher.h"
#include "tests/core/fakes.h"
#include "ui/texts.h"

namespace talvex {
namespace {

using testing::CaseMapperFake;
using testing::ClipboardFake;
using testing::ClipOp;
using testing::MessageBoxesFake;
using testing::ToolsPanelFake;

// Any height other than the closed one: the tools panel is showing.

// ASCII plus a few French accented letters, the circled letters (cased symbols outside the
// letter blocks) and Deseret (a cased script that lives in surrogate pairs).
class FrenchCaseMapperFake : public CaseMapper {
  public:
    std::u16string ToUpper(const std::u16string& t) override { return Map(t, true); }
    std::u16string ToLower(const std::u16string& t) override { return Map(t, false); }

  private:
    static std::u16string Map(std::u16string t, bool upper) {
        static const std::vector<std::pair<char16_t, char16_t>> pairs = {
            {u'é', u'É'}, {u'è', u'È'}, {u'à', u'À'}, {u'\u24D0', u'\u24B6'}};
        for (std::size_t i = 0; i < t.size(); ++i) {
            char16_t& c = t[i];
            if (upper && c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
            if (!upper && c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
            for (auto [lower, capital] : pairs) {
                if (upper && c == lower) c = capital;
                if (!upper && c == capital) c = lower;
            }
            const bool deseret = i > 0 && t[i - 1] == 0xD801;
            if (deseret && upper && c >= 0xDC28 && c <= 0xDC4F) c = static_cast<char16_t>(c - 40);
            if (deseret && !upper && c >= 0xDC00 && c <= 0xDC27) c = static_cast<char16_t>(c + 40);
        }
        return t;
    }
};

// Breaks the length promise in one direction only, to show both mappings are checked.
class LengthChangingMapper : public CaseMapper {
  public:
    bool upperGrows = false;
    bool lowerShrinks = false;
    std::u16string ToUpper(const std::u16string& t) override {
        return upperGrows ? inner.ToUpper(t) + u"S" : inner.ToUpper(t);
    }
    std::u16string ToLower(const std::u16string& t) override {
        return lowerShrinks ? inner.ToLower(t).substr(1) : inner.ToLower(t);
    }

  private:
    CaseMapperFake inner;
};

class ThrowingMapper : public CaseMapper {
  public:
    std::u16string ToUpper(const std::u16string&) override { throw std::bad_alloc(); }
    std::u16string ToLower(const std::u16string&) override { throw std::bad_alloc(); }
};

class TextToolTest : public ::testing::Test {
  protected:
    void SetUp() override { panel.open = true; }
    void Run(short tool) { EXPECT_NO_THROW(RunTextTool(tool, clip, cases, panel, boxes)); }
    void RunWith(short tool, CaseMapper& mapper) {
        EXPECT_NO_THROW(RunTextTool(tool, clip, mapper, panel, boxes));
    }

    ClipboardFake clip;
    FrenchCaseMapperFake cases;
    ToolsPanelFake panel;
    MessageBoxesFake boxes;
};

// --- The case tools -------------------------------------------------------------------------

TEST_F(TextToolTest, CaseToolsReplaceTheClipboardTextAndClosePanel) {
    struct Case {
        short tool;
        std::u16string expected;
    };
    for (const Case& c : {Case{kToolUpperCase, u"ÉLÈVE À L'ÉCOLE, 2ND"},
                          Case{kToolLowerCase, u"élève à l'école, 2nd"},
                          Case{kToolProperCase, u"Élève À L'école, 2nd"}}) {
        SCOPED_TRACE(c.tool);
        clip.text = u"élÈve à l'École, 2nD";
        panel.open = true;
        Run(c.tool);
        EXPECT_EQ(clip.text, c.expected);
        EXPECT_FALSE(panel.open);
        EXPECT_TRUE(boxes.shown.empty());
    }
}

TEST_F(TextToolTest, CaseToolReadsOnceThenClearsThenSets) {
    clip.text = u"abc";
    Run(kToolUpperCase);
    EXPECT_EQ(clip.calls, (std::vector<ClipOp>{ClipOp::ReadText, ClipOp::Clear, ClipOp::SetText}));
}

TEST_F(TextToolTest, CaseToolKeepsCrLfAndLength) {
    clip.text = u"ligne un\r\nligne deux\r\n";
    Run(kToolProperCase);
    EXPECT_EQ(clip.text, u"Ligne Un\r\nLigne Deux\r\n");
}

TEST_F(TextToolTest, CaseToolsLeaveAClipboardWithoutTextAsItIs) {
    // Clearing it would lose the picture, and the watcher would take the empty text it left.
    for (short tool : {kToolUpperCase, kToolLowerCase, kToolProperCase}) {
        SCOPED_TRACE(tool);
        clip = ClipboardFake{};
        testing::HistoryListFake history;
        testing::ChangeCounterFake changes(clip);
        ClipboardWatcher watcher(clip, history, &changes);
        clip.Put(u"texte");
        watcher.Tick();
        clip.PutPicture();
        watcher.Tick();
        clip.calls.clear();
        panel.open = true;
        Run(tool);
        EXPECT_EQ(clip.calls, std::vector<ClipOp>{ClipOp::ReadText});
        EXPECT_TRUE(clip.picture);
        EXPECT_FALSE(clip.text.has_value());
        EXPECT_FALSE(panel.open);
        EXPECT_TRUE(boxes.shown.empty());
        watcher.Tick();
        watcher.Tick();
        EXPECT_EQ(history.items, std::vector<std::u16string>{u"texte"});
    }
}

TEST_F(TextToolTest, SurrogatePairsComeFromTheMapperUnchanged) {
    clip.text = u"\xD801\xDC28 \xD83D\xDE00";  // Deseret small long i, then an emoji
    Run(kToolUpperCase);
    EXPECT_EQ(clip.text, u"\xD801\xDC00 \xD83D\xDE00");
}

TEST_F(TextToolTest, ConvertedTextReachesTheHistoryAtTheNextTickOnlyWhenItChanged) {
    testing::HistoryListFake history;
    ClipboardWatcher watcher(clip, history);
    clip.text = u"hello wORLD";
    watcher.Tick();
    Run(kToolUpperCase);
    watcher.Tick();
    Run(kToolUpperCase);  // already upper case: rewritten, yet nothing new
    watcher.Tick();
    Run(kToolProperCase);
    watcher.Tick();
    EXPECT_EQ(history.items,
              (std::vector<std::u16string>{u"hello wORLD", u"HELLO WORLD", u"Hello World"}));
    EXPECT_EQ(clip.Count(ClipOp::Clear), 3);
}

// --- Private texts ---------------------------------------------------------------------------

TEST_F(TextToolTest, CaseToolsWriteEveryMarkBackAsItCame) {
    struct Case {
        short tool;
        std::u16string expected;
    };
    for (const Case& c :
         {Case{kToolUpperCase, u"MOT DE PASSE"}, Case{kToolLowerCase, u"mot de passe"},
          Case{kToolProperCase, u"Mot De Passe"}}) {
        for (const testing::MarkedKind& kind : testing::kMarkedKinds) {
            SCOPED_TRACE(::testing::PrintToString(c.tool) + " " + kind.name);
            clip = ClipboardFake{};
            clip.Put(u"mOt de PASSE", kind.marks);
            panel.open = true;
            Run(c.tool);
            EXPECT_EQ(clip.calls, (std::vector<ClipOp>{ClipOp::ReadText, ClipOp::Clear,
                                                       ClipOp::SetMarkedText}));
            EXPECT_EQ(clip.text, c.expected);
            EXPECT_EQ(clip.privacy, kind.marks);
            EXPECT_FALSE(panel.open);
        }
    }
}

TEST(TextPrivacyTest, TheWatcherKeepsOutWhatTheMarksRefuseToHistories) {
    for (const testing::MarkedKind& kind : testing::kMarkedKinds) {
        SCOPED_TRACE(kind.name);
        EXPECT_EQ(kind.marks.IsPrivate(), kind.privateText);
        EXPECT_TRUE(kind.marks.HasMarks());
    }
    EXPECT_FALSE(TextPrivacy{}.HasMarks());
    // The history mark is a 32-bit number: fewer bytes say nothing, more start with it.
    EXPECT_FALSE(TextPrivacy{.systemHistory = std::string(2, '\0')}.IsPrivate());
    EXPECT_FALSE(TextPrivacy{.systemHistory = std::string()}.IsPrivate());
    EXPECT_TRUE(TextPrivacy{.systemHistory = std::string(8, '\0')}.IsPrivate());
    EXPECT_FALSE(TextPrivacy{.systemHistory = std::string("\0\0\0\1", 4)}.IsPrivate());
    // Presence alone counts for the other two, whatever their data.
    EXPECT_TRUE(TextPrivacy{.notForMonitors = std::string()}.IsPrivate());
    EXPECT_TRUE(TextPrivacy{.notForViewers = std::string("oui")}.IsPrivate());
}

TEST_F(TextToolTest, APrivateTextConvertedStaysOutOfTheHistory) {
    // The program's two views of one clipboard: the tools see everything, the watcher no
    // private text.
    testing::WatchedClipboardFake watched(clip);
    testing::HistoryListFake history;
    testing::ChangeCounterFake changes(clip);
    ClipboardWatcher watcher(watched, history, &changes);
    clip.Put(u"visible");
    watcher.Tick();
    clip.Put(u"motdepasse", TextPrivacy{.systemHistory = testing::kNumber0});
    watcher.Tick();
    Run(kToolUpperCase);
    watcher.Tick();
    EXPECT_EQ(clip.text, u"MOTDEPASSE");
    clip.Put(u"encore");
    watcher.Tick();
    EXPECT_EQ(history.items, (std::vector<std::u16string>{u"visible", u"encore"}));
}

// --- The character count --------------------------------------------------------------------

TEST_F(TextToolTest, CountShowsExactMessageCaptionAndFlags) {
    clip.text = u"hello\r\n";
    Run(kToolCharacterCount);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].count, 7u);
    EXPECT_EQ(boxes.shown[0].kind, MessageKind::CharacterCount);
    EXPECT_FALSE(panel.open);
}

TEST_F(TextToolTest, CountLeavesClipboardAlone) {
    clip.text = u"abc";
    Run(kToolCharacterCount);
    EXPECT_EQ(clip.calls, std::vector<ClipOp>{ClipOp::ReadText});
    EXPECT_EQ(clip.text, u"abc");
}

TEST_F(TextToolTest, CountOfClipboardWithoutTextIsZero) {
    clip.text.reset();
    Run(kToolCharacterCount);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].count, 0u);
}

TEST_F(TextToolTest, CountIsInUtf16UnitsWrittenInPlainDecimal) {
    // An emoji is two units; 1234 must not come out as "1 234" or "1,234".
    clip.text = std::u16string(1232, u'x') + u"\xD83D\xDE00";
    Run(kToolCharacterCount);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].count, 1234u);
}

TEST_F(TextToolTest, CountDoesNotNeedTheCaseMapper) {
    ThrowingMapper broken;
    clip.text = u"ab";
    RunWith(kToolCharacterCount, broken);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_FALSE(panel.open);
}

TEST(CharacterCountMessageTest, FormatsLargeCountsWithoutSeparators) {
    EXPECT_EQ(texts::CharacterCountMessage(10485760),
              u"Le nombre de caratères de la press papier est  10485760.");
}

// --- Other tool numbers ---------------------------------------------------------------------

TEST_F(TextToolTest, UnknownToolNumbersOnlyClosePanel) {
    for (short tool : {short{4}, short{-1}, short{32767}, short{-32768}}) {
        SCOPED_TRACE(tool);
        clip = ClipboardFake{};
        clip.text = u"abc";
        panel.open = true;
        Run(tool);
        EXPECT_EQ(clip.text, u"abc");
        EXPECT_EQ(clip.Count(ClipOp::Clear) + clip.Count(ClipOp::SetText), 0);
        EXPECT_TRUE(boxes.shown.empty());
        EXPECT_FALSE(panel.open);
    }
}

// --- Failures -------------------------------------------------------------------------------

TEST_F(TextToolTest, ReadFailureAbandonsEveryTool) {
    // The text is read before the tool number is looked at, unknown numbers included.
    for (short tool : {short{0}, short{1}, short{2}, short{3}, short{4}, short{-1}}) {
        SCOPED_TRACE(tool);
        clip = ClipboardFake{};
        clip.text = u"abc";
        clip.failNext = {ClipOp::ReadText};
        Run(tool);
        EXPECT_EQ(clip.calls, std::vector<ClipOp>{ClipOp::ReadText});
        EXPECT_EQ(clip.text, u"abc");
        EXPECT_TRUE(boxes.shown.empty());
        EXPECT_TRUE(panel.open);
    }
}

TEST_F(TextToolTest, ClearFailureSkipsSetTextAndKeepsPanelOpen) {
    clip.text = u"abc";
    clip.failNext = {ClipOp::Clear};
    Run(kToolUpperCase);
    EXPECT_EQ(clip.Count(ClipOp::SetText), 0);
    EXPECT_EQ(clip.text, u"abc");
    EXPECT_TRUE(panel.open);
}

TEST_F(TextToolTest, SetTextFailurePutsTheOriginalBackAndKeepsPanelOpen) {
    for (short tool : {kToolUpperCase, kToolLowerCase, kToolProperCase}) {
        for (const TextPrivacy& marks :
             {TextPrivacy{}, TextPrivacy{.cloudUpload = testing::kNumber0}}) {
            SCOPED_TRACE(::testing::PrintToString(tool) +
                         (marks.HasMarks() ? " marked" : " unmarked"));
            const ClipOp set = marks.HasMarks() ? ClipOp::SetMarkedText : ClipOp::SetText;
            clip = ClipboardFake{};
            clip.Put(u"abc", marks);
            clip.failNext = {set};
            Run(tool);
            EXPECT_EQ(clip.calls, (std::vector<ClipOp>{ClipOp::ReadText, ClipOp::Clear, set, set}));
            EXPECT_EQ(clip.text, u"abc");
            EXPECT_EQ(clip.privacy, marks);
            EXPECT_TRUE(panel.open);
        }
    }
}

TEST_F(TextToolTest, ClipboardRefusingEverySetTextIsLeftEmptyAndPanelOpen) {
    clip.text = u"abc";
    clip.failAll = {ClipOp::SetText};
    Run(kToolUpperCase);
    EXPECT_FALSE(clip.text.has_value());
    EXPECT_TRUE(panel.open);
}

TEST_F(TextToolTest, SetTextFailureOnAnEmptyTextPutsTheEmptyTextBack) {
    clip.text = u"";  // a text all the same, unlike a picture
    clip.failNext = {ClipOp::SetText};
    Run(kToolLowerCase);
    EXPECT_EQ(clip.calls, (std::vector<ClipOp>{ClipOp::ReadText, ClipOp::Clear, ClipOp::SetText,
                                               ClipOp::SetText}));
    EXPECT_EQ(clip.text, u"");
    EXPECT_TRUE(panel.open);
}

TEST_F(TextToolTest, MessageBoxFailureKeepsPanelOpen) {
    clip.text = u"abc";
    boxes.fail = true;
    Run(kToolCharacterCount);
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(clip.text, u"abc");
    EXPECT_TRUE(panel.open);
}

TEST_F(TextToolTest, WrongLengthFromMapperNeverClearsClipboard) {
    struct Case {
        short tool;
        bool upperGrows;
        bool lowerShrinks;
    };
    for (const Case& c : {Case{kToolUpperCase, true, false}, Case{kToolLowerCase, false, true},
                          Case{kToolProperCase, true, false}, Case{kToolProperCase, false, true}}) {
        SCOPED_TRACE(::testing::PrintToString(c.tool) + (c.upperGrows ? " upper" : " lower"));
        LengthChangingMapper mapper;
        mapper.upperGrows = c.upperGrows;
        mapper.lowerShrinks = c.lowerShrinks;
        clip = ClipboardFake{};
        clip.text = u"abc";
        RunWith(c.tool, mapper);
        EXPECT_EQ(clip.calls, std::vector<ClipOp>{ClipOp::ReadText});
        EXPECT_EQ(clip.text, u"abc");
        EXPECT_TRUE(panel.open);
    }
}

TEST_F(TextToolTest, MapperThrowingAnyStdExceptionIsSwallowedBeforeClear) {
    ThrowingMapper broken;
    clip.text = u"abc";
    RunWith(kToolProperCase, broken);
    EXPECT_EQ(clip.calls, std::vector<ClipOp>{ClipOp::ReadText});
    EXPECT_TRUE(panel.open);
}

// --- Proper case ----------------------------------------------------------------------------

struct ProperCaseExample {
    std::u16string input;
    std::u16string expected;
};

void ExpectProperCase(CaseMapper& mapper, const std::vector<ProperCaseExample>& examples) {
    for (const auto& e : examples) {
        SCOPED_TRACE(::testing::PrintToString(e.input));
        const std::u16string result = ProperCase(e.input, mapper);
        EXPECT_EQ(result, e.expected);
        EXPECT_EQ(result.size(), e.input.size());
    }
}

TEST(ProperCaseTest, WordsStartAfterAnythingButLettersDigitsAndApostrophes) {
    FrenchCaseMapperFake mapper;
    ExpectProperCase(mapper, {
                                 {u"", u""},
                                 {u"jean-pierre", u"Jean-Pierre"},
                                 {u"l'école", u"L'école"},
                                 {u"l\u2019école", u"L\u2019école"},
                                 {u"hello wORLD", u"Hello World"},
                                 {u"2nd", u"2nd"},
                                 {u"x2y", u"X2y"},
                                 {u"ÉCOLE", u"École"},
                                 {u"élève à l'école", u"Élève À L'école"},
                                 {u"un\r\ndeux\tTROIS", u"Un\r\nDeux\tTrois"},
                                 {u"(a)b.c", u"(A)B.C"},
                             });
}

TEST(ProperCaseTest, Latin1SymbolsAreNotLetters) {
    FrenchCaseMapperFake mapper;
    ExpectProperCase(mapper, {
                                 {u"«bonjour»", u"«Bonjour»"},
                                 {u"a×b÷c", u"A×B÷C"},
                                 {u"a\u00A0b", u"A\u00A0B"},  // no-break space
                             });
}

TEST(ProperCaseTest, UncasedLettersAndOtherDigitsKeepAWordGoing) {
    // The ASCII fake cannot case these, so only the letter and digit blocks can tell.
    CaseMapperFake asciiOnly;
    ExpectProperCase(asciiOnly, {
                                    {u"àbc", u"àbc"},
                                    {u"ωa", u"ωa"},
                                    {u"жa", u"жa"},
                                    {u"漢a", u"漢a"},
                                    {u"かa", u"かa"},
                                    {u"한a", u"한a"},
                                    {u"שa", u"שa"},
                                    {u"بa", u"بa"},
                                    {u"\u0663a", u"\u0663a"},  // Arabic-Indic three
                                    {u"\uFF11a", u"\uFF11a"},  // fullwidth one
                                });
}

TEST(ProperCaseTest, CombiningMarkStaysWithItsLetter) {
    FrenchCaseMapperFake mapper;
    ExpectProperCase(mapper, {
                                 {u"e\u0301cole", u"E\u0301cole"},
                                 {u"\u0301ecole", u"\u0301Ecole"},  // a mark alone starts nothing
                                 {u"\u2764\uFE0Fab", u"\u2764\uFE0FAb"},  // nor a selector
                                 {u"a\u200Db", u"A\u200Db"},              // a joiner ends nothing
                             });
}

TEST(ProperCaseTest, CharacterTheMapperCasesCountsAsLetter) {
    // Circled letters are outside the letter blocks; only the mapper knows they have case.
    FrenchCaseMapperFake mapper;
    ExpectProperCase(mapper, {{u"-\u24D0bc", u"-\u24B6bc"}});
}

TEST(ProperCaseTest, SurrogatesAreNonLettersTakenWholeFromTheMapper) {
    const std::u16string emoji = u"\xD83D\xDE00";
    const std::u16string deseretCapital = u"\xD801\xDC00";
    const std::u16string deseretSmall = u"\xD801\xDC28";
    FrenchCaseMapperFake mapper;
    ExpectProperCase(mapper, {
                                 {emoji + u"abc", emoji + u"Abc"},
                                 {u"a" + emoji + u"b", u"A" + emoji + u"B"},
                                 // Both Deseret units come from the lower-cased text.
                                 {deseretCapital + deseretSmall, deseretSmall + deseretSmall},
                                 {u"\xD800x", u"\xD800X"},  // a lone half is left as it is
                             });
}

TEST(ProperCaseTest, MapperChangingLengthThrows) {
    LengthChangingMapper grows;
    grows.upperGrows = true;
    EXPECT_THROW(ProperCase(u"abc", grows), CaseLengthError);
    LengthChangingMapper shrinks;
    shrinks.lowerShrinks = true;
    EXPECT_THROW(ProperCase(u"abc", shrinks), CaseLengthError);
}

// --- Character classes ----------------------------------------------------------------------

TEST(CharClassTest, LetterBlocksCoverScriptsAndSkipTheirPunctuation) {
    for (char16_t c : {u'é', u'ÿ', u'Ā', u'ɐ', u'ʼ',  u'Ω',  u'ж',  u'ա',  u'א',  u'ب', u'क',
                       u'ก', u'ა', u'ḁ', u'ἀ', u'あ', u'ア', u'ㄱ', u'中', u'가', u'ﬁ', u'Ａ'}) {
        SCOPED_TRACE(static_cast<int>(c));
        EXPECT_TRUE(IsInLetterBlock(c));
    }
    for (char16_t c :
         {u' ',  u'a',  u'0',      u'-',      u'\u00A0', u'«',      u'»',      u'×',
          u'÷',  u'·',  u'¿',      u'\u037E', u'\u0387', u'\u05BE', u'\u060C', u'\u0964',
          u'。', u'、', u'\u2019', u'\uFF0C', u'\xD83D', u'\xDE00'}) {
        SCOPED_TRACE(static_cast<int>(c));
        EXPECT_FALSE(IsInLetterBlock(c));
    }
}

TEST(CharClassTest, MarksAreWhatGoesWithTheCharacterBefore) {
    // Combining marks of every kind, Hebrew points, Indic vowel signs, kana voicing, a
    // variation selector, the joiners.
    for (char16_t c : {u'\u0301', u'\u0483', u'\u05B4', u'\u05BF', u'\u0610', u'\u064B', u'\u093F',
                       u'\u0E33', u'\u1AB0', u'\u1DC0', u'\u20D7', u'\u2DE0', u'\u3099', u'\uFE0F',
                       u'\uFE20', u'\u200C', u'\u200D'}) {
        SCOPED_TRACE(static_cast<int>(c));
        EXPECT_TRUE(IsMark(c));
    }
    for (char16_t c :
         {u'a', u'\u05D0', u'\u0915', u'\u309B', u'\u00B4', u'\u200B', u'\xD83C', u'\xDFFD'}) {
        SCOPED_TRACE(static_cast<int>(c));
        EXPECT_FALSE(IsMark(c));
    }
}

TEST(CharClassTest, LetterWhenCasedOrInABlockButNeverASurrogate) {
    EXPECT_TRUE(IsLetter(u'a', u'A', u'a'));
    EXPECT_TRUE(IsLetter(u'A', u'A', u'a'));
    EXPECT_TRUE(IsLetter(u'中', u'中', u'中'));
    EXPECT_FALSE(IsLetter(u'-', u'-', u'-'));
    EXPECT_FALSE(IsLetter(0xDC28, 0xDC00, 0xDC28));
}

TEST(CharClassTest, DecimalDigitsAndApostrophes) {
    for (char16_t c : {u'0', u'9', u'\u0660', u'\u06F5', u'\u0966', u'\u0E59', u'\uFF10'}) {
        SCOPED_TRACE(static_cast<int>(c));
        EXPECT_TRUE(IsDecimalDigit(c));
    }
    for (char16_t c : {u'/', u':', u'a', u'²', u'½', u'\u066A'}) {
        SCOPED_TRACE(static_cast<int>(c));
        EXPECT_FALSE(IsDecimalDigit(c));
    }
    EXPECT_TRUE(IsApostrophe(u'\''));
    EXPECT_TRUE(IsApostrophe(u'\u2019'));
    EXPECT_FALSE(IsApostrophe(u'`'));
    EXPECT_FALSE(IsApostrophe(u'\u2018'));
}

}  // namespace
}  // namespace talvex
