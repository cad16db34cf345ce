// What a UI Automation reader gets of Text1's view, asked in this process through the
// provider's COM interfaces as the automation runtime asks them: properties, the Value and
// Text patterns, ranges walked by every unit, what is in sight, events, and ranges that
// outlive an edit or the view itself.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "tests/win/win_support.h"
#include "ui/text_view.h"
#include "ui/text_view_automation.h"

namespace talvex::testing {
namespace {

using namespace uia;
using uia::TextUnit;  // not the document's own
using Pieces = std::vector<std::u16string>;
using Span = std::pair<std::size_t, std::size_t>;

// One reference, released at the end of the scope.
template <typename T>
struct Com {
    Com() = default;
    Com(Com&& other) noexcept : object(std::exchange(other.object, nullptr)) {}
    ~Com() {
        if (object != nullptr) object->Release();
    }
    T* operator->() const { return object; }
    T** put() { return &object; }
    T* object = nullptr;
};
using Range = Com<ITextRangeProvider>;

std::u16string Taken(BSTR text) {
    std::u16string taken(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
    SysFreeString(text);
    return taken;
}

std::u16string TextOf(const Range& range, int maxLength = -1) {
    BSTR text = nullptr;
    return range->GetText(maxLength, &text) == S_OK ? Taken(text) : u"<failed>";
}

// The elements of a SAFEARRAY the provider made, which is destroyed.
template <typename Element>
std::vector<Element> Elements(SAFEARRAY* array) {
    std::vector<Element> elements;
    LONG last = -1;
    if (array != nullptr) SafeArrayGetUBound(array, 1, &last);
    for (LONG i = 0; i <= last; ++i) SafeArrayGetElement(array, &i, &elements.emplace_back());
    if (array != nullptr) SafeArrayDestroy(array);
    return elements;
}

std::vector<Range> RangesIn(SAFEARRAY* array) {
    std::vector<Range> ranges;
    for (IUnknown* element : Elements<IUnknown*>(array)) {
        element->QueryInterface(kIidTextRangeProvider,
                                reinterpret_cast<void**>(ranges.emplace_back().put()));
        element->Release();
    }
    return ranges;
}

std::vector<RECT> Rectangles(const Range& range) {
    SAFEARRAY* array = nullptr;
    EXPECT_EQ(range->GetBoundingRectangles(&array), S_OK);
    const std::vector<double> edges = Elements<double>(array);
    std::vector<RECT> boxes;
    for (std::size_t i = 0; i + 4 <= edges.size(); i += 4)
        boxes.push_back(RECT{static_cast<LONG>(edges[i]), static_cast<LONG>(edges[i + 1]),
                             static_cast<LONG>(edges[i] + edges[i + 2]),
                             static_cast<LONG>(edges[i + 1] + edges[i + 3])});
    return boxes;
}

// Hears what the provider tells readers.
struct EventLog : AutomationEventSink {
    EventLog() { SetAutomationEventSink(this); }
    ~EventLog() override { SetAutomationEventSink(nullptr); }
    bool Listening() override { return listening; }
    void Raise(IRawElementProviderSimple*, EVENTID event) override { heard.push_back(event); }
    bool listening = true;
    std::vector<EVENTID> heard;
};

class TextViewAutomationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        owner = ShowTestWindow(L"TalvexTest.AutomationOwner", DefWindowProcW, 60, 60, 431, 300);
        ASSERT_TRUE(view.Create(GetModuleHandleW(nullptr), owner, 120, RECT{8, 8, 401, 163}));
        font = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, 0, L"Tahoma");
        Send(WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        SetForegroundWindow(owner);
        SetFocus(view.hwnd());
        provider = AutomationView::ProviderOf(view);
        ASSERT_NE(provider, nullptr);
        provider->AddRef();  // the tests' own, so that it outlives the view
    }
    void TearDown() override {
        if (owner != nullptr) DestroyWindow(owner);
        if (provider != nullptr) provider->Release();
        DeleteObject(font);
    }

