#include <exdispid.h>

#include <new>

#include "helper/cookie_hlpr_obj.h"
#include "helper/helper_module.h"

namespace helper {
namespace {

const QiEntry kObjectInterfaces[] = {
    {&IID_IDispatch, QiOffset<CookieHlprObj, ICookieHlpr>()},
    {&kIidCookieHlpr, QiOffset<CookieHlprObj, ICookieHlpr>()},
    // The browser asks an event sink for its event interface, which this IDispatch serves.
    {&DIID_DWebBrowserEvents2, QiOffset<CookieHlprObj, ICookieHlpr>()},
    {&IID_IObjectWithSite, QiOffset<CookieHlprObj, IObjectWithSite>()},
    {nullptr, 0},
};

const QiEntry kFactoryInterfaces[] = {
    {&IID_IClassFactory, 0},
    {nullptr, 0},
};

}  // namespace

HRESULT CookieHlprObj::Create(IUnknown* outer, REFIID iid, void** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    CookieHlprObj* object = new (std::nothrow) CookieHlprObj;
    if (object == nullptr) return E_OUTOFMEMORY;
    const HRESULT result = object->QueryInterface(iid, out);
    object->Release();
    return result;
}

CookieHlprObj::~CookieHlprObj() { Disconnect(); }

STDMETHODIMP CookieHlprObj::QueryInterface(REFIID iid, void** out) {
    return QueryTable(this, kObjectInterfaces, iid, out);
}

STDMETHODIMP_(ULONG) CookieHlprObj::AddRef() { return references_.Add(); }

STDMETHODIMP_(ULONG) CookieHlprObj::Release() {
    const ULONG left = references_.Release();
    if (left == 0) delete this;
    return left;
}

HRESULT CookieHlprObj::LoadTypeInfo() {
    if (typeInfo_) return S_OK;
    wchar_t path[MAX_PATH] = L"";
    if (GetModuleFileNameW(ModuleHandle(), path, MAX_PATH) == 0) return E_FAIL;
    ComPtr<ITypeLib> library;
    HRESULT result = LoadTypeLibEx(path, REGKIND_NONE, library.Receive());
    if (FAILED(result)) return result;
    return library->GetTypeInfoOfGuid(kIidCookieHlpr, typeInfo_.Receive());
}

STDMETHODIMP CookieHlprObj::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP CookieHlprObj::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    const HRESULT result = LoadTypeInfo();
    if (FAILED(result)) return result;
    typeInfo_->AddRef();
    *info = typeInfo_.Get();
    return S_OK;
}

STDMETHODIMP CookieHlprObj::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    const HRESULT result = LoadTypeInfo();
    if (FAILED(result)) return result;
    return DispGetIDsOfNames(typeInfo_.Get(), names, count, ids);
}

STDMETHODIMP CookieHlprObj::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*,
                                   EXCEPINFO*, UINT*) {
    if (parameters == nullptr) return E_INVALIDARG;
    if (id == DISPID_QUIT || id == DISPID_ONQUIT) Disconnect();
    return S_OK;
}

STDMETHODIMP CookieHlprObj::SetSite(IUnknown* site) {
    Disconnect();
    browser_.Reset();
    if (site == nullptr) return S_OK;
    if (SUCCEEDED(
            site->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(browser_.Receive())))) {
        Connect();
    }
    return S_OK;
}

STDMETHODIMP CookieHlprObj::GetSite(REFIID iid, void** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!browser_) return E_FAIL;
    return browser_->QueryInterface(iid, out);
}

void CookieHlprObj::Connect() {
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    if (SUCCEEDED(browser_->QueryInterface(IID_IConnectionPointContainer,
                                           reinterpret_cast<void**>(container.Receive()))) &&
        SUCCEEDED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, point.Receive()))) {
        DWORD cookie = 0;
        if (SUCCEEDED(point->Advise(static_cast<ICookieHlpr*>(this), &cookie))) cookie_ = cookie;
    }
}

void CookieHlprObj::Disconnect() {
    if (cookie_ == 0 || !browser_) return;
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    if (SUCCEEDED(browser_->QueryInterface(IID_IConnectionPointContainer,
                                           reinterpret_cast<void**>(container.Receive()))) &&
        SUCCEEDED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, point.Receive()))) {
        point->Unadvise(cookie_);
    }
    cookie_ = 0;
}

STDMETHODIMP CookieHlprFactory::QueryInterface(REFIID iid, void** out) {
    return QueryTable(this, kFactoryInterfaces, iid, out);
}

STDMETHODIMP_(ULONG) CookieHlprFactory::AddRef() {
    LockModule();
    return 2;
}

STDMETHODIMP_(ULONG) CookieHlprFactory::Release() {
    UnlockModule();
    return 1;
}

STDMETHODIMP CookieHlprFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
    return CookieHlprObj::Create(outer, iid, out);
}

STDMETHODIMP CookieHlprFactory::LockServer(BOOL lock) {
    if (lock) {
        LockModule();
    } else {
        UnlockModule();
    }
    return S_OK;
}

}  // namespace helper
