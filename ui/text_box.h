// Text1 seen by the clipboard commands: its text and its height.
#pragma once

#include <windows.h>

#include "clipboard/ports.h"

namespace talvex {

class EditTextBox : public TextBox {
  public:
    void Attach(HWND edit) { edit_ = edit; }
    HWND hwnd() const { return edit_; }

    std::u16string Text() const override;
    void SetText(const std::u16string& text) override;
    int HeightTwips() const override { return heightTwips_; }
    // Resizes the box at the window's dpi; the twips value is kept exact so that it reads
    // back as set, whatever the rounding to pixels.
    void SetHeightTwips(int twips) override;
    // Lays the box out again after a dpi change.
    void Relayout() { SetHeightTwips(heightTwips_); }

  private:
    HWND edit_ = nullptr;
    int heightTwips_ = 2325;
};

}  // namespace talvex
