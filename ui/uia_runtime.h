// The system's UI Automation and OLE Automation functions the text view's provider calls,
// loaded the first time a reader asks (uiautomationcore and oleaut32 are not linked: start-up
// does not pay for them, and nothing calls them directly by accident). Each one answers as
// the function would fail when its DLL or entry point is missing.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <uiautomationcore.h>

#include <cstddef>
#include <new>

namespace talvex::uia {

// Runs a provider call that reaches into the view (which may run out of memory): no exception
// goes on into COM's frames; the reader gets E_OUTOFMEMORY or E_FAIL, and the view stays as
// it was.
template <typename Call>
HRESULT Answering(Call&& call) noexcept {
    try {
        return call();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

// uiautomationcore.dll
bool RuntimePresent();
LRESULT ReturnRawElementProvider(HWND window, WPARAM wp, LPARAM lp,
                                 IRawElementProviderSimple* provider);
HRESULT HostProviderFromHwnd(HWND window, IRawElementProviderSimple** host);
bool ClientsAreListening();
HRESULT RaiseAutomationEvent(IRawElementProviderSimple* provider, EVENTID event);
// Windows 8 and later; nothing elsewhere.
void DisconnectProvider(IRawElementProviderSimple* provider);
// The answer for a text attribute the provider does not support, in `value`.
HRESULT NotSupported(VARIANT* value);

// oleaut32.dll
HRESULT NewString(const char16_t* text, std::size_t length, BSTR* out);
std::size_t StringLength(BSTR text);
// A one-dimensional array of `count` elements of `type`, or null.
SAFEARRAY* NewArray(VARTYPE type, ULONG count);
HRESULT PutElement(SAFEARRAY* array, LONG index, void* element);
void DestroyArray(SAFEARRAY* array);

}  // namespace talvex::uia
