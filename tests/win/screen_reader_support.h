// What a screen reader gets of a window: its accessible object, asked through oleacc as an
// assistive program asks (oleacc loaded at run time, so the tests need no import library).
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <string>

namespace talvex::testing {

class ScreenReader {
  public:
    ScreenReader();  // COM, single-threaded, on this thread; oleacc
    ~ScreenReader();
    ScreenReader(const ScreenReader&) = delete;
    ScreenReader& operator=(const ScreenReader&) = delete;

    // The accessible object of `window`'s client area, or null; the caller releases it.
    IAccessible* ObjectOf(HWND window) const;

    // What the object says of itself (CHILDID_SELF); "<failed>" or -1 when it does not answer.
    static std::u16string Name(IAccessible* object);
    static std::u16string Value(IAccessible* object);
    static long Role(IAccessible* object);
    static long State(IAccessible* object);

    // A UI Automation client's first step: the object `window` answers WM_GETOBJECT for
    // UiaRootObjectId with, out of the LRESULT (ObjectFromLresult); null when none.
    IUnknown* RootObjectOf(HWND window) const;
    // What the automation runtime finds of `window`'s element (UiaNodeFromHandle, then
    // UiaGetPropertyValue); a variant of VT_EMPTY when it finds nothing. The caller clears it.
    VARIANT AutomationProperty(HWND window, int property) const;

  private:
    HMODULE oleacc_ = nullptr;
    HMODULE automation_ = nullptr;
};

}  // namespace talvex::testing
