// Text1's box in-process, on a real shown EDIT of Text1's style: a long text goes in a slice
// per timer tick, and nothing the user does meanwhile is lost or mixed up.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "tests/win/win_support.h"
#include "ui/event_boundary.h"
#include "ui/text_box.h"

namespace talvex::testing {
namespace {

constexpr UINT_PTR kLoadTimer = 7;
constexpr DWORD kLoadDeadline = 120000;  // Wine lays out some 100 KB per second while shown

// `lines` lines of 100 units ending in CR LF, with accents and a surrogate pair in each.
std::u16string LongText(int lines, char16_t tag) {
    std::u16string text;
    for (int line = 0; line < lines; ++line) {
        std::u16string row = u"ligne ";
        row += tag;
        for (char c : std::to_string(line)) row += static_cast<char16_t>(c);
        row += u" élève \xD83D\xDE00 ";
        while (row.size() < 98) row += static_cast<char16_t>(u'a' + row.size() % 26);
        text += row + u"\r\n";
    }
    return text;
}

class TextBoxLoading : public ::testing::Test {
  protected:
    void SetUp() override {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TalvexTest.TextBoxOwner";
        RegisterClassExW(&wc);
        owner = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 50, 50, 431, 300,
                                nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(owner, nullptr);
        SetWindowLongPtrW(owner, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&box));
        edit = CreateWindowExW(0, L"EDIT", L"",
                               WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL |
                                   ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN,
                               8, 8, 393, 155, owner, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(edit, nullptr);
        SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);
        box.Attach(edit, owner, kLoadTimer);
        UpdateWindow(owner);
    }
    void TearDown() override {
        box.StopLoading();
        if (owner != nullptr) DestroyWindow(owner);
    }

    // The load timer reaches the box behind the event boundary, as in Form1.
    static LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_TIMER && wp == kLoadTimer) {
            auto* box = reinterpret_cast<EditTextBox*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
            if (box != nullptr) Guarded(hwnd, [box] { box->OnLoadTimer(); });
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }

    // Handles this thread's messages one at a time until `condition` holds.
    static bool StepUntil(const std::function<bool()>& condition) {
        const ULONGLONG deadline = GetTickCount64() + kLoadDeadline;
        while (!condition()) {
            if (GetTickCount64() >= deadline) return false;
            MSG msg;
            if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            } else {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            }
        }
        return true;
    }

    HWND owner = nullptr;
    HWND edit = nullptr;
    EditTextBox box;
};

TEST(TextBoxSlices, EndAfterALineBreakAndNeverSplitACrLfOrASurrogatePair) {
    EXPECT_EQ(SliceEnd(u"abc\r\ndef\r\nghi", 0, 9), 5u);     // after the last LF within 9
    EXPECT_EQ(SliceEnd(u"abc\r\ndef\r\nghi", 5, 100), 13u);  // the rest fits whole
    EXPECT_EQ(SliceEnd(u"abcdefgh", 2, 4), 6u);              // no break: the size asked
    EXPECT_EQ(SliceEnd(u"abcd\r\nefgh", 0, 5), 4u);          // not between CR and LF
    EXPECT_EQ(SliceEnd(u"abc\xD83D\xDE00xyz", 0, 4), 3u);    // not inside a pair
    EXPECT_EQ(SliceEnd(u"abc\xD83D\xDE00xyz", 0, 5), 5u);    // after a whole pair
}

TEST_F(TextBoxLoading, ALongTextShowsItsBeginningAtOnceAndEndsAsExactlyTheText) {
    const std::u16string text = LongText(3000, u'A');  // 300,000 units
    ASSERT_GT(text.size(), EditTextBox::kLoadAtOnceUnits);
    box.SetText(text);
    ASSERT_TRUE(box.Loading());
    const std::size_t shown = ControlText(edit).size();
    EXPECT_GT(shown, 0u);
    EXPECT_LE(shown, EditTextBox::kSliceUnits);
    EXPECT_TRUE(box.Text() == text);  // Copy at this moment copies it all

    ASSERT_TRUE(StepUntil([&] { return !box.Loading(); }));
    EXPECT_TRUE(ControlText(edit) == text);
    EXPECT_TRUE(box.Text() == text);
    // No undo takes a slice away.
    EXPECT_EQ(SendMessageW(edit, EM_CANUNDO, 0, 0), FALSE);
    SendMessageW(edit, EM_UNDO, 0, 0);
    EXPECT_TRUE(ControlText(edit) == text);
}

