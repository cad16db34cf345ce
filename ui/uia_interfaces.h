// The UI Automation interfaces, enumerations and identifiers the text view's provider needs
// beyond what the system headers give. Declared from Microsoft's documentation of
// UIAutomationCore.idl, in their order there: the vtables must match the system's. The
// mingw-w64 headers lack them; the Windows SDK has them under the same names in the global
// namespace, hence ours live in talvex::uia.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <uiautomationcore.h>

namespace talvex::uia {

// Identifiers (UIAutomationClient.h), under names of our own: the SDK makes macros of its.
inline constexpr PATTERNID kValuePattern = 10002;
inline constexpr PATTERNID kTextPattern = 10014;
inline constexpr PATTERNID kTextPattern2 = 10024;

inline constexpr PROPERTYID kControlTypeProperty = 30003;
inline constexpr PROPERTYID kNameProperty = 30005;
inline constexpr PROPERTYID kHasKeyboardFocusProperty = 30008;
inline constexpr PROPERTYID kIsKeyboardFocusableProperty = 30009;
inline constexpr PROPERTYID kIsEnabledProperty = 30010;
inline constexpr PROPERTYID kIsControlElementProperty = 30016;
inline constexpr PROPERTYID kIsContentElementProperty = 30017;
inline constexpr PROPERTYID kIsPasswordProperty = 30019;
inline constexpr PROPERTYID kIsTextPatternAvailableProperty = 30040;
inline constexpr PROPERTYID kIsValuePatternAvailableProperty = 30043;
inline constexpr PROPERTYID kValueIsReadOnlyProperty = 30046;
inline constexpr PROPERTYID kIsTextPattern2AvailableProperty = 30119;

inline constexpr CONTROLTYPEID kEditControlType = 50004;

inline constexpr EVENTID kFocusChangedEvent = 20005;
inline constexpr EVENTID kTextSelectionChangedEvent = 20014;
inline constexpr EVENTID kTextChangedEvent = 20015;

inline constexpr TEXTATTRIBUTEID kBackgroundColorAttribute = 40001;
inline constexpr TEXTATTRIBUTEID kFontNameAttribute = 40005;
inline constexpr TEXTATTRIBUTEID kFontSizeAttribute = 40006;
inline constexpr TEXTATTRIBUTEID kFontWeightAttribute = 40007;
inline constexpr TEXTATTRIBUTEID kForegroundColorAttribute = 40008;
inline constexpr TEXTATTRIBUTEID kIsHiddenAttribute = 40013;
inline constexpr TEXTATTRIBUTEID kIsItalicAttribute = 40014;
inline constexpr TEXTATTRIBUTEID kIsReadOnlyAttribute = 40015;
inline constexpr TEXTATTRIBUTEID kCaretPositionAttribute = 40038;

// CaretPosition values.
inline constexpr int kCaretPositionUnknown = 0;
inline constexpr int kCaretPositionEndOfLine = 1;
inline constexpr int kCaretPositionBeginningOfLine = 2;

inline constexpr LONG kRootObjectId = -25;  // UiaRootObjectId

// Errors (UIAutomationCoreApi.h).
inline constexpr HRESULT kElementNotEnabled = static_cast<HRESULT>(0x80040200);
inline constexpr HRESULT kElementNotAvailable = static_cast<HRESULT>(0x80040201);
inline constexpr HRESULT kInvalidOperation = static_cast<HRESULT>(0x80131509);

enum TextUnit {
    TextUnit_Character = 0,
    TextUnit_Format = 1,
    TextUnit_Word = 2,
    TextUnit_Line = 3,
    TextUnit_Paragraph = 4,
    TextUnit_Page = 5,
    TextUnit_Document = 6,
};

enum TextPatternRangeEndpoint {
    TextPatternRangeEndpoint_Start = 0,
    TextPatternRangeEndpoint_End = 1,
};

enum SupportedTextSelection {
    SupportedTextSelection_None = 0,
    SupportedTextSelection_Single = 1,
    SupportedTextSelection_Multiple = 2,
};

struct UiaPoint {
    double x;
    double y;
};

inline constexpr GUID kIidValueProvider{
    0xc7935180, 0x6fb3, 0x4201, {0xb1, 0x74, 0x7d, 0xf7, 0x3a, 0xdb, 0xf6, 0x4a}};
inline constexpr GUID kIidTextProvider{
    0x3589c92c, 0x63f3, 0x4367, {0x99, 0xbb, 0xad, 0xa6, 0x53, 0xb7, 0x7c, 0xf2}};
inline constexpr GUID kIidTextProvider2{
    0x0dc5e6ed, 0x3e16, 0x4bf1, {0x8f, 0x9a, 0xa9, 0x79, 0x87, 0x8b, 0xc1, 0x95}};
inline constexpr GUID kIidTextRangeProvider{
    0x5347ad7b, 0xc355, 0x46f8, {0xaf, 0xf5, 0x90, 0x90, 0x33, 0x58, 0x2f, 0x63}};
inline constexpr GUID kIidRawElementProviderSimple{
    0xd6dd68d1, 0x86fd, 0x4332, {0x86, 0x66, 0x9a, 0xbe, 0xde, 0xa2, 0xd2, 0x4c}};
inline constexpr GUID kIidUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

struct IValueProvider : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetValue(LPCWSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Value(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_IsReadOnly(BOOL* readOnly) = 0;
};

struct ITextRangeProvider : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Clone(ITextRangeProvider** clone) = 0;
    virtual HRESULT STDMETHODCALLTYPE Compare(ITextRangeProvider* range, BOOL* same) = 0;
    virtual HRESULT STDMETHODCALLTYPE CompareEndpoints(TextPatternRangeEndpoint endpoint,
                                                       ITextRangeProvider* target,
                                                       TextPatternRangeEndpoint targetEndpoint,
                                                       int* order) = 0;
    virtual HRESULT STDMETHODCALLTYPE ExpandToEnclosingUnit(TextUnit unit) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindAttribute(TEXTATTRIBUTEID attribute, VARIANT value,
                                                    BOOL backward, ITextRangeProvider** found) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindText(BSTR text, BOOL backward, BOOL ignoreCase,
                                               ITextRangeProvider** found) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAttributeValue(TEXTATTRIBUTEID attribute,
                                                        VARIANT* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBoundingRectangles(SAFEARRAY** rectangles) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetEnclosingElement(IRawElementProviderSimple** element) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetText(int maxLength, BSTR* text) = 0;
    virtual HRESULT STDMETHODCALLTYPE Move(TextUnit unit, int count, int* moved) = 0;
    virtual HRESULT STDMETHODCALLTYPE MoveEndpointByUnit(TextPatternRangeEndpoint endpoint,
                                                         TextUnit unit, int count, int* moved) = 0;
    virtual HRESULT STDMETHODCALLTYPE
    MoveEndpointByRange(TextPatternRangeEndpoint endpoint, ITextRangeProvider* target,
                        TextPatternRangeEndpoint targetEndpoint) = 0;
    virtual HRESULT STDMETHODCALLTYPE Select() = 0;
    virtual HRESULT STDMETHODCALLTYPE AddToSelection() = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveFromSelection() = 0;
    virtual HRESULT STDMETHODCALLTYPE ScrollIntoView(BOOL alignToTop) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetChildren(SAFEARRAY** children) = 0;
};

struct ITextProvider : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetSelection(SAFEARRAY** ranges) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetVisibleRanges(SAFEARRAY** ranges) = 0;
    virtual HRESULT STDMETHODCALLTYPE RangeFromChild(IRawElementProviderSimple* child,
                                                     ITextRangeProvider** range) = 0;
    virtual HRESULT STDMETHODCALLTYPE RangeFromPoint(UiaPoint point,
                                                     ITextRangeProvider** range) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DocumentRange(ITextRangeProvider** range) = 0;
    virtual HRESULT STDMETHODCALLTYPE
    get_SupportedTextSelection(SupportedTextSelection* selection) = 0;
};

struct ITextProvider2 : public ITextProvider {
    virtual HRESULT STDMETHODCALLTYPE RangeFromAnnotation(IRawElementProviderSimple* annotation,
                                                          ITextRangeProvider** range) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCaretRange(BOOL* isActive, ITextRangeProvider** range) = 0;
};

}  // namespace talvex::uia
