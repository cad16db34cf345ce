#include "ui/button_plus.h"

#include <commctrl.h>

#include <string>

#include "platform/gdi_guards.h"
#include "platform/window_text.h"
#include "ui/reflect.h"

namespace talvex {
namespace {

bool IsLight(COLORREF c) {
    return (GetRValue(c) * 299 + GetGValue(c) * 587 + GetBValue(c) * 114) / 1000 > 160;
}

struct FaceColors {
    COLORREF top, bottom, border, text;
};

FaceColors ColorsFor(const ButtonPlusProperties& p, bool hot, bool pressed) {
    const COLORREF white = RGB(255, 255, 255);
    const COLORREF black = RGB(0, 0, 0);
    if (IsLight(p.backColor)) {
        // White buttons on the white body: a pale blue sheen that deepens under the pointer.
        if (pressed)
            return {RGB(196, 218, 246), RGB(226, 238, 252), RGB(46, 100, 176), RGB(16, 36, 74)};
        if (hot)
            return {RGB(240, 247, 255), RGB(204, 225, 250), RGB(66, 128, 210), RGB(16, 36, 74)};
        return {p.backColor, Mix(p.backColor, RGB(196, 214, 238), 96), RGB(136, 164, 204),
                RGB(24, 44, 84)};
    }
    // Coloured buttons on the blue title strip: white captions, the theme colour under the
    // pointer where there is one.
    const COLORREF base = hot && p.themeColor ? *p.themeColor : p.backColor;
    if (pressed) return {Mix(base, black, 80), Mix(base, black, 24), Mix(base, black, 150), white};
    if (hot) return {Mix(base, white, 110), base, Mix(base, black, 110), white};
    return {Mix(base, white, 60), Mix(base, black, 36), Mix(base, black, 120), white};
}

}  // namespace

bool ButtonPlus::Create(HINSTANCE instance, HWND parent, int id, const wchar_t* caption,
                        const RECT& bounds, const ButtonPlusProperties& properties, UINT dpi) {
    instance_ = instance;
    properties_ = properties;
    hwnd_ = CreateWindowExW(
        0, L"BUTTON", caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | BS_OWNERDRAW,
        bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (hwnd_ == nullptr) return false;
    subclass_.Attach(
        hwnd_, [this](HWND, UINT msg, WPARAM wp, LPARAM lp) { return HandleMessage(msg, wp, lp); });
    SetDpi(dpi);
    return true;
}

void ButtonPlus::SetDpi(UINT dpi) {
    dpi_ = dpi;
    font_ = CreateSkinFont(properties_.font, dpi);
    // Screen readers and WM_GETFONT callers see the face the button is drawn with.
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    picture_.reset();
    if (properties_.pictureId != 0) {
        const int size = Scale(16, dpi);
        picture_.reset(
            static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(properties_.pictureId),
                                          IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    }
    InvalidateRect(hwnd_, nullptr, FALSE);
}

LRESULT ButtonPlus::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case kReflectBase + WM_DRAWITEM:
            Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
            return TRUE;
        case WM_ERASEBKGND:
            return 1;  // the face covers everything
        case WM_MOUSEMOVE:
            OnMouseMove();
            break;
        case WM_MOUSELEAVE:
            OnMouseLeave();
            break;
        case WM_LBUTTONDBLCLK:
            // Every press is a click, as on a plain push button; an owner-drawn one would
            // report a double click instead.
            return Subclass::Next(hwnd_, WM_LBUTTONDOWN, wp, lp);
        case WM_GETDLGCODE: {
            LRESULT code = Subclass::Next(hwnd_, msg, wp, lp);
            const auto* key = reinterpret_cast<const MSG*>(lp);
            // Enter presses the focused button, as it does a standard one in a dialog.
            if (key != nullptr && key->message == WM_KEYDOWN && key->wParam == VK_RETURN)
                code |= DLGC_WANTALLKEYS;
            return code;
        }
        case WM_KEYDOWN:
            if (wp == VK_RETURN) {
                if ((lp & 0x40000000) == 0) SendMessageW(hwnd_, BM_CLICK, 0, 0);
                return 0;
            }
            break;
        case WM_CHAR:
            if (wp == L'\r') return 0;
            break;
        default:
            break;
    }
    return Subclass::Next(hwnd_, msg, wp, lp);
}

void ButtonPlus::OnMouseMove() {
    if (hot_) return;
    hot_ = true;
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd_, 0};
    TrackMouseEvent(&track);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void ButtonPlus::OnMouseLeave() {
    hot_ = false;
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void ButtonPlus::Draw(const DRAWITEMSTRUCT& item) {
    BufferedPaint buffer(item.hDC, item.rcItem);
    HDC dc = buffer.dc();
    PaintParentBackground(hwnd_, dc);
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool focused =
        (item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0;
    DrawFace(dc, item.rcItem, pressed, focused, (item.itemState & ODS_NOACCEL) != 0,
             (item.itemState & ODS_DISABLED) != 0);
}

void ButtonPlus::DrawFace(HDC dc, const RECT& r, bool pressed, bool focused, bool accelHidden,
                          bool disabled) {
    const FaceColors colors = ColorsFor(properties_, hot_ && !disabled, pressed);
    const int corner = Scale(7, dpi_);
    RECT face = r;
    face.right -= 1;
    face.bottom -= 1;
    {
        RoundClip clip(dc, face, corner);
        FillVerticalGradient(dc, r, colors.top, colors.bottom);
    }
    FrameRoundRect(dc, face, corner, colors.border);
    if (!IsLight(properties_.backColor)) {
        // A thin light line inside the border gives the small title buttons some relief.
        RECT inner = face;
        InflateRect(&inner, -1, -1);
        FrameRoundRect(dc, inner, corner - 2,
                       Mix(colors.top, RGB(255, 255, 255), pressed ? 30 : 90));
    }

    // Picture and caption, centred together; a pressed button nudges them down and right.
    const std::wstring caption = WindowTextOf(hwnd_);
    const SelectedObject font(dc, font_.get());
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_LEFT;
    if (accelHidden) format |= DT_HIDEPREFIX;
    RECT textSize{0, 0, 0, 0};
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &textSize,
              format | DT_CALCRECT);
    const int textWidth = textSize.right - textSize.left;
    const int iconSize = picture_ ? Scale(16, dpi_) : 0;
    const int gap = picture_ && !caption.empty() ? Scale(5, dpi_) : 0;
    const int shift = pressed ? 1 : 0;
    int x = r.left + ((r.right - r.left) - (iconSize + gap + textWidth)) / 2 + shift;
    if (picture_) {
        const int y = r.top + ((r.bottom - r.top) - iconSize) / 2 + shift;
        DrawIconEx(dc, x, y, picture_.get(), iconSize, iconSize, 0, nullptr, DI_NORMAL);
        x += iconSize + gap;
    }
    RECT text{x, r.top + shift, x + textWidth, r.bottom + shift};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, disabled ? GetSysColor(COLOR_GRAYTEXT) : colors.text);
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, format);

    if (focused) {
        RECT focus = face;
        InflateRect(&focus, -Scale(3, dpi_), -Scale(3, dpi_));
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, RGB(255, 255, 255));
        DrawFocusRect(dc, &focus);
    }
}

}  // namespace talvex
