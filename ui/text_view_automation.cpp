#include "ui/text_view_automation.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/system_library.h"
#include "ui/text_view.h"
#include "ui/uia_runtime.h"

namespace talvex {
namespace {

bool Same(REFIID a, const GUID& b) { return std::memcmp(&a, &b, sizeof b) == 0; }

// The system's UI Automation, which tells no one when no client listens.
class SystemEvents final : public AutomationEventSink {
  public:
    bool Listening() override { return uia::ClientsAreListening(); }
    void Raise(IRawElementProviderSimple* provider, EVENTID event) override {
        uia::RaiseAutomationEvent(provider, event);
    }
};

SystemEvents& System() {
    static SystemEvents system;
    return system;
}

AutomationEventSink*& EventSink() {
    static AutomationEventSink* sink = &System();
    return sink;
}

void SetBool(VARIANT* value, bool on) {
    value->vt = VT_BOOL;
    value->boolVal = on ? VARIANT_TRUE : VARIANT_FALSE;
}

}  // namespace

void SetAutomationEventSink(AutomationEventSink* sink) {
    EventSink() = sink != nullptr ? sink : &System();
}

TextViewAutomation* TextViewAutomation::Create(TextView& view) {
    if (!uia::RuntimePresent()) return nullptr;
    InitializeComOnThisThread();  // readers reach the provider through COM, on this thread
    return new (std::nothrow) TextViewAutomation(view);
}

void TextViewAutomation::Disconnect(TextViewAutomation* provider) {
    if (provider == nullptr) return;
    const HWND window = provider->view_->Window();
    provider->view_.reset();
    // The runtime lets go of what it holds for the window, and its clients learn that the
    // element is gone.
    if (window != nullptr) uia::ReturnRawElementProvider(window, 0, 0, nullptr);
    uia::DisconnectProvider(provider);
    provider->Release();
}

LRESULT TextViewAutomation::Answer(WPARAM wp, LPARAM lp) {
    return uia::ReturnRawElementProvider(view_->Window(), wp, lp, this);
}

void TextViewAutomation::Raise(EVENTID event) {
    AutomationEventSink* sink = EventSink();
    if (view_ && sink->Listening()) sink->Raise(this, event);
}

HRESULT TextViewAutomation::NewRange(TextSpan span, uia::ITextRangeProvider** range) {
    if (range == nullptr) return E_POINTER;
    *range = TextViewRange::Create(*this, span);
    return *range != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT TextViewAutomation::RangeArray(const TextSpan* spans, std::size_t count,
                                       SAFEARRAY** array) {
    if (array == nullptr) return E_POINTER;
    *array = uia::NewArray(VT_UNKNOWN, static_cast<ULONG>(count));
    if (*array == nullptr) return E_OUTOFMEMORY;
    for (std::size_t i = 0; i < count; ++i) {
        uia::ITextRangeProvider* range = nullptr;
        HRESULT result = NewRange(spans[i], &range);
        if (SUCCEEDED(result)) {
            result = uia::PutElement(*array, static_cast<LONG>(i), range);  // takes its own
            range->Release();
        }
        if (FAILED(result)) {
            uia::DestroyArray(*array);
            *array = nullptr;
            return result;
        }
    }
    return S_OK;
}

// --- IUnknown --------------------------------------------------------------------------------

HRESULT TextViewAutomation::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (Same(iid, uia::kIidUnknown) || Same(iid, uia::kIidRawElementProviderSimple)) {
        *object = static_cast<IRawElementProviderSimple*>(this);
    } else if (Same(iid, uia::kIidValueProvider)) {
        *object = static_cast<uia::IValueProvider*>(this);
    } else if (Same(iid, uia::kIidTextProvider) || Same(iid, uia::kIidTextProvider2)) {
        *object = static_cast<uia::ITextProvider2*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

// --- IRawElementProviderSimple ---------------------------------------------------------------

HRESULT TextViewAutomation::get_ProviderOptions(ProviderOptions* options) {
    if (options == nullptr) return E_POINTER;
    *options = static_cast<ProviderOptions>(ProviderOptions_ServerSideProvider |
                                            ProviderOptions_UseComThreading);
    return S_OK;
}

HRESULT TextViewAutomation::GetPatternProvider(PATTERNID pattern, IUnknown** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (!view_) return uia::kElementNotAvailable;
    if (pattern == uia::kValuePattern) {
        *object = static_cast<uia::IValueProvider*>(this);
    } else if (pattern == uia::kTextPattern || pattern == uia::kTextPattern2) {
        *object = static_cast<uia::ITextProvider2*>(this);
    } else {
        return S_OK;  // not supported: no object
    }
    AddRef();
    return S_OK;
}

HRESULT TextViewAutomation::GetPropertyValue(PROPERTYID property, VARIANT* value) {
    if (value == nullptr) return E_POINTER;
    value->vt = VT_EMPTY;
    if (!view_) return uia::kElementNotAvailable;
    const HWND window = view_->Window();
    switch (property) {
        case uia::kControlTypeProperty:
            value->vt = VT_I4;
            value->lVal = uia::kEditControlType;
            return S_OK;
        case uia::kNameProperty: {
            const std::u16string_view name =
                reinterpret_cast<const char16_t*>(TextView::kAccessibleName);
            const HRESULT result = uia::NewString(name.data(), name.size(), &value->bstrVal);
            if (SUCCEEDED(result)) value->vt = VT_BSTR;
            return result;
        }
        case uia::kHasKeyboardFocusProperty:
            SetBool(value, GetFocus() == window);
            return S_OK;
        case uia::kIsKeyboardFocusableProperty:
            SetBool(value, IsWindowEnabled(window) && IsWindowVisible(window));
            return S_OK;
        case uia::kIsEnabledProperty:
            SetBool(value, IsWindowEnabled(window) != FALSE);
            return S_OK;
        case uia::kIsPasswordProperty:
        case uia::kValueIsReadOnlyProperty:
            SetBool(value, false);
            return S_OK;
        case uia::kIsControlElementProperty:
        case uia::kIsContentElementProperty:
        case uia::kIsValuePatternAvailableProperty:
        case uia::kIsTextPatternAvailableProperty:
        case uia::kIsTextPattern2AvailableProperty:
            SetBool(value, true);
            return S_OK;
        default:
            return S_OK;  // the host window answers the rest
    }
}

HRESULT TextViewAutomation::get_HostRawElementProvider(IRawElementProviderSimple** host) {
    if (host == nullptr) return E_POINTER;
    *host = nullptr;
    if (!view_) return uia::kElementNotAvailable;
    return uia::HostProviderFromHwnd(view_->Window(), host);
}

// --- IValueProvider --------------------------------------------------------------------------

HRESULT TextViewAutomation::SetValue(LPCWSTR value) {
    if (!view_) return uia::kElementNotAvailable;
    if (!IsWindowEnabled(view_->Window())) return uia::kElementNotEnabled;
    return uia::Answering([&] {
        view_->ReplaceAll(value != nullptr ? reinterpret_cast<const char16_t*>(value) : u"");
        return S_OK;
    });
}

HRESULT TextViewAutomation::get_Value(BSTR* value) {
    if (value == nullptr) return E_POINTER;
    *value = nullptr;
    if (!view_) return uia::kElementNotAvailable;
    const std::u16string& text = view_->Document().Text();
    return uia::NewString(text.data(), text.size(), value);
}

HRESULT TextViewAutomation::get_IsReadOnly(BOOL* readOnly) {
    if (readOnly == nullptr) return E_POINTER;
    *readOnly = FALSE;
    return view_ ? S_OK : uia::kElementNotAvailable;
}

// --- ITextProvider, ITextProvider2 -----------------------------------------------------------

HRESULT TextViewAutomation::GetSelection(SAFEARRAY** ranges) {
    if (ranges == nullptr) return E_POINTER;
    *ranges = nullptr;
    if (!view_) return uia::kElementNotAvailable;
    // Nothing selected, the caret: readers find it this way too.
    const std::size_t anchor = view_->Anchor();
    const std::size_t caret = view_->Caret();
    const TextSpan selection{std::min(anchor, caret), std::max(anchor, caret)};
    return RangeArray(&selection, 1, ranges);
}

HRESULT TextViewAutomation::GetVisibleRanges(SAFEARRAY** ranges) {
    if (ranges == nullptr) return E_POINTER;
    *ranges = nullptr;
    if (!view_) return uia::kElementNotAvailable;
    return uia::Answering([&] {
        // The part of each line in sight; spans that follow one another are one range.
        const TextDocument& document = view_->Document();
        const RECT area = view_->TextArea();
        const std::size_t first = view_->FirstLineInSight();
        const std::size_t last = std::min(document.LineCount(), first + view_->LinesInSight());
        std::vector<TextSpan> spans;
        for (std::size_t line = first; line < last; ++line) {
            const long y = view_->LineTop(line);
            const std::size_t start = document.LineStart(line);
            const std::size_t end = document.LineEnd(line);
            TextSpan part{start, end};
            if (view_->XOf(start) < area.left) part.start = view_->PositionAt(POINT{area.left, y});
            if (view_->XOf(end) <= area.right) {
                part.end = line + 1 < document.LineCount() ? document.LineStart(line + 1) : end;
            } else {
                part.end = view_->PositionAt(POINT{area.right, y});
            }
            if (!spans.empty() && spans.back().end == part.start) {
                spans.back().end = part.end;
            } else {
                spans.push_back(part);
            }
        }
        if (spans.empty()) spans.push_back(TextSpan{});
        return RangeArray(spans.data(), spans.size(), ranges);
    });
}

HRESULT TextViewAutomation::RangeFromChild(IRawElementProviderSimple*,
                                           uia::ITextRangeProvider** range) {
    if (range != nullptr) *range = nullptr;
    return view_ ? E_INVALIDARG : uia::kElementNotAvailable;  // the text has no children
}

HRESULT TextViewAutomation::RangeFromPoint(uia::UiaPoint point, uia::ITextRangeProvider** range) {
    if (range == nullptr) return E_POINTER;
    *range = nullptr;
    if (!view_) return uia::kElementNotAvailable;
    POINT client{static_cast<LONG>(point.x), static_cast<LONG>(point.y)};
    ScreenToClient(view_->Window(), &client);
    return uia::Answering([&] {
        const std::size_t at = view_->PositionAt(client);
        return NewRange(TextSpan{at, at}, range);
    });
}

HRESULT TextViewAutomation::get_DocumentRange(uia::ITextRangeProvider** range) {
    if (range == nullptr) return E_POINTER;
    *range = nullptr;
    if (!view_) return uia::kElementNotAvailable;
    return NewRange(TextSpan{0, view_->Document().Length()}, range);
}

HRESULT TextViewAutomation::get_SupportedTextSelection(uia::SupportedTextSelection* selection) {
    if (selection == nullptr) return E_POINTER;
    *selection = uia::SupportedTextSelection_Single;
    return view_ ? S_OK : uia::kElementNotAvailable;
}

HRESULT TextViewAutomation::RangeFromAnnotation(IRawElementProviderSimple*,
                                                uia::ITextRangeProvider** range) {
    if (range != nullptr) *range = nullptr;
    return view_ ? E_INVALIDARG : uia::kElementNotAvailable;  // no annotations
}

HRESULT TextViewAutomation::GetCaretRange(BOOL* isActive, uia::ITextRangeProvider** range) {
    if (isActive == nullptr || range == nullptr) return E_POINTER;
    *isActive = FALSE;
    *range = nullptr;
    if (!view_) return uia::kElementNotAvailable;
    *isActive = GetFocus() == view_->Window();
    const std::size_t caret = view_->Caret();
    return NewRange(TextSpan{caret, caret}, range);
}

}  // namespace talvex
