// Text1's view in this process, on a shown window of its own: the messages other programs
// send it, what it draws, its scroll bars, the input method and what screen readers see.
#include <gtest/gtest.h>

#include <windows.h>
#include <imm.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/win/screen_reader_support.h"
#include "tests/win/win_support.h"
#include "ui/contrast.h"
#include "ui/history_drawing.h"
#include "ui/text_view.h"

namespace talvex::testing {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

// What `draw` paints on a white bitmap of that size, pixel by pixel (0x00RRGGBB).
std::vector<COLORREF> Painted(int width, int height, const std::function<void(HDC)>& draw) {
    const BITMAPINFO info = TopDownBitmapInfo(width, height);
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    draw(dc);
    GdiFlush();
    const auto* pixels = static_cast<const DWORD*>(bits);
    std::vector<COLORREF> picture(pixels, pixels + width * height);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return picture;
}

// The smallest rectangle that holds every pixel of rows [top, bottom) that `is` picks.
RECT Bounds(const std::vector<COLORREF>& picture, int width, int top, int bottom,
            const std::function<bool(COLORREF)>& is) {
    RECT r{width, bottom, 0, top};
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < width; ++x) {
            if (!is(picture[static_cast<std::size_t>(y * width + x)] & 0xFFFFFF)) continue;
            r = RECT{std::min<LONG>(r.left, x), std::min<LONG>(r.top, y),
                     std::max<LONG>(r.right, x + 1), std::max<LONG>(r.bottom, y + 1)};
        }
    }
    return r;
}

// What is written on the white of rows [top, bottom), wherever it stands: its width, then
// which pixels of the smallest rectangle holding it are written (smoothed edges included).
std::vector<LONG> InkOf(const std::vector<COLORREF>& picture, int width, int top, int bottom) {
    const auto written = [](COLORREF p) { return p != kWhite; };
    const RECT r = Bounds(picture, width, top, bottom, written);
    std::vector<LONG> ink{r.right - r.left};
    for (LONG y = r.top; y < r.bottom; ++y) {
        for (LONG x = r.left; x < r.right; ++x)
            ink.push_back(written(picture[static_cast<std::size_t>(y * width + x)] & 0xFFFFFF));
    }
    return ink;
}

// A row of List1 holding `text`, drawn by the list's own code in `font`.
std::vector<LONG> ListRowInk(HFONT font, std::wstring text) {
    const std::vector<COLORREF> picture = Painted(120, 13, [&](HDC dc) {
        SelectObject(dc, font);
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_LISTBOX;
        item.hDC = dc;
        item.rcItem = RECT{0, 0, 120, 13};
        item.itemData = reinterpret_cast<ULONG_PTR>(&text);  // the row's text
        DrawHistoryItem(item);
    });
    return InkOf(picture, 120, 0, 13);
}

class TextViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        owner = ShowTestWindow(L"TalvexTest.TextViewOwner", DefWindowProcW, 60, 60, 431, 300);
        ASSERT_NE(owner, nullptr);
        // Text1's size at 96 dpi, tools panel closed.
        ASSERT_TRUE(view.Create(GetModuleHandleW(nullptr), owner, 120, RECT{8, 8, 401, 163}));
        font = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, 0, L"Tahoma");
        SendMessageW(view.hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        SetForegroundWindow(owner);
        SetFocus(view.hwnd());
        UpdateWindow(owner);
    }
    void TearDown() override {
        if (owner != nullptr) DestroyWindow(owner);
        if (font != nullptr) DeleteObject(font);
    }

    HWND hwnd() const { return view.hwnd(); }
    // Presses the left button at `from`, moves to `to` and lets go, from another thread: a
    // scroll bar tracks the mouse in a loop of its own inside this thread's message handling.
    static void DragWithTheMouse(POINT from, POINT to) {
        std::atomic<bool> done{false};
        std::thread hand([&] {
            CursorAt(from);
            MouseButton(MOUSEEVENTF_LEFTDOWN);
            Sleep(150);
            CursorAt(POINT{(from.x + to.x) / 2, (from.y + to.y) / 2});
            Sleep(100);
            CursorAt(to);
            Sleep(150);
            MouseButton(MOUSEEVENTF_LEFTUP);
            Sleep(100);
            done = true;
        });
        WaitUntil([&] { return done.load(); }, 10000);
        hand.join();
    }
    // Drags the thumb of scroll bar `bar` (OBJID_VSCROLL or OBJID_HSCROLL) to the far end of
    // its track with the mouse; false when the view has no such bar.
    bool DragThumbToTheEnd(LONG bar) {
        SCROLLBARINFO info{};
        info.cbSize = sizeof info;
        if (!GetScrollBarInfo(hwnd(), bar, &info)) return false;
        const RECT& track = info.rcScrollBar;
        const int thumb = (info.xyThumbTop + info.xyThumbBottom) / 2;
        const POINT middle = CentreOf(track);
        if (bar == OBJID_VSCROLL) {
            DragWithTheMouse(POINT{middle.x, track.top + thumb}, POINT{middle.x, track.bottom - 2});
        } else {
            DragWithTheMouse(POINT{track.left + thumb, middle.y}, POINT{track.right - 2, middle.y});
        }
        return true;
    }
    LRESULT Send(UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
        return SendMessageW(hwnd(), msg, wp, lp);
    }
    void Set(const std::u16string& text) {
        Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    std::pair<DWORD, DWORD> Sel() {
        DWORD start = 0, end = 0;
        Send(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return {start, end};
    }

    // The client area as the view paints it, pixel by pixel (0x00RRGGBB).
    std::vector<COLORREF> Picture(RECT* size) {
        GetClientRect(hwnd(), size);
        return Painted(size->right, size->bottom, [&](HDC dc) {
            Send(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        });
    }
    // Text1's first line when it holds `text`.
    std::vector<LONG> FirstLineInk(const std::u16string& text) {
        Set(text);
        RECT size{};
        const std::vector<COLORREF> picture = Picture(&size);
        return InkOf(picture, size.right, 0, 16);
    }
    // How many pixels of the band of rows [top, bottom) are dark (text), and how many have
    // the selection's colour.
    struct Ink {
        int dark = 0;
        int selected = 0;
    };
    Ink InkIn(int top, int bottom) {
        RECT size{};
        const std::vector<COLORREF> picture = Picture(&size);
        const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
        const DWORD selected =
            (GetRValue(highlight) << 16) | (GetGValue(highlight) << 8) | GetBValue(highlight);
        Ink ink;
        for (int y = std::max(0, top); y < std::min<int>(bottom, size.bottom); ++y) {
            for (int x = 0; x < size.right; ++x) {
                const DWORD p = picture[static_cast<std::size_t>(y * size.right + x)] & 0xFFFFFF;
                if (p == selected) ++ink.selected;
                if (((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) < 3 * 100) ++ink.dark;
            }
        }
        return ink;
    }

    HWND owner = nullptr;
    HFONT font = nullptr;
    TextView view;
};

TEST_F(TextViewTest, ProgramsReadAndChangeTheTextThroughTheEditMessages) {
    Set(u"un\r\ndeux\ntrois\rquatre");
    EXPECT_EQ(Send(WM_GETTEXTLENGTH), 21);
    EXPECT_EQ(Send(EM_GETLINECOUNT), 4);  // CR LF, LF and a lone CR each end a line
    EXPECT_EQ(Send(EM_LINEINDEX, 2), 9);
    EXPECT_EQ(Send(EM_LINEINDEX, 4), -1);
    EXPECT_EQ(Send(EM_LINEFROMCHAR, 10), 2);
    EXPECT_EQ(Send(EM_LINELENGTH, 16), 6);
    wchar_t line[16] = {};
    *reinterpret_cast<WORD*>(line) = 16;
    EXPECT_EQ(Send(EM_GETLINE, 1, reinterpret_cast<LPARAM>(line)), 4);
    EXPECT_EQ(std::wstring(line, 4), L"deux");
    // WM_GETTEXT fills at most the buffer, ended by a NUL.
    wchar_t small[4] = {L'?', L'?', L'?', L'?'};
    EXPECT_EQ(Send(WM_GETTEXT, 4, reinterpret_cast<LPARAM>(small)), 3);
    EXPECT_EQ(std::wstring(small), L"un\r");

    // The selection: -1 as the end is the end, -1 as the start deselects, the caret is where
    // the second position says.
    Send(EM_SETSEL, 0, -1);
    EXPECT_EQ(Sel(), std::make_pair(DWORD{0}, DWORD{21}));
    Send(EM_SETSEL, 9, 4);
    EXPECT_EQ(Sel(), std::make_pair(DWORD{4}, DWORD{9}));
    EXPECT_EQ(Send(EM_LINEINDEX, static_cast<WPARAM>(-1)), 4);  // the caret's line
    Send(EM_SETSEL, static_cast<WPARAM>(-1), 0);
    EXPECT_EQ(Sel(), std::make_pair(DWORD{4}, DWORD{4}));
    EXPECT_EQ(Send(EM_GETSEL), MAKELRESULT(4, 4));

    // EM_REPLACESEL, undoable or not; WM_SETTEXT starts afresh.
    EXPECT_EQ(Send(EM_CANUNDO), FALSE);
    Send(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"X"));
    EXPECT_EQ(ControlText(hwnd()), u"un\r\nXdeux\ntrois\rquatre");
    EXPECT_EQ(Send(EM_CANUNDO), TRUE);
    EXPECT_EQ(Send(EM_GETMODIFY), TRUE);
    EXPECT_EQ(Send(EM_UNDO), TRUE);
    EXPECT_EQ(ControlText(hwnd()), u"un\r\ndeux\ntrois\rquatre");
    Send(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L"Y"));
    EXPECT_EQ(ControlText(hwnd()), u"un\r\nYdeux\ntrois\rquatre");
    Set(u"neuf");
    EXPECT_EQ(Send(EM_CANUNDO), FALSE);
    EXPECT_EQ(Send(EM_GETMODIFY), FALSE);
    EXPECT_EQ(Sel(), std::make_pair(DWORD{0}, DWORD{0}));

    // A limit set by another program holds for what is typed or replaced, not for WM_SETTEXT.
    EXPECT_EQ(Send(EM_GETLIMITTEXT), 0x7FFFFFFE);
    Send(EM_SETLIMITTEXT, 6);
    EXPECT_EQ(Send(EM_GETLIMITTEXT), 6);
    Send(EM_SETSEL, 4, 4);
    Send(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"12345"));
    EXPECT_EQ(ControlText(hwnd()), u"neuf12");
    Set(u"bien plus long que six");
    EXPECT_EQ(Send(WM_GETTEXTLENGTH), 22);
    Send(EM_SETLIMITTEXT, 0);

    // A NUL ends the text, as in any Windows text box.
    const wchar_t withNul[] = L"avant\0après";
    Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(withNul));
    EXPECT_EQ(ControlText(hwnd()), u"avant");
}

