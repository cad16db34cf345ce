#include "ui/frame_plus.h"

namespace talvex {
namespace {

FramePlus* FromWindow(HWND hwnd) {
    return reinterpret_cast<FramePlus*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

std::wstring WindowTextOf(HWND hwnd) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace

FramePlus::~FramePlus() {
    if (hwnd_ != nullptr) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

bool FramePlus::Register(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(instance, kClassName, &wc)) return true;
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0;
}

bool FramePlus::Create(HINSTANCE instance, HWND parent, int id, const wchar_t* caption,
                       const RECT& bounds, const FramePlusProperties& properties, UINT dpi) {
    if (!Register(instance)) return false;
    properties_ = properties;
    dpi_ = dpi;
    font_ = CreateSkinFont(properties_.font, dpi_);
    // A container for the dialog manager, so Tab and access keys reach its children.
    CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, caption,
                    WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, bounds.left,
                    bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, this);
    return hwnd_ != nullptr;
}

void FramePlus::SetDpi(UINT dpi) {
    dpi_ = dpi;
    font_ = CreateSkinFont(properties_.font, dpi_);
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    InvalidateRect(hwnd_, nullptr, FALSE);
}

LRESULT CALLBACK FramePlus::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<FramePlus*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    FramePlus* self = FromWindow(hwnd);
    if (self == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    return self->HandleMessage(msg, wp, lp);
}

LRESULT FramePlus::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
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
            return SendMessageW(GetParent(hwnd_), msg, wp, lp);
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
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd_, &ps);
            {
                BufferedPaint buffer(dc, ps.rcPaint);
                Paint(buffer.dc(), ps.rcPaint);
            }
            EndPaint(hwnd_, &ps);
            return 0;
        }
        case WM_PRINTCLIENT: {
            RECT client{};
            GetClientRect(hwnd_, &client);
            Paint(reinterpret_cast<HDC>(wp), client);
            return 0;
        }
        case WM_SETTEXT: {
            const LRESULT r = DefWindowProcW(hwnd_, msg, wp, lp);
            InvalidateRect(hwnd_, nullptr, FALSE);
            return r;
        }
        default:
            return DefWindowProcW(hwnd_, msg, wp, lp);
    }
}

void FramePlus::Paint(HDC dc, const RECT& area) {
    (void)area;
    PaintParentBackground(hwnd_, dc);
    RECT client{};
    GetClientRect(hwnd_, &client);
    RECT box = client;
    box.right -= 1;
    box.bottom -= 1;
    const int corner = Scale(10, dpi_);
    const int band = Scale(26, dpi_);
    const COLORREF back = properties_.backColor;
    const COLORREF border = RGB(150, 178, 216);
    {
        RoundClip clip(dc, box, corner);
        HBRUSH fill = CreateSolidBrush(back);
        FillRect(dc, &client, fill);
        DeleteObject(fill);
        // The caption band: a light blue sheen fading into the face.
        RECT header{client.left, client.top, client.right, client.top + band};
        FillVerticalGradient(dc, header, Mix(back, RGB(178, 206, 242), 150),
                             Mix(back, RGB(214, 230, 250), 90));
        HPEN line = CreatePen(PS_SOLID, 1, Mix(border, back, 90));
        HGDIOBJ oldPen = SelectObject(dc, line);
        MoveToEx(dc, client.left, header.bottom, nullptr);
        LineTo(dc, client.right, header.bottom);
        SelectObject(dc, oldPen);
        DeleteObject(line);
    }
    FrameRoundRect(dc, box, corner, border);

    const std::wstring caption = WindowTextOf(hwnd_);
    HGDIOBJ oldFont = SelectObject(dc, font_.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(24, 50, 96));
    RECT text{client.left + Scale(10, dpi_), client.top, client.right - Scale(10, dpi_),
              client.top + band};
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, oldFont);
}

}  // namespace talvex
