// FramePlus: a container with a caption and a rounded border. Its children's notifications
// go on to its parent, so the window handles them as if the children were its own; mouse
// presses stop here (a press on a frame does not move the window).
#pragma once

#include <windows.h>

#include <string>

#include "platform/unique_handle.h"
#include "ui/skin.h"
#include "ui/window.h"

namespace talvex {

struct FramePlusProperties {
    COLORREF backColor = RGB(255, 255, 255);
    FontSpec font;
};

class FramePlus : public Window<FramePlus> {
  public:
    static constexpr wchar_t kClassName[] = L"TalvexPress.FramePlus";

    bool Create(HINSTANCE instance, HWND parent, int id, const wchar_t* caption, const RECT& bounds,
                const FramePlusProperties& properties, UINT dpi);
    void SetDpi(UINT dpi);

  private:
    friend class Window<FramePlus>;
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    void Paint(HDC dc);

    FramePlusProperties properties_;
    UINT dpi_ = 96;
    UniqueFont font_;
};

}  // namespace talvex