TEST_F(TextViewTest, CopyCutPasteAndClearGoThroughTheClipboard) {
    Set(u"copier couper coller");
    Send(EM_SETSEL, 0, 6);
    Send(WM_COPY);
    EXPECT_EQ(TextOnClipboard(), u"copier");
    Send(EM_SETSEL, 6, 13);
    Send(WM_CUT);
    EXPECT_EQ(TextOnClipboard(), u" couper");
    EXPECT_EQ(ControlText(hwnd()), u"copier coller");
    Send(EM_SETSEL, 0, 0);
    Send(WM_PASTE);
    EXPECT_EQ(ControlText(hwnd()), u" coupercopier coller");
    Send(EM_SETSEL, 0, 7);
    Send(WM_CLEAR);
    EXPECT_EQ(ControlText(hwnd()), u"copier coller");
    // Copy with nothing selected leaves the clipboard alone.
    Send(EM_SETSEL, 3, 3);
    Send(WM_COPY);
    EXPECT_EQ(TextOnClipboard(), u" couper");
}

// The items of the context menu the view shows next, read from another thread while it is
// open, then closed with Esc.
std::vector<std::pair<std::u16string, bool>> ContextMenuItems(HWND view) {
    std::vector<std::pair<std::u16string, bool>> items;
    std::thread reader([&] {
        HWND popup = nullptr;
        WaitUntil(
            [&] {
                return (popup = FindWindowW(L"#32768", nullptr)) != nullptr &&
                       IsWindowVisible(popup);
            },
            5000);
        if (popup == nullptr) return;
        HMENU menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
            if (state & MF_SEPARATOR) continue;
            wchar_t name[64] = {};
            GetMenuStringW(menu, static_cast<UINT>(i), name, 64, MF_BYPOSITION);
            items.emplace_back(reinterpret_cast<const char16_t*>(name), (state & MF_GRAYED) == 0);
        }
        PressKey(VK_ESCAPE);
    });
    SendMessageW(view, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(view), MAKELPARAM(-1, -1));
    reader.join();
    return items;
}

