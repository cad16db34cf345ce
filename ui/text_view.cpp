#include "ui/text_view.h"

#include "ui/text_view_accessible.h"
#include "ui/text_view_automation.h"

namespace talvex {

TextView::TextView()
    : shaper_(editor_.Document()),
      layout_(editor_.Document(), shaper_),
      viewport_(editor_, layout_, shaper_) {
    editor_.SetObserver(this);
}

TextView::~TextView() {
    // While the editor and the buffers are still there.
    if (hwnd() != nullptr) DestroyWindow(hwnd());
}

bool TextView::Create(HINSTANCE instance, HWND parent, int id, const RECT& bounds) {
    WNDCLASSEXW wc{};
    wc.style = CS_DBLCLKS;
    wc.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
    if (!RegisterClassOnce(instance, kClassName, wc)) return false;
    return CreateBound(0, kClassName, L"",
                       WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP |
                           WS_CLIPSIBLINGS,
                       bounds, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                       instance) != nullptr;
}

void TextView::SetText(std::u16string text) {
    // The box stops at a NUL, as an edit control does.
    if (const std::size_t nul = text.find(u'\0'); nul != std::u16string::npos) text.resize(nul);
    editor_.SetText(std::move(text));
    modified_ = false;
}

LRESULT TextView::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (HandlePaint(msg, wp, [this](HDC dc, const RECT& area) { Paint(dc, area); })) return 0;
    LRESULT result = 0;
    if (HandleWindowMessage(msg, wp, lp, &result) || HandleInputMessage(msg, wp, lp, &result) ||
        HandleEditMessage(msg, wp, lp, &result))
        return result;
    return DefWindowProcW(hwnd(), msg, wp, lp);
}

bool TextView::HandleWindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    switch (msg) {
        case WM_CREATE:
            shaper_.SetDc(bufferDc_.get());
            SetFont(nullptr, false);
            return true;
        case WM_DESTROY:
            EndDrag();
            // While the window is there: the automation runtime lets go of it by its handle.
            accessible_.reset();
            automation_.reset();
            return true;
        case WM_NCDESTROY:
            shaper_.SetDc(nullptr);
            // What the buffer holds goes with the window, in the order it came.
            bufferBitmap_.reset();
            bufferFont_.reset();
            buffer_.reset();
            bufferDc_.reset();
            return false;
        case WM_SIZE:
            OnSize();
            return true;
        case WM_SETFONT:
            SetFont(reinterpret_cast<HFONT>(wp), LOWORD(lp) != 0);
            return true;
        case WM_GETFONT:
            *result = reinterpret_cast<LRESULT>(font_);
            return true;
        case WM_ERASEBKGND:
            *result = 1;  // the paint covers everything, from its buffer
            return true;
        case WM_SETFOCUS:
            CreateSystemCaret();
            PlaceCaret();
            InvalidateRect(hwnd(), nullptr, FALSE);  // the selection shows while focused
            NotifyWinEvent(EVENT_OBJECT_FOCUS, hwnd(), OBJID_CLIENT, CHILDID_SELF);
            if (automation_) automation_.get()->OnFocus();
            return true;
        case WM_KILLFOCUS:
            EndDrag();
            pendingHighSurrogate_ = 0;
            DestroyCaret();
            caretShown_ = false;
            InvalidateRect(hwnd(), nullptr, FALSE);
            return true;
        case WM_GETOBJECT:
            *result = OnGetObject(wp, lp);
            return true;
        case WM_CLOSE:
            return true;  // only the window itself closes; a box inside it never goes away
        case WM_ENABLE:
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE:  // high contrast turned on or off
        case WM_THEMECHANGED:
            InvalidateRect(hwnd(), nullptr, FALSE);
            return false;
        default:
            return false;
    }
}

void TextView::OnTextReset() {
    shaper_.Forget();
    layout_.Reset();
    viewport_.OnTextReset();
    if (hwnd() == nullptr) return;
    AfterViewMoved();
    NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, hwnd(), OBJID_CLIENT, CHILDID_SELF);
    if (automation_) automation_.get()->OnTextChanged();
}

void TextView::OnTextChanged(const TextChange& change) {
    layout_.OnTextChanged(change);
    viewport_.OnTextChanged();
    modified_ = true;
    if (hwnd() == nullptr) return;
    InvalidateRect(hwnd(), nullptr, FALSE);
    NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, hwnd(), OBJID_CLIENT, CHILDID_SELF);
    if (automation_) automation_.get()->OnTextChanged();
}

void TextView::OnSelectionChanged() {
    if (hwnd() == nullptr) return;
    if (GetFocus() == hwnd()) InvalidateRect(hwnd(), nullptr, FALSE);
    PlaceCaret();
    NotifyWinEvent(EVENT_OBJECT_TEXTSELECTIONCHANGED, hwnd(), OBJID_CLIENT, CHILDID_SELF);
    if (automation_) automation_.get()->OnSelectionChanged();
}

LRESULT TextView::OnGetObject(WPARAM wp, LPARAM lp) {
    if (static_cast<LONG>(lp) == uia::kRootObjectId) {
        // UI Automation readers; the ones that only speak MSAA ask for OBJID_CLIENT below.
        if (TextViewAutomation* provider = AutomationView::ProviderOf(*this))
            return provider->Answer(wp, lp);
        return DefWindowProcW(hwnd(), WM_GETOBJECT, wp, lp);
    }
    if (static_cast<LONG>(lp) != OBJID_CLIENT) return DefWindowProcW(hwnd(), WM_GETOBJECT, wp, lp);
    if (!accessible_) accessible_.reset(TextViewAccessible::Create(*this));
    if (!accessible_) return DefWindowProcW(hwnd(), WM_GETOBJECT, wp, lp);
    return TextViewAccessible::Answer(accessible_.get(), wp);
}

POINT TextView::ClientPointOf(std::size_t position) {
    const ViewPoint at = viewport_.PointOf(position);
    return POINT{at.x, at.y};
}

std::size_t TextView::PositionAt(POINT client) {
    return viewport_.PositionAt(ViewPoint{static_cast<int>(client.x), static_cast<int>(client.y)});
}

void TextView::ScrollIntoView(std::size_t position) {
    if (hwnd() == nullptr) return;
    if (viewport_.ScrollIntoView(position)) InvalidateRect(hwnd(), nullptr, FALSE);
    UpdateScrollBars();
    PlaceCaret();
}

void TextView::AfterCommand(bool keepColumn) {
    if (!keepColumn) viewport_.ForgetColumn();
    ScrollIntoView(editor_.Caret());
}

}  // namespace talvex
