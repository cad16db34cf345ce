#include "ui/background.h"

#include <objbase.h>
#include <wincodec.h>

#include "ui/skin.h"

namespace talvex {
namespace {

// Releases a COM interface at the end of its scope.
template <typename T>
class ComRef {
  public:
    ComRef() = default;
    ~ComRef() {
        if (p_ != nullptr) p_->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T** put() { return &p_; }
    void** put_void() { return reinterpret_cast<void**>(&p_); }

  private:
    T* p_ = nullptr;
};

// COM for this thread, unless the program already started it.
class ComScope {
  public:
    ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

  private:
    HRESULT hr_;
};

}  // namespace

bool BackgroundPicture::Load(HINSTANCE instance, int resourceId, UINT dpi) {
    HRSRC found =
        FindResourceW(instance, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(10));  // RT_RCDATA
    HGLOBAL loaded = found != nullptr ? LoadResource(instance, found) : nullptr;
    auto* bytes = static_cast<BYTE*>(loaded != nullptr ? LockResource(loaded) : nullptr);
    const DWORD byteCount = found != nullptr ? SizeofResource(instance, found) : 0;
    if (bytes == nullptr || byteCount == 0) return false;

    ComScope com;
    ComRef<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, factory.put_void())))
        return false;
    ComRef<IWICStream> stream;
    if (FAILED(factory->CreateStream(stream.put())) ||
        FAILED(stream->InitializeFromMemory(bytes, byteCount)))
        return false;
    ComRef<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromStream(stream.get(), nullptr,
                                                WICDecodeMetadataCacheOnDemand, decoder.put())))
        return false;
    ComRef<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, frame.put()))) return false;
    UINT width = 0;
    UINT height = 0;
    if (FAILED(frame->GetSize(&width, &height)) || width == 0 || height == 0) return false;

    // At other dpi the picture is resampled smoothly, so the title strip's lettering and the
    // drop shadow keep their shape.
    const UINT targetWidth =
        static_cast<UINT>(MulDiv(static_cast<int>(width), static_cast<int>(dpi), 96));
    const UINT targetHeight =
        static_cast<UINT>(MulDiv(static_cast<int>(height), static_cast<int>(dpi), 96));
    IWICBitmapSource* source = frame.get();
    ComRef<IWICBitmapScaler> scaler;
    if (targetWidth != width || targetHeight != height) {
        if (FAILED(factory->CreateBitmapScaler(scaler.put())) ||
            FAILED(scaler->Initialize(frame.get(), targetWidth, targetHeight,
                                      WICBitmapInterpolationModeFant)))
            return false;
        source = scaler.get();
    }
    ComRef<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(converter.put())) ||
        FAILED(converter->Initialize(source, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                                     nullptr, 0.0, WICBitmapPaletteTypeCustom)))
        return false;

    // Top-down, like WIC's rows.
    BITMAPINFO info =
        TopDownBgraInfo(static_cast<int>(targetWidth), static_cast<int>(targetHeight));
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || bits == nullptr) return false;
    const UINT stride = targetWidth * 4;
    if (FAILED(converter->CopyPixels(nullptr, stride, stride * targetHeight,
                                     static_cast<BYTE*>(bits))))
        return false;
    GdiFlush();
    bitmap_ = std::move(bitmap);
    size_ = SIZE{static_cast<LONG>(targetWidth), static_cast<LONG>(targetHeight)};
    return true;
}

void BackgroundPicture::Draw(HDC dc, const RECT& area) const {
    if (!bitmap_) {
        FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
        return;
    }
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, bitmap_.get());
    BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, source,
           area.left, area.top, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}

}  // namespace talvex
