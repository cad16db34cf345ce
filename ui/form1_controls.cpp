// Form1 put together: its controls at their places, in their stacking and tab order, the
// picture, the rounded shape, and following the display's dpi. The command table is in
// form1_commands.cpp.
#include <windows.h>
#include <commctrl.h>

#include "resources/resource_ids.h"
#include "ui/control_ids.h"
#include "ui/form1.h"
#include "ui/history_drawing.h"
#include "ui/layout.h"
#include "ui/texts.h"

namespace talvex {
namespace {

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
    SetWindowPos(hwnd(), nullptr, 0, 0, form.right, form.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    background_.Load(instance_, IDB_BACKGROUND, dpi);

    // Each control is born at its place for this dpi: moving twenty windows afterwards costs
    // a noticeable part of the start-up. LayoutControls moves them when the dpi changes.
    const auto at = [dpi](const layout::TwipsRect& r) { return layout::ToPixels(r, dpi); };
    const auto id = [](int controlId) {
        return reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId));
    };
    FramePlusProperties frame;
    textFrame_.Create(instance_, hwnd(), ids::kFramePlus1, texts::kTextFrameCaption,
                      at(layout::kFramePlus1), frame, dpi);
    historyFrame_.Create(instance_, hwnd(), ids::kFramePlus2, texts::kHistoryFrameCaption,
                         at(layout::kFramePlus2), frame, dpi);

    const RECT list = at(layout::kList1);
    historyListBox_ = CreateWindowExW(
        0, L"LISTBOX", L"",
        WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | WS_CLIPSIBLINGS | LBS_NOTIFY |
            LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS,
        list.left, list.top, list.right - list.left, list.bottom - list.top, historyFrame_.hwnd(),
        id(ids::kList1), instance_, nullptr);
    history_.Attach(historyListBox_);

    textView_.Create(instance_, textFrame_.hwnd(), ids::kText1, toolsPanel_.Text1Place(dpi));

    copyButton_.Create(instance_, hwnd(), ids::kCommand1, texts::kCopyButton, at(layout::kCommand1),
                       CommandButton(IDI_COPY), dpi);
    toolsButton_.Create(instance_, hwnd(), ids::kCommand3, texts::kToolsButton,
                        at(layout::kCommand3), CommandButton(IDI_TOOLS), dpi);
    clearButton_.Create(instance_, hwnd(), ids::kCommand2, texts::kClearButton,
                        at(layout::kCommand2), CommandButton(IDI_CLEAR), dpi);
    hideButton_.Create(instance_, hwnd(), ids::kCommand4, texts::kHideButton, at(layout::kCommand4),
                       CommandButton(IDI_HIDE), dpi);
    std::array<HWND, 4> tools{};
    for (int i = 0; i < 4; ++i) {
        toolButtons_[i].Create(instance_, textFrame_.hwnd(), ids::kKeytool0 + i,
                               texts::kToolButtons[i], at(layout::kKeytool[i]), CommandButton(0),
                               dpi);
        tools[i] = toolButtons_[i].hwnd();
        // Covered by Text1 until the panel opens: out of reach of the keyboard too.
        EnableWindow(tools[i], FALSE);
    }
    toolsPanel_.Attach(textView_.hwnd(), tools);
    closeButton_.Create(instance_, hwnd(), ids::kButtonPlus1, L"X", at(layout::kButtonPlus1),
                        TitleButton({L"Arial Black", 8.25}, RGB(255, 32, 32)), dpi);
    minimizeButton_.Create(instance_, hwnd(), ids::kButtonPlus2, L"-", at(layout::kButtonPlus2),
                           TitleButton({L"Arial", 18}), dpi);
    aboutButton_.Create(instance_, hwnd(), ids::kCmdpropos, L"?", at(layout::kCmdpropos),
                        TitleButton({L"Arial", 9.75}), dpi);
    // Picture1: never on screen, it only receives the notification icon's messages.
    notificationIcon_.Create(instance_, hwnd(), ids::kPicture1, at(layout::kPicture1),
                             [this](const NotificationIcon::Event& event) {
                                 RunHandler([&] { OnNotifyIconMessage(event); });
                             });

    // The first listed is on top. Text1 covers the tool buttons until the tools panel opens.
    const HWND windowOrder[] = {
        notificationIcon_.hwnd(), textFrame_.hwnd(),  copyButton_.hwnd(),   toolsButton_.hwnd(),
        clearButton_.hwnd(),      hideButton_.hwnd(), historyFrame_.hwnd(), closeButton_.hwnd(),
        minimizeButton_.hwnd(),   aboutButton_.hwnd()};
    Stack(windowOrder);
    const HWND textFrameOrder[] = {textView_.hwnd(), tools[0], tools[1], tools[2], tools[3]};
    Stack(textFrameOrder);

