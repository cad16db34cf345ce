// What the user reads when a handler fails: French, with the clipboard's own reason, and
// never a claim that does not hold for every command.
#include "ui/event_boundary.h"

#include <gtest/gtest.h>

#include <iterator>
#include <new>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>

#include "clipboard/clipboard.h"
#include "clipboard/commands.h"
#include "tests/win/win_support.h"
#include "ui/texts.h"

namespace talvex {
namespace {

template <typename Failure>
std::wstring Describe(const Failure& failure) {
    return DescribeFailure(std::make_exception_ptr(failure));
}

TEST(DescribeFailureTest, ClipboardFailureGivesItsReasonBetweenTheHeadlineAndTheReassurance) {
    EXPECT_EQ(Describe(ClipboardError(ClipboardFailure::Busy)),
              L"L'opération sur le presse-papiers n'a pas pu se faire.\r\n\r\n"
              L"Le presse-papiers est occupé par un autre programme.\r\n"
              L"Attendez un instant, puis recommencez.\r\n\r\n"
              L"Talvex Press continue de fonctionner.");
}

TEST(DescribeFailureTest, AClearThatEmptiedOnlyTheHistorySaysSoWithTheClipboardsReason) {
    EXPECT_EQ(Describe(ClipboardNotClearedError(ClipboardFailure::Refused)),
              L"L'historique a été vidé, mais le presse-papiers n'a pas pu l'être.\r\n\r\n"
              L"Le système a refusé de modifier le presse-papiers.\r\n\r\n"
              L"Talvex Press continue de fonctionner.");
}

TEST(DescribeFailureTest, EveryKindOfClipboardFailureIsToldByAReasonOfItsOwn) {
    using enum ClipboardFailure;
    const ClipboardFailure kinds[] = {
        Busy,    OwnerNotResponding, Unreadable,    OutOfMemory,
        Refused, TooLongToMap,       MappingFailed, MappingChangedLength};
    std::set<std::wstring> reasons;
    for (ClipboardFailure kind : kinds) {
        const std::wstring reason = texts::ClipboardFailureReason(kind);
        EXPECT_FALSE(reason.empty()) << static_cast<int>(kind);
        EXPECT_NE(Describe(ClipboardError(kind)).find(L"\r\n\r\n" + reason + L"\r\n\r\n"),
                  std::wstring::npos)
            << static_cast<int>(kind);
        reasons.insert(reason);
    }
    EXPECT_EQ(reasons.size(), std::size(kinds));
}

TEST(DescribeFailureTest, OtherFailuresAreToldInFrenchWithoutTheirOwnText) {
    EXPECT_EQ(Describe(std::bad_alloc()),
              L"Mémoire insuffisante : l'opération a été abandonnée.\r\n\r\n"
              L"Talvex Press continue de fonctionner.");
    const std::wstring other = Describe(std::runtime_error("message box could not be shown"));
    EXPECT_EQ(other,
              L"Une erreur inattendue a interrompu l'opération.\r\n\r\n"
              L"Talvex Press continue de fonctionner.");
    EXPECT_EQ(Describe(42), other);
}

TEST(GuardedTest, AnEscapingFailureIsToldInAMessageBoxAndGoesNoFurther) {
    std::u16string caption, text;
    std::thread user([&] {
        // Answers the box as a user would, once it shows.
        HWND box = testing::WaitForMessageBox(GetCurrentProcessId(), 10000);
        if (box == nullptr) return;
        caption = testing::WindowText(box);
        text = testing::MessageBoxText(box);
        SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    });
    Guarded(nullptr, [] { throw ClipboardError(ClipboardFailure::Busy); });
    user.join();
    EXPECT_EQ(caption, u"Talvex Press 1.0");
    EXPECT_EQ(text.rfind(u"L'opération sur le presse-papiers n'a pas pu se faire.", 0), 0u);

    int runs = 0;
    Guarded(nullptr, [&] { ++runs; });  // no failure: no box, which would block here
    EXPECT_EQ(runs, 1);
}

}  // namespace
}  // namespace talvex
