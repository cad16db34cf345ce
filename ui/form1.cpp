#include "ui/form1.h"

#include "platform/gdi_guards.h"
#include "ui/control_ids.h"
#include "ui/history_drawing.h"
#include "ui/layout.h"
#include "ui/reflect.h"
#include "ui/texts.h"

namespace talvex {
namespace {

constexpr wchar_t kOwnerClassName[] = L"TalvexPress.Owner";
// Posted by the load handler: the icon is added once the window is on screen, because
// telling the notification area is a round trip to another process.
constexpr UINT kAddNotificationIconMessage = WM_APP + 1;

bool IsTaskbarCreated(UINT msg) {
    const UINT taskbarCreated = NotificationIcon::TaskbarCreatedMessage();
    return taskbarCreated != 0 && msg == taskbarCreated;
}

// Only top-level windows hear of new system colours or of high contrast turned on or off:
// the controls, which draw with those colours, are told and drawn again.
void TellControlsColoursChanged(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    struct Message {
        UINT msg;
        WPARAM wp;
        LPARAM lp;
    } message{msg, wp, lp};
    EnumChildWindows(
        window,
        [](HWND child, LPARAM data) -> BOOL {
            const auto& m = *reinterpret_cast<const Message*>(data);
            SendMessageW(child, m.msg, m.wp, m.lp);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&message));
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

}  // namespace

Form1::~Form1() {
    // While every member is still there: the unload handler runs as for any other end.
    if (hwnd() != nullptr) DestroyWindow(hwnd());
}

bool Form1::Owner::Create(HINSTANCE instance, Form1& form) {
    form_ = &form;
    if (!RegisterClassOnce(instance, kOwnerClassName, WNDCLASSEXW{})) return false;
    return CreateBound(0, kOwnerClassName, L"", WS_POPUP, RECT{}, nullptr, nullptr, instance) !=
           nullptr;
}

LRESULT Form1::Owner::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    // A request to close the program may come here as well as to the window; so may the
    // taskbar's broadcast, which an owned window might not hear.
    if ((msg == WM_CLOSE || IsTaskbarCreated(msg)) && form_->hwnd() != nullptr) {
        SendMessageW(form_->hwnd(), msg, wp, lp);
        return 0;
    }
    return DefWindowProcW(hwnd(), msg, wp, lp);
}

bool Form1::Create(HINSTANCE instance, bool anotherInstanceRunning) {
    instance_ = instance;
    WNDCLASSEXW wc{};
    wc.style = CS_DBLCLKS;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    if (!RegisterClassOnce(instance, kClassName, wc)) return false;
    // An owned window gets no taskbar button, yet stays in Alt+Tab for keyboard users.
    owner_.Create(instance, *this);
    const RECT size = layout::ToPixels(layout::kForm1, GetDpiForSystem());
    if (CreateBound(WS_EX_CONTROLPARENT, kClassName, L"", WS_POPUP | WS_CLIPCHILDREN, size,
                    owner_.hwnd(), nullptr, instance) == nullptr)
        return false;
    mover_.Attach(hwnd());
    CreateControls();
    OnLoad(anotherInstanceRunning);
    return loaded_;
}

void Form1::OnLoad(bool anotherInstanceRunning) {
    messageBoxes_.SetOwner(hwnd());
    if (anotherInstanceRunning) {
        MessageBoxW(hwnd(), reinterpret_cast<const wchar_t*>(texts::kAnotherInstance),
                    texts::kTitle, MB_OK | MB_ICONINFORMATION);
        DestroyWindow(hwnd());
        return;
    }
    PostMessageW(hwnd(), kAddNotificationIconMessage, 0, 0);
    ApplyRoundedShape();
    // A copy started by the user may run with fewer rights than this one (this one elevated):
    // its request to come forward is let through all the same.
    ChangeWindowMessageFilterEx(hwnd(), ComeForwardMessage(), MSGFLT_ALLOW, nullptr);

    commandClipboard_ = std::make_unique<SystemClipboard>(hwnd());
    watchedClipboard_ =
        std::make_unique<SystemClipboard>(hwnd(), SystemClipboard::PrivateText::Hide);
    watcher_ = std::make_unique<ClipboardWatcher>(*watchedClipboard_, history_, &clipboardChanges_);
    SetTimer(hwnd(), ids::kTimer1, layout::kTimer1IntervalMs, nullptr);
    loaded_ = true;
}

void Form1::OnUnload() {
    KillTimer(hwnd(), ids::kTimer1);
    notificationIcon_.Remove();
    loaded_ = false;
}

void Form1::OnTimerTick() {
    if (handlersRunning_ > 0 || !watcher_) return;
    RunHandler([this] { watcher_->Tick(); });
}

LRESULT Form1::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (mover_.HandleMessage(msg, wp, lp, &result)) return result;
    if (focus_.HandleMessage(msg, wp, lp, &result)) return result;
    if (HandleOwnerDraw(msg, wp, lp, &result)) return result;
    // The controls ask for what lies behind their rounded corners too (WM_PRINTCLIENT).
    if (HandlePaint(msg, wp, [this](HDC dc, const RECT& area) { Paint(dc, area); })) return 0;
    if (IsTaskbarCreated(msg)) {
        if (loaded_) notificationIcon_.OnTaskbarCreated();
        return 0;
    }
    if (msg == ComeForwardMessage() && msg != 0) {
        if (loaded_) RunHandler([this] { OnAnotherCopyStarted(); });
        return 0;
    }
    switch (msg) {
        case kAddNotificationIconMessage:
            // Hiding may have added it already; a second add would only fail.
            if (loaded_ && !notificationIcon_.Present()) notificationIcon_.Add();
            return 0;
        case WM_TIMER:
            if (wp == ids::kTimer1) OnTimerTick();
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wp), HIWORD(wp));
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the picture covers the client area
        case WM_DPICHANGED:
            OnDpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
            return 0;
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE:
            TellControlsColoursChanged(hwnd(), msg, wp, lp);
            return DefWindowProcW(hwnd(), msg, wp, lp);
        case WM_MENUCHAR:
            return PopupMenu::MenuChar(static_cast<wchar_t>(LOWORD(wp)),
                                       reinterpret_cast<HMENU>(lp));
        case WM_CLOSE:
            // Alt+F4, or another program asking us to close: the close button's question,
            // never a silent end.
            RunHandler([this] { OnCloseClicked(); });
            return 0;
        case WM_QUERYENDSESSION:
            return TRUE;  // never stand in the way of a log-off
        case WM_ENDSESSION:
            if (wp) DestroyWindow(hwnd());  // the session ends: unload, asking nothing
            return 0;
        case WM_DESTROY:
            OnUnload();
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(hwnd(), msg, wp, lp);
    }
}

