// List1 as the history: whole entries kept as real strings, one short row drawn for each,
// and painting that never copies a long entry.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/history_drawing.h"
#include "ui/list_history.h"
#include "tests/win/win_support.h"

namespace talvex::testing {
namespace {

constexpr wchar_t kMark = kLineBreakMark;
constexpr wchar_t kCut = kCutMark;

std::wstring Row(const std::wstring& entry) { return HistoryRowText(entry.data(), entry.size()); }

// --- What a row shows -----------------------------------------------------------------------

TEST(HistoryRowTextTest, LineBreaksBecomeOneMarkEachAndTabsSpaces) {
    EXPECT_EQ(Row(L"simple"), L"simple");
    EXPECT_EQ(Row(L""), L"");
    EXPECT_EQ(Row(L"un\r\ndeux"), std::wstring(L"un") + kMark + L"deux");
    EXPECT_EQ(Row(L"un\rdeux\ntrois"), std::wstring(L"un") + kMark + L"deux" + kMark + L"trois");
    EXPECT_EQ(Row(L"\r\n\r\n"), (std::wstring{kMark, kMark}));
    EXPECT_EQ(Row(L"\n\r"), (std::wstring{kMark, kMark}));  // LF then CR: two breaks
    EXPECT_EQ(Row(L"a\u2028b\u2029c\u0085d"),
              std::wstring(L"a") + kMark + L"b" + kMark + L"c" + kMark + L"d");
    EXPECT_EQ(Row(L"a\tb\x01"
                  L"c\x7F"),
              L"a b c ");
    EXPECT_EQ(Row(L"é 字 \xD83D\xDE00"), L"é 字 \xD83D\xDE00");
}

TEST(HistoryRowTextTest, LongEntriesAreCutWithAnEllipsis) {
    const std::wstring exact(kHistoryRowUnits, L'x');
    EXPECT_EQ(Row(exact), exact);
    EXPECT_EQ(Row(exact + L"y"), exact + kCut);
    const std::wstring huge(10u << 20, L'z');
    EXPECT_EQ(Row(huge), std::wstring(kHistoryRowUnits, L'z') + kCut);
}

TEST(HistoryRowTextTest, TheCutNeverSplitsASurrogatePairOrALineBreak) {
    const std::wstring head(kHistoryRowUnits - 1, L'x');
    const std::wstring emoji = L"\xD83D\xDE00";
    EXPECT_EQ(Row(head + emoji + L"suite"), head + kCut);
    const std::wstring fits(kHistoryRowUnits - 2, L'x');
    EXPECT_EQ(Row(fits + emoji), fits + emoji);
    // A CR LF across the cut is one break, and what follows it is what is cut off.
    EXPECT_EQ(Row(head + L"\r\n"), head + kMark);
    EXPECT_EQ(Row(head + L"\r\nsuite"), head + kMark + kCut);
}

// --- The list box ---------------------------------------------------------------------------

// A visible window holding an owner-drawn list like List1, drawn by the program's own code;
// it counts how the list is drawn and how often its entries are read.
class HistoryListBox : public ::testing::Test {
  protected:
    static constexpr int kListId = 121;

    void SetUp() override {
        parent = ShowTestWindow(L"HistoryListTestParent", ParentProc, 0, 0, 420, 200);
        ASSERT_NE(parent, nullptr);
        list = CreateWindowExW(0, L"LISTBOX", L"",
                               WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | LBS_NOTIFY |
                                   LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS,
                               8, 8, 393, 145, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)),
                               GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(list, nullptr);
        SetWindowSubclass(list, CountReads, 1, 0);
        history.Attach(list);
        longReads = 0;
        drawn = 0;
    }
    void TearDown() override {
        if (parent != nullptr) DestroyWindow(parent);
    }

    static LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_MEASUREITEM) {
            MeasureHistoryItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lp), 96);
            return TRUE;
        }
        if (msg == WM_DRAWITEM) {
            ++drawn;
            DrawHistoryItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
            return TRUE;
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    static LRESULT CALLBACK CountReads(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                       DWORD_PTR) {
        // A short entry may be read to draw its row; a long one never.
        if (msg == LB_GETTEXT &&
            DefSubclassProc(hwnd, LB_GETTEXTLEN, wp, 0) > static_cast<LRESULT>(kHistoryRowUnits))
            ++longReads;
        return DefSubclassProc(hwnd, msg, wp, lp);
    }

    // Paints the whole list now, into a bitmap of our own.
    HBITMAP Snapshot() {
        RECT client{};
        GetClientRect(list, &client);
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
        ReleaseDC(nullptr, screen);
        HGDIOBJ old = SelectObject(dc, bitmap);
        SendMessageW(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc),
                     PRF_CLIENT | PRF_ERASEBKGND);
        SelectObject(dc, old);
        DeleteDC(dc);
        return bitmap;
    }

    HWND parent = nullptr;
    HWND list = nullptr;
    ListBoxHistory history;
    static inline int longReads = 0;
    static inline int drawn = 0;
};

