#include "ui/event_boundary.h"

#include <new>

#include "clipboard/clipboard.h"
#include "clipboard/commands.h"
#include "ui/texts.h"

namespace talvex {

std::wstring DescribeFailure(std::exception_ptr failure) {
    // Only what is true after any handler: the operation stopped, the program goes on. Which
    // data stayed as it was depends on the command, so only a failure whose kind tells what was
    // done says more (Clear emptied the history, not the clipboard).
    const std::wstring goesOn = std::wstring(L"\r\n\r\n") + texts::kGoesOn;
    // The clipboard's own reason goes between the headline and the rest.
    const auto withReason = [&goesOn](std::wstring text, const ClipboardError& e) {
        const std::wstring reason = texts::ClipboardFailureReason(e.failure());
        if (!reason.empty()) text += L"\r\n\r\n" + reason;
        return text + goesOn;
    };
    try {
        std::rethrow_exception(failure);
    } catch (const ClipboardNotClearedError& e) {
        return withReason(texts::kNotClearedHeadline, e);
    } catch (const ClipboardError& e) {
        return withReason(texts::kClipboardFailedHeadline, e);
    } catch (const std::bad_alloc&) {
        return texts::kOutOfMemoryHeadline + goesOn;
    } catch (...) {
        // Other messages are not meant for the user (and may not be French).
        return texts::kUnexpectedHeadline + goesOn;
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
