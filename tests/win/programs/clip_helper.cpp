// "Another program" for the tests: puts things on the clipboard, or holds it open.
//   clip_helper copy HEXUNITS            Unicode text (UTF-16 units in hex, "-" for none)
//   clip_helper raw FORMAT HEXBYTES      exactly these bytes in a block of exactly that size
//   clip_helper private KINDS HEXUNITS   text with privacy marks, KINDS joined by commas:
//                                        exclude (one zero byte), ignore (two), history0,
//                                        history1, cloud0, cloud1 (a 32-bit 0 or 1)
//   clip_helper picture                  a small bitmap and nothing else
//   clip_helper empty                    empties the clipboard
//   clip_helper hold MS EVENT            opens the clipboard, sets the named event, waits MS
//   clip_helper copyhold HEXUNITS MS EVENT  copies, then keeps the clipboard open MS while
//                                        pumping messages
//   clip_helper burst N MS PREFIX [K]    N copies MS apart: PREFIX0.., or PREFIX + BurstPick(i, K)
//   clip_helper big MIB                  MIB mebibytes of Unicode 'x', NUL-terminated
//   clip_helper discarded                Unicode text whose block was discarded (cannot be locked)
//   clip_helper delayed MS               promises Unicode text, never renders it: looks at its
//                                        messages once, then sleeps MS without answering
//   clip_helper busy MS HEXUNITS LOG READY QUIT [late]
//                                        owns the clipboard with this text (only promised,
//                                        with "late"), sets event READY, then takes MS over
//                                        every message its clipboard window is sent or posted
//                                        until event QUIT, and writes them to file LOG, one
//                                        number a line
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::string FromHex(const wchar_t* hex) {
    std::string bytes;
    if (wcscmp(hex, L"-") == 0) return bytes;
    for (std::size_t i = 0; hex[i] != 0 && hex[i + 1] != 0; i += 2) {
        wchar_t pair[3] = {hex[i], hex[i + 1], 0};
        bytes.push_back(static_cast<char>(wcstoul(pair, nullptr, 16)));
    }
    return bytes;
}

std::wstring UnitsFromHex(const wchar_t* hex) {
    std::wstring text;
    if (wcscmp(hex, L"-") == 0) return text;
    const std::size_t n = wcslen(hex) / 4;
    for (std::size_t i = 0; i < n; ++i) {
        wchar_t quad[5] = {hex[4 * i], hex[4 * i + 1], hex[4 * i + 2], hex[4 * i + 3], 0};
        text.push_back(static_cast<wchar_t>(wcstoul(quad, nullptr, 16)));
    }
    return text;
}

HGLOBAL Block(const void* data, SIZE_T size) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, size);
    if (h == nullptr || size == 0) return h;
    void* p = GlobalLock(h);
    std::memcpy(p, data, size);
    GlobalUnlock(h);
    return h;
}

