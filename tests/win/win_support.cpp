#include "tests/win/win_support.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <utility>

#include "ui/contrast.h"
#include "ui/control_ids.h"

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

// --- Processes ----------------------------------------------------------------------------

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

std::wstring ProgramPath() { return BesideTests(L"TalvexPress.exe"); }

HMODULE ProgramResources() {
    static HMODULE module =
        LoadLibraryExW(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    return module;
}

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

// --- The clipboard ------------------------------------------------------------------------

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

HWND MessageOnlyWindow() {
    static HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                         GetModuleHandleW(nullptr), nullptr);
    return window;
}

namespace {

// Another program may hold the clipboard for a moment (the program's watcher does, each
// tick): a second of tries before giving up.
bool OpenClipboardSoon() {
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (OpenClipboard(MessageOnlyWindow())) return true;
        Sleep(20);
    }
    return false;
}

}  // namespace

std::optional<std::u16string> TextOnClipboard() {
    if (!OpenClipboardSoon()) return std::nullopt;
    std::optional<std::u16string> text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* units = static_cast<const char16_t*>(GlobalLock(data))) {
            // Up to the first NUL, and never past the block's end.
            const char16_t* end = units + GlobalSize(data) / sizeof(char16_t);
            text.emplace(units, std::find(units, end, u'\0'));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

std::map<UINT, std::string> FormatsOnClipboard() {
    std::map<UINT, std::string> found;
    if (!OpenClipboardSoon()) return found;
    for (UINT format = EnumClipboardFormats(0); format != 0;
         format = EnumClipboardFormats(format)) {
        std::string& bytes = found[format];
        if (format == CF_UNICODETEXT || format == CF_TEXT || format == CF_OEMTEXT ||
            format == CF_LOCALE)
            continue;
        HANDLE data = GetClipboardData(format);
        const SIZE_T size = data != nullptr ? GlobalSize(data) : 0;
        if (const auto* block = size != 0 ? static_cast<const char*>(GlobalLock(data)) : nullptr) {
            bytes.assign(block, size);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return found;
}

bool PutOnClipboard(const std::u16string& text) {
    const std::size_t bytes = (text.size() + 1) * sizeof(char16_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory == nullptr) return false;
    std::memcpy(GlobalLock(memory), text.c_str(), bytes);
    GlobalUnlock(memory);
    if (!OpenClipboardSoon()) {
        GlobalFree(memory);
        return false;
    }
    EmptyClipboard();
    const bool put = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    CloseClipboard();
    if (!put) GlobalFree(memory);  // still ours when the clipboard refused it
    return put;
}

// --- Windows seen from outside ------------------------------------------------------------

namespace {

bool IsOfClass(HWND hwnd, const wchar_t* className) {
    wchar_t name[256];
    return GetClassNameW(hwnd, name, 256) > 0 && _wcsicmp(name, className) == 0;
}

BOOL CALLBACK Collect(HWND hwnd, LPARAM windows) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(hwnd);
    return TRUE;
}

}  // namespace

std::vector<HWND> WindowsOf(DWORD pid, const wchar_t* className) {
    std::vector<HWND> all;
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&all));
    std::vector<HWND> found;
    for (HWND hwnd : all) {
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner == pid && IsOfClass(hwnd, className)) found.push_back(hwnd);
    }
    return found;
}

std::vector<HWND> ChildrenOf(HWND root) {
    std::vector<HWND> children;
    EnumChildWindows(root, Collect, reinterpret_cast<LPARAM>(&children));
    return children;
}