TEST_F(TextViewTest, TheContextMenuHasTheBoxItemsGreyedWhenTheyCannotAct) {
    ASSERT_TRUE(PutOnClipboard(u"à coller"));
    Set(u"abc");
    // The box's items in order, each with whether it can act.
    const auto items = [](std::initializer_list<bool> canAct) {
        static const char16_t* const kNames[] = {u"&Annuler", u"Co&uper",    u"&Copier",
                                                 u"C&oller",  u"&Supprimer", u"Sélectionner &tout"};
        std::vector<std::pair<std::u16string, bool>> named;
        for (bool can : canAct) named.emplace_back(kNames[named.size()], can);
        return named;
    };
    EXPECT_EQ(ContextMenuItems(hwnd()), items({false, false, false, true, false, true}));
    Send(EM_SETSEL, 0, 1);
    Send(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"x"));
    Send(EM_SETSEL, 0, -1);
    ASSERT_EQ(RunToEnd(ClipHelper(), L"empty"), 0u);
    EXPECT_EQ(ContextMenuItems(hwnd()), items({true, true, true, false, true, false}));
    EXPECT_EQ(ControlText(hwnd()), u"xbc") << "Esc chose nothing";
}

TEST_F(TextViewTest, TheViewDrawsWhatIsInSightAtAnyLength) {
    RECT client{};
    GetClientRect(hwnd(), &client);
    const int line = 13;  // Tahoma 8 pt at 96 dpi: a line is about this high
    EXPECT_EQ(InkIn(0, client.bottom).dark, 0) << "an empty box is plain white";

    Set(u"Bonjour");
    EXPECT_GT(InkIn(0, line + 2).dark, 10);
    EXPECT_EQ(InkIn(line + 2, client.bottom).dark, 0);

    // One line of ten million characters: the beginning shows, then the end.
    std::u16string huge(5u * 1024 * 1024, u'm');
    huge[0] = u'A';
    view.SetText(huge);
    EXPECT_GT(InkIn(0, line + 2).dark, 50);
    Send(EM_SETSEL, huge.size(), huge.size());
    EXPECT_EQ(GetScrollPos(hwnd(), SB_HORZ), 0) << "a selection set by a program moves no view";
    Send(EM_SCROLLCARET);
    EXPECT_GT(InkIn(0, line + 2).dark, 50) << "the end of the line is drawn";
    EXPECT_GT(GetScrollPos(hwnd(), SB_HORZ), 1000000);
    const LRESULT caret = Send(EM_POSFROMCHAR, huge.size() - 1);
    EXPECT_GT(static_cast<short>(LOWORD(caret)), 0);
    EXPECT_LT(static_cast<short>(LOWORD(caret)), client.right);

    // The selection shows while the view has the keyboard, and only then.
    Set(u"sélection");
    Send(EM_SETSEL, 0, -1);
    EXPECT_GT(InkIn(0, line + 2).selected, 20);
    SetFocus(owner);
    EXPECT_EQ(InkIn(0, line + 2).selected, 0);
    SetFocus(hwnd());
    EXPECT_GT(InkIn(0, line + 2).selected, 20);
}