HGLOBAL TextBlock(const std::wstring& text) {
    return Block(text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

bool Open(HWND owner) {
    for (int i = 0; i < 200; ++i) {
        if (OpenClipboard(owner)) return true;
        Sleep(5);
    }
    return false;
}

UINT Format(const wchar_t* name) {
    wchar_t* end = nullptr;
    const unsigned long n = wcstoul(name, &end, 10);
    if (end != name && *end == 0) return static_cast<UINT>(n);
    return RegisterClipboardFormatW(name);
}

// Which of K texts copy i of a burst is: scattered, so equal neighbours happen.
unsigned BurstPick(unsigned i, unsigned k) { return (i * 2654435761u >> 13) % k; }

// A message-only window of class `name`, whose messages go to `procedure`.
HWND MessageWindow(const wchar_t* name, WNDPROC procedure) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = name;
    RegisterClassW(&wc);
    return CreateWindowExW(0, name, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                           nullptr);
}

// The privacy mark of one KIND of the "private" mode, with its data; false for an unknown kind.
bool PutMark(const std::wstring& kind) {
    static const DWORD kNo = 0, kYes = 1;
    struct Mark {
        const wchar_t* kind;
        const wchar_t* format;
        const void* data;
        SIZE_T size;
    };
    static const Mark kMarks[] = {
        {L"exclude", L"ExcludeClipboardContentFromMonitorProcessing", "", 1},
        {L"ignore", L"Clipboard Viewer Ignore", "\0", 2},
        {L"history0", L"CanIncludeInClipboardHistory", &kNo, sizeof kNo},
        {L"history1", L"CanIncludeInClipboardHistory", &kYes, sizeof kYes},
        {L"cloud0", L"CanUploadToCloudClipboard", &kNo, sizeof kNo},
        {L"cloud1", L"CanUploadToCloudClipboard", &kYes, sizeof kYes}};
    for (const Mark& m : kMarks)
        if (kind == m.kind)
            return SetClipboardData(RegisterClipboardFormatW(m.format), Block(m.data, m.size)) !=
                   nullptr;
    return false;
}

// The clipboard owner of the "busy" mode: each message costs it `workMs`, as in a program
// busy with something else that still answers between two pieces of work.
struct BusyOwner {
    DWORD workMs = 0;
    std::wstring text;
    bool counting = false;  // only the messages of its time as the owner
    std::vector<UINT> received;
};
BusyOwner busy;

LRESULT CALLBACK BusyOwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!busy.counting) return DefWindowProcW(hwnd, message, wParam, lParam);
    busy.received.push_back(message);
    Sleep(busy.workMs);
    if (message == WM_RENDERFORMAT && wParam == CF_UNICODETEXT) {
        SetClipboardData(CF_UNICODETEXT, TextBlock(busy.text));  // no open: the reader holds it
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

int RunBusyOwner(wchar_t** argv, bool late) {
    busy.workMs = static_cast<DWORD>(wcstoul(argv[2], nullptr, 10));
    busy.text = UnitsFromHex(argv[3]);
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[5]);
    HANDLE quit = OpenEventW(SYNCHRONIZE, FALSE, argv[6]);
    if (ready == nullptr || quit == nullptr) return 2;
    if (!Open(MessageWindow(L"clip_helper.busy", BusyOwnerProc))) return 3;
    bool ok = EmptyClipboard() != FALSE;
    // A promise gives back no handle: only the format's presence tells it was taken.
    const HANDLE placed = SetClipboardData(CF_UNICODETEXT, late ? nullptr : TextBlock(busy.text));
    ok = ok && (late ? IsClipboardFormatAvailable(CF_UNICODETEXT) : placed != nullptr);
    CloseClipboard();
    busy.counting = true;
    SetEvent(ready);
    // A minute at most, should the test never say so.
    const ULONGLONG until = GetTickCount64() + 60000;
    for (ULONGLONG now = GetTickCount64(); now < until; now = GetTickCount64()) {
        if (MsgWaitForMultipleObjects(1, &quit, FALSE, static_cast<DWORD>(until - now),
                                      QS_ALLINPUT) == WAIT_OBJECT_0)
            break;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    busy.counting = false;
    FILE* log = _wfopen(argv[4], L"w");
    if (log == nullptr) return 6;
    for (UINT message : busy.received) std::fprintf(log, "%u\n", message);
    std::fclose(log);
    return ok ? 0 : 5;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const std::wstring mode = argv[1];
    HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);

    if (mode == L"hold" && argc >= 4) {
        HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[3]);
        if (!Open(owner)) return 3;
        if (ready != nullptr) SetEvent(ready);
        Sleep(static_cast<DWORD>(wcstoul(argv[2], nullptr, 10)));
        CloseClipboard();
        return 0;
    }

    if (mode == L"copyhold" && argc >= 5) {
        // One session: nobody can read the text before the hold ends.
        HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[4]);
        if (!Open(owner)) return 3;
        const bool ok =
            EmptyClipboard() &&
            SetClipboardData(CF_UNICODETEXT, TextBlock(UnitsFromHex(argv[2]))) != nullptr;
        if (ready != nullptr) SetEvent(ready);
        // Keeps answering messages while it holds, as a live program does (Wine's
        // OpenClipboard asks the clipboard's owner first, and would wait on a silent one).
        const ULONGLONG until = GetTickCount64() + wcstoul(argv[3], nullptr, 10);
        for (ULONGLONG now = GetTickCount64(); now < until; now = GetTickCount64()) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(until - now),
                                      QS_ALLINPUT);
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        }
        CloseClipboard();
        return ok ? 0 : 5;
    }

    if (mode == L"burst" && argc >= 5) {
        const unsigned n = static_cast<unsigned>(wcstoul(argv[2], nullptr, 10));
        const DWORD pause = static_cast<DWORD>(wcstoul(argv[3], nullptr, 10));
        const unsigned k = argc >= 6 ? static_cast<unsigned>(wcstoul(argv[5], nullptr, 10)) : 0;
        int failures = 0;
        for (unsigned i = 0; i < n; ++i) {
            const std::wstring text = argv[4] + std::to_wstring(k == 0 ? i : BurstPick(i, k));
            if (!Open(owner)) {
                ++failures;
                continue;
            }
            if (!EmptyClipboard() || SetClipboardData(CF_UNICODETEXT, TextBlock(text)) == nullptr)
                ++failures;
            CloseClipboard();
            Sleep(pause);
        }
        return failures == 0 ? 0 : 5;
    }

    if (mode == L"busy" && argc >= 7) return RunBusyOwner(argv, argc >= 8);

    if (mode == L"delayed" && argc >= 3) {
        // It never answers WM_RENDERFORMAT: its thread sleeps instead of pumping.
        HWND silent = MessageWindow(L"clip_helper.silent", DefWindowProcW);
        // Started like any program (one look at its messages), so the system can tell it hung.
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
        if (!Open(silent)) return 3;
        bool ok = EmptyClipboard() != FALSE;
        SetClipboardData(CF_UNICODETEXT, nullptr);  // null, by design, for a promise
        CloseClipboard();
        ok = ok && IsClipboardFormatAvailable(CF_UNICODETEXT);
        Sleep(static_cast<DWORD>(wcstoul(argv[2], nullptr, 10)));
        return ok ? 0 : 5;
    }

    if (!Open(owner)) return 3;
    if (!EmptyClipboard()) return 4;
    bool ok = true;
    if (mode == L"copy" && argc >= 3) {
        ok = SetClipboardData(CF_UNICODETEXT, TextBlock(UnitsFromHex(argv[2]))) != nullptr;
    } else if (mode == L"raw" && argc >= 4) {
        const std::string bytes = FromHex(argv[3]);
        ok = SetClipboardData(Format(argv[2]), Block(bytes.data(), bytes.size())) != nullptr;
    } else if (mode == L"private" && argc >= 4) {
        ok = SetClipboardData(CF_UNICODETEXT, TextBlock(UnitsFromHex(argv[3]))) != nullptr;
        const std::wstring kinds = argv[2];
        for (std::size_t at = 0; ok && at <= kinds.size();) {
            const std::size_t comma = std::min(kinds.find(L',', at), kinds.size());
            ok = PutMark(kinds.substr(at, comma - at));
            at = comma + 1;
        }
    } else if (mode == L"picture") {
        HDC screen = GetDC(nullptr);
        HBITMAP bmp = CreateCompatibleBitmap(screen, 8, 8);
        ReleaseDC(nullptr, screen);
        ok = SetClipboardData(CF_BITMAP, bmp) != nullptr;
    } else if (mode == L"big" && argc >= 3) {
        const SIZE_T bytes = static_cast<SIZE_T>(wcstoul(argv[2], nullptr, 10)) << 20;
        HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes);
        if (auto* p = static_cast<wchar_t*>(h != nullptr ? GlobalLock(h) : nullptr)) {
            const SIZE_T units = bytes / sizeof(wchar_t);
            std::wmemset(p, L'x', units - 1);
            p[units - 1] = L'\0';
            GlobalUnlock(h);
        }
        ok = h != nullptr && SetClipboardData(CF_UNICODETEXT, h) != nullptr;
    } else if (mode == L"discarded") {
        HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_DISCARDABLE, 64);
        if (h != nullptr) h = GlobalDiscard(h);
        ok = h != nullptr && SetClipboardData(CF_UNICODETEXT, h) != nullptr;
    } else if (mode != L"empty") {
        ok = false;
    }
    CloseClipboard();
    return ok ? 0 : 5;
}
