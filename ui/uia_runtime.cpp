#include "ui/uia_runtime.h"

#include "platform/system_library.h"

namespace talvex::uia {
namespace {

constexpr wchar_t kCore[] = L"uiautomationcore.dll";
constexpr wchar_t kOle[] = L"oleaut32.dll";

// One function of `dll`, looked up once.
#define TALVEX_SYSTEM_FUNCTION(dll, name, type)                        \
    [] {                                                               \
        static const auto function = SystemFunction<type>(dll, #name); \
        return function;                                               \
    }()

using ReturnProviderFn = LRESULT(WINAPI*)(HWND, WPARAM, LPARAM, IRawElementProviderSimple*);
using HostFn = HRESULT(WINAPI*)(HWND, IRawElementProviderSimple**);
using ListeningFn = BOOL(WINAPI*)();
using RaiseFn = HRESULT(WINAPI*)(IRawElementProviderSimple*, EVENTID);
using DisconnectFn = HRESULT(WINAPI*)(IRawElementProviderSimple*);
using ReservedFn = HRESULT(WINAPI*)(IUnknown**);
using AllocFn = BSTR(WINAPI*)(const OLECHAR*, UINT);
using LengthFn = UINT(WINAPI*)(BSTR);
using CreateVectorFn = SAFEARRAY*(WINAPI*)(VARTYPE, LONG, ULONG);
using PutFn = HRESULT(WINAPI*)(SAFEARRAY*, LONG*, void*);
using DestroyFn = HRESULT(WINAPI*)(SAFEARRAY*);

}  // namespace

bool RuntimePresent() {
    return TALVEX_SYSTEM_FUNCTION(kCore, UiaReturnRawElementProvider, ReturnProviderFn) !=
               nullptr &&
           TALVEX_SYSTEM_FUNCTION(kCore, UiaHostProviderFromHwnd, HostFn) != nullptr &&
           TALVEX_SYSTEM_FUNCTION(kOle, SafeArrayCreateVector, CreateVectorFn) != nullptr;
}

LRESULT ReturnRawElementProvider(HWND window, WPARAM wp, LPARAM lp,
                                 IRawElementProviderSimple* provider) {
    const auto function =
        TALVEX_SYSTEM_FUNCTION(kCore, UiaReturnRawElementProvider, ReturnProviderFn);
    return function != nullptr ? function(window, wp, lp, provider) : 0;
}

HRESULT HostProviderFromHwnd(HWND window, IRawElementProviderSimple** host) {
    *host = nullptr;
    const auto function = TALVEX_SYSTEM_FUNCTION(kCore, UiaHostProviderFromHwnd, HostFn);
    return function != nullptr ? function(window, host) : E_NOTIMPL;
}

bool ClientsAreListening() {
    const auto function = TALVEX_SYSTEM_FUNCTION(kCore, UiaClientsAreListening, ListeningFn);
    return function != nullptr && function() != FALSE;
}

HRESULT RaiseAutomationEvent(IRawElementProviderSimple* provider, EVENTID event) {
    const auto function = TALVEX_SYSTEM_FUNCTION(kCore, UiaRaiseAutomationEvent, RaiseFn);
    return function != nullptr ? function(provider, event) : E_NOTIMPL;
}

void DisconnectProvider(IRawElementProviderSimple* provider) {
    const auto function = TALVEX_SYSTEM_FUNCTION(kCore, UiaDisconnectProvider, DisconnectFn);
    if (function != nullptr) function(provider);
}

HRESULT NotSupported(VARIANT* value) {
    value->vt = VT_EMPTY;
    const auto function =
        TALVEX_SYSTEM_FUNCTION(kCore, UiaGetReservedNotSupportedValue, ReservedFn);
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
    const auto allocate = TALVEX_SYSTEM_FUNCTION(kOle, SysAllocStringLen, AllocFn);
    if (allocate == nullptr || length > 0x3FFFFFFF) return E_OUTOFMEMORY;
    *out = allocate(reinterpret_cast<const OLECHAR*>(text), static_cast<UINT>(length));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

std::size_t StringLength(BSTR text) {
    const auto length = TALVEX_SYSTEM_FUNCTION(kOle, SysStringLen, LengthFn);
    return length != nullptr && text != nullptr ? length(text) : 0;
}

SAFEARRAY* NewArray(VARTYPE type, ULONG count) {
    const auto create = TALVEX_SYSTEM_FUNCTION(kOle, SafeArrayCreateVector, CreateVectorFn);
    return create != nullptr ? create(type, 0, count) : nullptr;
}

HRESULT PutElement(SAFEARRAY* array, LONG index, void* element) {
    const auto put = TALVEX_SYSTEM_FUNCTION(kOle, SafeArrayPutElement, PutFn);
    return put != nullptr ? put(array, &index, element) : E_NOTIMPL;
}

void DestroyArray(SAFEARRAY* array) {
    const auto destroy = TALVEX_SYSTEM_FUNCTION(kOle, SafeArrayDestroy, DestroyFn);
    if (destroy != nullptr && array != nullptr) destroy(array);
}

}  // namespace talvex::uia
