#include "ui/uia_runtime.h"

#include "platform/system_library.h"

namespace talvex::uia {
namespace {

// The functions, each looked up once, the first time it is called.
enum Function {
    kReturnRawElementProvider,
    kHostProviderFromHwnd,
    kClientsAreListening,
    kRaiseAutomationEvent,
    kDisconnectProvider,
    kGetReservedNotSupportedValue,
    kSysAllocStringLen,
    kSysStringLen,
    kSafeArrayCreateVector,
    kSafeArrayPutElement,
    kSafeArrayDestroy,
    kFunctionCount
};

constexpr struct {
    const wchar_t* dll;
    const char* name;
} kFunctions[kFunctionCount] = {
    {L"uiautomationcore.dll", "UiaReturnRawElementProvider"},
    {L"uiautomationcore.dll", "UiaHostProviderFromHwnd"},
    {L"uiautomationcore.dll", "UiaClientsAreListening"},
    {L"uiautomationcore.dll", "UiaRaiseAutomationEvent"},
    {L"uiautomationcore.dll", "UiaDisconnectProvider"},
    {L"uiautomationcore.dll", "UiaGetReservedNotSupportedValue"},
    {L"oleaut32.dll", "SysAllocStringLen"},
    {L"oleaut32.dll", "SysStringLen"},
    {L"oleaut32.dll", "SafeArrayCreateVector"},
    {L"oleaut32.dll", "SafeArrayPutElement"},
    {L"oleaut32.dll", "SafeArrayDestroy"},
};

template <typename Fn>
Fn Get(Function function) {
    static void* found[kFunctionCount];
    static bool looked[kFunctionCount];
    if (!looked[function]) {
        looked[function] = true;
        found[function] =
            SystemFunction<void*>(kFunctions[function].dll, kFunctions[function].name);
    }
    return reinterpret_cast<Fn>(found[function]);
}

}  // namespace

bool RuntimePresent() {
    return Get<void*>(kReturnRawElementProvider) != nullptr &&
           Get<void*>(kHostProviderFromHwnd) != nullptr &&
           Get<void*>(kSafeArrayCreateVector) != nullptr;
}

LRESULT ReturnRawElementProvider(HWND window, WPARAM wp, LPARAM lp,
                                 IRawElementProviderSimple* provider) {
    const auto function = Get<LRESULT(WINAPI*)(HWND, WPARAM, LPARAM, IRawElementProviderSimple*)>(
        kReturnRawElementProvider);
    return function != nullptr ? function(window, wp, lp, provider) : 0;
}

HRESULT HostProviderFromHwnd(HWND window, IRawElementProviderSimple** host) {
    *host = nullptr;
    const auto function =
        Get<HRESULT(WINAPI*)(HWND, IRawElementProviderSimple**)>(kHostProviderFromHwnd);
    return function != nullptr ? function(window, host) : E_NOTIMPL;
}

bool ClientsAreListening() {
    const auto function = Get<BOOL(WINAPI*)()>(kClientsAreListening);
    return function != nullptr && function() != FALSE;
}

HRESULT RaiseAutomationEvent(IRawElementProviderSimple* provider, EVENTID event) {
    const auto function =
        Get<HRESULT(WINAPI*)(IRawElementProviderSimple*, EVENTID)>(kRaiseAutomationEvent);
    return function != nullptr ? function(provider, event) : E_NOTIMPL;
}

void DisconnectProvider(IRawElementProviderSimple* provider) {
    const auto function = Get<HRESULT(WINAPI*)(IRawElementProviderSimple*)>(kDisconnectProvider);
    if (function != nullptr) function(provider);
}

HRESULT NotSupported(VARIANT* value) {
    value->vt = VT_EMPTY;
    const auto function = Get<HRESULT(WINAPI*)(IUnknown**)>(kGetReservedNotSupportedValue);
    if (function == nullptr) return E_NOTIMPL;
    IUnknown* reserved = nullptr;
    const HRESULT result = function(&reserved);
    if (FAILED(result)) return result;
    value->vt = VT_UNKNOWN;
    value->punkVal = reserved;  // the variant holds the reference now
    return S_OK;
}

HRESULT NewString(const char16_t* text, std::size_t length, BSTR* out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    const auto allocate = Get<BSTR(WINAPI*)(const OLECHAR*, UINT)>(kSysAllocStringLen);
    if (allocate == nullptr || length > 0x3FFFFFFF) return E_OUTOFMEMORY;
    *out = allocate(reinterpret_cast<const OLECHAR*>(text), static_cast<UINT>(length));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

std::size_t StringLength(BSTR text) {
    const auto length = Get<UINT(WINAPI*)(BSTR)>(kSysStringLen);
    return length != nullptr && text != nullptr ? length(text) : 0;
}

SAFEARRAY* NewArray(VARTYPE type, ULONG count) {
    const auto create = Get<SAFEARRAY*(WINAPI*)(VARTYPE, LONG, ULONG)>(kSafeArrayCreateVector);
    return create != nullptr ? create(type, 0, count) : nullptr;
}

HRESULT PutElement(SAFEARRAY* array, LONG index, void* element) {
    const auto put = Get<HRESULT(WINAPI*)(SAFEARRAY*, LONG*, void*)>(kSafeArrayPutElement);
    return put != nullptr ? put(array, &index, element) : E_NOTIMPL;
}

void DestroyArray(SAFEARRAY* array) {
    const auto destroy = Get<HRESULT(WINAPI*)(SAFEARRAY*)>(kSafeArrayDestroy);
    if (destroy != nullptr && array != nullptr) destroy(array);
}

}  // namespace talvex::uia
