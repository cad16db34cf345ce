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

ScreenReader::ScreenReader() : oleacc_(LoadLibraryW(L"oleacc.dll")) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
}

ScreenReader::~ScreenReader() {
    CoUninitialize();
    if (oleacc_ != nullptr) FreeLibrary(oleacc_);
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
