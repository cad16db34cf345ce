// The platform's modal message box, owned by the program's window, under the program's title.
#pragma once

#include <windows.h>

#include "clipboard/ports.h"

namespace talvex {

class WindowMessageBoxes : public MessageBoxes {
  public:
    explicit WindowMessageBoxes(HWND owner = nullptr) : owner_(owner) {}
    void SetOwner(HWND owner) { owner_ = owner; }
    using MessageBoxes::Show;
    // Throws when the box cannot be shown at all.
    Answer Show(MessageKind kind, std::size_t count) override;

  private:
    HWND owner_;
};

}  // namespace talvex
