#include "clipboard/system_clipboard_win.h"

#include <cstring>
#include <cwchar>
#include <utility>
#include <vector>

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

// True when the system's own history is asked to leave the content out. The clipboard must be
// open.
bool SystemHistoryRefusedWhileOpen() {
    const UINT format = Formats().includeInHistory;
    if (!IsClipboardFormatAvailable(format)) return false;
    HANDLE data = GetClipboardData(format);
    if (data == nullptr || GlobalSize(data) < sizeof(DWORD)) return false;
    const auto* value = static_cast<const DWORD*>(GlobalLock(data));
    if (value == nullptr) return false;
    const bool excluded = *value == 0;
    GlobalUnlock(data);
    return excluded;
}

// The privacy marks on the clipboard's content. The clipboard must be open.
TextPrivacy MarksWhileOpen() {
    const PrivacyFormats& f = Formats();
    TextPrivacy marks;
    marks.notForMonitors = IsClipboardFormatAvailable(f.exclude) != FALSE;
    marks.notForViewers = IsClipboardFormatAvailable(f.viewerIgnore) != FALSE;
    marks.notForSystemHistory = SystemHistoryRefusedWhileOpen();
    return marks;
}

// A movable block of `bytes` bytes, filled by `fill`, ready to be handed to the clipboard.
template <typename Fill>
UniqueGlobal FilledBlock(SIZE_T bytes, Fill&& fill) {
    UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!block) throw ClipboardError(kNoMemory);
    void* dest = GlobalLock(block.get());
    if (dest == nullptr) throw ClipboardError(kNoMemory);
    fill(dest);
    GlobalUnlock(block.get());
    return block;
}

UniqueGlobal TextBlock(const std::u16string& text) {
    return FilledBlock((text.size() + 1) * sizeof(wchar_t), [&text](void* dest) {
        auto* units = static_cast<wchar_t*>(dest);
        if (!text.empty()) std::memcpy(units, text.data(), text.size() * sizeof(wchar_t));
        units[text.size()] = L'\0';
    });
}

// The data of a privacy mark: a DWORD 0, which the history mark reads as "not included" and
// the others do not read at all.
UniqueGlobal MarkBlock() {
    return FilledBlock(sizeof(DWORD), [](void* dest) { *static_cast<DWORD*>(dest) = 0; });
}

// Hands `block` to the clipboard as `format`. The clipboard must be open and emptied by us.
void Place(UINT format, UniqueGlobal& block) {
    if (SetClipboardData(format, block.get()) == nullptr) throw ClipboardError(kRefused);
    block.release();  // the clipboard owns the memory now
}

}  // namespace

bool SystemClipboard::HoldsPrivateText() {
    const PrivacyFormats& f = Formats();
    if (IsClipboardFormatAvailable(f.exclude) || IsClipboardFormatAvailable(f.viewerIgnore))
        return true;
    if (!IsClipboardFormatAvailable(f.includeInHistory)) return false;
    ClipboardSession session(nullptr);
    return SystemHistoryRefusedWhileOpen();
}

bool SystemClipboard::HasText() {
    // Text format 1 is offered whenever any text is: Windows makes it from Unicode text.
    if (!IsClipboardFormatAvailable(CF_TEXT)) return false;
    return privacy_ == PrivateText::Show || !HoldsPrivateText();
}

std::u16string SystemClipboard::GetText() {
    ClipboardSession session(owner_);
    if (privacy_ == PrivateText::Hide && MarksWhileOpen().IsPrivate()) return {};
    return ReadUnicodeText();
}

ClipboardText SystemClipboard::ReadText() {
    ClipboardSession session(owner_);
    ClipboardText found;
    found.privacy = MarksWhileOpen();
    if (privacy_ == PrivateText::Hide && found.privacy.IsPrivate()) return found;
    if (IsClipboardFormatAvailable(CF_UNICODETEXT)) found.text = ReadUnicodeText();
    return found;
}

void SystemClipboard::SetText(const std::u16string& text) { SetPrivateText(text, {}); }

void SystemClipboard::SetPrivateText(const std::u16string& text, const TextPrivacy& privacy) {
    // Prepare the blocks before opening, so the clipboard is held as briefly as possible.
    UniqueGlobal textBlock = TextBlock(text);
    const PrivacyFormats& f = Formats();
    std::vector<std::pair<UINT, UniqueGlobal>> marks;
    if (privacy.notForMonitors) marks.emplace_back(f.exclude, MarkBlock());
    if (privacy.notForViewers) marks.emplace_back(f.viewerIgnore, MarkBlock());
    if (privacy.notForSystemHistory) marks.emplace_back(f.includeInHistory, MarkBlock());

    ClipboardSession session(owner_);
    if (!EmptyClipboard()) throw ClipboardError(kRefused);
    // The marks first: if the text is then refused, no unmarked private text is left behind.
    for (auto& [format, block] : marks) Place(format, block);
    Place(CF_UNICODETEXT, textBlock);
}

void SystemClipboard::Clear() {
    ClipboardSession session(owner_);
    if (!EmptyClipboard()) throw ClipboardError(kRefused);
}

}  // namespace talvex
