// One move-only owner for the handles the program creates (GDI objects, icons, menus,
// regions before hand-over, kernel handles). Copying is deleted; release() hands over.
#pragma once

#include <windows.h>

#include <utility>

namespace talvex {

template <typename T, typename Deleter>
class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(T h) : h_(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, T{})) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) reset(std::exchange(o.h_, T{}));
        return *this;
    }
    ~UniqueHandle() { reset(); }

    T get() const { return h_; }
    explicit operator bool() const { return h_ != T{}; }
    T release() { return std::exchange(h_, T{}); }
    void reset(T h = T{}) {
        if (h_ != T{}) Deleter{}(h_);
        h_ = h;
    }

  private:
    T h_{};
};

struct GdiDeleter {
    void operator()(HGDIOBJ h) const { DeleteObject(h); }
};
struct IconDeleter {
    void operator()(HICON h) const { DestroyIcon(h); }
};
struct MenuDeleter {
    void operator()(HMENU h) const { DestroyMenu(h); }
};
struct KernelDeleter {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
struct GlobalDeleter {
    void operator()(HGLOBAL h) const { GlobalFree(h); }
};
// A reference to a COM object.
struct ComReleaser {
    template <typename Interface>
    void operator()(Interface* object) const {
        object->Release();
    }
};

// A movable memory block locked for a scope: get() is its address (null when the lock failed),
// and the lock is undone at the end of the scope. The block itself is not owned.
class LockedGlobal {
  public:
    explicit LockedGlobal(HGLOBAL block) : block_(block), data_(GlobalLock(block)) {}
    LockedGlobal(const LockedGlobal&) = delete;
    LockedGlobal& operator=(const LockedGlobal&) = delete;
    ~LockedGlobal() {
        if (data_ != nullptr) GlobalUnlock(block_);
    }
    void* get() const { return data_; }

  private:
    HGLOBAL block_;
    void* data_;
};

using UniqueFont = UniqueHandle<HFONT, GdiDeleter>;
using UniqueBitmap = UniqueHandle<HBITMAP, GdiDeleter>;
using UniqueBrush = UniqueHandle<HBRUSH, GdiDeleter>;
using UniquePen = UniqueHandle<HPEN, GdiDeleter>;
using UniqueRegion = UniqueHandle<HRGN, GdiDeleter>;
using UniqueIcon = UniqueHandle<HICON, IconDeleter>;
using UniqueMenu = UniqueHandle<HMENU, MenuDeleter>;
using UniqueKernelHandle = UniqueHandle<HANDLE, KernelDeleter>;
using UniqueGlobal = UniqueHandle<HGLOBAL, GlobalDeleter>;
template <typename Interface>
using UniqueComRef = UniqueHandle<Interface*, ComReleaser>;

}  // namespace talvex
