// The Text pattern's ranges of the text view: the arithmetic is the document's units
// (editing/text_units.h); here it meets COM and the view's geometry.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <new>
#include <optional>
#include <utility>
#include <vector>

#include "ui/text_view_automation.h"
#include "ui/uia_runtime.h"

namespace talvex {
namespace {

// Asked of a range given back to us, to know it for one of ours (never leaves the process).
constexpr GUID kIidTextViewRange{
    0x7d3b4e61, 0x2f0a, 0x4c8e, {0x9a, 0x15, 0x63, 0xc2, 0x0b, 0x7e, 0xd4, 0x58}};

bool IsIid(REFIID a, const GUID& b) { return std::memcmp(&a, &b, sizeof b) == 0; }

std::optional<TextUnit> UnitOf(uia::TextUnit unit) {
    // In UI Automation's order, which numbers them from 0.
    static constexpr TextUnit kUnits[] = {TextUnit::Character, TextUnit::Format,    TextUnit::Word,
                                          TextUnit::Line,      TextUnit::Paragraph, TextUnit::Page,
                                          TextUnit::Document};
    const int index = static_cast<int>(unit);
    if (index < 0 || index >= static_cast<int>(std::size(kUnits))) return std::nullopt;
    return kUnits[index];
}

bool IsStart(uia::TextPatternRangeEndpoint endpoint) {
    return endpoint == uia::TextPatternRangeEndpoint_Start;
}

// Each unit's upper case, for a search that ignores case: made once, the first time.
const char16_t* CaseFolding() {
    static std::unique_ptr<char16_t[]> table;
    if (table == nullptr) {
        table.reset(new (std::nothrow) char16_t[0x10000]);
        if (table == nullptr) return nullptr;
        for (std::size_t c = 0; c < 0x10000; ++c) table[c] = static_cast<char16_t>(c);
        // The NUL would end nothing here: the length is given.
        CharUpperBuffW(reinterpret_cast<wchar_t*>(table.get()), 0x10000);
    }
    return table.get();
}

// What a text attribute is over the whole text (one font, editable): nothing when the view
// does not support it.
struct Attribute {
    VARTYPE type = VT_EMPTY;
    bool flag = false;
    long number = 0;
    double size = 0;
    LOGFONTW font{};  // its face name is the font name
};

Attribute AttributeOf(AutomationView& view, TEXTATTRIBUTEID id, TextSpan span) {
    Attribute value;
    LOGFONTW& font = value.font;
    GetObjectW(view.Font(), sizeof font, &font);
    switch (id) {
        case uia::kFontNameAttribute:
            value.type = VT_BSTR;
            break;
        case uia::kFontSizeAttribute: {
            // Points, from the font's height in pixels at the window's dpi.
            const UINT dpi = GetDpiForWindow(view.Window());
            value.type = VT_R8;
            value.size = dpi > 0 ? std::abs(font.lfHeight) * 72.0 / dpi : 0.0;
            break;
        }
        case uia::kFontWeightAttribute:
            value.type = VT_I4;
            value.number = font.lfWeight != 0 ? font.lfWeight : FW_NORMAL;
            break;
        case uia::kIsItalicAttribute:
            value.type = VT_BOOL;
            value.flag = font.lfItalic != 0;
            break;
        case uia::kIsReadOnlyAttribute:
        case uia::kIsHiddenAttribute:
            value.type = VT_BOOL;
            break;
        case uia::kCaretPositionAttribute: {
            // Where an empty range stands on its line: readers tell the end of a line apart.
            const TextDocument& document = view.Document();
            const std::size_t line = document.LineOfPosition(span.start);
            value.type = VT_I4;
            if (span.Empty() && span.start == document.LineStart(line)) {
                value.number = uia::kCaretPositionBeginningOfLine;
            } else if (span.Empty() && span.start == document.LineEnd(line)) {
                value.number = uia::kCaretPositionEndOfLine;
            }
            break;
        }
        default:
            break;
    }
    return value;
}

HRESULT ToVariant(const Attribute& attribute, VARIANT* value) {
    value->vt = VT_EMPTY;
    switch (attribute.type) {
        case VT_BSTR: {
            const wchar_t* name = attribute.font.lfFaceName;
            const HRESULT result = uia::NewString(reinterpret_cast<const char16_t*>(name),
                                                  wcslen(name), &value->bstrVal);
            if (SUCCEEDED(result)) value->vt = VT_BSTR;
            return result;
        }
        case VT_R8:
            value->vt = VT_R8;
            value->dblVal = attribute.size;
            return S_OK;
        case VT_I4:
            value->vt = VT_I4;
            value->lVal = attribute.number;
            return S_OK;
        case VT_BOOL:
            value->vt = VT_BOOL;
            value->boolVal = attribute.flag ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        default:
            return uia::NotSupported(value);
    }
}

bool Equals(const Attribute& attribute, const VARIANT& value) {
    if (attribute.type != value.vt) return false;
    switch (value.vt) {
        case VT_BSTR:
            return value.bstrVal != nullptr &&
                   wcscmp(attribute.font.lfFaceName, value.bstrVal) == 0;
        case VT_R8:
            return attribute.size == value.dblVal;
        case VT_I4:
            return attribute.number == value.lVal;
        case VT_BOOL:
            return attribute.flag == (value.boolVal != VARIANT_FALSE);
        default:
            return false;
    }
}

// The rectangle of `span` on `line` in client pixels, when any of it is in sight.
std::optional<RECT> RectangleOnLine(AutomationView& view, TextSpan span, std::size_t line) {
    const TextDocument& document = view.Document();
    const RECT area = view.TextArea();
    const std::size_t lineStart = document.LineStart(line);
    const std::size_t lineEnd = document.LineEnd(line);
    const std::size_t from = std::max(span.start, lineStart);
    const std::size_t to = std::min(span.end, lineEnd);
    const bool takesBreak = span.start <= lineEnd && span.end > lineEnd;
    if (!span.Empty() && to <= from && !takesBreak) return std::nullopt;
    long left = view.XOf(std::min(from, lineEnd));
    long right = span.Empty() ? left + 1 : view.XOf(std::max(to, from));
    if (left > right) std::swap(left, right);  // right-to-left text
    if (takesBreak) right += view.BreakWidth();
    const long top = view.LineTop(line);
    RECT box{std::max<long>(left, area.left), std::max<long>(top, area.top),
             std::min<long>(right, area.right),
             std::min<long>(top + view.LineHeight(), area.bottom)};
    if (box.left >= box.right || box.top >= box.bottom) return std::nullopt;
    return box;
}

}  // namespace

TextViewRange* TextViewRange::Create(TextViewAutomation& owner, TextSpan span) {
    return new (std::nothrow) TextViewRange(owner, span);
}

TextViewRange::TextViewRange(TextViewAutomation& owner, TextSpan span)
    : owner_(&owner), span_(span) {
    owner_->AddRef();
}

TextViewRange::~TextViewRange() { owner_->Release(); }

AutomationView* TextViewRange::Current() {
    AutomationView* view = owner_->View();
    if (view != nullptr) span_ = view->Units().Clamp(span_);
    return view;
}

TextViewRange* TextViewRange::Same(uia::ITextRangeProvider* other) const {
    if (other == nullptr) return nullptr;
    void* ours = nullptr;
    if (FAILED(other->QueryInterface(kIidTextViewRange, &ours))) return nullptr;
    auto* range = static_cast<TextViewRange*>(ours);
    range->Release();  // the caller holds it
    return range->owner_ == owner_ ? range : nullptr;
}

// --- IUnknown --------------------------------------------------------------------------------

HRESULT TextViewRange::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (!IsIid(iid, uia::kIidUnknown) && !IsIid(iid, uia::kIidTextRangeProvider) &&
        !IsIid(iid, kIidTextViewRange))
        return E_NOINTERFACE;
    *object = static_cast<uia::ITextRangeProvider*>(this);
    AddRef();
    return S_OK;
}

