// What the Win32 tests share: waiting on conditions, driving other processes, reading the
// program's windows from outside as another program would.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace talvex::testing {

// --- Time ---------------------------------------------------------------------------------

// The program looks at the clipboard once a second.
inline constexpr DWORD kTick = 1000;
// Two ticks and a little slack: by then a copy has been recorded, or never will be.
inline constexpr DWORD kTwoTicks = 2 * kTick + 500;
// For anything that follows a click or a key: the program answers long before.
inline constexpr DWORD kSoon = 10000;

// Polls `condition` (pumping this thread's messages) until it holds or `timeoutMs` passes.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// --- Processes ----------------------------------------------------------------------------

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

// The program under test, beside the tests.
std::wstring ProgramPath();
// The program file opened for its resources only (pictures, menus, manifest), once.
HMODULE ProgramResources();
// Ends every copy of the program a previous test may have left behind.
void EndStrayPrograms();

// --- The clipboard, with the system's own calls -------------------------------------------

// The clipboard helper program, "another program" on the desktop.
std::wstring ClipHelper();
// Hex of the UTF-16 units of `text`, the way the helper takes text on its command line.
std::wstring HexUnits(const std::u16string& text);
std::wstring HexBytes(const std::string& bytes);
// Copies `text` to the clipboard from another process, as another program would.
void CopyFromAnotherProgram(const std::u16string& text);

// A message-only window of this thread, to own what the test puts on the clipboard.
HWND MessageOnlyWindow();
// The clipboard's text (CF_UNICODETEXT) as any program reads it, never through the code under
// test; nullopt when it holds no text or another program keeps it open for a second.
std::optional<std::u16string> TextOnClipboard();
// Every format on the clipboard, as any program reads it, with its data byte for byte; the text
// formats and the locale that goes with them are listed without their data. Empty when the
// clipboard stays busy.
std::map<UINT, std::string> FormatsOnClipboard();
// Puts `text` on the clipboard from this process, as another program would (for texts too
// long for the helper's command line). False when the clipboard stayed busy or refused it.
bool PutOnClipboard(const std::u16string& text);

// --- Windows seen from outside ------------------------------------------------------------

// The top-level windows of process `pid` of class `className`, shown or not, front first.
std::vector<HWND> WindowsOf(DWORD pid, const wchar_t* className);
// Every window below `root`, at any depth.
std::vector<HWND> ChildrenOf(HWND root);
// A top-level window of process `pid` with class `className`, or null once the time ran out.
HWND WaitForWindow(DWORD pid, const wchar_t* className, DWORD timeoutMs);
// The control with child id `id` anywhere below `root` (controls sit inside frames).
HWND FindControl(HWND root, int id);
// Every item of a list box, read through LB_GETCOUNT / LB_GETTEXT.
std::vector<std::u16string> ReadListBox(HWND list);
std::u16string WindowText(HWND hwnd);
// The text of a control, asked of the control itself with WM_GETTEXT: GetWindowText gives
// another process's edit box the caption the system keeps, which an edit box never sets.
std::u16string ControlText(HWND control);
// The rectangles, on screen, of the icons shown in Wine's own tray window, left to right.
std::vector<RECT> TrayIcons();
// The dpi of the screen, as the program scales by it.
int ScreenDpi();
// A 32-bit bitmap of that size as GetDIBits and CreateDIBSection take it: its top row first.
BITMAPINFO TopDownBitmapInfo(int width, int height);

// A message box (#32770) of process `pid`, once it is shown with its caption and its text
// (the window exists a moment before they are filled in). When the time runs out, a box
// still being filled in, or null when none is shown.
HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs);
std::u16string MessageBoxText(HWND box);
// Whether a message box shows an icon (a static control of the icon kind).
bool HasIconStatic(HWND box);
// Answers (OK) the message box of each of `copies` once, as each shows, until `expected`
// boxes are answered or `timeoutMs` passes; `read` sees each box before it is answered.
// Which copies asked.
std::vector<bool> AnswerEachCopyOnce(const std::vector<Process>& copies, std::size_t expected,
                                     DWORD timeoutMs,
                                     const std::function<void(HWND box)>& read = {});

