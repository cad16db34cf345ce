// Finding the window again: "Réduire" when the notification area will not take the icon (the
// window stays, and says why), and a second start that brings the running window forward.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "tests/win/win_support.h"
#include "ui/control_ids.h"
#include "ui/notification_icon.h"
#include "ui/texts.h"

namespace talvex::testing {
namespace {

// A notification area of the test's own: the shell finds it before the real one (it is the
// topmost of its class). It answers every request yes or no, and notes which it was asked.
class FakeNotificationArea {
  public:
    explicit FakeNotificationArea(bool accepts) : accepts_(accepts) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = [](HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
            auto* self =
                reinterpret_cast<FakeNotificationArea*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
            if (msg != WM_COPYDATA || self == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
            self->requests_.push_back(RequestOf(*reinterpret_cast<const COPYDATASTRUCT*>(lp)));
            return self->accepts_;
        };
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"Shell_TrayWnd";
        RegisterClassExW(&wc);
        window_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP,
                                  0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
        if (window_ != nullptr)
            SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~FakeNotificationArea() {
        if (window_ != nullptr) DestroyWindow(window_);
    }
    bool Ready() const { return window_ != nullptr; }
    // NIM_ADD, NIM_SETVERSION..., in the order asked.
    const std::vector<DWORD>& Requests() const { return requests_; }

  private:
    // Windows' shell sends a record that starts with a signature and the request; Wine's
    // names the request in dwData.
    static DWORD RequestOf(const COPYDATASTRUCT& data) {
        constexpr DWORD kWindowsSignature = 0x34753423;
        const auto* words = static_cast<const DWORD*>(data.lpData);
        if (data.cbData >= 8 && words[0] == kWindowsSignature) return words[1];
        return static_cast<DWORD>(data.dwData);
    }

    bool accepts_;
    std::vector<DWORD> requests_;
    HWND window_ = nullptr;
};

NOTIFYICONDATAW IconOf(HWND picture1) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = picture1;
    data.uID = NotificationIcon::kId;
    return data;
}

class HideTalvex : public ProgramTest {};

TEST_F(HideTalvex, WithNoWayBackTheWindowStaysAndSaysWhy) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    HWND picture1 = FindControl(form, ids::kPicture1);
    ASSERT_NE(picture1, nullptr);
    // The icon is added just after the window shows; take it away, as a lost taskbar would.
    NOTIFYICONDATAW icon = IconOf(picture1);
    ASSERT_TRUE(WaitUntil([&] { return Shell_NotifyIconW(NIM_DELETE, &icon) != FALSE; }, 10000));

    HWND hide = FindControl(form, ids::kCommand4);
    {
        FakeNotificationArea refusing(false);
        ASSERT_TRUE(refusing.Ready());
        // Posted: the click ends in a message box, which would hold a sent message.
        PostMessageW(hide, BM_CLICK, 0, 0);
        HWND box = WaitForMessageBox(program.Id(), 10000);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(MessageBoxText(box), std::u16string(texts::kCannotHide));
        EXPECT_EQ(WindowText(box), u"Talvex Press 1.0");
        EXPECT_TRUE(IsWindowVisible(form)) << "hidden with no way back";
        PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 10000));
        EXPECT_TRUE(IsWindowVisible(form));
    }
    // The notification area takes icons again: the same click hides, the icon back first.
    PostMessageW(hide, BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(form); }, 10000));
    EXPECT_EQ(WaitForMessageBox(program.Id(), 0), nullptr);
    NOTIFYICONDATAW probe = IconOf(picture1);
    EXPECT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &probe)) << "hidden without its icon";
}

TEST_F(HideTalvex, EveryAddOfTheIconAsksForTheKeyboardsVersionOfItsMessages) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    // The icon is added just after the window shows.
    NOTIFYICONDATAW icon = IconOf(FindControl(form, ids::kPicture1));
    ASSERT_TRUE(WaitUntil([&] { return Shell_NotifyIconW(NIM_MODIFY, &icon) != FALSE; }, kSoon));
    FakeNotificationArea area(true);
    ASSERT_TRUE(area.Ready());
    // A taskbar that starts again forgets every icon, and the version each one asked for.
    SendMessageTimeoutW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0,
                        SMTO_ABORTIFHUNG, 5000, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return area.Requests().size() >= 2; }, kSoon))
        << ::testing::PrintToString(area.Requests());
    WaitUntil([] { return false; }, 500);  // and whatever else it asks
    const std::vector<DWORD>& asked = area.Requests();
    // Told through its window and its owner, it may add the icon twice; each add is followed
    // by its version.
    ASSERT_EQ(asked.size() % 2, 0u) << ::testing::PrintToString(asked);
    for (std::size_t i = 0; i < asked.size(); i += 2) {
        EXPECT_EQ(asked[i], static_cast<DWORD>(NIM_ADD));
        EXPECT_EQ(asked[i + 1], static_cast<DWORD>(NIM_SETVERSION));
    }
}

// From Windows 11 22H2 a new icon waits in the overflow until the user pins it: after
// "Réduire" the second start is the only way back the user may find.
TEST_F(HideTalvex, ASecondStartBringsTheRunningWindowToTheFrontAfterItsMessage) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    ASSERT_TRUE(CopyAndWait(u"gardé", 1));
    struct Case {
        const char* name;
        bool hidden;  // by "Réduire"; otherwise under a window of another program
    };
    for (const Case& c : {Case{"hidden", true}, Case{"behind another window", false}}) {
        SCOPED_TRACE(c.name);
        HWND cover = nullptr;
        if (c.hidden) {
            PostMessageW(FindControl(form, ids::kCommand4), BM_CLICK, 0, 0);
            ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(form); }, kSoon));
        } else {
            cover = ShowTestWindow(L"TalvexTestCover", DefWindowProcW, 0, 0, 1280, 1024);
            ASSERT_NE(cover, nullptr);
            SetForegroundWindow(cover);
            ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == cover; }, kSoon));
        }

        Process second(ProgramPath());
        ASSERT_TRUE(second.Started());
        HWND box = WaitForMessageBox(second.Id(), 20000);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(MessageBoxText(box), std::u16string(texts::kAnotherInstance));
        EXPECT_EQ(IsWindowVisible(form) != FALSE, !c.hidden) << "moved before the answer";
        SendMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
        EXPECT_TRUE(second.WaitForExit(kSoon));

        EXPECT_TRUE(WaitUntil(
            [&] { return IsWindowVisible(form) && GetForegroundWindow() == form; }, kSoon))
            << "visible " << IsWindowVisible(form) << ", in front "
            << (GetForegroundWindow() == form);
        EXPECT_EQ(ReadListBox(list), std::vector<std::u16string>{u"gardé"});
        if (cover != nullptr) DestroyWindow(cover);
    }
}

}  // namespace
}  // namespace talvex::testing
