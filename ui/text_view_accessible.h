// What screen readers see of the text view: an editable text called "Texte :" whose value is
// the whole text. Everything else (where it is, its parent, moving between objects) comes
// from the system's standard object for a window, which this one wraps.
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <utility>

#include "platform/unique_handle.h"

namespace talvex {

class TextView;

class TextViewAccessible : public IAccessible {
  public:
    // A new object for `view` with one reference, or null (no accessibility runtime, no
    // memory). oleacc and oleaut32 are loaded the first time a screen reader asks.
    static TextViewAccessible* Create(TextView& view);
    // The view goes away: the object answers that it is gone from now on, and the view's
    // reference is released. The view's owner of its reference does this.
    static void Disconnect(TextViewAccessible* object);
    // The answer to WM_GETOBJECT for the client area.
    static LRESULT Answer(TextViewAccessible* object, WPARAM wp);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDispatch: not offered (screen readers call IAccessible directly).
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override;
    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

  private:
    TextViewAccessible(TextView& view, UniqueComRef<IAccessible> standard)
        : view_(&view), standard_(std::move(standard)) {}
    virtual ~TextViewAccessible();
    bool Alive() const { return view_ != nullptr; }
    // What the standard object knows, asked of it while the view lives.
    template <typename Call>
    HRESULT FromStandard(Call&& call) {
        if (!Alive()) return CO_E_OBJNOTCONNECTED;
        if (!standard_) return DISP_E_MEMBERNOTFOUND;
        return call(*standard_.get());
    }

    LONG references_ = 1;
    TextView* view_;                      // null once the view is gone
    UniqueComRef<IAccessible> standard_;  // none when the system would not make one
};

}  // namespace talvex
