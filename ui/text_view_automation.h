// What UI Automation readers (Narrator, NVDA, JAWS...) get of the text view: an edit control
// named "Texte :" with the Value pattern and the Text pattern, whose ranges move by the
// editing model's own characters, words and lines (editing/text_units.h), and the events a
// reader follows the caret and the text by. Hosted on the view's window, which gives the rest
// (where it is, its parent, its class).
//
// The provider lives on the view's thread (ProviderOptions_UseComThreading) and answers from
// the view as it is at each call: a range kept across edits is clamped to the text then, and
// once the view is gone every call answers UIA_E_ELEMENTNOTAVAILABLE.
#pragma once

#include <windows.h>

#include <optional>

#include "editing/text_units.h"
#include "platform/com_object.h"
#include "ui/text_view_automation_view.h"
#include "ui/uia_interfaces.h"

namespace talvex {

class TextView;

// Where every provider's events go: the system's UI Automation unless something else listens
// (the tests do: Wine neither has UiaAddEvent nor says when a client listens).
class AutomationEventSink {
  public:
    virtual ~AutomationEventSink() = default;
    virtual bool Listening() = 0;
    virtual void Raise(IRawElementProviderSimple* provider, EVENTID event) = 0;
};
// Null gives the events back to the system.
void SetAutomationEventSink(AutomationEventSink* sink);

class TextViewAutomation : public SingleThreadComObject<IRawElementProviderSimple,
                                                        uia::IValueProvider, uia::ITextProvider2> {
  public:
    // A new provider for `view` with one reference, or null (no automation runtime, no
    // memory).
    static TextViewAutomation* Create(TextView& view);
    // The view goes away: the provider says so from now on, and the view's reference goes.
    // The view's owner of its reference does this, while the window is still there.
    static void Disconnect(TextViewAutomation* provider);
    // The answer to WM_GETOBJECT for UiaRootObjectId.
    LRESULT Answer(WPARAM wp, LPARAM lp);

    // What the view tells readers, when any listens.
    void OnTextChanged() { Raise(uia::kTextChangedEvent); }
    void OnSelectionChanged() { Raise(uia::kTextSelectionChangedEvent); }
    void OnFocus() { Raise(uia::kFocusChangedEvent); }

    // For the ranges: the view while it lives.
    AutomationView* View() { return view_ ? &*view_ : nullptr; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    // IRawElementProviderSimple
    HRESULT STDMETHODCALLTYPE get_ProviderOptions(ProviderOptions* options) override;
    HRESULT STDMETHODCALLTYPE GetPatternProvider(PATTERNID pattern, IUnknown** object) override;
    HRESULT STDMETHODCALLTYPE GetPropertyValue(PROPERTYID property, VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE get_HostRawElementProvider(IRawElementProviderSimple** host) override;
    // IValueProvider
    HRESULT STDMETHODCALLTYPE SetValue(LPCWSTR value) override;
    HRESULT STDMETHODCALLTYPE get_Value(BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_IsReadOnly(BOOL* readOnly) override;
    // ITextProvider
    HRESULT STDMETHODCALLTYPE GetSelection(SAFEARRAY** ranges) override;
    HRESULT STDMETHODCALLTYPE GetVisibleRanges(SAFEARRAY** ranges) override;
    HRESULT STDMETHODCALLTYPE RangeFromChild(IRawElementProviderSimple* child,
                                             uia::ITextRangeProvider** range) override;
    HRESULT STDMETHODCALLTYPE RangeFromPoint(uia::UiaPoint point,
                                             uia::ITextRangeProvider** range) override;
    HRESULT STDMETHODCALLTYPE get_DocumentRange(uia::ITextRangeProvider** range) override;
    HRESULT STDMETHODCALLTYPE
    get_SupportedTextSelection(uia::SupportedTextSelection* selection) override;
    // ITextProvider2
    HRESULT STDMETHODCALLTYPE RangeFromAnnotation(IRawElementProviderSimple* annotation,
                                                  uia::ITextRangeProvider** range) override;
    HRESULT STDMETHODCALLTYPE GetCaretRange(BOOL* isActive,
                                            uia::ITextRangeProvider** range) override;

  private:
    explicit TextViewAutomation(TextView& view) : view_(std::in_place, view) {}
    ~TextViewAutomation() override = default;
    void Raise(EVENTID event);
    // A new range of this provider over `span`, as `range`.
    HRESULT NewRange(TextSpan span, uia::ITextRangeProvider** range);
    // `ranges` as a SAFEARRAY of ITextRangeProvider, given to the caller.
    HRESULT RangeArray(const TextSpan* spans, std::size_t count, SAFEARRAY** array);

    std::optional<AutomationView> view_;  // empty once the view is gone
};

// A range of the text view's text, for the Text pattern: a span the document units move, kept
// as two positions that every call clamps to the text as it is then.
class TextViewRange : public SingleThreadComObject<uia::ITextRangeProvider> {
  public:
    // With one reference; null without memory.
    static TextViewRange* Create(TextViewAutomation& owner, TextSpan span);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    // ITextRangeProvider
    HRESULT STDMETHODCALLTYPE Clone(uia::ITextRangeProvider** clone) override;
    HRESULT STDMETHODCALLTYPE Compare(uia::ITextRangeProvider* range, BOOL* same) override;
    HRESULT STDMETHODCALLTYPE CompareEndpoints(uia::TextPatternRangeEndpoint endpoint,
                                               uia::ITextRangeProvider* target,
                                               uia::TextPatternRangeEndpoint targetEndpoint,
                                               int* order) override;
    HRESULT STDMETHODCALLTYPE ExpandToEnclosingUnit(uia::TextUnit unit) override;
    HRESULT STDMETHODCALLTYPE FindAttribute(TEXTATTRIBUTEID attribute, VARIANT value, BOOL backward,
                                            uia::ITextRangeProvider** found) override;
    HRESULT STDMETHODCALLTYPE FindText(BSTR text, BOOL backward, BOOL ignoreCase,
                                       uia::ITextRangeProvider** found) override;
    HRESULT STDMETHODCALLTYPE GetAttributeValue(TEXTATTRIBUTEID attribute, VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE GetBoundingRectangles(SAFEARRAY** rectangles) override;
    HRESULT STDMETHODCALLTYPE GetEnclosingElement(IRawElementProviderSimple** element) override;
    HRESULT STDMETHODCALLTYPE GetText(int maxLength, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE Move(uia::TextUnit unit, int count, int* moved) override;
    HRESULT STDMETHODCALLTYPE MoveEndpointByUnit(uia::TextPatternRangeEndpoint endpoint,
                                                 uia::TextUnit unit, int count,
                                                 int* moved) override;
    HRESULT STDMETHODCALLTYPE
    MoveEndpointByRange(uia::TextPatternRangeEndpoint endpoint, uia::ITextRangeProvider* target,
                        uia::TextPatternRangeEndpoint targetEndpoint) override;
    HRESULT STDMETHODCALLTYPE Select() override;
    HRESULT STDMETHODCALLTYPE AddToSelection() override;
    HRESULT STDMETHODCALLTYPE RemoveFromSelection() override;
    HRESULT STDMETHODCALLTYPE ScrollIntoView(BOOL alignToTop) override;
    HRESULT STDMETHODCALLTYPE GetChildren(SAFEARRAY** children) override;

  private:
    TextViewRange(TextViewAutomation& owner, TextSpan span);
    ~TextViewRange() override;
    // The view and this range clamped to its text, or null when the view is gone.
    AutomationView* Current();
    // Moves by a reader's `unit` (`step` takes the view's units and the document's unit and
    // gives how many it moved), from the view as it is now.
    template <typename Step>
    HRESULT MoveBy(uia::TextUnit unit, int* moved, Step&& step);
    // `other` when it is a range of the same provider, else null.
    TextViewRange* Same(uia::ITextRangeProvider* other) const;

    TextViewAutomation* owner_;  // one reference
    TextSpan span_;
};

}  // namespace talvex
