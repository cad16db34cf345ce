#include "ui/form1.h"

#include <windowsx.h>

#include "app/module1.h"
#include "ui/control_ids.h"
#include "ui/event_boundary.h"
#include "ui/history_drawing.h"
#include "ui/layout.h"
#include "ui/reflect.h"
#include "ui/texts.h"

namespace talvex {
namespace {

constexpr wchar_t kOwnerClassName[] = L"TalvexPress.Owner";

Form1* FromWindow(HWND hwnd) {
    return reinterpret_cast<Form1*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

}  // namespace

Form1::Form1() = default;

Form1::~Form1() {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
    if (owner_ != nullptr) DestroyWindow(owner_);
}

bool Form1::RegisterClasses(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(instance, kClassName, &wc)) return true;

    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.lpszClassName = kOwnerClassName;
    if (!RegisterClassExW(&wc)) return false;

    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kClassName;
    if (!RegisterClassExW(&wc)) return false;

    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Picture1Proc;
    wc.hInstance = instance;
    wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    wc.lpszClassName = kPicture1ClassName;
    return RegisterClassExW(&wc) != 0;
}

bool Form1::Create(HINSTANCE instance, bool anotherInstanceRunning) {
    instance_ = instance;
    if (!RegisterClasses(instance)) return false;

    // An owned window gets no taskbar button, yet stays in Alt+Tab for keyboard users.
    owner_ = CreateWindowExW(0, kOwnerClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 instance, nullptr);
    const UINT dpi = GetDpiForSystem();
    const RECT size = layout::ToPixels(layout::kForm1, dpi);
    hwnd_ = CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, L"", WS_POPUP | WS_CLIPCHILDREN, 0, 0,
                            size.right, size.bottom, owner_, nullptr, instance, this);
    if (hwnd_ == nullptr) return false;
    CreateControls();
    OnLoad(anotherInstanceRunning);
    return loaded_;
}

void Form1::CreateControls() {
    const UINT dpi = Dpi();
    auto place = [&](const layout::TwipsRect& r, const layout::TwipsRect& container) {
        RECT px = layout::ToPixels(r, dpi);
        const int dx = layout::ToPixels(container.left, dpi);
        const int dy = layout::ToPixels(container.top, dpi);
        OffsetRect(&px, dx, dy);
        return px;
    };

    const RECT list = place(layout::kList1, layout::kFramePlus2);
    list1_ = CreateWindowExW(0, L"LISTBOX", L"",
                             WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY |
                                 LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS,
                             list.left, list.top, list.right - list.left, list.bottom - list.top,
                             hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::kList1)),
                             instance_, nullptr);
    history_.Attach(list1_);

    const RECT text = place(layout::kText1, layout::kFramePlus1);
    HWND text1 = CreateWindowExW(0, L"EDIT", L"",
                                 WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL |
                                     WS_TABSTOP | WS_CLIPSIBLINGS | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL |
                                     ES_WANTRETURN,
                                 text.left, text.top, text.right - text.left, text.bottom - text.top,
                                 hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::kText1)),
                                 instance_, nullptr);
    SendMessageW(text1, EM_SETLIMITTEXT, 0, 0);  // no 32 K ceiling
    text1Box_.Attach(text1);

    struct ButtonSpec {
        int id;
        const wchar_t* caption;
        layout::TwipsRect rect;
        layout::TwipsRect container;
    };
    constexpr layout::TwipsRect window{0, 0, 0, 0};
    const ButtonSpec buttons[] = {
        {ids::kCommand1, L"&Copier", layout::kCommand1, window},
        {ids::kCommand3, L"&Outils", layout::kCommand3, window},
        {ids::kCommand2, L"&Effacer", layout::kCommand2, window},
        {ids::kCommand4, L"&Réduire", layout::kCommand4, window},
        {ids::kKeytool0 + 0, L"Majuscule", layout::kKeytool[0], layout::kFramePlus1},
        {ids::kKeytool0 + 1, L"Miniscule", layout::kKeytool[1], layout::kFramePlus1},
        {ids::kKeytool0 + 2, L"Debut majuscule", layout::kKeytool[2], layout::kFramePlus1},
        {ids::kKeytool0 + 3, L"Caractères", layout::kKeytool[3], layout::kFramePlus1},
        {ids::kButtonPlus1, L"X", layout::kButtonPlus1, window},
        {ids::kButtonPlus2, L"-", layout::kButtonPlus2, window},
        {ids::kCmdpropos, L"?", layout::kCmdpropos, window},
    };
    for (const ButtonSpec& b : buttons) {
        const RECT r = place(b.rect, b.container);
        HWND button = CreateWindowExW(0, L"BUTTON", b.caption,
                                      WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | BS_PUSHBUTTON,
                                      r.left, r.top, r.right - r.left, r.bottom - r.top, hwnd_,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(b.id)), instance_,
                                      nullptr);
        // Text1 covers the tool buttons until the tools panel is opened.
        if (b.id >= ids::kKeytool0 && b.id < ids::kKeytool0 + 4)
            SetWindowPos(button, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }

    // Never on screen: it only receives the notification icon's messages.
    const RECT pic = layout::ToPixels(layout::kPicture1, dpi);
    picture1_ = CreateWindowExW(0, kPicture1ClassName, L"", WS_CHILD, pic.left, pic.top,
                                pic.right - pic.left, pic.bottom - pic.top, hwnd_,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::kPicture1)),
                                instance_, nullptr);
    SetWindowLongPtrW(picture1_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void Form1::OnLoad(bool anotherInstanceRunning) {
    messageBoxes_.SetOwner(hwnd_);
    if (anotherInstanceRunning) {
        MessageBoxW(hwnd_, reinterpret_cast<const wchar_t*>(texts::kAnotherInstance),
                    reinterpret_cast<const wchar_t*>(kTitle), MB_OK | MB_ICONINFORMATION);
        DestroyWindow(hwnd_);
        return;
    }
    AddTrayIcon(picture1_, reinterpret_cast<HICON>(GetClassLongPtrW(hwnd_, GCLP_HICON)));
    ApplyRoundedShape();

    commandClipboard_ = std::make_unique<SystemClipboard>(hwnd_);
    watchedClipboard_ =
        std::make_unique<SystemClipboard>(hwnd_, SystemClipboard::PrivateText::Hide);
    watcher_ = std::make_unique<ClipboardWatcher>(*watchedClipboard_, history_, &clipboardChanges_);
    watcher_->ResetLastClip();
    SetTimer(hwnd_, ids::kTimer1, layout::kTimer1IntervalMs, nullptr);
    loaded_ = true;
}

void Form1::OnUnload() {
    KillTimer(hwnd_, ids::kTimer1);
    if (loaded_) RemoveTrayIcon(picture1_);
    loaded_ = false;
}

void Form1::ApplyRoundedShape() {
    RECT client{};
    GetClientRect(hwnd_, &client);
    const int corner = MulDiv(layout::kCornerEllipse, static_cast<int>(Dpi()), 96);
    HRGN region = CreateRoundRectRgn(client.left, client.top, client.right, client.bottom, corner,
                                     corner);
    // The window owns the region from here on.
    SetWindowRgn(hwnd_, region, TRUE);
}

void Form1::Show() {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
}

UINT Form1::Dpi() const {
    const UINT dpi = hwnd_ != nullptr ? GetDpiForWindow(hwnd_) : 0;
    return dpi != 0 ? dpi : 96;
}

void Form1::OnTimer1Tick() {
    if (handlersRunning_ > 0 || !watcher_) return;
    RunHandler([this] { watcher_->Tick(); });
}

void Form1::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    FillRect(dc, &ps.rcPaint, GetSysColorBrush(COLOR_BTNFACE));
    EndPaint(hwnd_, &ps);
}

