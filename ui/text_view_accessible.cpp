#include "ui/text_view_accessible.h"

#include <cstring>
#include <cwchar>
#include <string>

#include "platform/system_library.h"
#include "ui/text_view.h"

namespace talvex {
namespace {

// Spelt out, so that the program needs no import library for them.
constexpr GUID kIidUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr GUID kIidDispatch{0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr GUID kIidAccessible{
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

bool Same(REFIID a, const GUID& b) { return std::memcmp(&a, &b, sizeof b) == 0; }

using CreateStdAccessibleObjectFn = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
using LresultFromObjectFn = LRESULT(WINAPI*)(REFIID, WPARAM, IUnknown*);
using SysAllocStringLenFn = BSTR(WINAPI*)(const OLECHAR*, UINT);

const auto& CreateStandard() {
    static const auto function =
        SystemFunction<CreateStdAccessibleObjectFn>(L"oleacc.dll", "CreateStdAccessibleObject");
    return function;
}
const auto& LresultFromObjectFunction() {
    static const auto function =
        SystemFunction<LresultFromObjectFn>(L"oleacc.dll", "LresultFromObject");
    return function;
}

HRESULT NewString(const wchar_t* text, std::size_t length, BSTR* out) {
    static const auto allocate =
        SystemFunction<SysAllocStringLenFn>(L"oleaut32.dll", "SysAllocStringLen");
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (allocate == nullptr || length > 0x3FFFFFFF) return E_OUTOFMEMORY;
    *out = allocate(text, static_cast<UINT>(length));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

}  // namespace

TextViewAccessible* TextViewAccessible::Create(TextView& view) {
    if (CreateStandard() == nullptr || LresultFromObjectFunction() == nullptr) return nullptr;
    InitializeComOnThisThread();  // the object is handed to other processes through COM
    IAccessible* found = nullptr;
    if (FAILED(CreateStandard()(view.hwnd(), OBJID_CLIENT, kIidAccessible,
                                reinterpret_cast<void**>(&found))))
        found = nullptr;
    // Released here when there is no room for the object.
    UniqueComRef<IAccessible> standard(found);
    return new (std::nothrow) TextViewAccessible(view, std::move(standard));
}

void TextViewAccessible::Disconnect(TextViewAccessible* object) {
    if (object == nullptr) return;
    object->view_ = nullptr;
    object->Release();
}

LRESULT TextViewAccessible::Answer(TextViewAccessible* object, WPARAM wp) {
    if (object == nullptr || LresultFromObjectFunction() == nullptr) return 0;
    return LresultFromObjectFunction()(kIidAccessible, wp, object);
}

TextViewAccessible::~TextViewAccessible() = default;

HRESULT TextViewAccessible::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (Same(iid, kIidUnknown) || Same(iid, kIidDispatch) || Same(iid, kIidAccessible)) {
        *object = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG TextViewAccessible::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG TextViewAccessible::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT TextViewAccessible::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
}
HRESULT TextViewAccessible::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info != nullptr) *info = nullptr;
    return E_NOTIMPL;
}
HRESULT TextViewAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}
HRESULT TextViewAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) {
    return E_NOTIMPL;
}

HRESULT TextViewAccessible::get_accParent(IDispatch** parent) {
    return FromStandard([&](IAccessible& standard) { return standard.get_accParent(parent); });
}
HRESULT TextViewAccessible::get_accChildCount(LONG* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return Alive() ? S_OK : CO_E_OBJNOTCONNECTED;
}
HRESULT TextViewAccessible::get_accChild(VARIANT, IDispatch** object) {
    if (object != nullptr) *object = nullptr;
    return Alive() ? E_INVALIDARG : CO_E_OBJNOTCONNECTED;
}

HRESULT TextViewAccessible::get_accName(VARIANT child, BSTR* name) {
    if (!Alive()) return CO_E_OBJNOTCONNECTED;
    if (!IsSelf(child)) return E_INVALIDARG;
    return NewString(TextView::kAccessibleName, wcslen(TextView::kAccessibleName), name);
}

HRESULT TextViewAccessible::get_accValue(VARIANT child, BSTR* value) {
    if (!Alive()) return CO_E_OBJNOTCONNECTED;
    if (!IsSelf(child)) return E_INVALIDARG;
    const std::u16string& text = view_->Text();
    return NewString(reinterpret_cast<const wchar_t*>(text.data()), text.size(), value);
}