// Chinese, Japanese and Korean, which Tahoma lacks, each drawn alone by List1 and by Text1:
// neither shows the box drawn for a character no font has (U+0378 is unassigned), and Text1
// draws the glyph List1 draws (with the font the system links to Tahoma).
TEST_F(TextViewTest, CharactersTahomaLacksShowAsTheHistoryListShowsThem) {
    const std::u16string samples = u"中文日本語ひらがなカタカナ한국어";
    const std::vector<LONG> listBox = ListRowInk(font, L"\u0378");
    const std::vector<LONG> viewBox = FirstLineInk(u"\u0378");
    ASSERT_GT(listBox[0], 0);
    ASSERT_GT(viewBox[0], 0);
    for (const char16_t c : samples) {
        const unsigned code = c;
        const std::vector<LONG> list = ListRowInk(font, std::wstring(1, static_cast<wchar_t>(c)));
        const std::vector<LONG> view = FirstLineInk(std::u16string(1, c));
        EXPECT_NE(list, listBox) << "the test prefix links no font that has U+" << std::hex << code
                                 << " to Tahoma";
        EXPECT_NE(view, viewBox) << "Text1 draws U+" << std::hex << code << " as a box";
        EXPECT_EQ(view, list) << "Text1 draws U+" << std::hex << code << " unlike List1";
    }
}

// In a line that mixes them with Latin letters, the caret, a click and the selection follow
// what is drawn: each character's cell is as wide as GDI measures it in Tahoma (linked as
// List1's text is), a click in either half of it lands before or after it, and a selection
// covers the cells of what it holds.
TEST_F(TextViewTest, CaretClicksAndSelectionFollowTheLinkedGlyphs) {
    const std::u16string text = u"ab中文かな한국cd";
    Set(text);
    std::vector<int> left;
    for (std::size_t i = 0; i < text.size(); ++i)
        left.push_back(static_cast<short>(LOWORD(Send(EM_POSFROMCHAR, i))));
    const int y = static_cast<short>(HIWORD(Send(EM_POSFROMCHAR, 0))) + 6;
    HDC dc = GetDC(hwnd());
    HGDIOBJ old = SelectObject(dc, font);
    for (std::size_t i = 2; i + 2 < text.size(); ++i) {
        SIZE size{};
        GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(&text[i]), 1, &size);
        EXPECT_EQ(left[i + 1] - left[i], size.cx) << "the cell of character " << i;
        EXPECT_EQ(LOWORD(Send(EM_CHARFROMPOS, 0, MAKELPARAM(left[i] + 2, y))), i);
        EXPECT_EQ(LOWORD(Send(EM_CHARFROMPOS, 0, MAKELPARAM(left[i + 1] - 2, y))), i + 1);
    }
    SelectObject(dc, old);
    ReleaseDC(hwnd(), dc);

    Send(EM_SETSEL, 2, 8);
    RECT size{};
    const std::vector<COLORREF> picture = Picture(&size);
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    const RECT band = Bounds(picture, size.right, y, y + 1, [&](COLORREF p) {
        return p == RGB(GetBValue(highlight), GetGValue(highlight), GetRValue(highlight));
    });
    EXPECT_EQ(band.left, left[2]);
    EXPECT_EQ(band.right, left[8]);
}

