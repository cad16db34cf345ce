// "Réduire" when the notification area will not take the icon: the window stays, and says why.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include "tests/win/win_support.h"
#include "ui/control_ids.h"
#include "ui/notification_icon.h"
#include "ui/texts.h"

namespace talvex::testing {
namespace {

// A notification area that refuses every icon: the shell finds it before the real one (it is
// the topmost of its class) and answers no to whatever it is asked.
class RefusingNotificationArea {
  public:
    RefusingNotificationArea() {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = [](HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
            if (msg == WM_COPYDATA) return FALSE;
            return DefWindowProcW(hwnd, msg, wp, lp);
        };
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"Shell_TrayWnd";
        RegisterClassExW(&wc);
        window_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP,
                                  0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
    }
    ~RefusingNotificationArea() {
        if (window_ != nullptr) DestroyWindow(window_);
    }
    bool Ready() const { return window_ != nullptr; }

  private:
    HWND window_ = nullptr;
};

class HideTalvex : public ProgramTest {};

TEST_F(HideTalvex, WithNoWayBackTheWindowStaysAndSaysWhy) {
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    HWND picture1 = FindControl(form, ids::kPicture1);
    ASSERT_NE(picture1, nullptr);
    // The icon is added just after the window shows; take it away, as a lost taskbar would.
    NOTIFYICONDATAW icon = NotificationIcon::Record(picture1);
    ASSERT_TRUE(WaitUntil([&] { return Shell_NotifyIconW(NIM_DELETE, &icon) != FALSE; }, 10000));

    HWND hide = FindControl(form, ids::kCommand4);
    {
        RefusingNotificationArea refusing;
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
    NOTIFYICONDATAW probe = NotificationIcon::Record(picture1);
    EXPECT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &probe)) << "hidden without its icon";
}

}  // namespace
}  // namespace talvex::testing