HRESULT TextViewAccessible::get_accDescription(VARIANT child, BSTR* description) {
    return FromStandard(
        [&](IAccessible& standard) { return standard.get_accDescription(child, description); });
}

HRESULT TextViewAccessible::get_accRole(VARIANT child, VARIANT* role) {
    if (!Alive()) return CO_E_OBJNOTCONNECTED;
    if (role == nullptr) return E_POINTER;
    if (!IsSelf(child)) return E_INVALIDARG;
    role->vt = VT_I4;
    role->lVal = ROLE_SYSTEM_TEXT;
    return S_OK;
}

HRESULT TextViewAccessible::get_accState(VARIANT child, VARIANT* state) {
    if (!Alive()) return CO_E_OBJNOTCONNECTED;
    if (state == nullptr) return E_POINTER;
    if (!IsSelf(child)) return E_INVALIDARG;
    const HWND hwnd = view_->hwnd();
    LONG flags = STATE_SYSTEM_FOCUSABLE;
    if (GetFocus() == hwnd) flags |= STATE_SYSTEM_FOCUSED;
    if (!IsWindowVisible(hwnd)) flags |= STATE_SYSTEM_INVISIBLE;
    if (!IsWindowEnabled(hwnd)) flags |= STATE_SYSTEM_UNAVAILABLE;
    state->vt = VT_I4;
    state->lVal = flags;
    return S_OK;
}

HRESULT TextViewAccessible::get_accHelp(VARIANT child, BSTR* help) {
    return FromStandard([&](IAccessible& standard) { return standard.get_accHelp(child, help); });
}
HRESULT TextViewAccessible::get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) {
    return FromStandard(
        [&](IAccessible& standard) { return standard.get_accHelpTopic(file, child, topic); });
}
HRESULT TextViewAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
    return FromStandard(
        [&](IAccessible& standard) { return standard.get_accKeyboardShortcut(child, shortcut); });
}
HRESULT TextViewAccessible::get_accFocus(VARIANT* child) {
    if (!Alive()) return CO_E_OBJNOTCONNECTED;
    if (child == nullptr) return E_POINTER;
    child->vt = VT_EMPTY;
    if (GetFocus() == view_->hwnd()) {
        child->vt = VT_I4;
        child->lVal = CHILDID_SELF;
    }
    return S_OK;
}
HRESULT TextViewAccessible::get_accSelection(VARIANT* children) {
    if (children != nullptr) children->vt = VT_EMPTY;
    return Alive() ? S_FALSE : CO_E_OBJNOTCONNECTED;
}
HRESULT TextViewAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
    if (action != nullptr) *action = nullptr;
    if (!Alive()) return CO_E_OBJNOTCONNECTED;
    return IsSelf(child) ? S_FALSE : E_INVALIDARG;
}
HRESULT TextViewAccessible::accSelect(LONG flags, VARIANT child) {
    return FromStandard([&](IAccessible& standard) { return standard.accSelect(flags, child); });
}
HRESULT TextViewAccessible::accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT child) {
    return FromStandard([&](IAccessible& standard) {
        return standard.accLocation(left, top, width, height, child);
    });
}
HRESULT TextViewAccessible::accNavigate(LONG direction, VARIANT start, VARIANT* end) {
    return FromStandard(
        [&](IAccessible& standard) { return standard.accNavigate(direction, start, end); });
}
HRESULT TextViewAccessible::accHitTest(LONG x, LONG y, VARIANT* child) {
    return FromStandard([&](IAccessible& standard) { return standard.accHitTest(x, y, child); });
}
HRESULT TextViewAccessible::accDoDefaultAction(VARIANT child) {
    if (!Alive()) return CO_E_OBJNOTCONNECTED;
    return IsSelf(child) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
}
HRESULT TextViewAccessible::put_accName(VARIANT, BSTR) { return E_NOTIMPL; }

HRESULT TextViewAccessible::put_accValue(VARIANT child, BSTR value) {
    if (!Alive()) return CO_E_OBJNOTCONNECTED;
    if (!IsSelf(child)) return E_INVALIDARG;
    // As typed over the whole text: the user can take it back.
    SendMessageW(view_->hwnd(), EM_SETSEL, 0, -1);
    SendMessageW(view_->hwnd(), EM_REPLACESEL, TRUE,
                 reinterpret_cast<LPARAM>(value != nullptr ? value : L""));
    return S_OK;
}

}  // namespace talvex
