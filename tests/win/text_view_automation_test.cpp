// What a UI Automation reader gets of Text1's view, asked in this process through the
// provider's COM interfaces as the automation runtime asks them: properties, the Value and
// Text patterns, ranges walked by every unit, the geometry of what is in sight, events, and
// ranges that outlive an edit or the view itself.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/win/win_support.h"
#include "ui/text_view.h"
#include "ui/text_view_automation.h"

namespace talvex::testing {
namespace {

using uia::ITextRangeProvider;

// One reference, released at the end of the scope.
template <typename T>
class Com {
  public:
    Com() = default;
    explicit Com(T* object) : object_(object) {}
    Com(Com&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    Com& operator=(Com&& other) noexcept {
        std::swap(object_, other.object_);
        return *this;
    }
    ~Com() {
        if (object_ != nullptr) object_->Release();
    }
    T* operator->() const { return object_; }
    T* get() const { return object_; }
    T** put() { return &object_; }
    explicit operator bool() const { return object_ != nullptr; }

  private:
    T* object_ = nullptr;
};

using Range = Com<ITextRangeProvider>;

std::u16string Taken(BSTR text) {
    std::u16string taken(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
    SysFreeString(text);
    return taken;
}

std::u16string TextOf(ITextRangeProvider* range, int maxLength = -1) {
    BSTR text = nullptr;
    if (range->GetText(maxLength, &text) != S_OK) return u"<failed>";
    return Taken(text);
}

std::vector<Range> RangesIn(SAFEARRAY* array) {
    std::vector<Range> ranges;
    if (array == nullptr) return ranges;
    LONG last = -1;
    SafeArrayGetUBound(array, 1, &last);
    for (LONG i = 0; i <= last; ++i) {
        IUnknown* element = nullptr;
        SafeArrayGetElement(array, &i, &element);
        Range range;
        element->QueryInterface(uia::kIidTextRangeProvider, reinterpret_cast<void**>(range.put()));
        element->Release();
        ranges.push_back(std::move(range));
    }
    SafeArrayDestroy(array);
    return ranges;
}

std::vector<RECT> RectanglesIn(SAFEARRAY* array) {
    std::vector<RECT> rectangles;
    LONG last = -1;
    SafeArrayGetUBound(array, 1, &last);
    for (LONG i = 0; i + 3 <= last; i += 4) {
        double edge[4] = {};
        for (LONG j = 0; j < 4; ++j) {
            LONG index = i + j;
            SafeArrayGetElement(array, &index, &edge[j]);
        }
        rectangles.push_back(RECT{static_cast<LONG>(edge[0]), static_cast<LONG>(edge[1]),
                                  static_cast<LONG>(edge[0] + edge[2]),
                                  static_cast<LONG>(edge[1] + edge[3])});
    }
    SafeArrayDestroy(array);
    return rectangles;
}

// Hears what the provider tells readers.
class EventLog : public AutomationEventSink {
  public:
    EventLog() { SetAutomationEventSink(this); }
    ~EventLog() override { SetAutomationEventSink(nullptr); }
    bool Listening() override { return listening; }
    void Raise(IRawElementProviderSimple*, EVENTID event) override { heard.push_back(event); }
    int Count(EVENTID event) const {
        return static_cast<int>(std::count(heard.begin(), heard.end(), event));
    }
    bool listening = true;
    std::vector<EVENTID> heard;
};

class TextViewAutomationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        owner = ShowTestWindow(L"TalvexTest.AutomationOwner", DefWindowProcW, 60, 60, 431, 300);
        ASSERT_NE(owner, nullptr);
        ASSERT_TRUE(view.Create(GetModuleHandleW(nullptr), owner, 120, RECT{8, 8, 401, 163}));
        font = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, 0, L"Tahoma");
        SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        SetForegroundWindow(owner);
        SetFocus(hwnd());
        provider = AutomationView::ProviderOf(view);
        ASSERT_NE(provider, nullptr);
        provider->AddRef();  // the tests' own, so that it outlives the view
    }
    void TearDown() override {
        if (owner != nullptr) DestroyWindow(owner);
        if (provider != nullptr) provider->Release();
        if (font != nullptr) DeleteObject(font);
    }

