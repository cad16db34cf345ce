// The yardstick for start-up: the least a Win32 program does to show a window of Talvex
// Press's size (431 x 502 popup, centred) and wait for messages. Built like TalvexPress.exe.
//   minimal_window [timer]   "timer": also a 1000 ms timer that does nothing, the floor of
//                            what an idle program polling once a second costs.
#include <windows.h>

#include <cwchar>

namespace {

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = L"TalvexBench.MinimalWindow";
    if (!RegisterClassExW(&wc)) return 1;
    const int w = 431;
    const int h = 502;
    HWND hwnd = CreateWindowExW(
        0, wc.lpszClassName, L"", WS_POPUP, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
        (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, nullptr, nullptr, instance, nullptr);
    if (hwnd == nullptr) return 1;
    if (commandLine != nullptr && wcscmp(commandLine, L"timer") == 0)
        SetTimer(hwnd, 1, 1000, nullptr);
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
