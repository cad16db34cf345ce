#include "ui/event_boundary.h"

#include <new>

#include "clipboard/clipboard.h"
#include "clipboard/commands.h"
#include "ui/texts.h"

namespace talvex {
namespace {

std::wstring FromUtf8(const char* text) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (n <= 1) return {};
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), n);
    wide.resize(static_cast<std::size_t>(n - 1));
    return wide;
}

}  // namespace

std::wstring DescribeFailure(std::exception_ptr failure) {
    // Only what is true after any handler: the operation stopped, the program goes on. Which
    // data stayed as it was depends on the command, so only a failure whose kind tells what was
    // done says more (Clear emptied the history, not the clipboard).
    const std::wstring goesOn = L"\r\n\r\nTalvex Press continue de fonctionner.";
    // The clipboard's own reason, when it gives one, goes between the headline and the rest.
    const auto withReason = [&goesOn](std::wstring text, const ClipboardError& e) {
        const std::wstring reason = FromUtf8(e.what());
        if (!reason.empty()) text += L"\r\n\r\n" + reason;
        return text + goesOn;
    };
    try {
        std::rethrow_exception(failure);
    } catch (const ClipboardNotClearedError& e) {
        return withReason(L"L'historique a été vidé, mais le presse-papiers n'a pas pu l'être.", e);
    } catch (const ClipboardError& e) {
        return withReason(L"L'opération sur le presse-papiers n'a pas pu se faire.", e);
    } catch (const std::bad_alloc&) {
        return L"Mémoire insuffisante : l'opération a été abandonnée." + goesOn;
    } catch (...) {
        // Other messages are not meant for the user (and may not be French).
        return L"Une erreur inattendue a interrompu l'opération." + goesOn;
    }
}

void ReportFailure(HWND owner, std::exception_ptr failure) noexcept {
    try {
        const std::wstring text = DescribeFailure(failure);
        MessageBoxW(owner, text.c_str(), texts::kTitle, MB_OK | MB_ICONEXCLAMATION);
    } catch (...) {
        // Not even the message could be built (no memory left): stay silent, stay alive.
    }
}

}  // namespace talvex
