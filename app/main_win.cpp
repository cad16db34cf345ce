// Talvex Press: start-up and the event loop.
#include <windows.h>
#include <commctrl.h>

#include "app/single_instance.h"
#include "ui/form1.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    talvex::SingleInstance single;

    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    int exitCode = 0;
    {
        talvex::Form1 form;
        if (form.Create(instance, single.AnotherIsRunning())) {
            form.Show();
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
                if (form.hwnd() != nullptr && IsDialogMessageW(form.hwnd(), &msg)) continue;
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            exitCode = static_cast<int>(msg.wParam);
        } else if (single.AnotherIsRunning()) {
            // The user was told it runs already; now they should see it too.
            talvex::SingleInstance::BringRunningCopyForward(talvex::Form1::kClassName,
                                                            talvex::Form1::ComeForwardMessage());
        }
    }
    return exitCode;
}