bool Form1::HandleOwnerDraw(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    *result = TRUE;
    if (msg == WM_MEASUREITEM) {
        auto& item = *reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
        if (item.CtlType == ODT_MENU) {
            // At the dpi of the monitor the menu opens on, which may not be the window's.
            popupMenu_.Measure(item, popupMenu_.Dpi());
            return true;
        }
        if (item.CtlID == ids::kList1) {
            MeasureHistoryItem(item, Dpi());
            return true;
        }
        return false;
    }
    if (msg == WM_DRAWITEM) {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (item.CtlType == ODT_MENU) {
            popupMenu_.Draw(item, popupMenu_.Dpi());
        } else if (item.CtlID == ids::kList1) {
            DrawHistoryItem(item);
        } else {
            // Owner-drawn controls paint themselves.
            *result = SendMessageW(item.hwndItem, kReflectBase + msg, wp, lp);
        }
        return true;
    }
    return false;
}

UINT Form1::ComeForwardMessage() {
    static const UINT message = RegisterWindowMessageW(L"TalvexPress.ComeForward");
    return message;
}

bool Form1::ShowWaitingBox() const {
    if (hwnd() == nullptr || IsWindowEnabled(hwnd())) return false;
    HWND box = GetLastActivePopup(hwnd());
    if (box != nullptr && box != hwnd()) SetForegroundWindow(box);
    return true;
}

}  // namespace talvex
