// What ButtonPlus and FramePlus share: their fonts and the few drawing helpers of the skin.
#pragma once

#include <windows.h>

#include <optional>

#include "platform/gdi_guards.h"
#include "platform/unique_handle.h"

namespace talvex {

// A font as the controls keep it: a face and a size in points, regular weight.
struct FontSpec {
    const wchar_t* face = L"Verdana";
    double points = 8.25;
    int weight = FW_NORMAL;
};

// The font at `dpi`: its height is the point size in pixels at that dpi, rounded.
UniqueFont CreateSkinFont(const FontSpec& spec, UINT dpi);

// Paints what the parent shows behind `child` into `dc` (whose origin is the child's
// top-left), so that a rounded control sits on the window's picture without a box around it.
void PaintParentBackground(HWND child, HDC dc);

// A top-to-bottom gradient over `r`.
void FillVerticalGradient(HDC dc, const RECT& r, COLORREF top, COLORREF bottom);

// A rounded rectangle outline of one pixel with corner diameter `corner`, filled by whatever
// was painted before (the interior is left alone).
void FrameRoundRect(HDC dc, const RECT& r, int corner, COLORREF color);

// Keeps only the rounded rectangle `r` for the painting that follows (SelectClipRgn), and
// gives the previous clip back when it goes out of scope.
class RoundClip {
  public:
    RoundClip(HDC dc, const RECT& r, int corner);
    ~RoundClip();
    RoundClip(const RoundClip&) = delete;
    RoundClip& operator=(const RoundClip&) = delete;

  private:
    HDC dc_;
    UniqueRegion previous_;
    bool hadClip_ = false;
};

// The header of a top-down 32-bit bitmap (blue, green, red, alpha per pixel).
BITMAPINFO TopDownBgraInfo(int width, int height);

// A colour between `a` (0) and `b` (256).
COLORREF Mix(COLORREF a, COLORREF b, int weightOfB256);

// Scales a 96-dpi length to `dpi`.
inline int Scale(int pixelsAt96, UINT dpi) { return MulDiv(pixelsAt96, static_cast<int>(dpi), 96); }

// Paints off screen, then copies the result to the target in one go: no flicker.
class BufferedPaint {
  public:
    BufferedPaint(HDC target, const RECT& area);
    ~BufferedPaint();
    BufferedPaint(const BufferedPaint&) = delete;
    BufferedPaint& operator=(const BufferedPaint&) = delete;
    // Draw here, in the target's coordinates.
    HDC dc() const { return buffer_ ? buffer_->memory.get() : target_; }

  private:
    // Given back in the reverse order: the bitmap deselected, deleted, then the DC.
    struct Buffer {
        Buffer(MemoryDc dc, UniqueBitmap pixels);
        MemoryDc memory;
        UniqueBitmap bitmap;
        SelectedObject selected;
    };

    HDC target_;
    RECT area_;
    std::optional<Buffer> buffer_;  // none when it could not be had: straight to the target
};

}  // namespace talvex
