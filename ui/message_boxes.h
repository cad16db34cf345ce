// The platform's modal message box, owned by the program's window.
#pragma once

#include <windows.h>

#include "clipboard/ports.h"

namespace talvex {

class WindowMessageBoxes : public MessageBoxes {
  public:
    explicit WindowMessageBoxes(HWND owner = nullptr) : owner_(owner) {}
    void SetOwner(HWND owner) { owner_ = owner; }
    // Throws when the box cannot be shown at all.
    int Show(const std::u16string& text, const std::u16string& caption, int flags) override;

  private:
    HWND owner_;
};

}  // namespace talvex