    LRESULT Send(UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
        return SendMessageW(view.hwnd(), msg, wp, lp);
    }
    void Set(const std::u16string& text) {
        Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    Range Document() {
        Range range;
        EXPECT_EQ(provider->get_DocumentRange(range.put()), S_OK);
        return range;
    }
    Range CaretAt(std::size_t position) {
        Send(EM_SETSEL, position, position);
        Range range;
        BOOL active = FALSE;
        EXPECT_EQ(provider->GetCaretRange(&active, range.put()), S_OK);
        EXPECT_TRUE(active);
        return range;
    }
    // The caret's range expanded to `unit`, where readers start from.
    Range UnitAt(std::size_t position, TextUnit unit) {
        Range range = CaretAt(position);
        EXPECT_EQ(range->ExpandToEnclosingUnit(unit), S_OK);
        return range;
    }
    // Where `range` stands, found through the interfaces alone.
    Span Where(const Range& range) {
        std::size_t ends[2] = {};
        for (auto endpoint : {TextPatternRangeEndpoint_Start, TextPatternRangeEndpoint_End}) {
            Range before = Document();
            before->MoveEndpointByRange(TextPatternRangeEndpoint_End, range.object, endpoint);
            ends[endpoint] = TextOf(before).size();
        }
        return {ends[0], ends[1]};
    }
    // What a reader hears walking the whole text by `unit` with Move, from either end.
    Pieces Walk(TextUnit unit, bool backward) {
        Pieces pieces;
        Range range = Document();
        int moved = 0;
        if (backward) {  // the last unit: from the end, its start one unit back
            range->MoveEndpointByRange(TextPatternRangeEndpoint_Start, range.object,
                                       TextPatternRangeEndpoint_End);
            range->MoveEndpointByUnit(TextPatternRangeEndpoint_Start, unit, -1, &moved);
        }
        range->ExpandToEnclosingUnit(unit);
        do {
            pieces.push_back(TextOf(range));
        } while (range->Move(unit, backward ? -1 : 1, &moved) == S_OK && moved != 0 &&
                 pieces.size() < 100);
        if (backward) std::reverse(pieces.begin(), pieces.end());
        return pieces;
    }
    VARIANT Property(PROPERTYID id) {
        VARIANT value{};
        EXPECT_EQ(provider->GetPropertyValue(id, &value), S_OK);
        return value;
    }

    HWND owner = nullptr;
    HFONT font = nullptr;
    TextView view;
    TextViewAutomation* provider = nullptr;
};

TEST_F(TextViewAutomationTest, AReaderFindsAnEditCalledTexteWithItsValue) {
    EXPECT_EQ(Property(kControlTypeProperty).lVal, kEditControlType);
    EXPECT_EQ(Taken(Property(kNameProperty).bstrVal), u"Texte :");
    EXPECT_EQ(Property(kHasKeyboardFocusProperty).boolVal, VARIANT_TRUE);
    EXPECT_EQ(Property(kIsKeyboardFocusableProperty).boolVal, VARIANT_TRUE);
    EXPECT_EQ(Property(kIsPasswordProperty).boolVal, VARIANT_FALSE);
    SetFocus(owner);
    EXPECT_EQ(Property(kHasKeyboardFocusProperty).boolVal, VARIANT_FALSE);
    for (PATTERNID pattern : {kValuePattern, kTextPattern, kTextPattern2, 10000}) {
        Com<IUnknown> object;
        EXPECT_EQ(provider->GetPatternProvider(pattern, object.put()), S_OK);
        EXPECT_EQ(object.object != nullptr, pattern != 10000) << pattern;  // no Invoke
    }
    Com<IRawElementProviderSimple> host;
    EXPECT_EQ(provider->get_HostRawElementProvider(host.put()), S_OK);
    EXPECT_NE(host.object, nullptr);
    EXPECT_NE(Send(WM_GETOBJECT, 0, kRootObjectId), 0) << "the provider, handed to the runtime";

    // The value is the text; setting it is one edit, taken back by one undo.
    Set(u"avant");
    BSTR value = nullptr;
    ASSERT_EQ(provider->get_Value(&value), S_OK);
    EXPECT_EQ(Taken(value), u"avant");
    EXPECT_EQ(provider->SetValue(L"après\r\ntout"), S_OK);
    EXPECT_EQ(ControlText(view.hwnd()), u"après\r\ntout");
    EXPECT_EQ(Send(EM_UNDO), TRUE);
    EXPECT_EQ(ControlText(view.hwnd()), u"avant");
    EnableWindow(view.hwnd(), FALSE);
    EXPECT_EQ(Property(kIsEnabledProperty).boolVal, VARIANT_FALSE);
    EXPECT_EQ(provider->SetValue(L"non"), kElementNotEnabled);
}

TEST_F(TextViewAutomationTest, EveryUnitWalksTheTextAsTheCaretDoesFromBothEnds) {
    // A CR LF, a pair, a letter and its accent, a lone surrogate, words and punctuation.
    const std::u16string lone(1, char16_t{0xD800});
    const std::u16string second = u"\U0001F600e\u0301" + lone + u" fin";
    Set(u"Un mot,\r\n" + second);
    const Pieces characters = {u"U",          u"n",       u" ", u"m", u"o", u"t", u",", u"\r\n",
                               u"\U0001F600", u"e\u0301", lone, u" ", u"f", u"i", u"n"};
    const Pieces words = {u"Un ", u"mot", u",", u"\r\n", second.substr(0, 6), u"fin"};
    const Pieces lines = {u"Un mot,\r\n", second};
    const Pieces whole = {u"Un mot,\r\n" + second};
    for (bool backward : {false, true}) {
        EXPECT_EQ(Walk(TextUnit_Character, backward), characters) << backward;
        EXPECT_EQ(Walk(TextUnit_Word, backward), words) << backward;
        EXPECT_EQ(Walk(TextUnit_Line, backward), lines) << backward;
        EXPECT_EQ(Walk(TextUnit_Paragraph, backward), lines) << backward;
        EXPECT_EQ(Walk(TextUnit_Document, backward), whole) << backward;
    }
    // Where readers start: the caret's range expanded; no character at the very end.
    EXPECT_EQ(TextOf(UnitAt(12, TextUnit_Character)), u"e\u0301") << "between them: the letter";
    EXPECT_EQ(TextOf(UnitAt(18, TextUnit_Character)), u"");
    EXPECT_EQ(TextOf(UnitAt(18, TextUnit_Line)), second);
    EXPECT_EQ(CaretAt(0)->ExpandToEnclosingUnit(TextUnit(7)), E_INVALIDARG);
}

TEST_F(TextViewAutomationTest, RangesSelectCompareFindAndTellTheirAttributes) {
    Set(u"Été, été, ÉTÉ");
    Send(EM_SETSEL, 5, 8);
    SAFEARRAY* array = nullptr;
    ASSERT_EQ(provider->GetSelection(&array), S_OK);
    std::vector<Range> selection = RangesIn(array);
    ASSERT_EQ(selection.size(), 1u);
    EXPECT_EQ(Where(selection[0]), Span(5, 8));

    // Find with and without case, forward, back, only within the range; Select selects.
    Range document = Document();
    BSTR needle = SysAllocString(L"été");
    Range found, exact, itself;
    ASSERT_EQ(document->FindText(needle, TRUE, TRUE, found.put()), S_OK);
    EXPECT_EQ(Where(found), Span(10, 13));
    ASSERT_EQ(document->FindText(needle, FALSE, FALSE, exact.put()), S_OK);
    EXPECT_EQ(Where(exact), Span(5, 8));
    ASSERT_EQ(exact->FindText(needle, TRUE, TRUE, itself.put()), S_OK);
    EXPECT_EQ(Where(itself), Span(5, 8)) << "only within the range";
    SysFreeString(needle);
    Send(EM_SETSEL, 0, 0);
    EXPECT_EQ(found->Select(), S_OK);
    DWORD start = 0, end = 0;
    Send(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(Span(start, end), Span(10, 13));
    EXPECT_EQ(found->AddToSelection(), kInvalidOperation) << "one selection only";

    // Compare, CompareEndpoints, MoveEndpointByRange, the element around.
    BOOL same = TRUE;
    EXPECT_EQ(found->Compare(exact.object, &same), S_OK);
    EXPECT_FALSE(same);
    EXPECT_EQ(itself->Compare(exact.object, &same), S_OK);
    EXPECT_TRUE(same);
    int order = 0;
    EXPECT_EQ(exact->CompareEndpoints(TextPatternRangeEndpoint_End, found.object,
                                      TextPatternRangeEndpoint_Start, &order),
              S_OK);
    EXPECT_LT(order, 0);
    EXPECT_EQ(itself->MoveEndpointByRange(TextPatternRangeEndpoint_Start, found.object,
                                          TextPatternRangeEndpoint_Start),
              S_OK);
    EXPECT_EQ(Where(itself), Span(10, 10)) << "the start moved past the end takes it along";
    Com<IRawElementProviderSimple> element;
    EXPECT_EQ(itself->GetEnclosingElement(element.put()), S_OK);
    EXPECT_EQ(element.object, static_cast<IRawElementProviderSimple*>(provider));

    // What readers ask of the look; "not supported" for the rest.
    VARIANT value{};
    ASSERT_EQ(document->GetAttributeValue(kFontNameAttribute, &value), S_OK);
    EXPECT_EQ(Taken(value.bstrVal), u"Tahoma");
    ASSERT_EQ(document->GetAttributeValue(kFontSizeAttribute, &value), S_OK);
    EXPECT_DOUBLE_EQ(value.dblVal, 11 * 72.0 / GetDpiForWindow(view.hwnd()));
    ASSERT_EQ(document->GetAttributeValue(kIsReadOnlyAttribute, &value), S_OK);
    EXPECT_EQ(value.vt, VT_BOOL);
    EXPECT_EQ(value.boolVal, VARIANT_FALSE);
    ASSERT_EQ(CaretAt(13)->GetAttributeValue(kCaretPositionAttribute, &value), S_OK);
    EXPECT_EQ(value.lVal, kCaretPositionEndOfLine);
    ASSERT_EQ(document->GetAttributeValue(40031, &value), S_OK);  // annotation types
    EXPECT_EQ(value.vt, VT_UNKNOWN) << "the runtime's own \"not supported\"";
    VariantClear(&value);
}

TEST_F(TextViewAutomationTest, WhatIsInSightIsWhereTheViewDrawsIt) {
    std::u16string text;
    for (int i = 0; i < 300; ++i) text += u"ligne " + std::u16string(1, u'A' + i % 26) + u"\r\n";
    Set(text);  // 9 units a line
    SAFEARRAY* array = nullptr;
    ASSERT_EQ(provider->GetVisibleRanges(&array), S_OK);
    std::vector<Range> visible = RangesIn(array);
    ASSERT_EQ(visible.size(), 1u) << "the lines follow one another: one range";
    const Span seen = Where(visible[0]);
    EXPECT_EQ(seen.first, 0u);
    EXPECT_EQ(seen.second % 9, 0u);
    EXPECT_GE(seen.second / 9, 9u);
    EXPECT_LE(seen.second / 9, 13u) << "not the lines below";

    // A page is the whole lines in sight, and the next page the ones after.
    Range page = UnitAt(0, TextUnit_Page);
    const std::size_t pageEnd = Where(page).second;
    EXPECT_LE(pageEnd, seen.second);
    EXPECT_GE(pageEnd + 9, seen.second) << "but the last one in part";
    int moved = 0;
    EXPECT_EQ(page->Move(TextUnit_Page, 1, &moved), S_OK);
    EXPECT_EQ(Where(page), Span(pageEnd, 2 * pageEnd));

    // One rectangle per line, where the caret would stand; nothing for what is out of sight.
    Range lines = CaretAt(0);
    lines->MoveEndpointByUnit(TextPatternRangeEndpoint_End, TextUnit_Line, 2, &moved);
    const std::vector<RECT> two = Rectangles(lines);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_GT(two[0].right - two[0].left, 20);
    EXPECT_EQ(two[1].top, two[0].bottom);
    const LRESULT client = Send(EM_POSFROMCHAR, 11);
    POINT at{static_cast<short>(LOWORD(client)), static_cast<short>(HIWORD(client))};
    ClientToScreen(view.hwnd(), &at);
    for (const Range& range : {UnitAt(11, TextUnit_Character), CaretAt(11)}) {
        const std::vector<RECT> one = Rectangles(range);
        ASSERT_EQ(one.size(), 1u) << "a character, and the caret's box";
        EXPECT_EQ(one[0].left, at.x);
        EXPECT_EQ(one[0].top, at.y);
    }
    Range fromPoint;
    ASSERT_EQ(provider->RangeFromPoint(UiaPoint{at.x + 1.0, at.y + 4.0}, fromPoint.put()), S_OK);
    EXPECT_EQ(Where(fromPoint), Span(11, 11));
    Range line250 = UnitAt(250 * 9, TextUnit_Line);
    EXPECT_TRUE(Rectangles(line250).empty());

    // Brought into sight at the top, or as the last whole line.
    EXPECT_EQ(line250->ScrollIntoView(TRUE), S_OK);
    EXPECT_EQ(Send(EM_GETFIRSTVISIBLELINE), 250);
    EXPECT_EQ(Rectangles(line250).size(), 1u);
    EXPECT_EQ(UnitAt(100 * 9, TextUnit_Line)->ScrollIntoView(FALSE), S_OK);
    EXPECT_EQ(static_cast<std::size_t>(Send(EM_GETFIRSTVISIBLELINE)) + pageEnd / 9, 101u);
}

TEST_F(TextViewAutomationTest, ReadersHearTextSelectionAndFocusChangesOnlyWhenListening) {
    EventLog log;
    Set(u"abc");
    log.heard.clear();
    Send(EM_SETSEL, 1, 2);
    EXPECT_EQ(log.heard, std::vector<EVENTID>{kTextSelectionChangedEvent});
    Send(WM_CHAR, L'x');
    SetFocus(owner);
    SetFocus(view.hwnd());
    EXPECT_EQ(log.heard, (std::vector<EVENTID>{kTextSelectionChangedEvent, kTextChangedEvent,
                                               kTextSelectionChangedEvent, kFocusChangedEvent}));
    log.listening = false;
    log.heard.clear();
    Send(WM_CHAR, L'y');
    Set(u"neuf");
    EXPECT_TRUE(log.heard.empty());
}

TEST_F(TextViewAutomationTest, RangesOutliveEditsAndTheViewItself) {
    Set(u"un long texte\r\n\U0001F600 fin");
    Range tail = UnitAt(16, TextUnit_Line);
    Range pair = UnitAt(15, TextUnit_Character);
    EXPECT_EQ(TextOf(pair), u"\U0001F600");
    // The text shrinks under them: they hold what is left, never half a pair.
    Set(u"court\U0001F600");
    EXPECT_EQ(TextOf(tail), u"");
    int moved = 0;
    EXPECT_EQ(tail->Move(TextUnit_Character, -1, &moved), S_OK);
    EXPECT_EQ(moved, -1);
    EXPECT_EQ(tail->ExpandToEnclosingUnit(TextUnit_Character), S_OK);
    EXPECT_EQ(TextOf(tail), u"\U0001F600");
    Set(u"abcdefghijklmnop\U0001F600");
    EXPECT_EQ(TextOf(pair), u"p");
    EXPECT_EQ(TextOf(Document(), 3), u"abc") << "at most the length asked";

    // The view goes: every call says the element is gone, none reaches freed memory.
    Range kept = Document();
    DestroyWindow(owner);
    owner = nullptr;
    BSTR text = nullptr;
    SAFEARRAY* array = nullptr;
    VARIANT value{};
    Range none;
    for (HRESULT answer :
         {kept->GetText(-1, &text), kept->Move(TextUnit_Word, 1, &moved), kept->Select(),
          kept->GetBoundingRectangles(&array), provider->get_Value(&text),
          provider->GetSelection(&array), provider->GetPropertyValue(kNameProperty, &value),
          provider->get_DocumentRange(none.put())})
        EXPECT_EQ(answer, kElementNotAvailable);
}

TEST_F(TextViewAutomationTest, ALineOfTenMillionUnitsIsReadAroundTheCaret) {
    std::u16string huge(5u * 1024 * 1024, u'm');
    for (std::size_t i = 7; i < huge.size(); i += 8) huge[i] = u' ';
    view.SetText(huge);
    const std::size_t middle = huge.size() / 2 + 3;
    Send(EM_SETSEL, middle, middle);
    Send(EM_SCROLLCARET);
    EXPECT_EQ(TextOf(UnitAt(middle, TextUnit_Character)), u"m");
    Range word = UnitAt(middle, TextUnit_Word);
    EXPECT_EQ(TextOf(word), u"mmmmmmm ");
    EXPECT_EQ(Rectangles(word).size(), 1u);
    Range line = UnitAt(middle, TextUnit_Line);
    EXPECT_EQ(TextOf(line, 1000), huge.substr(0, 1000));
    RECT window{};
    GetWindowRect(view.hwnd(), &window);
    const std::vector<RECT> boxes = Rectangles(line);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_LE(boxes[0].right - boxes[0].left, window.right - window.left) << "only in sight";
    SAFEARRAY* array = nullptr;
    ASSERT_EQ(provider->GetVisibleRanges(&array), S_OK);
    const std::vector<Range> visible = RangesIn(array);
    ASSERT_EQ(visible.size(), 1u);
    const Span seen = Where(visible[0]);
    EXPECT_LT(seen.first, middle);
    EXPECT_GT(seen.second, middle);
    EXPECT_LT(seen.second - seen.first, 400u) << "the part of the line in sight";
}

}  // namespace
}  // namespace talvex::testing
