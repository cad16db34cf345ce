#include "clipboard/system_clipboard_win.h"

#include <cstring>
#include <cwchar>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/unique_handle.h"

namespace talvex {
namespace {

// Opens the clipboard for the life of the guard. Another program may hold it for a
// moment (many do, for a few milliseconds), so a failed open is tried again a few times,
// under 100 ms in all, before it is reported. Closes only what it opened. Opening asks
// nothing of the clipboard's owner, and neither do emptying and writing: a write never waits
// on it.
class ClipboardSession {
  public:
    explicit ClipboardSession(HWND owner) {
        static constexpr DWORD kWaitsMs[] = {1, 2, 4, 8, 12, 16, 20, 24};  // 87 ms in all
        opened_ = OpenClipboard(owner) != FALSE;
        for (DWORD wait : kWaitsMs) {
            if (opened_) break;
            Sleep(wait);
            opened_ = OpenClipboard(owner) != FALSE;
        }
        if (!opened_) throw ClipboardError(ClipboardFailure::Busy);
    }
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;
    ~ClipboardSession() {
        if (opened_) CloseClipboard();
    }

  private:
    bool opened_ = false;
};

// A session that reads. Data its owner only promised is asked of the owner when read
// (WM_RENDERFORMAT), and the reader waits for the answer; which formats are promised cannot be
// told beforehand. So before the first data of the session, an owner that the system counts
// as hung is reported as a busy clipboard at once, instead of freezing the window. The system
// is asked, not the owner: IsHungAppWindow sends nothing, so a busy owner is not held up, and
// one running with higher rights (which our messages could not reach) is not taken for dead.
class ClipboardReader {
  public:
    explicit ClipboardReader(HWND window) : session_(window) {}

    // The data of `format`; null when it is not there or could not be had.
    HANDLE Data(UINT format) {
        if (!IsClipboardFormatAvailable(format)) return nullptr;
        if (!ownerChecked_) {
            // A window of this thread is called directly, never waited on.
            HWND owner = GetClipboardOwner();
            if (owner != nullptr &&
                GetWindowThreadProcessId(owner, nullptr) != GetCurrentThreadId() &&
                IsHungAppWindow(owner))
                throw ClipboardError(ClipboardFailure::OwnerNotResponding);
            ownerChecked_ = true;
        }
        return GetClipboardData(format);
    }

  private:
    ClipboardSession session_;
    bool ownerChecked_ = false;
};

// Registered formats by which a program marks its text for clipboard histories and the cloud.
struct PrivacyFormats {
    UINT exclude = RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing");
    UINT viewerIgnore = RegisterClipboardFormatW(L"Clipboard Viewer Ignore");
    UINT includeInHistory = RegisterClipboardFormatW(L"CanIncludeInClipboardHistory");
    UINT uploadToCloud = RegisterClipboardFormatW(L"CanUploadToCloudClipboard");
};

const PrivacyFormats& Formats() {
    static const PrivacyFormats formats;
    return formats;
}

// Reads the clipboard's Unicode text. Trusts nothing about the block: reads at most its size,
// stops at the first NUL, takes odd sizes and empty blocks.
std::u16string ReadUnicodeText(ClipboardReader& reader) {
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT)) return {};
    HANDLE data = reader.Data(CF_UNICODETEXT);
    if (data == nullptr) throw ClipboardError(ClipboardFailure::Unreadable);
    const SIZE_T bytes = GlobalSize(data);
    if (bytes < sizeof(wchar_t)) return {};
    const LockedGlobal locked(data);
    const auto* units = static_cast<const wchar_t*>(locked.get());
    if (units == nullptr) throw ClipboardError(ClipboardFailure::Unreadable);
    const std::size_t capacity = bytes / sizeof(wchar_t);
    const std::size_t length = wcsnlen(units, capacity);
    return std::u16string(units, units + length);
}

// The mark of `format` with its data byte for byte; empty data when the block cannot be had,
// nullopt when the mark is not there.
std::optional<std::string> MarkOf(ClipboardReader& reader, UINT format) {
    if (!IsClipboardFormatAvailable(format)) return std::nullopt;
    std::string bytes;
    HANDLE data = reader.Data(format);
    const SIZE_T size = data != nullptr ? GlobalSize(data) : 0;
    if (size == 0) return bytes;
    const LockedGlobal locked(data);
    const auto* block = static_cast<const char*>(locked.get());
    if (block == nullptr) return bytes;
    bytes.assign(block, size);
    return bytes;
}

// Marks whose presence alone makes the text private; asks for no data.
bool PrivateByPresence() {
    const PrivacyFormats& f = Formats();
    return IsClipboardFormatAvailable(f.exclude) || IsClipboardFormatAvailable(f.viewerIgnore);
}

