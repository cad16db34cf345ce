#include "ui/event_boundary.h"

#include <new>

#include "clipboard/clipboard.h"
#include "clipboard/ports.h"

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
    const std::wstring nothingLost = L"\r\n\r\nRien n'a été perdu : l'historique et le texte sont intacts.";
    try {
        std::rethrow_exception(failure);
    } catch (const ClipboardError& e) {
        return L"L'opération sur le presse-papiers n'a pas pu se faire.\r\n\r\n" + FromUtf8(e.what()) +
               nothingLost;
    } catch (const std::bad_alloc&) {
        return L"Mémoire insuffisante : l'opération a été abandonnée." + nothingLost;
    } catch (...) {
        return L"Une erreur inattendue a interrompu l'opération." + nothingLost;
    }
}

void ReportFailure(HWND owner, std::exception_ptr failure) noexcept {
    try {
        const std::wstring text = DescribeFailure(failure);
        MessageBoxW(owner, text.c_str(), reinterpret_cast<const wchar_t*>(kTitle),
                    MB_OK | MB_ICONEXCLAMATION);
    } catch (...) {
        // Not even the message could be built (no memory left): stay silent, stay alive.
    }
}

}  // namespace talvex