// --- ITextRangeProvider ----------------------------------------------------------------------

HRESULT TextViewRange::Clone(uia::ITextRangeProvider** clone) {
    if (clone == nullptr) return E_POINTER;
    *clone = nullptr;
    if (Current() == nullptr) return uia::kElementNotAvailable;
    *clone = Create(*owner_, span_);
    return *clone != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT TextViewRange::Compare(uia::ITextRangeProvider* range, BOOL* same) {
    if (same == nullptr) return E_POINTER;
    *same = FALSE;
    if (Current() == nullptr) return uia::kElementNotAvailable;
    TextViewRange* other = Same(range);
    if (other == nullptr) return E_INVALIDARG;
    other->Current();
    *same = span_ == other->span_;
    return S_OK;
}

HRESULT TextViewRange::CompareEndpoints(uia::TextPatternRangeEndpoint endpoint,
                                        uia::ITextRangeProvider* target,
                                        uia::TextPatternRangeEndpoint targetEndpoint, int* order) {
    if (order == nullptr) return E_POINTER;
    *order = 0;
    if (Current() == nullptr) return uia::kElementNotAvailable;
    TextViewRange* other = Same(target);
    if (other == nullptr) return E_INVALIDARG;
    other->Current();
    const std::size_t mine = IsStart(endpoint) ? span_.start : span_.end;
    const std::size_t theirs = IsStart(targetEndpoint) ? other->span_.start : other->span_.end;
    *order = mine < theirs ? -1 : (mine > theirs ? 1 : 0);
    return S_OK;
}

HRESULT TextViewRange::ExpandToEnclosingUnit(uia::TextUnit unit) {
    AutomationView* view = Current();
    if (view == nullptr) return uia::kElementNotAvailable;
    const std::optional<TextUnit> units = UnitOf(unit);
    if (!units) return E_INVALIDARG;
    span_ = view->Units().Expand(*units, span_);
    return S_OK;
}

HRESULT TextViewRange::FindAttribute(TEXTATTRIBUTEID attribute, VARIANT value, BOOL,
                                     uia::ITextRangeProvider** found) {
    if (found == nullptr) return E_POINTER;
    *found = nullptr;
    AutomationView* view = Current();
    if (view == nullptr) return uia::kElementNotAvailable;
    // Each attribute is the same over the whole text: all of the range has it, or none.
    if (!Equals(AttributeOf(*view, attribute, span_), value)) return S_OK;
    return Clone(found);
}

HRESULT TextViewRange::FindText(BSTR text, BOOL backward, BOOL ignoreCase,
                                uia::ITextRangeProvider** found) {
    if (found == nullptr) return E_POINTER;
    *found = nullptr;
    AutomationView* view = Current();
    if (view == nullptr) return uia::kElementNotAvailable;
    if (text == nullptr) return E_INVALIDARG;
    const std::u16string_view needle(reinterpret_cast<const char16_t*>(text),
                                     uia::StringLength(text));
    const char16_t* fold = ignoreCase ? CaseFolding() : nullptr;
    if (ignoreCase && fold == nullptr) return E_OUTOFMEMORY;
    const std::size_t at = FindInText(view->Document().Text(), span_.start, span_.end, needle,
                                      backward != FALSE, fold);
    if (at == std::u16string_view::npos) return S_OK;
    *found = Create(*owner_, TextSpan{at, at + needle.size()});
    return *found != nullptr ? S_OK : E_OUTOFMEMORY;
}

HRESULT TextViewRange::GetAttributeValue(TEXTATTRIBUTEID attribute, VARIANT* value) {
    if (value == nullptr) return E_POINTER;
    value->vt = VT_EMPTY;
    AutomationView* view = Current();
    if (view == nullptr) return uia::kElementNotAvailable;
    return ToVariant(AttributeOf(*view, attribute, span_), value);
}

HRESULT TextViewRange::GetBoundingRectangles(SAFEARRAY** rectangles) {
    if (rectangles == nullptr) return E_POINTER;
    *rectangles = nullptr;
    AutomationView* view = Current();
    if (view == nullptr) return uia::kElementNotAvailable;
    return uia::Answering([&] {
        // One rectangle per line in sight, for the part of the range in sight on it; an empty
        // range gets a caret's box where it stands (what magnifiers and focus highlights follow).
        const TextDocument& document = view->Document();
        const std::size_t first =
            std::max(view->FirstLineInSight(), document.LineOfPosition(span_.start));
        const std::size_t last = std::min(view->FirstLineInSight() + view->LinesInSight(),
                                          document.LineOfPosition(span_.end) + 1);
        std::vector<RECT> boxes;
        for (std::size_t line = first; line < last; ++line) {
            if (const std::optional<RECT> box = RectangleOnLine(*view, span_, line))
                boxes.push_back(*box);
        }
        *rectangles = uia::NewArray(VT_R8, static_cast<ULONG>(4 * boxes.size()));
        if (*rectangles == nullptr) return E_OUTOFMEMORY;
        // Left, top, width and height of each, on screen.
        POINT origin{0, 0};
        ClientToScreen(view->Window(), &origin);
        LONG index = 0;
        for (const RECT& box : boxes) {
            double edges[4] = {static_cast<double>(box.left + origin.x),
                               static_cast<double>(box.top + origin.y),
                               static_cast<double>(box.right - box.left),
                               static_cast<double>(box.bottom - box.top)};
            for (double& edge : edges) uia::PutElement(*rectangles, index++, &edge);
        }
        return S_OK;
    });
}

HRESULT TextViewRange::GetEnclosingElement(IRawElementProviderSimple** element) {
    if (element == nullptr) return E_POINTER;
    *element = nullptr;
    if (Current() == nullptr) return uia::kElementNotAvailable;
    return owner_->QueryInterface(uia::kIidRawElementProviderSimple,
                                  reinterpret_cast<void**>(element));
}

HRESULT TextViewRange::GetText(int maxLength, BSTR* text) {
    if (text == nullptr) return E_POINTER;
    *text = nullptr;
    AutomationView* view = Current();
    if (view == nullptr) return uia::kElementNotAvailable;
    if (maxLength < -1) return E_INVALIDARG;
    std::size_t length = span_.end - span_.start;
    if (maxLength >= 0) length = std::min(length, static_cast<std::size_t>(maxLength));
    return uia::NewString(view->Document().Text().data() + span_.start, length, text);
}

template <typename Step>
HRESULT TextViewRange::MoveBy(uia::TextUnit unit, int* moved, Step&& step) {
    if (moved == nullptr) return E_POINTER;
    *moved = 0;
    AutomationView* view = Current();
    if (view == nullptr) return uia::kElementNotAvailable;
    const std::optional<TextUnit> units = UnitOf(unit);
    if (!units) return E_INVALIDARG;
    *moved = step(view->Units(), *units);
    return S_OK;
}

HRESULT TextViewRange::Move(uia::TextUnit unit, int count, int* moved) {
    return MoveBy(unit, moved, [&](const TextUnits& units, TextUnit by) {
        return units.Move(by, span_, count);
    });
}

HRESULT TextViewRange::MoveEndpointByUnit(uia::TextPatternRangeEndpoint endpoint,
                                          uia::TextUnit unit, int count, int* moved) {
    return MoveBy(unit, moved, [&](const TextUnits& units, TextUnit by) {
        return units.MoveEndpoint(by, span_, IsStart(endpoint), count);
    });
}

HRESULT TextViewRange::MoveEndpointByRange(uia::TextPatternRangeEndpoint endpoint,
                                           uia::ITextRangeProvider* target,
                                           uia::TextPatternRangeEndpoint targetEndpoint) {
    if (Current() == nullptr) return uia::kElementNotAvailable;
    TextViewRange* other = Same(target);
    if (other == nullptr) return E_INVALIDARG;
    other->Current();
    const std::size_t to = IsStart(targetEndpoint) ? other->span_.start : other->span_.end;
    // An end moved past the other one takes it along.
    if (IsStart(endpoint)) {
        span_ = {to, std::max(to, span_.end)};
    } else {
        span_ = {std::min(to, span_.start), to};
    }
    return S_OK;
}

HRESULT TextViewRange::Select() {
    AutomationView* view = Current();
    if (view == nullptr) return uia::kElementNotAvailable;
    return uia::Answering([&] {
        view->Select(span_.start, span_.end);
        return S_OK;
    });
}

HRESULT TextViewRange::AddToSelection() {
    return Current() != nullptr ? uia::kInvalidOperation : uia::kElementNotAvailable;
}

HRESULT TextViewRange::RemoveFromSelection() {
    return Current() != nullptr ? uia::kInvalidOperation : uia::kElementNotAvailable;
}

HRESULT TextViewRange::ScrollIntoView(BOOL alignToTop) {
    AutomationView* view = Current();
    if (view == nullptr) return uia::kElementNotAvailable;
    return uia::Answering([&] {
        view->ScrollIntoView(span_, alignToTop != FALSE);
        return S_OK;
    });
}

HRESULT TextViewRange::GetChildren(SAFEARRAY** children) {
    if (children == nullptr) return E_POINTER;
    *children = nullptr;
    if (Current() == nullptr) return uia::kElementNotAvailable;
    *children = uia::NewArray(VT_UNKNOWN, 0);  // no embedded objects
    return *children != nullptr ? S_OK : E_OUTOFMEMORY;
}

}  // namespace talvex
