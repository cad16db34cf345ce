// The program's own words and the platform message box that says them.
#include <gtest/gtest.h>
#include <windows.h>

#include <future>
#include <string>
#include <vector>

#include "tests/win/win_support.h"
#include "ui/message_boxes.h"
#include "ui/texts.h"

namespace talvex::testing {
namespace {

std::vector<std::u16string> Lines(const std::u16string& text, char16_t separator) {
    std::vector<std::u16string> lines(1);
    for (char16_t c : text) {
        if (c == separator)
            lines.emplace_back();
        else
            lines.back() += c;
    }
    return lines;
}

bool StartsWith(const std::u16string& s, const std::u16string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

TEST(AboutText, NineLinesJoinedByALoneCarriageReturn) {
    const std::u16string about = texts::kAbout;
    EXPECT_EQ(about.find(u'\n'), std::u16string::npos) << "no line feed anywhere";
    EXPECT_NE(about.back(), u'\r') << "nothing after the last line";
    const auto lines = Lines(about, u'\r');
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[0],
              u"Talvex Press est un utilitaire de press papier, très facile à utiliser et très "
              u"efficace.");
    EXPECT_EQ(lines[1],
              u"Ce logiciel permet une meilleure gestion de la presse papier, vous ne serez pas ");
    EXPECT_EQ(lines[2], u"obliger à réécrire ce que vous avez copier.");
    EXPECT_EQ(lines[3],
              u" Vous pouvez manipuler la forme du press papier : majuscule, miniscule...");
    EXPECT_EQ(lines[4], std::u16string(61, u'_'));
}

TEST(AboutText, PublisherLinesNameTheTeamAndTheReservedDomain) {
    const auto lines = Lines(texts::kAbout, u'\r');
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_NE(lines[5].find(u"Talvex"), std::u16string::npos) << "company";
    ASSERT_TRUE(StartsWith(lines[6], u"Auteur : "));
    EXPECT_NE(lines[6].find(u"Talvex"), std::u16string::npos) << "author";
    ASSERT_TRUE(StartsWith(lines[7], u"Site Web : "));
    EXPECT_NE(lines[7].find(u"example.com"), std::u16string::npos);
    ASSERT_TRUE(StartsWith(lines[8], u"Email : "));
    const std::u16string mail = lines[8].substr(8);
    const auto at = mail.find(u'@');
    ASSERT_NE(at, std::u16string::npos);
    EXPECT_EQ(mail.substr(at), u"@example.com");
    // And word for word, as the about box shows them.
    EXPECT_EQ(lines[5], u"Équipe Talvex");
    EXPECT_EQ(lines[6], u"Auteur : l'équipe Talvex");
    EXPECT_EQ(lines[7], u"Site Web : http://www.example.com");
    EXPECT_EQ(lines[8], u"Email : talvex@example.com");
}

TEST(ProgramWords, QuestionAndHelpAddressLetterForLetter) {
    EXPECT_EQ(std::u16string(texts::kQuitQuestion), u"Etes vous sûre de quitter Talvex Press ?");
    EXPECT_EQ(std::wstring(texts::kHelpAddress),
              L"http://www.example.com/Download/Windows/TalvexPress");
}

// Shows a box on a second thread of this process, as Form1 would on its own, and hands
// the window to the test.
class ShownBox {
  public:
    explicit ShownBox(MessageKind kind, std::size_t count = 0)
        : answer_(std::async(std::launch::async, [=] {
              WindowMessageBoxes boxes;
              return boxes.Show(kind, count);
          })) {
        box_ = WaitForMessageBox(GetCurrentProcessId(), 10000);
    }
    ~ShownBox() {
        if (answer_.valid() && IsWindow(box_)) PostMessageW(box_, WM_CLOSE, 0, 0);
    }
    HWND box() const { return box_; }
    Answer AnswerWith(int button) {
        SendMessageW(GetDlgItem(box_, button), BM_CLICK, 0, 0);
        return answer_.get();
    }

  private:
    std::future<Answer> answer_;
    HWND box_ = nullptr;
};

TEST(MessageBox, InformationWithOkShowsTextCaptionIconAndOneButton) {
    ShownBox shown(MessageKind::About);
    ASSERT_NE(shown.box(), nullptr);
    EXPECT_EQ(WindowText(shown.box()), u"Talvex Press 1.0");
    EXPECT_EQ(MessageBoxText(shown.box()), std::u16string(texts::kAbout));
    EXPECT_TRUE(HasIconStatic(shown.box()));
    EXPECT_EQ(GetDlgItem(shown.box(), IDYES), nullptr);
    EXPECT_EQ(shown.AnswerWith(IDOK), Answer::Ok);
}

TEST(MessageBox, TheCountComesUnderTheTitleAndASpace) {
    ShownBox shown(MessageKind::CharacterCount, 7);
    ASSERT_NE(shown.box(), nullptr);
    EXPECT_EQ(WindowText(shown.box()), u"Talvex Press 1.0 ");
    EXPECT_EQ(MessageBoxText(shown.box()), texts::CharacterCountMessage(7));
    EXPECT_TRUE(HasIconStatic(shown.box()));
    EXPECT_EQ(shown.AnswerWith(IDOK), Answer::Ok);
}

TEST(MessageBox, YesNoReturnsTheButtonPressed) {
    {
        ShownBox shown(MessageKind::QuitQuestion);
        ASSERT_NE(shown.box(), nullptr);
        EXPECT_EQ(WindowText(shown.box()), u"Talvex Press 1.0");
        EXPECT_TRUE(HasIconStatic(shown.box()));
        EXPECT_EQ(GetDlgItem(shown.box(), IDOK), nullptr);
        EXPECT_EQ(shown.AnswerWith(IDYES), Answer::Yes);
    }
    WaitUntil([] { return WaitForMessageBox(GetCurrentProcessId(), 0) == nullptr; }, 5000);
    ShownBox shown(MessageKind::QuitQuestion);
    ASSERT_NE(shown.box(), nullptr);
    EXPECT_EQ(shown.AnswerWith(IDNO), Answer::No);
}

TEST(MessageBox, ABoxThatCannotBeShownIsAFailureNotAnAnswer) {
    // A destroyed owner: the box cannot appear, and no made-up answer may come back.
    HWND gone = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(gone, nullptr);
    DestroyWindow(gone);
    WindowMessageBoxes boxes(gone);
    EXPECT_THROW(boxes.Show(MessageKind::QuitQuestion), std::exception);
}

}  // namespace
}  // namespace talvex::testing
