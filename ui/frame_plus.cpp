#include "ui/frame_plus.h"

#include "platform/gdi_guards.h"
#include "platform/window_text.h"

namespace talvex {

bool FramePlus::Create(HINSTANCE instance, HWND parent, int id, const wchar_t* caption,
                       const RECT& bounds, const FramePlusProperties& properties, UINT dpi) {
    WNDCLASSEXW wc{};
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    if (!RegisterClassOnce(instance, kClassName, wc)) return false;
    properties_ = properties;
    dpi_ = dpi;
    font_ = CreateSkinFont(properties_.font, dpi_);
    // A container for the dialog manager, so Tab and access keys reach its children.
    return CreateBound(WS_EX_CONTROLPARENT, kClassName, caption,
                       WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, bounds, parent,
                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance) != nullptr;
}

void FramePlus::SetDpi(UINT dpi) {
    dpi_ = dpi;
    font_ = CreateSkinFont(properties_.font, dpi_);
    SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    InvalidateRect(hwnd(), nullptr, FALSE);
}

LRESULT FramePlus::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    const auto paint = [this](HDC dc, const RECT& area) {
        BufferedPaint buffer(dc, area);
        Paint(buffer.dc());
    };
    if (HandlePaint(msg, wp, paint)) return 0;
    switch (msg) {
        // The children's notifications are the window's business, not the frame's.
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_DRAWITEM:
        case WM_MEASUREITEM:
        case WM_COMPAREITEM:
        case WM_DELETEITEM:
        case WM_VKEYTOITEM:
        case WM_CHARTOITEM:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORSCROLLBAR:
        case WM_NEXTDLGCTL:
            return SendMessageW(GetParent(hwnd()), msg, wp, lp);
        // A press on the frame is the frame's: nothing happens, and the window stays put.
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
        case WM_CONTEXTMENU:
            return 0;
        case WM_SETFONT:
            return 0;  // the frame keeps the font it was placed with
        case WM_CLOSE:
            // A child may ask (an edit control does on Esc): a frame never goes away by itself.
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(font_.get());
        case WM_ERASEBKGND:
            return 1;
        case WM_SETTEXT: {
            const LRESULT r = DefWindowProcW(hwnd(), msg, wp, lp);
            InvalidateRect(hwnd(), nullptr, FALSE);
            return r;
        }
        default:
            return DefWindowProcW(hwnd(), msg, wp, lp);
    }
}

void FramePlus::Paint(HDC dc) {
    PaintParentBackground(hwnd(), dc);
    RECT client{};
    GetClientRect(hwnd(), &client);
    RECT box = client;
    box.right -= 1;
    box.bottom -= 1;
    const int corner = Scale(10, dpi_);
    const int band = Scale(26, dpi_);
    const COLORREF back = properties_.backColor;
    const COLORREF border = RGB(150, 178, 216);
    {
        RoundClip clip(dc, box, corner);
        const UniqueBrush fill(CreateSolidBrush(back));
        FillRect(dc, &client, fill.get());
        // The caption band: a light blue sheen fading into the face.
        RECT header{client.left, client.top, client.right, client.top + band};
        FillVerticalGradient(dc, header, Mix(back, RGB(178, 206, 242), 150),
                             Mix(back, RGB(214, 230, 250), 90));
        const UniqueHandle<HPEN, GdiDeleter> line(CreatePen(PS_SOLID, 1, Mix(border, back, 90)));
        const SelectedObject pen(dc, line.get());
        MoveToEx(dc, client.left, header.bottom, nullptr);
        LineTo(dc, client.right, header.bottom);
    }
    FrameRoundRect(dc, box, corner, border);

    const std::wstring caption = WindowTextOf(hwnd());
    const SelectedObject font(dc, font_.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(24, 50, 96));
    RECT text{client.left + Scale(10, dpi_), client.top, client.right - Scale(10, dpi_),
              client.top + band};
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
}

}  // namespace talvex
