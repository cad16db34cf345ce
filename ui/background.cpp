#include "ui/background.h"

#include <cstring>

#include "picture/packed_picture.h"
#include "platform/gdi_guards.h"
#include "ui/skin.h"

namespace talvex {

bool BackgroundPicture::Load(HINSTANCE instance, int resourceId, UINT dpi) {
    HRSRC found =
        FindResourceW(instance, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(10));  // RT_RCDATA
    HGLOBAL loaded = found != nullptr ? LoadResource(instance, found) : nullptr;
    const auto* bytes =
        static_cast<const std::uint8_t*>(loaded != nullptr ? LockResource(loaded) : nullptr);
    const DWORD byteCount = found != nullptr ? SizeofResource(instance, found) : 0;
    std::optional<Picture32> picture = UnpackPicture(bytes, byteCount);
    if (!picture) return false;

    // At other dpi the picture is resampled smoothly, so the title strip's lettering and the
    // drop shadow keep their shape.
    const int width = MulDiv(picture->width, static_cast<int>(dpi), 96);
    const int height = MulDiv(picture->height, static_cast<int>(dpi), 96);
    if (width <= 0 || height <= 0) return false;
    if (width != picture->width || height != picture->height)
        picture = ScalePicture(*picture, width, height);

    BITMAPINFO info = TopDownBgraInfo(width, height);
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || bits == nullptr) return false;
    std::memcpy(bits, picture->pixels.data(), picture->pixels.size() * sizeof(std::uint32_t));
    GdiFlush();
    bitmap_ = std::move(bitmap);
    return true;
}

void BackgroundPicture::Draw(HDC dc, const RECT& area) const {
    if (!bitmap_) {
        FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
        return;
    }
    const MemoryDc source(dc);
    const SelectedObject picture(source.get(), bitmap_.get());
    BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, source.get(),
           area.left, area.top, SRCCOPY);
}

}  // namespace talvex
