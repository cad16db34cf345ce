#include "app/single_instance.h"

namespace talvex {
namespace {

constexpr wchar_t kMutexName[] = L"Local\\TalvexPress.SingleInstance.1";

}  // namespace

SingleInstance::SingleInstance() : mutex_(CreateMutexW(nullptr, FALSE, kMutexName)) {
    // Access denied means it exists but belongs to a copy running with other rights.
    const DWORD error = GetLastError();
    anotherIsRunning_ = error == ERROR_ALREADY_EXISTS || (!mutex_ && error == ERROR_ACCESS_DENIED);
}

}  // namespace talvex