// A shown top-level window of this thread, of class `className` registered here with
// `procedure`: a home for a control tested in this process.
HWND ShowTestWindow(const wchar_t* className, WNDPROC procedure, int x, int y, int width,
                    int height);

// High contrast with a dark scheme's colours, for what this process draws, while it lives:
// the system colours are set here, where the drawing happens (set from another process, Wine
// did not pass them on), and the program's own switch stands in for the system's, which Wine
// cannot turn on. Everything comes back as it was.
class DarkHighContrast {
  public:
    static constexpr COLORREF kHighlight = RGB(26, 235, 255);
    DarkHighContrast();
    ~DarkHighContrast();
    DarkHighContrast(const DarkHighContrast&) = delete;
    DarkHighContrast& operator=(const DarkHighContrast&) = delete;

  private:
    static constexpr int kElements[] = {COLOR_WINDOW,   COLOR_WINDOWTEXT, COLOR_MENU,
                                        COLOR_MENUTEXT, COLOR_HIGHLIGHT,  COLOR_HIGHLIGHTTEXT,
                                        COLOR_GRAYTEXT};
    COLORREF saved_[std::size(kElements)] = {};
};

// --- Real input ---------------------------------------------------------------------------

// The middle of a rectangle; of a window's rectangle on screen.
POINT CentreOf(const RECT& r);
POINT CentreOf(HWND window);
// The middle of item `index` of a list box, on screen (LB_GETITEMRECT).
POINT ListItemCentre(HWND list, int index);

// Moves the pointer to screen point `p` as the user's mouse does (SendInput); false when it
// did not get there.
bool CursorAt(POINT p);
// A real mouse button event (MOUSEEVENTF_LEFTDOWN and the like) where the pointer is.
void MouseButton(DWORD flags);
enum class MouseKey { Left, Right };
// A real click at screen point `p`: the pointer moves there, then the button goes down and
// up. False when the pointer did not get there.
bool ClickAt(POINT p, MouseKey key = MouseKey::Left);
// Real key strokes, as the keyboard makes them; they go to the foreground window's focus.
void KeyEvent(WORD key, bool up);
// `key` pressed and released with `modifiers` held down around it.
void PressKey(WORD key, const std::vector<WORD>& modifiers = {});
// Characters typed as a keyboard sends those it has no key for (KEYEVENTF_UNICODE), one
// UTF-16 unit at a time: a character beyond U+FFFF comes as its two halves.
void TypeUnits(const std::u16string& text);
// The window that has the keyboard focus in the thread of `window`.
HWND FocusIn(HWND window);

// --- The program under test ---------------------------------------------------------------

// A test of the real program: no copy left from an earlier test, an empty clipboard.
class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    // Starts the program and waits for its window, shown, with List1 and Text1.
    void StartProgram();

    HWND Control(int id) const { return FindControl(form, id); }
    // How many entries the history holds.
    std::size_t HistoryCount() const;
    // Copies `text` from another program and waits until the history holds `count` entries.
    bool CopyAndWait(const std::u16string& text, std::size_t count);
    // The program's message box, once shown with its words (see WaitForMessageBox).
    HWND WaitForBox(DWORD timeoutMs = kSoon) const {
        return WaitForMessageBox(program.Id(), timeoutMs);
    }
    // Brings the window to the front and waits until it has the keyboard.
    bool BringToFront();
    // Real clicks, the window asked to the front first: at screen point `p`; in the middle of
    // control `id`; in the middle of entry `index` of the history.
    void ClickInWindow(POINT p);
    void ClickControl(int id);
    void ClickEntry(int index);

    Process program;
    HWND form = nullptr;
    HWND list = nullptr;
    HWND text1 = nullptr;
};

}  // namespace talvex::testing
