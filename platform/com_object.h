// The reference count of a COM object that lives on the window's thread: made with one
// reference, its maker's; the last Release deletes it. Each object answers QueryInterface
// itself.
#pragma once

#include <windows.h>

namespace talvex {

template <typename... Interfaces>
class SingleThreadComObject : public Interfaces... {
  public:
    SingleThreadComObject(const SingleThreadComObject&) = delete;
    SingleThreadComObject& operator=(const SingleThreadComObject&) = delete;

    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = --references_;
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

  protected:
    SingleThreadComObject() = default;
    virtual ~SingleThreadComObject() = default;

  private:
    LONG references_ = 1;
};

}  // namespace talvex
