// The four thread functions the GNU runtime's thread-local storage needs (libgcc's emutls, which
// holds each thread's exception state), written over Win32's own once-only and thread-local
// calls. Without them the linker takes them from the POSIX-threads library, and with them
// its whole thread machinery (threads, condition variables, read-write locks): some 23 KB of a
// program that runs one thread.
//
// What is left out: a key's destructor. The runtime uses it to free a thread's storage when
// the thread ends; the only thread that ever throws through this program's code is its
// window's, which ends with the process.
#include <windows.h>

#include <cerrno>

extern "C" {

// pthread_once_t is a long: 0 before, 1 while the first caller runs `init`, 2 after.
int pthread_once(long* once, void (*init)(void)) {
    if (InterlockedCompareExchange(once, 1, 0) == 0) {
        init();
        InterlockedExchange(once, 2);
        return 0;
    }
    while (InterlockedCompareExchange(once, 2, 2) != 2) Sleep(0);  // another thread runs it
    return 0;
}

// pthread_key_t is an unsigned int: here, a TLS index.
int pthread_key_create(unsigned* key, void (*)(void*)) {
    const DWORD index = TlsAlloc();
    if (index == TLS_OUT_OF_INDEXES) return EAGAIN;
    *key = index;
    return 0;
}

// TlsGetValue clears the thread's last error; an exception thrown between a failed call and
// the look at its error must not.
void* pthread_getspecific(unsigned key) {
    const DWORD error = GetLastError();
    void* value = TlsGetValue(key);
    SetLastError(error);
    return value;
}

int pthread_setspecific(unsigned key, const void* value) {
    return TlsSetValue(key, const_cast<void*>(value)) ? 0 : ENOMEM;
}

}  // extern "C"
