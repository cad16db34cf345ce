// The one place where a failure that escaped an event handler ends up. Nothing gets past
// it into Windows: the user is told in French, and the program goes on as it was.
#pragma once

#include <windows.h>

#include <exception>
#include <string>

namespace talvex {

// The French text shown for a failure caught at the boundary.
std::wstring DescribeFailure(std::exception_ptr failure);

// Shows the failure in a message box captioned "Talvex Press 1.0", owned by `owner`.
void ReportFailure(HWND owner, std::exception_ptr failure) noexcept;

// Runs `handler`; a failure escaping from it is reported and swallowed.
template <typename Handler>
void Guarded(HWND owner, Handler&& handler) noexcept {
    try {
        handler();
    } catch (...) {
        ReportFailure(owner, std::current_exception());
    }
}

}  // namespace talvex
