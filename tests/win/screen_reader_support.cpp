#include "tests/win/screen_reader_support.h"

namespace talvex::testing {
namespace {

// IID_IAccessible, spelt out.
const GUID kIidAccessible{
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

VARIANT Self() {
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

std::u16string Taken(HRESULT result, BSTR text) {
    std::u16string taken = u"<failed>";
    if (result == S_OK) taken = text != nullptr ? reinterpret_cast<const char16_t*>(text) : u"";
    SysFreeString(text);
    return taken;
}

}  // namespace

ScreenReader::ScreenReader()
    : oleacc_(LoadLibraryW(L"oleacc.dll")), automation_(LoadLibraryW(L"uiautomationcore.dll")) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
}

ScreenReader::~ScreenReader() {
    CoUninitialize();
    if (automation_ != nullptr) FreeLibrary(automation_);
    if (oleacc_ != nullptr) FreeLibrary(oleacc_);
}

IUnknown* ScreenReader::RootObjectOf(HWND window) const {
    using FromLresult = HRESULT(WINAPI*)(LRESULT, REFIID, WPARAM, void**);
    const auto fromLresult = reinterpret_cast<FromLresult>(
        reinterpret_cast<void*>(GetProcAddress(oleacc_, "ObjectFromLresult")));
    constexpr LPARAM kUiaRootObjectId = -25;
    DWORD_PTR answer = 0;
    if (fromLresult == nullptr ||
        !SendMessageTimeoutW(window, WM_GETOBJECT, 0, kUiaRootObjectId, SMTO_ABORTIFHUNG, 10000,
                             &answer) ||
        answer == 0)
        return nullptr;
    IUnknown* object = nullptr;
    if (FAILED(fromLresult(static_cast<LRESULT>(answer), IID_IUnknown, 0,
                           reinterpret_cast<void**>(&object))))
        return nullptr;
    return object;
}

VARIANT ScreenReader::AutomationProperty(HWND window, int property) const {
    using NodeFromHandle = HRESULT(WINAPI*)(HWND, void**);
    using GetPropertyValue = HRESULT(WINAPI*)(void*, int, VARIANT*);
    using NodeRelease = BOOL(WINAPI*)(void*);
    const auto fromHandle = reinterpret_cast<NodeFromHandle>(
        reinterpret_cast<void*>(GetProcAddress(automation_, "UiaNodeFromHandle")));
    const auto get = reinterpret_cast<GetPropertyValue>(
        reinterpret_cast<void*>(GetProcAddress(automation_, "UiaGetPropertyValue")));
    const auto release = reinterpret_cast<NodeRelease>(
        reinterpret_cast<void*>(GetProcAddress(automation_, "UiaNodeRelease")));
    VARIANT value{};
    void* node = nullptr;
    if (fromHandle == nullptr || get == nullptr || release == nullptr ||
        FAILED(fromHandle(window, &node)) || node == nullptr)
        return value;
    if (FAILED(get(node, property, &value))) value.vt = VT_EMPTY;
    release(node);
    return value;
}

IAccessible* ScreenReader::ObjectOf(HWND window) const {
    using FromWindow = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
    const auto fromWindow = reinterpret_cast<FromWindow>(
        reinterpret_cast<void*>(GetProcAddress(oleacc_, "AccessibleObjectFromWindow")));
    IAccessible* object = nullptr;
    if (fromWindow == nullptr ||
        FAILED(fromWindow(window, OBJID_CLIENT, kIidAccessible, reinterpret_cast<void**>(&object))))
        return nullptr;
    return object;
}

std::u16string ScreenReader::Name(IAccessible* object) {
    BSTR name = nullptr;
    const HRESULT result = object->get_accName(Self(), &name);
    return Taken(result, name);
}

std::u16string ScreenReader::Value(IAccessible* object) {
    BSTR value = nullptr;
    const HRESULT result = object->get_accValue(Self(), &value);
    return Taken(result, value);
}

long ScreenReader::Role(IAccessible* object) {
    VARIANT role{};
    return object->get_accRole(Self(), &role) == S_OK && role.vt == VT_I4 ? role.lVal : -1;
}

long ScreenReader::State(IAccessible* object) {
    VARIANT state{};
    return object->get_accState(Self(), &state) == S_OK && state.vt == VT_I4 ? state.lVal : -1;
}

}  // namespace talvex::testing