// True when the system's own history is asked to leave the content out.
bool SystemHistoryRefused(ClipboardReader& reader) {
    return TextPrivacy{.systemHistory = MarkOf(reader, Formats().includeInHistory)}
        .RefusesSystemHistory();
}

// Every mark on the clipboard's content, with its data.
TextPrivacy MarksOf(ClipboardReader& reader) {
    const PrivacyFormats& f = Formats();
    return {.notForMonitors = MarkOf(reader, f.exclude),
            .notForViewers = MarkOf(reader, f.viewerIgnore),
            .systemHistory = MarkOf(reader, f.includeInHistory),
            .cloudUpload = MarkOf(reader, f.uploadToCloud)};
}

// A movable block of `bytes` bytes, filled by `fill`, ready to be handed to the clipboard.
template <typename Fill>
UniqueGlobal FilledBlock(SIZE_T bytes, Fill&& fill) {
    UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!block) throw ClipboardError(ClipboardFailure::OutOfMemory);
    {
        const LockedGlobal locked(block.get());
        if (locked.get() == nullptr) throw ClipboardError(ClipboardFailure::OutOfMemory);
        fill(locked.get());
    }
    return block;
}

UniqueGlobal TextBlock(const std::u16string& text) {
    return FilledBlock((text.size() + 1) * sizeof(wchar_t), [&text](void* dest) {
        auto* units = static_cast<wchar_t*>(dest);
        if (!text.empty()) std::memcpy(units, text.data(), text.size() * sizeof(wchar_t));
        units[text.size()] = L'\0';
    });
}

// A mark's block, holding exactly the data it came with (none at all included).
UniqueGlobal MarkBlock(const std::string& bytes) {
    if (bytes.empty()) {
        UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, 0));
        if (!block) throw ClipboardError(ClipboardFailure::OutOfMemory);
        return block;
    }
    return FilledBlock(bytes.size(),
                       [&bytes](void* dest) { std::memcpy(dest, bytes.data(), bytes.size()); });
}

// Hands `block` to the clipboard as `format`. The clipboard must be open and emptied by us.
void Place(UINT format, UniqueGlobal& block) {
    if (SetClipboardData(format, block.get()) == nullptr)
        throw ClipboardError(ClipboardFailure::Refused);
    block.release();  // the clipboard owns the memory now
}

}  // namespace

bool SystemClipboard::HoldsPrivateText() {
    if (PrivateByPresence()) return true;
    if (!IsClipboardFormatAvailable(Formats().includeInHistory)) return false;
    ClipboardReader reader(nullptr);
    return SystemHistoryRefused(reader);
}

bool SystemClipboard::HasText() {
    // Text format 1 is offered whenever any text is: Windows makes it from Unicode text.
    if (!IsClipboardFormatAvailable(CF_TEXT)) return false;
    return privacy_ == PrivateText::Show || !HoldsPrivateText();
}

std::u16string SystemClipboard::GetText() {
    ClipboardReader reader(owner_);
    if (privacy_ == PrivateText::Hide && (PrivateByPresence() || SystemHistoryRefused(reader)))
        return {};
    return ReadUnicodeText(reader);
}

ClipboardText SystemClipboard::ReadText() {
    ClipboardReader reader(owner_);
    ClipboardText found;
    found.privacy = MarksOf(reader);
    if (privacy_ == PrivateText::Hide && found.privacy.IsPrivate()) return found;
    if (IsClipboardFormatAvailable(CF_UNICODETEXT)) found.text = ReadUnicodeText(reader);
    return found;
}

void SystemClipboard::SetText(const std::u16string& text) { SetMarkedText(text, {}); }

void SystemClipboard::SetMarkedText(const std::u16string& text, const TextPrivacy& marks) {
    // Prepare the blocks before opening, so the clipboard is held as briefly as possible.
    UniqueGlobal textBlock = TextBlock(text);
    const PrivacyFormats& f = Formats();
    std::vector<std::pair<UINT, UniqueGlobal>> blocks;
    const std::pair<UINT, const std::optional<std::string>*> kinds[] = {
        {f.exclude, &marks.notForMonitors},
        {f.viewerIgnore, &marks.notForViewers},
        {f.includeInHistory, &marks.systemHistory},
        {f.uploadToCloud, &marks.cloudUpload}};
    for (const auto& [format, mark] : kinds)
        if (*mark) blocks.emplace_back(format, MarkBlock(**mark));

    ClipboardSession session(owner_);
    if (!EmptyClipboard()) throw ClipboardError(ClipboardFailure::Refused);
    // The marks first: if the text is then refused, no unmarked private text is left behind.
    for (auto& [format, block] : blocks) Place(format, block);
    Place(CF_UNICODETEXT, textBlock);
}

void SystemClipboard::Clear() {
    ClipboardSession session(owner_);
    if (!EmptyClipboard()) throw ClipboardError(ClipboardFailure::Refused);
}

}  // namespace talvex
