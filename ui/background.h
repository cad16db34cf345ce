// The window's picture: a packed picture in the resources (picture/packed_picture.h), unpacked
// once into a 32-bit bitmap at the window's dpi, then copied to the screen at each paint.
#pragma once

#include <windows.h>

#include "platform/unique_handle.h"

namespace talvex {

class BackgroundPicture {
  public:
    // The picture's size at 96 dpi.
    static constexpr int kWidth = 432;
    static constexpr int kHeight = 503;

    // Decodes resource `resourceId` (RCDATA) of `instance` at `dpi`: its own size at 96 dpi,
    // scaled smoothly otherwise. False (and no picture) when it cannot be had.
    bool Load(HINSTANCE instance, int resourceId, UINT dpi);
    // Copies the picture to `dc`, top-left at 0, 0; where there is none, the button face.
    void Draw(HDC dc, const RECT& area) const;

  private:
    UniqueBitmap bitmap_;
};

}  // namespace talvex
