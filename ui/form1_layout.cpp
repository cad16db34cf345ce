// Form1's look: its controls at their places, in their stacking and tab order, the picture,
// the rounded shape, moving by the background, and following the display's dpi.
#include <windows.h>
#include <commctrl.h>

#include "resources/resource_ids.h"
#include "ui/control_ids.h"
#include "ui/form1.h"
#include "ui/history_drawing.h"
#include "ui/layout.h"

namespace talvex {
namespace {

constexpr UINT_PTR kTabSubclassId = 0x54414253;  // "TABS"

// Text1 and List1 set no font of their own; this one fits the list's 13-pixel rows.
constexpr FontSpec kBoxFont{L"Tahoma", 8.0};

ButtonPlusProperties CommandButton(int pictureId) {
    ButtonPlusProperties p;
    p.pictureId = pictureId;
    return p;
}

ButtonPlusProperties TitleButton(FontSpec font, std::optional<COLORREF> themeColor = {}) {
    ButtonPlusProperties p;
    p.backColor = RGB(68, 158, 249);
    p.themeColor = themeColor;
    p.font = font;
    return p;
}

bool CtrlDown() { return (GetKeyState(VK_CONTROL) & 0x8000) != 0; }
bool IsPlainTab(const MSG* m) {
    return m != nullptr && m->message == WM_KEYDOWN && m->wParam == VK_TAB && !CtrlDown();
}

// Tab and Shift+Tab go to the window, which knows the order; the dialog manager alone
// would follow the stacking order, frame by frame.
LRESULT CALLBACK TabToWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    switch (msg) {
        case WM_GETDLGCODE: {
            LRESULT code = DefSubclassProc(hwnd, msg, wp, lp);
            if (IsPlainTab(reinterpret_cast<const MSG*>(lp))) code |= DLGC_WANTTAB;
            return code;
        }
        case WM_KEYDOWN:
            if (wp == VK_TAB && !CtrlDown()) {
                const bool backwards = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
                SendMessageW(GetAncestor(hwnd, GA_ROOT), WM_NEXTDLGCTL, backwards, FALSE);
                return 0;
            }
            break;
        case WM_CHAR:
            if (wp == L'\t' && !CtrlDown()) return 0;  // the Tab moved the focus; no tab typed
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(hwnd, TabToWindowProc, kTabSubclassId);
            break;
        default:
            break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

void Place(HWND hwnd, const RECT& r) {
    SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// Stacks `windows` top to bottom, first listed on top. A window already in its place is left
// alone: a new child goes under its older siblings, so most already are.
template <std::size_t N>
void Stack(const HWND (&windows)[N]) {
    HWND above = HWND_TOP;
    for (HWND w : windows) {
        if (GetWindow(w, GW_HWNDPREV) != (above == HWND_TOP ? nullptr : above))
            SetWindowPos(w, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        above = w;
    }
}

}  // namespace

void Form1::CreateControls() {
    const UINT dpi = Dpi();
    const RECT form = layout::ToPixels(layout::kForm1, dpi);
    SetWindowPos(hwnd_, nullptr, 0, 0, form.right, form.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    background_.Load(instance_, IDB_BACKGROUND, dpi);

    // Each control is born at its place for this dpi: moving twenty windows afterwards costs
    // a noticeable part of the start-up. LayoutControls moves them when the dpi changes.
    using layout::ToPixels;
    const auto at = [dpi](const layout::TwipsRect& r) { return ToPixels(r, dpi); };
    FramePlusProperties frame;
    framePlus1_.Create(instance_, hwnd_, ids::kFramePlus1, L"Texte :", at(layout::kFramePlus1),
                       frame, dpi);
    framePlus2_.Create(instance_, hwnd_, ids::kFramePlus2, L"Liste des éléments copier :",
                       at(layout::kFramePlus2), frame, dpi);

    const RECT list = at(layout::kList1);
    list1_ = CreateWindowExW(
        0, L"LISTBOX", L"",
        WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | WS_CLIPSIBLINGS | LBS_NOTIFY |
            LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS,
        list.left, list.top, list.right - list.left, list.bottom - list.top, framePlus2_.hwnd(),
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::kList1)), instance_, nullptr);
    history_.Attach(list1_);

    text1View_.Create(instance_, framePlus1_.hwnd(), ids::kText1, toolsPanel_.Text1Place(dpi));
    HWND text1 = text1View_.hwnd();

    command1_.Create(instance_, hwnd_, ids::kCommand1, L"&Copier", at(layout::kCommand1),
                     CommandButton(IDI_COPY), dpi);
    command3_.Create(instance_, hwnd_, ids::kCommand3, L"&Outils", at(layout::kCommand3),
                     CommandButton(IDI_TOOLS), dpi);
    command2_.Create(instance_, hwnd_, ids::kCommand2, L"&Effacer", at(layout::kCommand2),
                     CommandButton(IDI_CLEAR), dpi);
    command4_.Create(instance_, hwnd_, ids::kCommand4, L"&Réduire", at(layout::kCommand4),
                     CommandButton(IDI_HIDE), dpi);
    const wchar_t* const toolCaptions[4] = {L"Majuscule", L"Miniscule", L"Debut majuscule",
                                            L"Caractères"};
    for (int i = 0; i < 4; ++i) {
        keytool_[i].Create(instance_, framePlus1_.hwnd(), ids::kKeytool0 + i, toolCaptions[i],
                           at(layout::kKeytool[i]), CommandButton(0), dpi);
        // Covered by Text1 until the panel opens: out of reach of the keyboard too.
        EnableWindow(keytool_[i].hwnd(), FALSE);
    }
    toolsPanel_.Attach(
        text1, {keytool_[0].hwnd(), keytool_[1].hwnd(), keytool_[2].hwnd(), keytool_[3].hwnd()});
    buttonPlus1_.Create(instance_, hwnd_, ids::kButtonPlus1, L"X", at(layout::kButtonPlus1),
                        TitleButton({L"Arial Black", 8.25}, RGB(255, 32, 32)), dpi);
    buttonPlus2_.Create(instance_, hwnd_, ids::kButtonPlus2, L"-", at(layout::kButtonPlus2),
                        TitleButton({L"Arial", 18}), dpi);
    cmdpropos_.Create(instance_, hwnd_, ids::kCmdpropos, L"?", at(layout::kCmdpropos),
                      TitleButton({L"Arial", 9.75}), dpi);

    // Never on screen: it only receives the notification icon's messages.
    const RECT picture = at(layout::kPicture1);
    picture1_ = CreateWindowExW(0, kPicture1ClassName, L"", WS_CHILD, picture.left, picture.top,
                                picture.right - picture.left, picture.bottom - picture.top, hwnd_,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::kPicture1)),
                                instance_, nullptr);
    SetWindowLongPtrW(picture1_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

    // The first listed is on top. Text1 covers the tool buttons until the tools panel opens.
    const HWND windowOrder[] = {picture1_,          framePlus1_.hwnd(),  command1_.hwnd(),
                                command3_.hwnd(),   command2_.hwnd(),    command4_.hwnd(),
                                framePlus2_.hwnd(), buttonPlus1_.hwnd(), buttonPlus2_.hwnd(),
                                cmdpropos_.hwnd()};
    Stack(windowOrder);
    const HWND frame1Order[] = {text1, keytool_[0].hwnd(), keytool_[1].hwnd(), keytool_[2].hwnd(),
                                keytool_[3].hwnd()};
    Stack(frame1Order);

    for (HWND control : TabOrder()) SetWindowSubclass(control, TabToWindowProc, kTabSubclassId, 0);
    SetBoxFont(dpi);  // the frames and buttons took theirs when they were created
}

std::vector<HWND> Form1::TabOrder() const {
    return {command1_.hwnd(),   command3_.hwnd(),    command2_.hwnd(),
            command4_.hwnd(),   text1View_.hwnd(),   list1_,
            keytool_[0].hwnd(), keytool_[1].hwnd(),  keytool_[2].hwnd(),
            keytool_[3].hwnd(), buttonPlus1_.hwnd(), buttonPlus2_.hwnd(),
            cmdpropos_.hwnd()};
}

// Moves everything to its place for `dpi` and redraws it at that dpi.
void Form1::LayoutControls(UINT dpi) {
    using layout::ToPixels;
    Place(framePlus1_.hwnd(), ToPixels(layout::kFramePlus1, dpi));
    Place(framePlus2_.hwnd(), ToPixels(layout::kFramePlus2, dpi));
    Place(list1_, ToPixels(layout::kList1, dpi));
    Place(text1View_.hwnd(), toolsPanel_.Text1Place(dpi));
    for (int i = 0; i < 4; ++i) Place(keytool_[i].hwnd(), ToPixels(layout::kKeytool[i], dpi));
    Place(command1_.hwnd(), ToPixels(layout::kCommand1, dpi));
    Place(command3_.hwnd(), ToPixels(layout::kCommand3, dpi));
    Place(command2_.hwnd(), ToPixels(layout::kCommand2, dpi));
    Place(command4_.hwnd(), ToPixels(layout::kCommand4, dpi));
    Place(buttonPlus1_.hwnd(), ToPixels(layout::kButtonPlus1, dpi));
    Place(buttonPlus2_.hwnd(), ToPixels(layout::kButtonPlus2, dpi));
    Place(cmdpropos_.hwnd(), ToPixels(layout::kCmdpropos, dpi));
    Place(picture1_, ToPixels(layout::kPicture1, dpi));

    framePlus1_.SetDpi(dpi);
    framePlus2_.SetDpi(dpi);
    for (ButtonPlus* b :
         {&command1_, &command2_, &command3_, &command4_, &keytool_[0], &keytool_[1], &keytool_[2],
          &keytool_[3], &buttonPlus1_, &buttonPlus2_, &cmdpropos_})
        b->SetDpi(dpi);
    SetBoxFont(dpi);
}

void Form1::SetBoxFont(UINT dpi) {
    boxFont_ = CreateSkinFont(kBoxFont, dpi);
    SendMessageW(text1View_.hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(boxFont_.get()), TRUE);
    SendMessageW(list1_, WM_SETFONT, reinterpret_cast<WPARAM>(boxFont_.get()), TRUE);
    // An owner-drawn list measures its rows once; tell it the height for this dpi.
    MEASUREITEMSTRUCT row{};
    row.CtlType = ODT_LISTBOX;
    row.CtlID = ids::kList1;
    MeasureHistoryItem(row, dpi);
    SendMessageW(list1_, LB_SETITEMHEIGHT, 0, static_cast<LPARAM>(row.itemHeight));
}

void Form1::OnDpiChanged(UINT dpi, const RECT& suggested) {
    // The suggested place, at exactly our size for that dpi.
    const RECT form = layout::ToPixels(layout::kForm1, dpi);
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, form.right, form.bottom,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    background_.Load(instance_, IDB_BACKGROUND, dpi);
    LayoutControls(dpi);
    if (loaded_) ApplyRoundedShape();
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void Form1::ApplyRoundedShape() {
    RECT client{};
    GetClientRect(hwnd_, &client);
    const int corner = MulDiv(layout::kCornerEllipse, static_cast<int>(Dpi()), 96);
    HRGN region =
        CreateRoundRectRgn(client.left, client.top, client.right, client.bottom, corner, corner);
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
    // Focus rectangles and access-key underlines as the user's settings want them: hidden
    // until the keyboard is used, on a standard setup.
    SendMessageW(hwnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_INITIALIZE, 0), 0);
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
}

UINT Form1::Dpi() const {
    const UINT dpi = hwnd_ != nullptr ? GetDpiForWindow(hwnd_) : 0;
    return dpi != 0 ? dpi : 96;
}

void Form1::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    background_.Draw(dc, ps.rcPaint);
    EndPaint(hwnd_, &ps);
}

void Form1::MoveFocus(bool backwards) {
    const std::vector<HWND> order = TabOrder();
    const int count = static_cast<int>(order.size());
    HWND focus = GetFocus();
    int at = -1;
    for (int i = 0; i < count; ++i) {
        if (order[i] == focus || IsChild(order[i], focus)) at = i;
    }
    for (int step = 1; step <= count; ++step) {
        int i = at < 0 ? (backwards ? count - step : step - 1)
                       : (at + (backwards ? -step : step) + count) % count;
        HWND next = order[i];
        // The tool buttons behind the closed panel are disabled, so skipped here.
        if (!IsWindowVisible(next) || !IsWindowEnabled(next)) continue;
        FocusControl(next);
        return;
    }
}

void Form1::StartDrag(WPARAM button) {
    POINT at{};
    GetCursorPos(&at);
    RECT r{};
    GetWindowRect(hwnd_, &r);
    dragOffset_ = POINT{at.x - r.left, at.y - r.top};
    dragButton_ = button;
    SetCapture(hwnd_);
}

void Form1::FocusControl(HWND control) {
    SetFocus(control);
    // As in a dialog: a text box reached by the keyboard has its text selected.
    if (SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL)
        SendMessageW(control, EM_SETSEL, 0, -1);
}

bool Form1::HandleLayoutMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    *result = 0;
    switch (msg) {
        case WM_PAINT:
            OnPaint();
            return true;
        case WM_PRINTCLIENT: {
            // The controls ask for what lies behind their rounded corners.
            RECT client{};
            GetClientRect(hwnd_, &client);
            background_.Draw(reinterpret_cast<HDC>(wp), client);
            return true;
        }
        case WM_ERASEBKGND:
            *result = 1;  // the picture covers the client area
            return true;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            // The background is the title bar: the system moves the window with the pointer.
            ReleaseCapture();
            SendMessageW(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
            return true;
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
            // The system's move loop ends only when the left button comes up; with the right
            // or middle button the window would stick to the pointer after the release. Those
            // two move it here, until their own release.
            StartDrag(msg == WM_MBUTTONDOWN || msg == WM_MBUTTONDBLCLK ? MK_MBUTTON : MK_RBUTTON);
            return true;
        case WM_MOUSEMOVE:
            if (dragButton_ != 0) {
                if ((wp & dragButton_) == 0) {
                    ReleaseCapture();  // let go outside our sight
                } else {
                    POINT at{};
                    GetCursorPos(&at);
                    SetWindowPos(hwnd_, nullptr, at.x - dragOffset_.x, at.y - dragOffset_.y, 0, 0,
                                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
                }
            }
            return false;
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            if (dragButton_ != 0) {
                ReleaseCapture();
                return true;  // the end of a move, not a click: no context menu
            }
            return false;
        case WM_CAPTURECHANGED:
            dragButton_ = 0;
            return false;
        case WM_DPICHANGED:
            OnDpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
            return true;
        case WM_NEXTDLGCTL:
            if (LOWORD(lp) != 0) {
                FocusControl(reinterpret_cast<HWND>(wp));
            } else {
                MoveFocus(wp != 0);
            }
            return true;
        case WM_ACTIVATE:
            if (LOWORD(wp) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus != nullptr && IsChild(hwnd_, focus)) lastFocus_ = focus;
                return true;
            }
            // Back to where the keyboard was, or to the first button.
            if (HIWORD(wp) == 0) {
                const bool back = lastFocus_ != nullptr && IsWindow(lastFocus_) &&
                                  IsChild(hwnd_, lastFocus_) && IsWindowEnabled(lastFocus_);
                SetFocus(back ? lastFocus_ : command1_.hwnd());
            }
            return true;
        default:
            return false;
    }
}

}  // namespace talvex