LRESULT Form1::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_TIMER:
            if (wp == ids::kTimer1) OnTimer1Tick();
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
            return 0;
        case WM_CTLCOLOREDIT:
            // Text1 is plain white, not the system window colour.
            if (reinterpret_cast<HWND>(lp) == text1Box_.hwnd()) {
                SetBkColor(reinterpret_cast<HDC>(wp), RGB(255, 255, 255));
                return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
            }
            return DefWindowProcW(hwnd_, msg, wp, lp);
        case WM_MEASUREITEM: {
            auto& item = *reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
            if (item.CtlID == ids::kList1) {
                MeasureHistoryItem(item, Dpi());
                return TRUE;
            }
            return DefWindowProcW(hwnd_, msg, wp, lp);
        }
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
            if (item.CtlID == ids::kList1) {
                DrawHistoryItem(item);
                return TRUE;
            }
            return SendMessageW(item.hwndItem, kReflectBase + msg, wp, lp);
        }
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;  // never stand in the way of a log-off
        case WM_ENDSESSION:
            if (wp) DestroyWindow(hwnd_);  // the session ends: unload, asking nothing
            return 0;
        case WM_DESTROY:
            OnUnload();
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(hwnd_, msg, wp, lp);
    }
}

LRESULT CALLBACK Form1::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<Form1*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    Form1* self = FromWindow(hwnd);
    if (self == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
    // Nothing thrown by a handler may reach Windows.
    try {
        LRESULT r = self->HandleMessage(msg, wp, lp);
        if (msg == WM_NCDESTROY) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
        }
        return r;
    } catch (...) {
        ReportFailure(hwnd, std::current_exception());
        return 0;
    }
}

LRESULT CALLBACK Form1::Picture1Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_MOUSEMOVE) {
        if (Form1* form = FromWindow(hwnd)) {
            form->RunHandler([&] { form->OnPicture1MouseMove(GET_X_LPARAM(lp)); });
        }
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace talvex