TEST_F(HistoryListBox, EntriesStayWholeRealStringsWhateverTheyHold) {
    std::u16string big;
    big.reserve(10u << 20);
    while (big.size() < (10u << 20)) big += u"ligne é \xD83D\xDE00\r\n";
    const std::vector<std::u16string> entries = {u"un", u"deux\r\nlignes\ttab", u"", big, u"fin"};
    for (const auto& e : entries) history.Append(e);

    ASSERT_EQ(history.Count(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(history.At(i) == entries[i]);
    }
    // What another program and a screen reader get: the same whole strings.
    EXPECT_TRUE(ReadListBox(list) == entries);
}

TEST_F(HistoryListBox, RowsThatCannotShowTheirEntryAsItIsCarryTheirOwnText) {
    history.Append(u"deux\r\nlignes");
    history.Append(std::u16string(5000, u'x'));
    history.Append(u"tel quel");
    for (WPARAM i = 0; i < 2; ++i) {
        const auto* row =
            reinterpret_cast<const std::wstring*>(SendMessageW(list, LB_GETITEMDATA, i, 0));
        ASSERT_NE(row, nullptr);
        const std::u16string entry = history.At(i);
        EXPECT_EQ(*row,
                  HistoryRowText(reinterpret_cast<const wchar_t*>(entry.data()), entry.size()));
    }
    // A short plain entry is its own row text: none is kept, the row reads the list box.
    EXPECT_EQ(SendMessageW(list, LB_GETITEMDATA, 2, 0), 0);
    HBITMAP bitmap = Snapshot();
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT row{};
    SendMessageW(list, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&row));
    int inked = 0;
    for (int x = row.left; x < row.left + 60; ++x)
        for (int y = row.top; y < row.bottom; ++y)
            if (GetPixel(dc, x, y) == GetSysColor(COLOR_WINDOWTEXT)) ++inked;
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    EXPECT_GT(inked, 10);

    history.RemoveAll();
    EXPECT_EQ(history.Count(), 0u);
    history.Append(u"après\tcoup");
    EXPECT_EQ(ReadListBox(list), std::vector<std::u16string>{u"après\tcoup"});
    const auto* after =
        reinterpret_cast<const std::wstring*>(SendMessageW(list, LB_GETITEMDATA, 0, 0));
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(*after, L"après coup");
}

TEST_F(HistoryListBox, PaintingTenThousandEntriesAndATenMegabyteOneNeverCopiesTheBigOne) {
    // Filled without redrawing (the program gets one entry a second, not 10,000 at once).
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    for (int i = 0; i < 10000; ++i) history.Append(u"entrée " + std::u16string(1, u'a' + i % 26));
    history.Append(std::u16string(10u << 20, u'x'));
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    SendMessageW(list, LB_SETTOPINDEX, 9995, 0);
    SendMessageW(list, LB_SETCURSEL, 10000, 0);
    longReads = 0;
    drawn = 0;
    DeleteObject(Snapshot());
    InvalidateRect(list, nullptr, TRUE);
    UpdateWindow(list);
    EXPECT_GT(drawn, 0);
    EXPECT_EQ(longReads, 0);
}

TEST_F(HistoryListBox, SelectedRowIsDrawnInTheSkinBlueWithWhiteText) {
    history.Append(u"WWWWWWWW MMMMMMMM");
    history.Append(u"WWWWWWWW MMMMMMMM");
    SendMessageW(list, LB_SETCURSEL, 1, 0);
    HBITMAP bitmap = Snapshot();
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT plain{}, selected{};
    SendMessageW(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&plain));
    SendMessageW(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&selected));
    const int y = (selected.top + selected.bottom) / 2;
    EXPECT_EQ(GetPixel(dc, selected.right - 5, y), kSelectedRowBack);
    EXPECT_EQ(GetPixel(dc, plain.right - 5, (plain.top + plain.bottom) / 2),
              GetSysColor(COLOR_WINDOW));
    int white = 0;
    for (int x = selected.left; x < selected.left + 120; ++x)
        for (int yy = selected.top + 1; yy < selected.bottom - 1; ++yy)
            white += GetPixel(dc, x, yy) == kSelectedRowText;
    EXPECT_GT(white, 20);  // the text is there, in white
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
}

}  // namespace
}  // namespace talvex::testing
