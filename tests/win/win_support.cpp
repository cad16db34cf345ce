#include "tests/win/win_support.h"

#include <tlhelp32.h>

#include <cstdio>
#include <iterator>

#include "ui/control_ids.h"
#include <utility>

namespace talvex::testing {

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= deadline) return condition();
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(20);
    }
}

std::wstring BesideTests(const std::wstring& fileName) {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, n);
    dir.resize(dir.find_last_of(L"\\/") + 1);
    return dir + fileName;
}

Process::Process(const std::wstring& exe, const std::wstring& args) {
    std::wstring cmd = L"\"" + exe + L"\"";
    if (!args.empty()) cmd += L" " + args;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    if (!CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &info_)) {
        info_ = PROCESS_INFORMATION{};
    }
}

Process::Process(Process&& other) noexcept : info_(std::exchange(other.info_, {})) {}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        Kill();
        info_ = std::exchange(other.info_, {});
    }
    return *this;
}

Process::~Process() { Kill(); }

bool Process::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
    if (!Started()) return false;
    if (WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
    if (exitCode != nullptr) GetExitCodeProcess(info_.hProcess, exitCode);
    return true;
}

void Process::Kill() {
    if (!Started()) return;
    if (WaitForSingleObject(info_.hProcess, 0) != WAIT_OBJECT_0) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
    info_ = PROCESS_INFORMATION{};
}

DWORD RunToEnd(const std::wstring& exe, const std::wstring& args, DWORD timeoutMs) {
    Process p(exe, args);
    DWORD code = ~0u;
    if (!p.WaitForExit(timeoutMs, &code)) return ~0u;
    return code;
}

std::wstring ClipHelper() { return BesideTests(L"clip_helper.exe"); }

std::wstring HexUnits(const std::u16string& text) {
    std::wstring hex;
    hex.reserve(text.size() * 4 + 1);
    wchar_t buf[8];
    for (char16_t c : text) {
        swprintf(buf, 8, L"%04x", static_cast<unsigned>(c));
        hex += buf;
    }
    return hex.empty() ? L"-" : hex;
}

std::wstring HexBytes(const std::string& bytes) {
    std::wstring hex;
    wchar_t buf[4];
    for (unsigned char b : bytes) {
        swprintf(buf, 4, L"%02x", static_cast<unsigned>(b));
        hex += buf;
    }
    return hex.empty() ? L"-" : hex;
}

void CopyFromAnotherProgram(const std::u16string& text) {
    RunToEnd(ClipHelper(), L"copy " + HexUnits(text));
}

namespace {
struct FindState {
    DWORD pid;
    const wchar_t* className;
    HWND found;
};
}  // namespace

HWND WaitForWindow(DWORD pid, const wchar_t* className, DWORD timeoutMs) {
    FindState state{pid, className, nullptr};
    WaitUntil(
        [&] {
            EnumWindows(
                [](HWND hwnd, LPARAM lp) -> BOOL {
                    auto* s = reinterpret_cast<FindState*>(lp);
                    DWORD owner = 0;
                    GetWindowThreadProcessId(hwnd, &owner);
                    wchar_t cls[256];
                    GetClassNameW(hwnd, cls, 256);
                    if (owner == s->pid && wcscmp(cls, s->className) == 0) {
                        s->found = hwnd;
                        return FALSE;
                    }
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&state));
            return state.found != nullptr;
        },
        timeoutMs);
    return state.found;
}

HWND FindControl(HWND root, int id) {
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    EnumChildWindows(
        root,
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            if (GetDlgCtrlID(hwnd) != s->id) return TRUE;
            s->found = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<std::u16string> ReadListBox(HWND list) {
    std::vector<std::u16string> items;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT len = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::u16string text(static_cast<std::size_t>(len < 0 ? 0 : len) + 1, u'\0');
        const LRESULT got = SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i),
                                         reinterpret_cast<LPARAM>(text.data()));
        text.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
        items.push_back(std::move(text));
    }
    return items;
}

HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs) {
    // A box is found as soon as it exists; it is ready once shown with its caption and text.
    HWND box = nullptr;
    WaitUntil(
        [&] {
            box = WaitForWindow(pid, L"#32770", 0);
            return box != nullptr && IsWindowVisible(box) && GetWindowTextLengthW(box) > 0 &&
                   GetWindowTextLengthW(GetDlgItem(box, 0xFFFF)) > 0;
        },
        timeoutMs);
    return box != nullptr && IsWindowVisible(box) ? box : nullptr;
}