TEST_F(TextViewTest, ScrollBarsFollowTheTextAndTheirThumbsMoveTheView) {
    std::u16string text;
    for (int i = 0; i < 300; ++i) text += u"ligne\r\n";
    text += std::u16string(4000, u'x');
    Set(text);
    SCROLLINFO vertical{};
    vertical.cbSize = sizeof vertical;
    vertical.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(hwnd(), SB_VERT, &vertical));
    EXPECT_EQ(vertical.nMax, 300);
    EXPECT_GE(vertical.nPage, 9u);
    EXPECT_LE(vertical.nPage, 12u);
    SCROLLINFO horizontal = vertical;
    ASSERT_TRUE(GetScrollInfo(hwnd(), SB_HORZ, &horizontal));
    EXPECT_GT(horizontal.nMax, 4000 * 3) << "the long line's width, even out of sight";

    // The vertical thumb dragged to the bottom of its track, with the mouse.
    ASSERT_TRUE(DragThumbToTheEnd(OBJID_VSCROLL));
    EXPECT_TRUE(
        WaitUntil([&] { return Send(EM_GETFIRSTVISIBLELINE) == 301 - vertical.nPage; }, 5000))
        << Send(EM_GETFIRSTVISIBLELINE);

    // The horizontal one, to its right end: the end of the long line comes into sight.
    ASSERT_TRUE(DragThumbToTheEnd(OBJID_HSCROLL));
    const LRESULT end = Send(EM_POSFROMCHAR, text.size() - 1);
    EXPECT_GT(static_cast<short>(LOWORD(end)), 0);
    RECT client{};
    GetClientRect(hwnd(), &client);
    EXPECT_LT(static_cast<short>(LOWORD(end)), client.right);

    // The arrows of the bars, by message.
    Send(WM_VSCROLL, SB_TOP);
    Send(WM_VSCROLL, SB_LINEDOWN);
    Send(WM_VSCROLL, SB_PAGEDOWN);
    EXPECT_EQ(Send(EM_GETFIRSTVISIBLELINE), 1 + static_cast<LRESULT>(vertical.nPage));
    // A thumb position sent by a program, in the message's 16 bits, with no thumb dragged.
    for (const WORD code : {SB_THUMBPOSITION, SB_THUMBTRACK}) {
        Send(WM_VSCROLL, SB_TOP);
        Send(WM_HSCROLL, SB_LEFT);
        Send(WM_VSCROLL, MAKEWPARAM(code, 120));
        EXPECT_EQ(Send(EM_GETFIRSTVISIBLELINE), 120) << code;
        Send(WM_HSCROLL, MAKEWPARAM(code, 900));
        EXPECT_EQ(GetScrollPos(hwnd(), SB_HORZ), 900) << code;
    }
}

TEST_F(TextViewTest, UnderHighContrastTheTextTakesTheSystemsWindowColours) {
    const int line = 13;
    auto count = [](const std::vector<COLORREF>& picture, auto&& wanted) {
        return std::count_if(picture.begin(), picture.end(),
                             [&](COLORREF p) { return wanted(p & 0xFFFFFF); });
    };
    auto bright = [](DWORD p) {
        return ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) > 3 * 180;
    };
    RECT size{};
    DarkHighContrast contrast;
    Set(u"Bonjour, contraste");
    std::vector<COLORREF> picture = Picture(&size);
    const auto all = static_cast<long>(picture.size());
    EXPECT_GT(count(picture, [](DWORD p) { return p == 0; }), all * 9 / 10) << "the window's black";
    const std::vector<COLORREF> firstLine(picture.begin(),
                                          picture.begin() + (line + 2) * size.right);
    EXPECT_GT(count(firstLine, bright), 20) << "the text's white";
    Send(EM_SETSEL, 0, -1);
    EXPECT_GT(InkIn(0, line + 2).selected, 20) << "the system's highlight";

    // Without high contrast the box is plain white, whatever the system's window colour.
    SetHighContrastForTesting(false);
    picture = Picture(&size);
    EXPECT_GT(count(picture, [](DWORD p) { return p == 0xFFFFFF; }), all * 8 / 10);

    // A change of colours or of the contrast setting is drawn at once.
    for (const UINT message : {WM_SYSCOLORCHANGE, WM_SETTINGCHANGE}) {
        UpdateWindow(hwnd());
        Send(message);
        EXPECT_TRUE(GetUpdateRect(hwnd(), nullptr, FALSE)) << message;
    }
}

