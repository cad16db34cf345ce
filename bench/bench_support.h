// What the benchmark drivers share: a clock, statistics, starting and ending the program,
// and finding its windows from outside, as another program would.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace bench {

inline double NowMs() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

inline double Max(const std::vector<double>& v) {
    return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}

inline double Min(const std::vector<double>& v) {
    return v.empty() ? 0 : *std::min_element(v.begin(), v.end());
}

// A file in the folder of this program (the build puts every program in one folder).
inline std::wstring BesideMe(const std::wstring& fileName) {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, n);
    dir.resize(dir.find_last_of(L"\\/") + 1);
    return dir + fileName;
}

// Runs `fileName`, a program of this folder, with `arguments` to its end (a minute at most):
// the "other program" of a measure. False when it did not start or did not end with 0.
inline bool RunBesideMe(const std::wstring& fileName, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + BesideMe(fileName) + L"\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &si, &pi))
        return false;
    const bool ended = WaitForSingleObject(pi.hProcess, 60000) == WAIT_OBJECT_0;
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return ended && code == 0;
}

// One started program; ended (TerminateProcess) when it goes out of scope.
class Process {
  public:
    // `extraEnvironment` ("NAME=value") is added to this program's own environment.
    explicit Process(const std::wstring& exe, const std::wstring& extraEnvironment = L"",
                     const std::wstring& arguments = L"") {
        std::wstring commandLine = L"\"" + exe + L"\"";
        if (!arguments.empty()) commandLine += L" " + arguments;
        STARTUPINFOW si{};
        si.cb = sizeof si;
        std::wstring environment;
        if (!extraEnvironment.empty()) {
            // The added variable replaces one of the same name.
            const std::wstring name = extraEnvironment.substr(0, extraEnvironment.find(L'=') + 1);
            wchar_t* own = GetEnvironmentStringsW();
            for (const wchar_t* p = own; *p != 0; p += wcslen(p) + 1) {
                if (_wcsnicmp(p, name.c_str(), name.size()) == 0) continue;
                environment.append(p);
                environment.push_back(L'\0');
            }
            FreeEnvironmentStringsW(own);
            environment.append(extraEnvironment);
            environment.push_back(L'\0');
            environment.push_back(L'\0');
        }
        CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                       extraEnvironment.empty() ? 0 : CREATE_UNICODE_ENVIRONMENT,
                       extraEnvironment.empty() ? nullptr : environment.data(), nullptr, &si,
                       &info_);
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process() { End(); }

    bool Started() const { return info_.hProcess != nullptr; }
    DWORD Id() const { return info_.dwProcessId; }
    HANDLE Handle() const { return info_.hProcess; }

    // Ends it and waits until it is gone, so that the next copy is not a second instance.
    void End() {
        if (info_.hProcess == nullptr) return;
        TerminateProcess(info_.hProcess, 0);
        WaitForSingleObject(info_.hProcess, 10000);
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
        info_ = PROCESS_INFORMATION{};
    }

  private:
    PROCESS_INFORMATION info_{};
};

// A visible top-level window of process `pid` (of class `className` when given), or null.
inline HWND TopLevelWindowOf(DWORD pid, const wchar_t* className = nullptr,
                             bool visibleOnly = true) {
    struct Search {
        DWORD pid;
        const wchar_t* className;
        bool visibleOnly;
        HWND found;
    } search{pid, className, visibleOnly, nullptr};
    EnumWindows(
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(hwnd, &owner);
            if (owner != s.pid || (s.visibleOnly && !IsWindowVisible(hwnd))) return TRUE;
            if (s.className != nullptr) {
                wchar_t name[128];
                if (GetClassNameW(hwnd, name, 128) == 0 || wcscmp(name, s.className) != 0)
                    return TRUE;
            }
            s.found = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Polls every millisecond or so for the window; null once `timeoutMs` has passed.
inline HWND WaitForWindow(DWORD pid, const wchar_t* className, DWORD timeoutMs) {
    const double deadline = NowMs() + timeoutMs;
    while (NowMs() < deadline) {
        if (HWND hwnd = TopLevelWindowOf(pid, className)) return hwnd;
        Sleep(1);
    }
    return nullptr;
}

// The control with child id `id` anywhere below `root` (controls sit inside frames).
inline HWND FindControl(HWND root, int id) {
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    EnumChildWindows(
        root,
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(lp);
            if (GetDlgCtrlID(hwnd) != s.id) return TRUE;
            s.found = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Puts `text` on the clipboard as Unicode text, owned by `owner`. False when the clipboard
// stayed busy or refused.
inline bool PutText(HWND owner, const std::wstring& text) {
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (block == nullptr) return false;
    std::memcpy(GlobalLock(block), text.c_str(), bytes);
    GlobalUnlock(block);
    bool opened = false;
    for (int i = 0; i < 200 && !opened; ++i) {
        opened = OpenClipboard(owner) != FALSE;
        if (!opened) Sleep(2);
    }
    if (!opened) {
        GlobalFree(block);
        return false;
    }
    EmptyClipboard();
    const bool set = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    CloseClipboard();
    if (!set) GlobalFree(block);
    return set;
}

inline HWND MessageOnlyWindow() {
    return CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

// One row of the summary table: | measure | result | goal | met? |
inline void Row(const char* measure, const std::string& result, const char* goal, bool met) {
    std::printf("| %s | %s | %s | %s |\n", measure, result.c_str(), goal, met ? "yes" : "**no**");
}

template <typename... Args>
std::string Format(const char* format, Args... args) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return buffer;
}

}  // namespace bench
