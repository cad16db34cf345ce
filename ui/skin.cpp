#include "ui/skin.h"

#include <cmath>
#include <utility>

namespace talvex {

UniqueFont CreateSkinFont(const FontSpec& spec, UINT dpi) {
    LOGFONTW lf{};
    lf.lfHeight = -static_cast<LONG>(std::lround(spec.points * dpi / 72.0));
    lf.lfWeight = spec.weight;
    lf.lfCharSet = DEFAULT_CHARSET;  // the text is French; let the face bring its accents
    lf.lfOutPrecision = OUT_TT_PRECIS;
    lf.lfQuality = CLEARTYPE_QUALITY;
    lstrcpynW(lf.lfFaceName, spec.face, LF_FACESIZE);
    return UniqueFont(CreateFontIndirectW(&lf));
}

void PaintParentBackground(HWND child, HDC dc) {
    HWND parent = GetParent(child);
    if (parent == nullptr) return;
    POINT at{0, 0};
    MapWindowPoints(child, parent, &at, 1);
    POINT old{};
    OffsetViewportOrgEx(dc, -at.x, -at.y, &old);
    SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    SetViewportOrgEx(dc, old.x, old.y, nullptr);
}

void FillVerticalGradient(HDC dc, const RECT& r, COLORREF top, COLORREF bottom) {
    TRIVERTEX v[2] = {};
    v[0].x = r.left;
    v[0].y = r.top;
    v[0].Red = static_cast<COLOR16>(GetRValue(top) << 8);
    v[0].Green = static_cast<COLOR16>(GetGValue(top) << 8);
    v[0].Blue = static_cast<COLOR16>(GetBValue(top) << 8);
    v[1].x = r.right;
    v[1].y = r.bottom;
    v[1].Red = static_cast<COLOR16>(GetRValue(bottom) << 8);
    v[1].Green = static_cast<COLOR16>(GetGValue(bottom) << 8);
    v[1].Blue = static_cast<COLOR16>(GetBValue(bottom) << 8);
    GRADIENT_RECT g{0, 1};
    GradientFill(dc, v, 2, &g, 1, GRADIENT_FILL_RECT_V);
}

void FrameRoundRect(HDC dc, const RECT& r, int corner, COLORREF color) {
    const UniquePen pen(CreatePen(PS_SOLID, 1, color));
    const SelectedObject outline(dc, pen.get());
    const SelectedObject hollow(dc, GetStockObject(NULL_BRUSH));
    RoundRect(dc, r.left, r.top, r.right, r.bottom, corner, corner);
}

RoundClip::RoundClip(HDC dc, const RECT& r, int corner)
    : dc_(dc), previous_(CreateRectRgn(0, 0, 0, 0)) {
    hadClip_ = GetClipRgn(dc, previous_.get()) == 1;
    // Clip regions are in device units: account for a shifted origin.
    POINT origin{};
    GetViewportOrgEx(dc, &origin);
    // RoundRect's outline ends one pixel inside the right and bottom edges; the region's
    // interior does likewise, so add one to cover the outline.
    const UniqueRegion round(CreateRoundRectRgn(r.left + origin.x, r.top + origin.y,
                                                r.right + origin.x + 1, r.bottom + origin.y + 1,
                                                corner, corner));
    // The DC keeps a copy of the region it clips to.
    ExtSelectClipRgn(dc, round.get(), RGN_AND);
}

RoundClip::~RoundClip() { SelectClipRgn(dc_, hadClip_ ? previous_.get() : nullptr); }

BITMAPINFO TopDownBgraInfo(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // negative: the first row is the top one
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

COLORREF Mix(COLORREF a, COLORREF b, int w) {
    auto mix = [w](int x, int y) { return static_cast<BYTE>(x + (y - x) * w / 256); };
    return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)),
               mix(GetBValue(a), GetBValue(b)));
}

BufferedPaint::Buffer::Buffer(MemoryDc dc, UniqueBitmap pixels)
    : memory(std::move(dc)), bitmap(std::move(pixels)), selected(memory.get(), bitmap.get()) {}

BufferedPaint::BufferedPaint(HDC target, const RECT& area) : target_(target), area_(area) {
    const int w = area.right - area.left;
    const int h = area.bottom - area.top;
    if (w <= 0 || h <= 0) return;
    MemoryDc memory(target);
    UniqueBitmap bitmap(CreateCompatibleBitmap(target, w, h));
    // Not enough memory for the buffer: paint straight to the screen instead.
    if (!memory || !bitmap) return;
    buffer_.emplace(std::move(memory), std::move(bitmap));
    SetViewportOrgEx(buffer_->memory.get(), -area.left, -area.top, nullptr);
}

BufferedPaint::~BufferedPaint() {
    if (!buffer_) return;
    HDC memory = buffer_->memory.get();
    SetViewportOrgEx(memory, 0, 0, nullptr);
    SelectClipRgn(memory, nullptr);
    BitBlt(target_, area_.left, area_.top, area_.right - area_.left, area_.bottom - area_.top,
           memory, 0, 0, SRCCOPY);
}

}  // namespace talvex