TEST_F(TextViewTest, AnInputMethodWritesAtTheCaret) {
    Set(u"abc\r\ndef");
    Send(EM_SETSEL, 7, 7);
    const LRESULT caret = Send(EM_POSFROMCHAR, 7);
    Send(WM_IME_STARTCOMPOSITION);
    HIMC context = ImmGetContext(hwnd());
    if (context != nullptr) {
        COMPOSITIONFORM form{};
        ASSERT_TRUE(ImmGetCompositionWindow(context, &form));
        EXPECT_EQ(form.ptCurrentPos.x, static_cast<short>(LOWORD(caret)));
        EXPECT_EQ(form.ptCurrentPos.y, static_cast<short>(HIWORD(caret)));
        ImmReleaseContext(hwnd(), context);
    }
    Send(WM_IME_ENDCOMPOSITION);
    // What the input method commits comes as WM_IME_CHAR, turned into characters.
    Send(WM_IME_CHAR, 0x00E9);
    Send(WM_IME_CHAR, 0x6F22);
    EXPECT_TRUE(WaitUntil([&] { return ControlText(hwnd()) == u"abc\r\nde\u00E9\u6F22f"; }, 2000))
        << ::testing::PrintToString(ControlText(hwnd()));
    // A character beyond U+FFFF in one WM_UNICHAR.
    EXPECT_EQ(Send(WM_UNICHAR, UNICODE_NOCHAR), TRUE);
    Send(WM_UNICHAR, 0x1F600);
    EXPECT_EQ(ControlText(hwnd()), u"abc\r\nde\u00E9\u6F22\U0001F600f");
}

std::vector<DWORD>& HeardEvents() {
    static std::vector<DWORD> events;
    return events;
}

void CALLBACK Hear(HWINEVENTHOOK, DWORD event, HWND, LONG object, LONG, DWORD, DWORD) {
    if (object == OBJID_CLIENT) HeardEvents().push_back(event);
}

TEST_F(TextViewTest, ScreenReadersSeeAnEditableTextCalledTexte) {
    ScreenReader reader;
    Set(u"texte lu à voix haute");
    IAccessible* accessible = reader.ObjectOf(hwnd());
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(ScreenReader::Role(accessible), ROLE_SYSTEM_TEXT);
    EXPECT_EQ(ScreenReader::Name(accessible), u"Texte :");
    EXPECT_EQ(ScreenReader::Value(accessible), u"texte lu à voix haute");
    EXPECT_TRUE(ScreenReader::State(accessible) & STATE_SYSTEM_FOCUSED);
    EXPECT_TRUE(ScreenReader::State(accessible) & STATE_SYSTEM_FOCUSABLE);
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    LONG left = 0, top = 0, width = 0, height = 0;
    EXPECT_EQ(accessible->accLocation(&left, &top, &width, &height, self), S_OK);
    EXPECT_GT(width, 300);

    // Focus, selection and value changes are told to whoever listens.
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, Hear, GetCurrentProcessId(),
                                         0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    HeardEvents().clear();
    SetFocus(owner);
    SetFocus(hwnd());
    Send(EM_SETSEL, 0, 5);
    Send(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"mot"));
    const auto heard = [](DWORD event) {
        return std::count(HeardEvents().begin(), HeardEvents().end(), event) > 0;
    };
    EXPECT_TRUE(WaitUntil([&] { return heard(EVENT_OBJECT_FOCUS); }, 2000));
    EXPECT_TRUE(WaitUntil([&] { return heard(EVENT_OBJECT_TEXTSELECTIONCHANGED); }, 2000));
    EXPECT_TRUE(WaitUntil([&] { return heard(EVENT_OBJECT_VALUECHANGE); }, 2000));
    UnhookWinEvent(hook);

    // The view gone, the object says so instead of reaching into freed memory.
    DestroyWindow(owner);
    owner = nullptr;
    EXPECT_EQ(ScreenReader::Value(accessible), u"<failed>");
    accessible->Release();
}

}  // namespace
}  // namespace talvex::testing