    HWND hwnd() const { return view.hwnd(); }
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

    uia::ITextProvider2* Text() const { return provider; }
    Range Document() {
        Range range;
        EXPECT_EQ(Text()->get_DocumentRange(range.put()), S_OK);
        return range;
    }
    Range Caret() {
        Range range;
        BOOL active = FALSE;
        EXPECT_EQ(Text()->GetCaretRange(&active, range.put()), S_OK);
        return range;
    }
    Range CaretAt(std::size_t position) {
        Send(EM_SETSEL, position, position);
        return Caret();
    }
    // Where `range` stands, found by the interfaces alone: from the document's start to each
    // of its ends.
    std::pair<std::size_t, std::size_t> Where(ITextRangeProvider* range) {
        std::pair<std::size_t, std::size_t> ends;
        for (auto endpoint :
             {uia::TextPatternRangeEndpoint_Start, uia::TextPatternRangeEndpoint_End}) {
            Range before = Document();
            before->MoveEndpointByRange(uia::TextPatternRangeEndpoint_End, range, endpoint);
            (endpoint == uia::TextPatternRangeEndpoint_Start ? ends.first : ends.second) =
                TextOf(before.get()).size();
        }
        return ends;
    }
    // The pieces a reader hears walking the whole text by `unit` with Move, forward from the
    // start, or backward from the end.
    std::vector<std::u16string> Walk(uia::TextUnit unit, bool backward) {
        std::vector<std::u16string> pieces;
        Range range = Document();
        range->MoveEndpointByRange(
            backward ? uia::TextPatternRangeEndpoint_Start : uia::TextPatternRangeEndpoint_End,
            range.get(),
            backward ? uia::TextPatternRangeEndpoint_End : uia::TextPatternRangeEndpoint_Start);
        if (backward) {
            int moved = 0;
            range->MoveEndpointByUnit(uia::TextPatternRangeEndpoint_Start, unit, -1, &moved);
        }
        range->ExpandToEnclosingUnit(unit);
        for (int guard = 0; guard < 100; ++guard) {
            pieces.push_back(TextOf(range.get()));
            int moved = 0;
            range->Move(unit, backward ? -1 : 1, &moved);
            if (moved == 0) break;
        }
        return pieces;
    }
    std::vector<RECT> Rectangles(ITextRangeProvider* range) {
        SAFEARRAY* array = nullptr;
        EXPECT_EQ(range->GetBoundingRectangles(&array), S_OK);
        return RectanglesIn(array);
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

TEST_F(TextViewAutomationTest, AReaderFindsAnEditCalledTexteWithTheValueAndTextPatterns) {
    EXPECT_EQ(Property(uia::kControlTypeProperty).lVal, uia::kEditControlType);
    VARIANT name = Property(uia::kNameProperty);
    ASSERT_EQ(name.vt, VT_BSTR);
    EXPECT_EQ(Taken(name.bstrVal), u"Texte :");
    EXPECT_EQ(Property(uia::kHasKeyboardFocusProperty).boolVal, VARIANT_TRUE);
    EXPECT_EQ(Property(uia::kIsKeyboardFocusableProperty).boolVal, VARIANT_TRUE);
    EXPECT_EQ(Property(uia::kIsPasswordProperty).boolVal, VARIANT_FALSE);
    SetFocus(owner);
    EXPECT_EQ(Property(uia::kHasKeyboardFocusProperty).boolVal, VARIANT_FALSE);
    EnableWindow(hwnd(), FALSE);
    EXPECT_EQ(Property(uia::kIsEnabledProperty).boolVal, VARIANT_FALSE);
    EXPECT_EQ(provider->SetValue(L"non"), static_cast<HRESULT>(uia::kElementNotEnabled));
    EnableWindow(hwnd(), TRUE);
    EXPECT_EQ(Property(uia::kIsEnabledProperty).boolVal, VARIANT_TRUE);
    EXPECT_EQ(Property(30001).vt, VT_EMPTY) << "the bounding rectangle is the host window's";

    ProviderOptions options{};
    EXPECT_EQ(provider->get_ProviderOptions(&options), S_OK);
    EXPECT_EQ(options, ProviderOptions_ServerSideProvider | ProviderOptions_UseComThreading);
    for (PATTERNID pattern : {uia::kValuePattern, uia::kTextPattern, uia::kTextPattern2}) {
        Com<IUnknown> object;
        EXPECT_EQ(provider->GetPatternProvider(pattern, object.put()), S_OK);
        EXPECT_TRUE(object) << pattern;
    }
    Com<IUnknown> invoke;
    EXPECT_EQ(provider->GetPatternProvider(10000, invoke.put()), S_OK);
    EXPECT_FALSE(invoke) << "no Invoke pattern";
    Com<IRawElementProviderSimple> host;
    EXPECT_EQ(provider->get_HostRawElementProvider(host.put()), S_OK);
    EXPECT_TRUE(host);
    // Answering WM_GETOBJECT for the root hands the provider to the runtime.
    EXPECT_NE(Send(WM_GETOBJECT, 0, static_cast<LPARAM>(uia::kRootObjectId)), 0);
}

TEST_F(TextViewAutomationTest, TheValueIsTheTextAndSettingItIsOneUndoableEdit) {
    Set(u"avant");
    BSTR value = nullptr;
    ASSERT_EQ(provider->get_Value(&value), S_OK);
    EXPECT_EQ(Taken(value), u"avant");
    BOOL readOnly = TRUE;
    EXPECT_EQ(provider->get_IsReadOnly(&readOnly), S_OK);
    EXPECT_FALSE(readOnly);
    EXPECT_EQ(provider->SetValue(L"après\r\ntout"), S_OK);
    EXPECT_EQ(ControlText(hwnd()), u"après\r\ntout");
    EXPECT_EQ(Send(EM_UNDO), TRUE);
    EXPECT_EQ(ControlText(hwnd()), u"avant");
}

TEST_F(TextViewAutomationTest, EveryUnitWalksTheTextAsTheCaretDoesFromBothEnds) {
    // A CR LF, a pair, a letter and its accent, a lone surrogate, words and punctuation.
    const std::u16string lone(1, char16_t{0xD800});
    Set(u"Un mot,\r\n\U0001F600e\u0301" + lone + u" fin");
    using Pieces = std::vector<std::u16string>;
    const Pieces characters = {u"U",          u"n",       u" ", u"m", u"o", u"t", u",", u"\r\n",
                               u"\U0001F600", u"e\u0301", lone, u" ", u"f", u"i", u"n"};
    EXPECT_EQ(Walk(uia::TextUnit_Character, false), characters);
    EXPECT_EQ(Walk(uia::TextUnit_Character, true), Pieces(characters.rbegin(), characters.rend()));
    const Pieces words = {u"Un ", u"mot", u",", u"\r\n", u"\U0001F600e\u0301" + lone + u" ",
                          u"fin"};
    EXPECT_EQ(Walk(uia::TextUnit_Word, false), words);
    EXPECT_EQ(Walk(uia::TextUnit_Word, true), Pieces(words.rbegin(), words.rend()));
    const Pieces lines = {u"Un mot,\r\n", u"\U0001F600e\u0301" + lone + u" fin"};
    for (auto unit : {uia::TextUnit_Line, uia::TextUnit_Paragraph}) {
        EXPECT_EQ(Walk(unit, false), lines);
        EXPECT_EQ(Walk(unit, true), Pieces(lines.rbegin(), lines.rend()));
    }
    const Pieces whole = {ControlText(hwnd())};
    EXPECT_EQ(Walk(uia::TextUnit_Format, false), whole);
    EXPECT_EQ(Walk(uia::TextUnit_Document, true), whole);

    // The caret's range expanded, where readers start from; nothing at the very end.
    const struct {
        std::size_t caret;
        uia::TextUnit unit;
        std::u16string expected;
    } cases[] = {
        {0, uia::TextUnit_Character, u"U"},
        {8, uia::TextUnit_Character, u"\r\n"},
        {10, uia::TextUnit_Character, u"\U0001F600"},
        {12, uia::TextUnit_Character, u"e\u0301"},  // the caret between them: the letter
        {4, uia::TextUnit_Word, u"mot"},
        {7, uia::TextUnit_Line, u"Un mot,\r\n"},
        {18, uia::TextUnit_Character, u""},
        {18, uia::TextUnit_Word, u""},
        {18, uia::TextUnit_Line, u"\U0001F600e\u0301" + lone + u" fin"},
    };
    for (const auto& c : cases) {
        Range range = CaretAt(c.caret);
        EXPECT_EQ(range->ExpandToEnclosingUnit(c.unit), S_OK);
        EXPECT_EQ(TextOf(range.get()), c.expected) << c.caret << " unit " << c.unit;
    }
    Range range = Caret();
    EXPECT_EQ(range->ExpandToEnclosingUnit(static_cast<uia::TextUnit>(9)), E_INVALIDARG);
}

TEST_F(TextViewAutomationTest, RangesSelectCompareFindAndTellTheirAttributes) {
    Set(u"Été, été, ÉTÉ");
    Send(EM_SETSEL, 5, 8);
    SAFEARRAY* array = nullptr;
    ASSERT_EQ(Text()->GetSelection(&array), S_OK);
    std::vector<Range> selection = RangesIn(array);
    ASSERT_EQ(selection.size(), 1u);
    EXPECT_EQ(TextOf(selection[0].get()), u"été");
    Send(EM_SETSEL, 2, 2);
    ASSERT_EQ(Text()->GetSelection(&array), S_OK);
    EXPECT_EQ(Where(RangesIn(array)[0].get()), std::make_pair(std::size_t{2}, std::size_t{2}))
        << "nothing selected: the caret";
    BOOL active = FALSE;
    Range caret;
    ASSERT_EQ(Text()->GetCaretRange(&active, caret.put()), S_OK);
    EXPECT_TRUE(active);

    // Find, with and without case, forward and back; Select makes the selection.
    Range document = Document();
    Range found;
    BSTR needle = SysAllocString(L"été");
    ASSERT_EQ(document->FindText(needle, TRUE, TRUE, found.put()), S_OK);
    ASSERT_TRUE(found);
    EXPECT_EQ(Where(found.get()), std::make_pair(std::size_t{10}, std::size_t{13}));
    Range exact;
    ASSERT_EQ(document->FindText(needle, FALSE, FALSE, exact.put()), S_OK);
    EXPECT_EQ(Where(exact.get()), std::make_pair(std::size_t{5}, std::size_t{8}));
    Range itself;
    ASSERT_EQ(exact->FindText(needle, FALSE, TRUE, itself.put()), S_OK);
    EXPECT_EQ(Where(itself.get()), std::make_pair(std::size_t{5}, std::size_t{8}))
        << "only within the range";
    SysFreeString(needle);
    EXPECT_EQ(exact->Select(), S_OK);
    EXPECT_EQ(Sel(), std::make_pair(DWORD{5}, DWORD{8}));

    // Compare and CompareEndpoints, and one end moved to another range's.
    BOOL same = FALSE;
    EXPECT_EQ(found->Compare(exact.get(), &same), S_OK);
    EXPECT_FALSE(same);
    Range copy;
    ASSERT_EQ(exact->Clone(copy.put()), S_OK);
    EXPECT_EQ(copy->Compare(exact.get(), &same), S_OK);
    EXPECT_TRUE(same);
    int order = 0;
    EXPECT_EQ(exact->CompareEndpoints(uia::TextPatternRangeEndpoint_End, found.get(),
                                      uia::TextPatternRangeEndpoint_Start, &order),
              S_OK);
    EXPECT_LT(order, 0);
    EXPECT_EQ(found->CompareEndpoints(uia::TextPatternRangeEndpoint_Start, exact.get(),
                                      uia::TextPatternRangeEndpoint_End, &order),
              S_OK);
    EXPECT_GT(order, 0);
    EXPECT_EQ(copy->MoveEndpointByRange(uia::TextPatternRangeEndpoint_Start, found.get(),
                                        uia::TextPatternRangeEndpoint_Start),
              S_OK);
    EXPECT_EQ(Where(copy.get()), std::make_pair(std::size_t{10}, std::size_t{10}))
        << "the start moved past the end takes it along";
    EXPECT_EQ(copy->Compare(nullptr, &same), E_INVALIDARG);
    EXPECT_EQ(copy->AddToSelection(), static_cast<HRESULT>(uia::kInvalidOperation));

    // What readers ask of the text's look; the rest is "not supported".
    VARIANT value{};
    ASSERT_EQ(document->GetAttributeValue(uia::kFontNameAttribute, &value), S_OK);
    ASSERT_EQ(value.vt, VT_BSTR);
    EXPECT_EQ(Taken(value.bstrVal), u"Tahoma");
    ASSERT_EQ(document->GetAttributeValue(uia::kFontSizeAttribute, &value), S_OK);
    EXPECT_EQ(value.vt, VT_R8);
    EXPECT_DOUBLE_EQ(value.dblVal, 11 * 72.0 / GetDpiForWindow(hwnd()));
    ASSERT_EQ(document->GetAttributeValue(uia::kIsReadOnlyAttribute, &value), S_OK);
    EXPECT_EQ(value.vt, VT_BOOL);
    EXPECT_EQ(value.boolVal, VARIANT_FALSE);
    ASSERT_EQ(caret->GetAttributeValue(uia::kCaretPositionAttribute, &value), S_OK);
    EXPECT_EQ(value.lVal, uia::kCaretPositionUnknown);
    ASSERT_EQ(document->GetAttributeValue(40031, &value), S_OK);  // annotation types
    ASSERT_EQ(value.vt, VT_UNKNOWN);
    IUnknown* notSupported = nullptr;
    using Reserved = HRESULT(WINAPI*)(IUnknown**);
    const auto reserved = reinterpret_cast<Reserved>(reinterpret_cast<void*>(
        GetProcAddress(LoadLibraryW(L"uiautomationcore.dll"), "UiaGetReservedNotSupportedValue")));
    ASSERT_NE(reserved, nullptr);
    reserved(&notSupported);
    EXPECT_EQ(value.punkVal, notSupported);
    value.punkVal->Release();
    notSupported->Release();
    VARIANT tahoma{};
    tahoma.vt = VT_BSTR;
    tahoma.bstrVal = SysAllocString(L"Tahoma");
    Range withFont;
    EXPECT_EQ(exact->FindAttribute(uia::kFontNameAttribute, tahoma, FALSE, withFont.put()), S_OK);
    EXPECT_TRUE(withFont);
    SysFreeString(tahoma.bstrVal);
    value.vt = VT_BOOL;
    value.boolVal = VARIANT_TRUE;
    Range readOnly;
    EXPECT_EQ(exact->FindAttribute(uia::kIsReadOnlyAttribute, value, FALSE, readOnly.put()), S_OK);
    EXPECT_FALSE(readOnly);
}

TEST_F(TextViewAutomationTest, VisibleRangesRectanglesAndPagesAreWhatIsInSight) {
    std::u16string text;
    for (int i = 0; i < 300; ++i) text += u"ligne " + std::u16string(1, u'A' + i % 26) + u"\r\n";
    Set(text);
    const auto inSight = static_cast<std::size_t>(Send(EM_GETFIRSTVISIBLELINE));
    ASSERT_EQ(inSight, 0u);
    SAFEARRAY* array = nullptr;
    ASSERT_EQ(Text()->GetVisibleRanges(&array), S_OK);
    std::vector<Range> visible = RangesIn(array);
    ASSERT_EQ(visible.size(), 1u) << "the lines follow one another: one range";
    const auto [start, end] = Where(visible[0].get());
    EXPECT_EQ(start, 0u);
    EXPECT_GE(end, 9u * 9) << "at least nine lines";
    EXPECT_LE(end, 13u * 9) << "not the lines below";

    // A page is the whole lines in sight; a reader moves page by page.
    Range page = CaretAt(0);
    page->ExpandToEnclosingUnit(uia::TextUnit_Page);
    const std::size_t pageEnd = Where(page.get()).second;
    EXPECT_EQ(pageEnd % 9, 0u);
    EXPECT_LE(pageEnd, end);
    int moved = 0;
    EXPECT_EQ(page->Move(uia::TextUnit_Page, 1, &moved), S_OK);
    EXPECT_EQ(moved, 1);
    EXPECT_EQ(Where(page.get()), std::make_pair(pageEnd, 2 * pageEnd));

    // Rectangles: one per line in sight, on screen where the view draws them.
    RECT window{};
    GetWindowRect(hwnd(), &window);
    Range lines = CaretAt(0);
    lines->MoveEndpointByUnit(uia::TextPatternRangeEndpoint_End, uia::TextUnit_Line, 2, &moved);
    const std::vector<RECT> two = Rectangles(lines.get());
    ASSERT_EQ(two.size(), 2u);
    EXPECT_GE(two[0].left, window.left);
    EXPECT_LE(two[0].right, window.right);
    EXPECT_GT(two[0].right - two[0].left, 20);
    EXPECT_EQ(two[1].top, two[0].bottom);
    const LRESULT m = Send(EM_POSFROMCHAR, 9 + 2);
    POINT at{static_cast<short>(LOWORD(m)), static_cast<short>(HIWORD(m))};
    ClientToScreen(hwnd(), &at);
    Range word = CaretAt(9 + 2);
    word->ExpandToEnclosingUnit(uia::TextUnit_Character);
    const std::vector<RECT> one = Rectangles(word.get());
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].left, at.x);
    EXPECT_EQ(one[0].top, at.y);
    EXPECT_EQ(Rectangles(CaretAt(9 + 2).get()).size(), 1u) << "the caret has its box";
    Range distant = CaretAt(250 * 9);
    distant->ExpandToEnclosingUnit(uia::TextUnit_Line);
    EXPECT_TRUE(Rectangles(distant.get()).empty()) << "out of sight";

