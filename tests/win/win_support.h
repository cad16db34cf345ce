// What the Win32 tests share: waiting on conditions, driving other processes, reading the
// program's windows from outside as another program would.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace talvex::testing {

// Polls `condition` (pumping this thread's messages) until it holds or `timeoutMs` passes.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// A file beside the test program (the build puts every program in one folder).
std::wstring BesideTests(const std::wstring& fileName);

// A process started by a test; ended in the destructor if still running.
class Process {
  public:
    Process() = default;
    Process(const std::wstring& exe, const std::wstring& args = L"");
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    ~Process();

    bool Started() const { return info_.hProcess != nullptr; }
    DWORD Id() const { return info_.dwProcessId; }
    HANDLE Handle() const { return info_.hProcess; }
    // True when it ended within the time; `exitCode` gets its code.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr);
    void Kill();

  private:
    PROCESS_INFORMATION info_{};
};

// Runs a helper program to its end and returns its exit code (or ~0u on time-out).
DWORD RunToEnd(const std::wstring& exe, const std::wstring& args, DWORD timeoutMs = 20000);

// The clipboard helper program, "another program" on the desktop.
std::wstring ClipHelper();
// Hex of the UTF-16 units of `text`, the way the helper takes text on its command line.
std::wstring HexUnits(const std::u16string& text);
std::wstring HexBytes(const std::string& bytes);
// Copies `text` to the clipboard from another process, as another program would.
void CopyFromAnotherProgram(const std::u16string& text);

// A top-level window of process `pid` with class `className`, or null once the time ran out.
HWND WaitForWindow(DWORD pid, const wchar_t* className, DWORD timeoutMs);
// The control with child id `id` anywhere below `root` (controls sit inside frames).
HWND FindControl(HWND root, int id);
// Every item of a list box, read through LB_GETCOUNT / LB_GETTEXT.
std::vector<std::u16string> ReadListBox(HWND list);
// A message box (#32770) shown by process `pid`.
HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs);
std::u16string WindowText(HWND hwnd);
// The text of a control, asked of the control itself with WM_GETTEXT: GetWindowText gives
// another process's edit box the caption the system keeps, which an edit box never sets.
std::u16string ControlText(HWND control);
std::u16string MessageBoxText(HWND box);

// A real left click at screen pixel (x, y), as the user's mouse makes it: SendInput moves
// the pointer there, then presses and releases the left button. False when the pointer did
// not get there.
bool ClickAt(int x, int y);
// Moves the pointer to screen point `p`; false when it did not get there.
bool CursorAt(POINT p);
// A real mouse button event (MOUSEEVENTF_LEFTDOWN and the like) where the pointer is.
void MouseButton(DWORD flags);
// Real key strokes, as the keyboard makes them; they go to the foreground window's focus.
void KeyEvent(WORD key, bool up);
// `key` pressed and released with `modifiers` held down around it.
void PressKey(WORD key, const std::vector<WORD>& modifiers = {});
// Characters typed as a keyboard sends those it has no key for (KEYEVENTF_UNICODE), one
// UTF-16 unit at a time: a character beyond U+FFFF comes as its two halves.
void TypeUnits(const std::u16string& text);
// The window that has the keyboard focus in the thread of `window`.
HWND FocusIn(HWND window);

// The program under test, beside the tests.
std::wstring ProgramPath();
// Ends every copy of the program a previous test may have left behind.
void EndStrayPrograms();

// A message-only window of this thread, to own what the test puts on the clipboard.
HWND MessageOnlyWindow();

// A test of the real program: no copy left from an earlier test, an empty clipboard.
class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    // Starts the program and waits for its window, shown, with List1 and Text1.
    void StartProgram();

    Process program;
    HWND form = nullptr;
    HWND list = nullptr;
    HWND text1 = nullptr;
};

}  // namespace talvex::testing