    focus_.Attach(hwnd(),
                  {copyButton_.hwnd(), toolsButton_.hwnd(), clearButton_.hwnd(), hideButton_.hwnd(),
                   textView_.hwnd(), historyListBox_, tools[0], tools[1], tools[2], tools[3],
                   closeButton_.hwnd(), minimizeButton_.hwnd(), aboutButton_.hwnd()},
                  copyButton_.hwnd());
    SetBoxFont(dpi);  // the frames and buttons took theirs when they were created
}

// Moves everything to its place for `dpi` and redraws it at that dpi.
void Form1::LayoutControls(UINT dpi) {
    const auto at = [dpi](const layout::TwipsRect& r) { return layout::ToPixels(r, dpi); };
    Place(textFrame_.hwnd(), at(layout::kFramePlus1));
    Place(historyFrame_.hwnd(), at(layout::kFramePlus2));
    Place(historyListBox_, at(layout::kList1));
    Place(textView_.hwnd(), toolsPanel_.Text1Place(dpi));
    for (int i = 0; i < 4; ++i) Place(toolButtons_[i].hwnd(), at(layout::kKeytool[i]));
    Place(copyButton_.hwnd(), at(layout::kCommand1));
    Place(toolsButton_.hwnd(), at(layout::kCommand3));
    Place(clearButton_.hwnd(), at(layout::kCommand2));
    Place(hideButton_.hwnd(), at(layout::kCommand4));
    Place(closeButton_.hwnd(), at(layout::kButtonPlus1));
    Place(minimizeButton_.hwnd(), at(layout::kButtonPlus2));
    Place(aboutButton_.hwnd(), at(layout::kCmdpropos));
    Place(notificationIcon_.hwnd(), at(layout::kPicture1));

    textFrame_.SetDpi(dpi);
    historyFrame_.SetDpi(dpi);
    for (ButtonPlus* b : {&copyButton_, &clearButton_, &toolsButton_, &hideButton_,
                          &toolButtons_[0], &toolButtons_[1], &toolButtons_[2], &toolButtons_[3],
                          &closeButton_, &minimizeButton_, &aboutButton_})
        b->SetDpi(dpi);
    SetBoxFont(dpi);
}

void Form1::SetBoxFont(UINT dpi) {
    boxFont_ = CreateSkinFont(kBoxFont, dpi);
    SendMessageW(textView_.hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(boxFont_.get()), TRUE);
    SendMessageW(historyListBox_, WM_SETFONT, reinterpret_cast<WPARAM>(boxFont_.get()), TRUE);
    // An owner-drawn list measures its rows once; tell it the height for this dpi.
    MEASUREITEMSTRUCT row{};
    row.CtlType = ODT_LISTBOX;
    row.CtlID = ids::kList1;
    MeasureHistoryItem(row, dpi);
    SendMessageW(historyListBox_, LB_SETITEMHEIGHT, 0, static_cast<LPARAM>(row.itemHeight));
}

void Form1::OnDpiChanged(UINT dpi, const RECT& suggested) {
    // The suggested place, at exactly our size for that dpi.
    const RECT form = layout::ToPixels(layout::kForm1, dpi);
    SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, form.right, form.bottom,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    background_.Load(instance_, IDB_BACKGROUND, dpi);
    LayoutControls(dpi);
    if (loaded_) ApplyRoundedShape();
    InvalidateRect(hwnd(), nullptr, FALSE);
}

void Form1::ApplyRoundedShape() {
    RECT client{};
    GetClientRect(hwnd(), &client);
    const int corner = MulDiv(layout::kCornerEllipse, static_cast<int>(Dpi()), 96);
    HRGN region =
        CreateRoundRectRgn(client.left, client.top, client.right, client.bottom, corner, corner);
    // The window owns the region from here on.
    SetWindowRgn(hwnd(), region, TRUE);
}

void Form1::Show() {
    RECT r{};
    GetWindowRect(hwnd(), &r);
    const int x = (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
    SetWindowPos(hwnd(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    // Focus rectangles and access-key underlines as the user's settings want them: hidden
    // until the keyboard is used, on a standard setup.
    SendMessageW(hwnd(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_INITIALIZE, 0), 0);
    ShowWindow(hwnd(), SW_SHOW);
    UpdateWindow(hwnd());
}

UINT Form1::Dpi() const {
    const UINT dpi = hwnd() != nullptr ? GetDpiForWindow(hwnd()) : 0;
    return dpi != 0 ? dpi : 96;
}

void Form1::Paint(HDC dc, const RECT& area) const { background_.Draw(dc, area); }

}  // namespace talvex
