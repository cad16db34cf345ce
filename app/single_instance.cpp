#include "app/single_instance.h"

namespace talvex {
namespace {

constexpr wchar_t kMutexName[] = L"Local\\TalvexPress.SingleInstance.1";
// Long enough for a busy copy to answer, short enough not to keep this one waiting on a hung one.
constexpr UINT kAnswerTimeoutMs = 5000;

}  // namespace

SingleInstance::SingleInstance() : mutex_(CreateMutexW(nullptr, FALSE, kMutexName)) {
    // Access denied means it exists but belongs to a copy running with other rights.
    const DWORD error = GetLastError();
    anotherIsRunning_ = error == ERROR_ALREADY_EXISTS || (!mutex_ && error == ERROR_ACCESS_DENIED);
}

void SingleInstance::BringRunningCopyForward(const wchar_t* windowClass, UINT message) {
    if (message == 0) return;
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, windowClass, nullptr)) != nullptr) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == 0 || process == GetCurrentProcessId()) continue;
        // Windows lets only the process the user is dealing with take the foreground; this
        // one, whose message box was just answered, hands that right on.
        AllowSetForegroundWindow(process);
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(window, message, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &answer);
        return;
    }
}

}  // namespace talvex
