#include "platform/system_library.h"

#include <objbase.h>

namespace talvex {

void InitializeComOnThisThread() {
    // The program has one thread: its window's. (A thread_local here would pull the whole
    // thread-local storage emulation into the program file.)
    static bool done = false;
    if (done) return;
    done = true;
    using CoInitializeExFn = HRESULT(WINAPI*)(void*, DWORD);
    static const auto coInitializeEx =
        SystemFunction<CoInitializeExFn>(L"ole32.dll", "CoInitializeEx");
    if (coInitializeEx != nullptr)
        coInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
}

}  // namespace talvex