std::u16string WindowText(HWND hwnd) {
    const int len = GetWindowTextLengthW(hwnd);
    std::u16string text(static_cast<std::size_t>(len) + 1, u'\0');
    const int got = GetWindowTextW(hwnd, reinterpret_cast<wchar_t*>(text.data()), len + 1);
    text.resize(static_cast<std::size_t>(got < 0 ? 0 : got));
    return text;
}

std::u16string ControlText(HWND control) {
    const LRESULT length = SendMessageW(control, WM_GETTEXTLENGTH, 0, 0);
    std::u16string text(static_cast<std::size_t>(length < 0 ? 0 : length) + 1, u'\0');
    const LRESULT got =
        SendMessageW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(got < 0 ? 0 : got));
    return text;
}

std::u16string MessageBoxText(HWND box) { return WindowText(GetDlgItem(box, 0xFFFF)); }

bool ClickAt(int x, int y) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    if (width <= 0 || height <= 0) return false;
    // Absolute coordinates run 0..65535 over the screen and are scaled back down, rounding
    // down: round up here so that the pointer lands on exactly this pixel.
    auto normalise = [](int v, int size) {
        return static_cast<LONG>((static_cast<long long>(v) * 65536 + size - 1) / size);
    };
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dx = normalise(x, width);
    move.mi.dy = normalise(y, height);
    move.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    if (SendInput(1, &move, sizeof move) != 1) return false;
    const bool there = WaitUntil(
        [&] {
            POINT p{};
            return GetCursorPos(&p) && p.x == x && p.y == y;
        },
        2000);
    if (!there) return false;
    INPUT press[2]{};
    press[0].type = press[1].type = INPUT_MOUSE;
    press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    return SendInput(2, press, sizeof press[0]) == 2;
}

bool CursorAt(POINT p) {
    SetCursorPos(p.x, p.y);
    return WaitUntil(
        [&] {
            POINT now{};
            return GetCursorPos(&now) && now.x == p.x && now.y == p.y;
        },
        2000);
}

void MouseButton(DWORD flags) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    SendInput(1, &in, sizeof in);
}

void KeyEvent(WORD key, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = key;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof in);
}

void PressKey(WORD key, const std::vector<WORD>& modifiers) {
    for (WORD modifier : modifiers) KeyEvent(modifier, false);
    KeyEvent(key, false);
    KeyEvent(key, true);
    for (auto it = std::rbegin(modifiers); it != std::rend(modifiers); ++it) KeyEvent(*it, true);
}

void TypeUnits(const std::u16string& text) {
    for (char16_t unit : text) {
        INPUT in[2]{};
        in[0].type = in[1].type = INPUT_KEYBOARD;
        in[0].ki.wScan = in[1].ki.wScan = unit;
        in[0].ki.dwFlags = KEYEVENTF_UNICODE;
        in[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        SendInput(2, in, sizeof in[0]);
    }
}

HWND FocusIn(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

std::wstring ProgramPath() { return BesideTests(L"TalvexPress.exe"); }

void EndStrayPrograms() {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL ok = Process32FirstW(snap, &entry); ok; ok = Process32NextW(snap, &entry)) {
        if (_wcsicmp(entry.szExeFile, L"TalvexPress.exe") != 0) continue;
        if (HANDLE p = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID)) {
            TerminateProcess(p, 1);
            WaitForSingleObject(p, 5000);
            CloseHandle(p);
        }
    }
    CloseHandle(snap);
}

HWND MessageOnlyWindow() {
    static HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                         GetModuleHandleW(nullptr), nullptr);
    return window;
}

void ProgramTest::SetUp() {
    EndStrayPrograms();
    ASSERT_EQ(RunToEnd(ClipHelper(), L"empty"), 0u);
}

void ProgramTest::TearDown() { EndStrayPrograms(); }

void ProgramTest::StartProgram() {
    program = Process(ProgramPath());
    ASSERT_TRUE(program.Started());
    form = WaitForWindow(program.Id(), L"TalvexPress.Form1", 20000);
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(form) != FALSE; }, 10000));
    list = FindControl(form, ids::kList1);
    text1 = FindControl(form, ids::kText1);
    ASSERT_NE(list, nullptr);
    ASSERT_NE(text1, nullptr);
}

}  // namespace talvex::testing
