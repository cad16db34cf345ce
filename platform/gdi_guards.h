// Device contexts, the objects selected into them and their saved state, given back by
// scope, never by hand. Move-only, like UniqueHandle.
#pragma once

#include <windows.h>

#include <utility>

namespace talvex {

namespace detail {

// What the guards below share: a value had from `owner` (a DC, a window), given back through
// `Release` at the end of the scope, unless it was never had (null) or has moved on.
template <typename Owner, typename Value, void (*Release)(Owner, Value)>
class HeldFrom {
  public:
    HeldFrom(Owner owner, Value value) : owner_(owner), value_(value) {}
    HeldFrom(HeldFrom&& other) noexcept
        : owner_(other.owner_), value_(std::exchange(other.value_, Value{})) {}
    HeldFrom(const HeldFrom&) = delete;
    HeldFrom& operator=(const HeldFrom&) = delete;
    HeldFrom& operator=(HeldFrom&&) = delete;
    ~HeldFrom() {
        if (value_ != Value{}) Release(owner_, value_);
    }
    Value get() const { return value_; }

  private:
    Owner owner_;
    Value value_;
};

inline void SelectBack(HDC dc, HGDIOBJ previous) {
    if (previous != HGDI_ERROR) SelectObject(dc, previous);
}
inline void ReleaseWindowDc(HWND hwnd, HDC dc) { ReleaseDC(hwnd, dc); }
inline void RestoreSavedDc(HDC dc, int saved) { RestoreDC(dc, saved); }

}  // namespace detail

// An object selected into a DC; the one it replaced goes back at the end of the scope.
class SelectedObject : detail::HeldFrom<HDC, HGDIOBJ, detail::SelectBack> {
  public:
    SelectedObject(HDC dc, HGDIOBJ object)
        : HeldFrom(dc, object != nullptr ? SelectObject(dc, object) : nullptr) {}
};

// A memory DC compatible with `like` (the screen when null), deleted at the end.
class MemoryDc {
  public:
    explicit MemoryDc(HDC like = nullptr) : dc_(CreateCompatibleDC(like)) {}
    MemoryDc(MemoryDc&& other) noexcept : dc_(std::exchange(other.dc_, nullptr)) {}
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    MemoryDc& operator=(MemoryDc&& other) noexcept {
        if (this != &other) {
            reset();
            dc_ = std::exchange(other.dc_, nullptr);
        }
        return *this;
    }
    ~MemoryDc() { reset(); }
    void reset() {
        if (dc_ != nullptr) DeleteDC(dc_);
        dc_ = nullptr;
    }
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

  private:
    HDC dc_;
};

// A window's DC (GetDC), released at the end.
class WindowDc : detail::HeldFrom<HWND, HDC, detail::ReleaseWindowDc> {
  public:
    explicit WindowDc(HWND hwnd) : HeldFrom(hwnd, GetDC(hwnd)) {}
    using HeldFrom::get;
};

// The DC's whole state (objects, colours, modes, clip) saved, and restored at the end: for a
// DC the system lends, to be handed back as it came.
class SavedDc : detail::HeldFrom<HDC, int, detail::RestoreSavedDc> {
  public:
    explicit SavedDc(HDC dc) : HeldFrom(dc, SaveDC(dc)) {}
};

// BeginPaint and EndPaint around a WM_PAINT.
class PaintDc {
  public:
    explicit PaintDc(HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &paint_)) {}
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    ~PaintDc() { EndPaint(hwnd_, &paint_); }
    HDC get() const { return dc_; }
    const RECT& area() const { return paint_.rcPaint; }

  private:
    HWND hwnd_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

}  // namespace talvex
