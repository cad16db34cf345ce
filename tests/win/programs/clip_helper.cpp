// "Another program" for the tests: puts things on the clipboard, or holds it open.
//   clip_helper copy HEXUNITS            Unicode text (UTF-16 units in hex, "-" for none)
//   clip_helper raw FORMAT HEXBYTES      exactly these bytes in a block of exactly that size
//   clip_helper private KIND HEXUNITS    text with a privacy marker: exclude, ignore,
//                                        history0 or history1
//   clip_helper picture                  a small bitmap and nothing else
//   clip_helper empty                    empties the clipboard
//   clip_helper hold MS EVENT            opens the clipboard, sets the named event, waits MS
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

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
        const std::wstring kind = argv[2];
        if (kind == L"exclude") {
            ok = ok && SetClipboardData(
                           RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing"),
                           Block("", 1)) != nullptr;
        } else if (kind == L"ignore") {
            ok = ok && SetClipboardData(RegisterClipboardFormatW(L"Clipboard Viewer Ignore"),
                                        Block("", 1)) != nullptr;
        } else {
            const DWORD value = kind == L"history0" ? 0 : 1;
            ok = ok && SetClipboardData(RegisterClipboardFormatW(L"CanIncludeInClipboardHistory"),
                                        Block(&value, sizeof value)) != nullptr;
        }
    } else if (mode == L"picture") {
        HDC screen = GetDC(nullptr);
        HBITMAP bmp = CreateCompatibleBitmap(screen, 8, 8);
        ReleaseDC(nullptr, screen);
        ok = SetClipboardData(CF_BITMAP, bmp) != nullptr;
    } else if (mode != L"empty") {
        ok = false;
    }
    CloseClipboard();
    return ok ? 0 : 5;
}
