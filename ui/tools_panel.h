// The tools panel: the four case-tool buttons under Text1, uncovered by making Text1 shorter.
// Closed, Text1 covers them and they are disabled, so they take neither clicks nor keys.
#pragma once

#include <windows.h>

#include <array>

#include "clipboard/ports.h"

namespace talvex {

class ToolsPanelOnForm : public ToolsPanel {
  public:
    void Attach(HWND text1, const std::array<HWND, 4>& tools) {
        text1_ = text1;
        tools_ = tools;
    }
    void Open() override { Show(true); }
    void Close() override { Show(false); }
    // Text1's place for `dpi`, as the panel wants it.
    RECT Text1Place(UINT dpi) const;

  private:
    void Show(bool open);

    HWND text1_ = nullptr;
    std::array<HWND, 4> tools_{};
    bool open_ = false;
};

}  // namespace talvex
