// CookieHlprObj, the browser helper object Internet Explorer creates for each browser window.
// It does no work of its own: it keeps the browser it is sited on and listens to the browser's
// events until the browser quits. Apartment threaded.
#pragma once

#include <windows.h>
// The headers below need windows.h first.

#include <exdisp.h>
#include <ocidl.h>

#include "helper/com_base.h"
#include "helper/cookie_hlpr_ids.h"

namespace helper {

class CookieHlprObj final : public ICookieHlpr, public IObjectWithSite {
  public:
    // A new object answering iid in *out. Aggregation (outer non-null) is refused with
    // CLASS_E_NOAGGREGATION.
    static HRESULT Create(IUnknown* outer, REFIID iid, void** out);

    // IUnknown: IUnknown, IDispatch, ICookieHlpr, DWebBrowserEvents2 and IObjectWithSite.
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch, described by ICookieHlpr's entry in the embedded type library.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                               DISPID* ids) override;
    // The browser's events: on quit (103, 253) the event connection is given up; other events
    // are ignored. E_INVALIDARG without parameters, else S_OK.
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                        VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

    // IObjectWithSite. A site that is a browser (IWebBrowser2) is kept and its
    // DWebBrowserEvents2 connected to this object; the browser held before is disconnected and
    // released first. A null site gives the browser up.
    STDMETHODIMP SetSite(IUnknown* site) override;
    // The kept browser's interface iid; E_FAIL when no browser is kept.
    STDMETHODIMP GetSite(REFIID iid, void** out) override;

  private:
    CookieHlprObj() = default;
    ~CookieHlprObj();

    HRESULT LoadTypeInfo();
    void Connect();
    void Disconnect();

    RefCount references_;
    ComPtr<IWebBrowser2> browser_;
    ComPtr<ITypeInfo> typeInfo_;
    DWORD cookie_ = 0;  // the event connection, 0 when not connected
};

// The class factory of CookieHlprObj; one per process, never deleted.
class CookieHlprFactory final : public IClassFactory {
  public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    // Locks count as objects for DllCanUnloadNow.
    STDMETHODIMP LockServer(BOOL lock) override;
};

}  // namespace helper
