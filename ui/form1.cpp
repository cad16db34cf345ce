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
// Posted by the load handler: the icon is added once the window is on screen, because
// telling the notification area is a round trip to another process.
constexpr UINT kAddTrayIconMessage = WM_APP + 1;

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
    wc.lpfnWndProc = OwnerProc;
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
    if (owner_ != nullptr)
        SetWindowLongPtrW(owner_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    const UINT dpi = GetDpiForSystem();
    const RECT size = layout::ToPixels(layout::kForm1, dpi);
    hwnd_ = CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, L"", WS_POPUP | WS_CLIPCHILDREN, 0, 0,
                            size.right, size.bottom, owner_, nullptr, instance, this);
    if (hwnd_ == nullptr) return false;
    CreateControls();
    OnLoad(anotherInstanceRunning);
    return loaded_;
}

void Form1::OnLoad(bool anotherInstanceRunning) {
    messageBoxes_.SetOwner(hwnd_);
    if (anotherInstanceRunning) {
        MessageBoxW(hwnd_, reinterpret_cast<const wchar_t*>(texts::kAnotherInstance), texts::kTitle,
                    MB_OK | MB_ICONINFORMATION);
        DestroyWindow(hwnd_);
        return;
    }
    PostMessageW(hwnd_, kAddTrayIconMessage, 0, 0);
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

void Form1::OnTimer1Tick() {
    if (handlersRunning_ > 0 || !watcher_) return;
    RunHandler([this] { watcher_->Tick(); });
}

LRESULT Form1::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (LRESULT handled = 0; HandleLayoutMessage(msg, wp, lp, &handled)) return handled;
    if (msg == TaskbarCreatedMessage() && msg != 0) {
        // The taskbar started again and forgot every icon. Told twice (here and through
        // the owner), the second add fails harmlessly.
        if (loaded_) AddTrayIcon(picture1_);
        return 0;
    }
    switch (msg) {
        case kAddTrayIconMessage:
            // Hiding may have added it already; a second add would only fail.
            if (loaded_ && !TrayIconPresent(picture1_)) AddTrayIcon(picture1_);
            return 0;
        case WM_TIMER:
            if (wp == ids::kTimer1) OnTimer1Tick();
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
            return 0;
        case WM_MEASUREITEM: {
            auto& item = *reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
            if (item.CtlType == ODT_MENU) {
                popupMenu_.Measure(item, Dpi());
                return TRUE;
            }
            if (item.CtlID == ids::kList1) {
                MeasureHistoryItem(item, Dpi());
                return TRUE;
            }
            return DefWindowProcW(hwnd_, msg, wp, lp);
        }
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
            if (item.CtlType == ODT_MENU) {
                popupMenu_.Draw(item, Dpi());
                return TRUE;
            }
            if (item.CtlID == ids::kList1) {
                DrawHistoryItem(item);
                return TRUE;
            }
            return SendMessageW(item.hwndItem, kReflectBase + msg, wp, lp);
        }
        case WM_MENUCHAR:
            return PopupMenu::MenuChar(static_cast<wchar_t>(LOWORD(wp)),
                                       reinterpret_cast<HMENU>(lp));
        case WM_CLOSE:
            // Alt+F4, or another program asking us to close: the close button's question,
            // never a silent end.
            RunHandler([this] { OnButtonPlus1Click(); });
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

// The hidden owner is an unowned top-level window: it hears the taskbar's broadcast for
// sure, and a request to close the program may be sent to it as well as to Form1.
LRESULT CALLBACK Form1::OwnerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CLOSE || (msg == TaskbarCreatedMessage() && msg != 0)) {
        Form1* form = FromWindow(hwnd);
        if (form != nullptr && form->hwnd_ != nullptr) SendMessageW(form->hwnd_, msg, wp, lp);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
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