    // The point under a character gives its place back.
    Range fromPoint;
    ASSERT_EQ(Text()->RangeFromPoint(uia::UiaPoint{at.x + 1.0, at.y + 4.0}, fromPoint.put()), S_OK);
    EXPECT_EQ(Where(fromPoint.get()), std::make_pair(std::size_t{11}, std::size_t{11}));

    // Scrolling a range into sight, at the top or at the bottom.
    EXPECT_EQ(distant->ScrollIntoView(TRUE), S_OK);
    EXPECT_EQ(Send(EM_GETFIRSTVISIBLELINE), 250);
    EXPECT_EQ(Rectangles(distant.get()).size(), 1u);
    Range early = CaretAt(100 * 9);
    early->ExpandToEnclosingUnit(uia::TextUnit_Line);
    EXPECT_EQ(early->ScrollIntoView(FALSE), S_OK);
    const auto first = static_cast<std::size_t>(Send(EM_GETFIRSTVISIBLELINE));
    EXPECT_EQ(first + pageEnd / 9, 101u) << "line 100 the last whole line in sight";
}

TEST_F(TextViewAutomationTest, ReadersHearTextSelectionAndFocusChangesOnlyWhenListening) {
    EventLog log;
    Set(u"abc");
    log.heard.clear();
    Send(EM_SETSEL, 1, 2);
    EXPECT_EQ(log.Count(uia::kTextSelectionChangedEvent), 1);
    EXPECT_EQ(log.Count(uia::kTextChangedEvent), 0);
    Send(WM_CHAR, L'x');
    EXPECT_EQ(log.Count(uia::kTextChangedEvent), 1);
    EXPECT_EQ(log.Count(uia::kTextSelectionChangedEvent), 2);
    SetFocus(owner);
    SetFocus(hwnd());
    EXPECT_EQ(log.Count(uia::kFocusChangedEvent), 1);
    log.listening = false;
    log.heard.clear();
    Send(WM_CHAR, L'y');
    Set(u"neuf");
    EXPECT_TRUE(log.heard.empty());
}

TEST_F(TextViewAutomationTest, RangesOutliveEditsAndTheViewItself) {
    Set(u"un long texte\r\n\U0001F600 fin");
    Range tail = CaretAt(16);
    tail->ExpandToEnclosingUnit(uia::TextUnit_Line);
    Range pair = CaretAt(15);
    pair->ExpandToEnclosingUnit(uia::TextUnit_Character);
    EXPECT_EQ(TextOf(pair.get()), u"\U0001F600");

    // The text shrinks under them: they hold what is left, never half a pair.
    Set(u"court\U0001F600");
    EXPECT_EQ(TextOf(tail.get()), u"");
    int moved = 0;
    EXPECT_EQ(tail->Move(uia::TextUnit_Character, -1, &moved), S_OK);
    EXPECT_EQ(moved, -1);
    EXPECT_EQ(tail->ExpandToEnclosingUnit(uia::TextUnit_Character), S_OK);
    EXPECT_EQ(TextOf(tail.get()), u"\U0001F600");
    Set(u"abcdefghijklmnop\U0001F600");
    EXPECT_EQ(TextOf(pair.get()), u"p") << "the pair's half was not taken";
    EXPECT_EQ(TextOf(Document().get(), 3), u"abc") << "at most the length asked";

    // The view goes: every call says the element is not there, none reaches freed memory.
    Range kept = Document();
    DestroyWindow(owner);
    owner = nullptr;
    const auto gone = static_cast<HRESULT>(uia::kElementNotAvailable);
    BSTR text = nullptr;
    EXPECT_EQ(kept->GetText(-1, &text), gone);
    EXPECT_EQ(kept->Move(uia::TextUnit_Word, 1, &moved), gone);
    EXPECT_EQ(kept->Select(), gone);
    SAFEARRAY* array = nullptr;
    EXPECT_EQ(kept->GetBoundingRectangles(&array), gone);
    EXPECT_EQ(provider->get_Value(&text), gone);
    EXPECT_EQ(provider->GetSelection(&array), gone);
    VARIANT value{};
    EXPECT_EQ(provider->GetPropertyValue(uia::kNameProperty, &value), gone);
    Range none;
    EXPECT_EQ(provider->get_DocumentRange(none.put()), gone);
}

TEST_F(TextViewAutomationTest, ALineOfTenMillionUnitsIsReadAroundTheCaret) {
    std::u16string huge(5u * 1024 * 1024, u'm');
    for (std::size_t i = 7; i < huge.size(); i += 8) huge[i] = u' ';
    view.SetText(huge);
    const std::size_t middle = huge.size() / 2 + 3;
    Send(EM_SETSEL, middle, middle);
    Send(EM_SCROLLCARET);
    Range range = Caret();
    ASSERT_EQ(range->ExpandToEnclosingUnit(uia::TextUnit_Character), S_OK);
    EXPECT_EQ(TextOf(range.get()), u"m");
    ASSERT_EQ(range->ExpandToEnclosingUnit(uia::TextUnit_Word), S_OK);
    EXPECT_EQ(TextOf(range.get()), u"mmmmmmm ");
    EXPECT_EQ(Rectangles(range.get()).size(), 1u);
    ASSERT_EQ(range->ExpandToEnclosingUnit(uia::TextUnit_Line), S_OK);
    EXPECT_EQ(TextOf(range.get(), 1000), huge.substr(0, 1000));
    const std::vector<RECT> line = Rectangles(range.get());
    ASSERT_EQ(line.size(), 1u);
    RECT window{};
    GetWindowRect(hwnd(), &window);
    EXPECT_GE(line[0].left, window.left) << "only what is in sight";
    EXPECT_LE(line[0].right, window.right);
    SAFEARRAY* array = nullptr;
    ASSERT_EQ(Text()->GetVisibleRanges(&array), S_OK);
    std::vector<Range> visible = RangesIn(array);
    ASSERT_EQ(visible.size(), 1u);
    const std::u16string seen = TextOf(visible[0].get());
    EXPECT_GT(seen.size(), 20u);
    EXPECT_LT(seen.size(), 400u) << "the part of the line in sight, not the line";
    int moved = 0;
    EXPECT_EQ(range->Move(uia::TextUnit_Line, 1, &moved), S_OK);
    EXPECT_EQ(moved, 0) << "one line only";
}

}  // namespace
}  // namespace talvex::testing