HWND WaitForWindow(DWORD pid, const wchar_t* className, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            const std::vector<HWND> windows = WindowsOf(pid, className);
            found = windows.empty() ? nullptr : windows.front();
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

HWND FindControl(HWND root, int id) {
    for (HWND child : ChildrenOf(root))
        if (GetDlgCtrlID(child) == id) return child;
    return nullptr;
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

std::vector<RECT> TrayIcons() {
    std::vector<RECT> icons;
    HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
    if (tray == nullptr || !IsWindowVisible(tray)) return icons;
    for (HWND child : ChildrenOf(tray)) {
        if (!IsOfClass(child, L"__winex11_tray_icon") || !IsWindowVisible(child)) continue;
        RECT r{};
        GetWindowRect(child, &r);
        icons.push_back(r);
    }
    std::sort(icons.begin(), icons.end(),
              [](const RECT& a, const RECT& b) { return a.left < b.left; });
    return icons;
}

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

BITMAPINFO TopDownBitmapInfo(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    return info;
}

namespace {

// A box is found as soon as it exists; it is ready once shown with its caption and text.
bool Ready(HWND box) {
    return box != nullptr && IsWindowVisible(box) && GetWindowTextLengthW(box) > 0 &&
           GetWindowTextLengthW(GetDlgItem(box, 0xFFFF)) > 0;
}

}  // namespace

HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs) {
    HWND box = nullptr;
    WaitUntil(
        [&] {
            box = WaitForWindow(pid, L"#32770", 0);
            return Ready(box);
        },
        timeoutMs);
    return box != nullptr && IsWindowVisible(box) ? box : nullptr;
}

std::u16string MessageBoxText(HWND box) { return WindowText(GetDlgItem(box, 0xFFFF)); }

bool HasIconStatic(HWND box) {
    for (HWND child : ChildrenOf(box)) {
        if (IsOfClass(child, L"Static") &&
            (GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            return true;
    }
    return false;
}

std::vector<bool> AnswerEachCopyOnce(const std::vector<Process>& copies, std::size_t expected,
                                     DWORD timeoutMs, const std::function<void(HWND box)>& read) {
    std::vector<bool> asked(copies.size(), false);
    std::size_t answered = 0;
    WaitUntil(
        [&] {
            for (std::size_t i = 0; i < copies.size(); ++i) {
                if (asked[i]) continue;
                HWND box = WaitForMessageBox(copies[i].Id(), 0);
                if (!Ready(box)) continue;
                if (read) read(box);
                asked[i] = true;
                ++answered;
                // However long the box lingers once answered, it is answered once.
                SendMessageTimeoutW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000,
                                    nullptr);
            }
            return answered >= expected;
        },
        timeoutMs);
    return asked;
}

HWND ShowTestWindow(const wchar_t* className, WNDPROC procedure, int x, int y, int width,
                    int height) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    RegisterClassW(&wc);  // fails harmlessly once registered by an earlier test
    return CreateWindowExW(0, className, L"", WS_POPUP | WS_VISIBLE, x, y, width, height, nullptr,
                           nullptr, wc.hInstance, nullptr);
}

// --- Real input ---------------------------------------------------------------------------

DarkHighContrast::DarkHighContrast() {
    for (std::size_t i = 0; i < std::size(kElements); ++i) saved_[i] = GetSysColor(kElements[i]);
    const COLORREF dark[] = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(0, 0, 0),    RGB(255, 255, 255),
                             kHighlight,   RGB(0, 0, 0),       RGB(63, 242, 63)};
    SetSysColors(static_cast<int>(std::size(kElements)), kElements, dark);
    SetHighContrastForTesting(true);
}

DarkHighContrast::~DarkHighContrast() {
    SetHighContrastForTesting(std::nullopt);
    SetSysColors(static_cast<int>(std::size(kElements)), kElements, saved_);
}

POINT CentreOf(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

POINT CentreOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return CentreOf(r);
}

POINT ListItemCentre(HWND list, int index) {
    RECT item{};
    if (SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&item)) == LB_ERR)
        return POINT{-1, -1};  // off the screen: a click there fails
    POINT centre = CentreOf(item);
    ClientToScreen(list, &centre);
    return centre;
}

bool CursorAt(POINT p) {
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
    move.mi.dx = normalise(p.x, width);
    move.mi.dy = normalise(p.y, height);
    move.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    if (SendInput(1, &move, sizeof move) != 1) return false;
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

bool ClickAt(POINT p, MouseKey key) {
    if (!CursorAt(p)) return false;
    // A hand takes a moment between arriving, pressing and letting go; Wine's tray icons miss
    // a click that comes without those moments.
    Sleep(50);
    const bool left = key == MouseKey::Left;
    MouseButton(left ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_RIGHTDOWN);
    Sleep(50);
    MouseButton(left ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_RIGHTUP);
    return true;
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

// --- The program under test ---------------------------------------------------------------

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
    list = Control(ids::kList1);
    text1 = Control(ids::kText1);
    ASSERT_NE(list, nullptr);
    ASSERT_NE(text1, nullptr);
}

std::size_t ProgramTest::HistoryCount() const {
    const LRESULT n = SendMessageW(list, LB_GETCOUNT, 0, 0);
    return n < 0 ? 0 : static_cast<std::size_t>(n);
}

bool ProgramTest::CopyAndWait(const std::u16string& text, std::size_t count) {
    CopyFromAnotherProgram(text);
    // A tick that meets the copying program still holding the clipboard looks again at the
    // next one: allow for one such tick.
    return WaitUntil([&] { return HistoryCount() == count; }, kTwoTicks + kTick);
}

bool ProgramTest::BringToFront() {
    SetForegroundWindow(form);
    return WaitUntil([&] { return GetForegroundWindow() == form && FocusIn(form) != nullptr; },
                     kSoon);
}

void ProgramTest::ClickInWindow(POINT p) {
    if (GetForegroundWindow() != form) SetForegroundWindow(form);
    ASSERT_TRUE(ClickAt(p));
}

void ProgramTest::ClickControl(int id) {
    HWND control = Control(id);
    ASSERT_NE(control, nullptr) << "no control " << id;
    ClickInWindow(CentreOf(control));
}

void ProgramTest::ClickEntry(int index) { ClickInWindow(ListItemCentre(list, index)); }

}  // namespace talvex::testing
