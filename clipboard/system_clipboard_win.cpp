#include "clipboard/system_clipboard_win.h"

#include <cstring>
#include <cwchar>

#include "platform/unique_handle.h"

namespace talvex {
namespace {

const char kBusy[] =
    "Le presse-papiers est occupé par un autre programme.\r\n"
    "Attendez un instant, puis recommencez.";
const char kUnreadable[] = "Le texte du presse-papiers ne peut pas être lu.";
const char kNoMemory[] = "Mémoire insuffisante pour placer ce texte dans le presse-papiers.";
const char kRefused[] = "Le système a refusé de modifier le presse-papiers.";
const char kOwnerSilent[] =
    "Le programme qui a rempli le presse-papiers ne répond plus.\r\n"
    "Attendez qu'il réponde, puis recommencez.";

// A program that owns the clipboard but has stopped answering can hold every reader for
// seconds: text it only promised is asked of it when read (and Wine asks the owner before
// letting anyone open). Such an owner counts as a busy clipboard, reported at once.
void RequireAnsweringOwner() {
    HWND owner = GetClipboardOwner();
    if (owner == nullptr) return;
    DWORD process = 0;
    GetWindowThreadProcessId(owner, &process);
    if (process == 0 || process == GetCurrentProcessId()) return;
    DWORD_PTR ignored = 0;
    const bool answered = SendMessageTimeoutW(owner, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                                              200, &ignored) != 0;
    // An owner that is gone by now is no obstacle.
    if (!answered && IsWindow(owner)) throw ClipboardError(kOwnerSilent);
}

// Opens the clipboard for the life of the guard. Another program may hold it for a
// moment (many do, for a few milliseconds), so a failed open is tried again a few times,
// under 100 ms in all, before it is reported. Closes only what it opened.
class ClipboardSession {
  public:
    explicit ClipboardSession(HWND owner) {
        RequireAnsweringOwner();
        static constexpr DWORD kWaitsMs[] = {1, 2, 4, 8, 12, 16, 20, 24};  // 87 ms in all
        opened_ = OpenClipboard(owner) != FALSE;
        for (DWORD wait : kWaitsMs) {
            if (opened_) break;
            Sleep(wait);
            opened_ = OpenClipboard(owner) != FALSE;
        }
        if (!opened_) throw ClipboardError(kBusy);
    }
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;
    ~ClipboardSession() {
        if (opened_) CloseClipboard();
    }

  private:
    bool opened_ = false;
};

// Registered formats by which a program marks its text as not for clipboard histories.
struct PrivacyFormats {
    UINT exclude = RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing");
    UINT viewerIgnore = RegisterClipboardFormatW(L"Clipboard Viewer Ignore");
    UINT includeInHistory = RegisterClipboardFormatW(L"CanIncludeInClipboardHistory");
};

const PrivacyFormats& Formats() {
    static const PrivacyFormats formats;
    return formats;
}

// Reads the clipboard's Unicode text. The clipboard must be open. Trusts nothing about the
// block: reads at most its size, stops at the first NUL, takes odd sizes and empty blocks.
std::u16string ReadUnicodeText() {
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT)) return {};
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (data == nullptr) throw ClipboardError(kUnreadable);
    const SIZE_T bytes = GlobalSize(data);
    if (bytes < sizeof(wchar_t)) return {};
    const auto* units = static_cast<const wchar_t*>(GlobalLock(data));
    if (units == nullptr) throw ClipboardError(kUnreadable);
    const std::size_t capacity = bytes / sizeof(wchar_t);
    const std::size_t length = wcsnlen(units, capacity);
    std::u16string text;
    try {
        text.assign(units, units + length);
    } catch (...) {
        GlobalUnlock(data);
        throw;
    }
    GlobalUnlock(data);
    return text;
}

bool MarkedPrivateWhileOpen() {
    const PrivacyFormats& f = Formats();
    if (IsClipboardFormatAvailable(f.exclude) || IsClipboardFormatAvailable(f.viewerIgnore))
        return true;
    if (!IsClipboardFormatAvailable(f.includeInHistory)) return false;
    HANDLE data = GetClipboardData(f.includeInHistory);
    if (data == nullptr || GlobalSize(data) < sizeof(DWORD)) return false;
    const auto* value = static_cast<const DWORD*>(GlobalLock(data));
    if (value == nullptr) return false;
    const bool excluded = *value == 0;
    GlobalUnlock(data);
    return excluded;
}

}  // namespace

bool SystemClipboard::HoldsPrivateText() {
    const PrivacyFormats& f = Formats();
    if (IsClipboardFormatAvailable(f.exclude) || IsClipboardFormatAvailable(f.viewerIgnore))
        return true;
    if (!IsClipboardFormatAvailable(f.includeInHistory)) return false;
    ClipboardSession session(nullptr);
    return MarkedPrivateWhileOpen();
}

bool SystemClipboard::HasText() {
    // Text format 1 is offered whenever any text is: Windows makes it from Unicode text.
    if (!IsClipboardFormatAvailable(CF_TEXT)) return false;
    return privacy_ == PrivateText::Show || !HoldsPrivateText();
}

std::u16string SystemClipboard::GetText() {
    ClipboardSession session(owner_);
    if (privacy_ == PrivateText::Hide && MarkedPrivateWhileOpen()) return {};
    return ReadUnicodeText();
}

void SystemClipboard::SetText(const std::u16string& text) {
    // Prepare the block before opening, so the clipboard is held as briefly as possible.
    const SIZE_T bytes = (text.size() + 1) * sizeof(wchar_t);
    UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!block) throw ClipboardError(kNoMemory);
    auto* dest = static_cast<wchar_t*>(GlobalLock(block.get()));
    if (dest == nullptr) throw ClipboardError(kNoMemory);
    if (!text.empty()) std::memcpy(dest, text.data(), text.size() * sizeof(wchar_t));
    dest[text.size()] = L'\0';
    GlobalUnlock(block.get());

    ClipboardSession session(owner_);
    if (!EmptyClipboard()) throw ClipboardError(kRefused);
    if (SetClipboardData(CF_UNICODETEXT, block.get()) == nullptr) throw ClipboardError(kRefused);
    block.release();  // the clipboard owns the memory now
}

void SystemClipboard::Clear() {
    ClipboardSession session(owner_);
    if (!EmptyClipboard()) throw ClipboardError(kRefused);
}

}  // namespace talvex
