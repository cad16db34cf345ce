// ButtonPlus: the skinned button of the window. It is a real BUTTON (owner-drawn), so focus,
// the access key of its caption, Space, Enter, BM_CLICK and screen readers work as the
// system makes them work; this class only paints it and tracks the pointer over it.
#pragma once

#include <windows.h>

#include <optional>

#include "platform/unique_handle.h"
#include "ui/skin.h"
#include "ui/subclass.h"

namespace talvex {

// The properties a ButtonPlus is placed with.
struct ButtonPlusProperties {
    COLORREF backColor = RGB(255, 255, 255);
    std::optional<COLORREF> themeColor;  // the face under the pointer, when given
    FontSpec font;
    int pictureId = 0;  // icon resource, 0 for none
};

class ButtonPlus {
  public:
    ButtonPlus() = default;
    ButtonPlus(const ButtonPlus&) = delete;
    ButtonPlus& operator=(const ButtonPlus&) = delete;

    // Creates the button as child `id` of `parent` at `bounds` (pixels, parent's client
    // coordinates) with its caption; `dpi` sizes its font and picture.
    bool Create(HINSTANCE instance, HWND parent, int id, const wchar_t* caption, const RECT& bounds,
                const ButtonPlusProperties& properties, UINT dpi);
    // Rebuilds the font and the picture for another dpi.
    void SetDpi(UINT dpi);

    HWND hwnd() const { return hwnd_; }

  private:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    void OnMouseMove();
    void OnMouseLeave();
    void Draw(const DRAWITEMSTRUCT& item);
    void DrawFace(HDC dc, const RECT& r, bool pressed, bool focused, bool accelHidden,
                  bool disabled);

    HINSTANCE instance_ = nullptr;
    HWND hwnd_ = nullptr;
    Subclass subclass_;  // our drawing and keys in front of the button's own
    ButtonPlusProperties properties_;
    UINT dpi_ = 96;
    UniqueFont font_;
    UniqueIcon picture_;
    bool hot_ = false;
};

}  // namespace talvex
