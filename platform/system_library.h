// Functions of system DLLs the program needs only now and then, loaded the first time: start-up
// does not pay for mapping them and everything they pull in.
#pragma once

#include <windows.h>

#include <cwchar>

namespace talvex {

// A function of a system DLL, or null. The DLL stays loaded for the rest of the run. It is
// named by its full path in the system directory, so no copy elsewhere is ever picked up
// (and no flag is needed that older systems lack).
template <typename Fn>
Fn SystemFunction(const wchar_t* dll, const char* name) {
    wchar_t path[MAX_PATH];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length + 1 + wcslen(dll) >= MAX_PATH) return nullptr;
    path[length] = L'\\';
    wcscpy(path + length + 1, dll);
    HMODULE module = LoadLibraryW(path);
    if (module == nullptr) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// COM on the program's one thread (its window's), single-threaded and without OLE1 DDE (as
// the shell and the accessibility runtime want it), once, and left so for the rest of the run.
void InitializeComOnThisThread();

}  // namespace talvex