TEST_F(TextBoxLoading, WhatTheUserTypesAndWhereTheyLookSurviveEverySlice) {
    const std::u16string text = LongText(2000, u'B');
    box.SetText(text);
    SetForegroundWindow(owner);
    SetFocus(edit);
    // The user replaces units 100 to 199 with a word, then selects backwards from 300 to
    // 250 and scrolls down and sideways, away from the caret.
    SendMessageW(edit, EM_SETSEL, 100, 200);
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"«tapé»"));
    std::u16string expected = text;
    expected.replace(100, 100, u"«tapé»");
    SendMessageW(edit, EM_SETSEL, 300, 250);
    SendMessageW(edit, EM_LINESCROLL, 0, 40);
    SendMessageW(edit, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 30), 0);
    const LRESULT firstLine = SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
    const int horizontal = GetScrollPos(edit, SB_HORZ);
    POINT caret{};
    ASSERT_TRUE(GetCaretPos(&caret));
    ASSERT_GT(firstLine, 0);
    ASSERT_GT(horizontal, 0);
    EXPECT_TRUE(box.Text() == expected);

    int slices = 0;
    for (LRESULT length = SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0); box.Loading();) {
        ASSERT_TRUE(StepUntil([&] {
            return !box.Loading() || SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0) != length;
        }));
        length = SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);
        ++slices;
        DWORD start = 0, end = 0;
        SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        ASSERT_EQ(start, 250u);
        ASSERT_EQ(end, 300u);
        POINT now{};
        GetCaretPos(&now);
        ASSERT_EQ(now.x, caret.x);  // still at 250, the end the user moves
        ASSERT_EQ(now.y, caret.y);
        ASSERT_EQ(SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0), firstLine);
        ASSERT_EQ(GetScrollPos(edit, SB_HORZ), horizontal);
        ASSERT_TRUE(box.Text() == expected);
    }
    EXPECT_GT(slices, 1);
    EXPECT_TRUE(ControlText(edit) == expected);
}

TEST_F(TextBoxLoading, ANewTextWhileLoadingReplacesTheRestWithoutMixing) {
    const std::u16string first = LongText(2000, u'C');
    const std::u16string second = LongText(2500, u'D');
    box.SetText(first);
    ASSERT_TRUE(StepUntil([&] {
        return SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0) >
               static_cast<LRESULT>(2 * EditTextBox::kSliceUnits);
    }));
    box.SetText(second);
    EXPECT_TRUE(box.Text() == second);
    ASSERT_TRUE(StepUntil([&] { return !box.Loading(); }));
    EXPECT_TRUE(ControlText(edit) == second);

    // A short text ends a load at once; a tick still on its way changes nothing.
    box.SetText(first);
    box.SetText(u"court");
    EXPECT_FALSE(box.Loading());
    SendMessageW(owner, WM_TIMER, kLoadTimer, 0);
    EXPECT_TRUE(ControlText(edit) == u"court");
    EXPECT_TRUE(box.Text() == u"court");
}

TEST_F(TextBoxLoading, ShortTextsGoInAtOnce) {
    const std::u16string text = LongText(2000, u'E').substr(0, EditTextBox::kLoadAtOnceUnits);
    box.SetText(text);
    EXPECT_FALSE(box.Loading());
    EXPECT_TRUE(ControlText(edit) == text);
    box.SetText(u"");
    EXPECT_TRUE(ControlText(edit).empty());
    EXPECT_TRUE(box.Text().empty());
}

}  // namespace
}  // namespace talvex::testing
