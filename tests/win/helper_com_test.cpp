// The helper's COM object through the DLL's own exports: the class factory, the module lock
// count, the embedded type library, and the site and event connection with a stand-in browser.
#include <windows.h>
// The headers below need windows.h first.

#include <exdisp.h>
#include <exdispid.h>
#include <gtest/gtest.h>
#include <ocidl.h>
#include <olectl.h>

#include <string>

#include "helper/cookie_hlpr_ids.h"

namespace {

// A browser as the helper sees it: something that answers IWebBrowser2 and offers the
// DWebBrowserEvents2 connection point. The helper calls only IUnknown methods through its
// IWebBrowser2 pointer, so this object's first vtable serves for it.
class FakeBrowser : public IConnectionPointContainer, public IConnectionPoint {
  public:
    LONG references = 1;
    IDispatch* sink = nullptr;  // the advised event sink, as asked for DWebBrowserEvents2
    DWORD nextCookie = 7;
    int advises = 0;
    int unadvises = 0;
    DWORD lastUnadvised = 0;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IWebBrowser2) ||
            IsEqualIID(iid, IID_IConnectionPointContainer)) {
            *out = static_cast<IConnectionPointContainer*>(this);
        } else if (IsEqualIID(iid, IID_IConnectionPoint)) {
            *out = static_cast<IConnectionPoint*>(this);
        } else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; }

    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
        if (!IsEqualIID(iid, DIID_DWebBrowserEvents2)) return CONNECT_E_NOCONNECTION;
        AddRef();
        *point = this;
        return S_OK;
    }

    STDMETHODIMP GetConnectionInterface(IID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer**) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Advise(IUnknown* unknown, DWORD* cookie) override {
        if (sink != nullptr) return CONNECT_E_ADVISELIMIT;
        if (FAILED(unknown->QueryInterface(DIID_DWebBrowserEvents2,
                                           reinterpret_cast<void**>(&sink)))) {
            return CONNECT_E_CANNOTCONNECT;
        }
        ++advises;
        *cookie = nextCookie;
        return S_OK;
    }
    STDMETHODIMP Unadvise(DWORD cookie) override {
        ++unadvises;
        lastUnadvised = cookie;
        if (cookie != nextCookie || sink == nullptr) return CONNECT_E_NOCONNECTION;
        sink->Release();
        sink = nullptr;
        ++nextCookie;
        return S_OK;
    }
    STDMETHODIMP EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }
};

class HelperCom : public ::testing::Test {
  protected:
    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    using CanUnloadNow = HRESULT(WINAPI*)();

    void SetUp() override {
        char path[MAX_PATH] = "";
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string dll = path;
        dll = dll.substr(0, dll.rfind('\\') + 1) + "KorvoBHO.dll";
        module_ = LoadLibraryA(dll.c_str());
        ASSERT_NE(module_, nullptr);
        getClassObject_ = reinterpret_cast<GetClassObject>(
            reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
        canUnloadNow_ = reinterpret_cast<CanUnloadNow>(
            reinterpret_cast<void*>(GetProcAddress(module_, "DllCanUnloadNow")));
        ASSERT_NE(getClassObject_, nullptr);
        ASSERT_NE(canUnloadNow_, nullptr);
        ASSERT_EQ(getClassObject_(helper::kClsidCookieHlprObj, IID_IClassFactory,
                                  reinterpret_cast<void**>(&factory_)),
                  S_OK);
    }
    void TearDown() override {
        if (factory_ != nullptr) factory_->Release();
        if (module_ != nullptr) FreeLibrary(module_);
    }

    IObjectWithSite* NewObject() {
        IObjectWithSite* object = nullptr;
        EXPECT_EQ(factory_->CreateInstance(nullptr, IID_IObjectWithSite,
                                           reinterpret_cast<void**>(&object)),
                  S_OK);
        return object;
    }

    HMODULE module_ = nullptr;
    GetClassObject getClassObject_ = nullptr;
    CanUnloadNow canUnloadNow_ = nullptr;
    IClassFactory* factory_ = nullptr;
};

TEST_F(HelperCom, FactoryObjectsAndTheUnloadCount) {
    IUnknown* unknown = nullptr;
    EXPECT_EQ(getClassObject_(IID_IDispatch, IID_IClassFactory, reinterpret_cast<void**>(&unknown)),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(unknown, nullptr);
    EXPECT_EQ(factory_->CreateInstance(factory_, IID_IUnknown, reinterpret_cast<void**>(&unknown)),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(canUnloadNow_(), S_FALSE);  // the factory is held

    IObjectWithSite* object = NewObject();
    ASSERT_NE(object, nullptr);
    factory_->Release();
    factory_ = nullptr;
    EXPECT_EQ(canUnloadNow_(), S_FALSE);  // the object lives

    IDispatch* dispatch = nullptr;
    ASSERT_EQ(object->QueryInterface(helper::kIidCookieHlpr, reinterpret_cast<void**>(&dispatch)),
              S_OK);
    EXPECT_EQ(object->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(&unknown)),
              E_NOINTERFACE);

    // The events sink: no parameters is an error, any other event is accepted.
    EXPECT_EQ(dispatch->Invoke(DISPID_BEFORENAVIGATE2, IID_NULL, 0, DISPATCH_METHOD, nullptr,
                               nullptr, nullptr, nullptr),
              E_INVALIDARG);
    DISPPARAMS none = {};
    EXPECT_EQ(dispatch->Invoke(DISPID_BEFORENAVIGATE2, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr,
                               nullptr, nullptr),
              S_OK);

    // The type information is the embedded library's: the identifiers the code uses are the
    // ones the IDL file gives.
    ITypeInfo* info = nullptr;
    ASSERT_EQ(dispatch->GetTypeInfo(0, 0, &info), S_OK);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
    EXPECT_TRUE(IsEqualIID(attributes->guid, helper::kIidCookieHlpr));
    EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FDUAL);
    info->ReleaseTypeAttr(attributes);
    ITypeLib* library = nullptr;
    UINT index = 0;
    ASSERT_EQ(info->GetContainingTypeLib(&library, &index), S_OK);
    TLIBATTR* libraryAttributes = nullptr;
    ASSERT_EQ(library->GetLibAttr(&libraryAttributes), S_OK);
    EXPECT_TRUE(IsEqualGUID(libraryAttributes->guid, helper::kLibidCookieHlpr));
    library->ReleaseTLibAttr(libraryAttributes);
    library->Release();
    info->Release();

    dispatch->Release();
    object->Release();
    EXPECT_EQ(canUnloadNow_(), S_OK);
}

TEST_F(HelperCom, SiteConnectsTheBrowserEventsUntilQuit) {
    IObjectWithSite* object = NewObject();
    ASSERT_NE(object, nullptr);
    FakeBrowser browser;
    FakeBrowser otherBrowser;

    EXPECT_EQ(object->SetSite(nullptr), S_OK);  // before any site: nothing to give up
    ASSERT_EQ(object->SetSite(static_cast<IConnectionPointContainer*>(&browser)), S_OK);
    EXPECT_EQ(browser.advises, 1);
    ASSERT_NE(browser.sink, nullptr);

    // The quit event gives the connection up with its own cookie.
    DISPPARAMS none = {};
    EXPECT_EQ(browser.sink->Invoke(DISPID_QUIT, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr,
                                   nullptr, nullptr),
              S_OK);
    EXPECT_EQ(browser.unadvises, 1);
    EXPECT_EQ(browser.lastUnadvised, 7u);
    EXPECT_EQ(browser.sink, nullptr);

    // A new site: connected again, and the earlier connection is given up before another
    // browser takes its place.
    ASSERT_EQ(object->SetSite(static_cast<IConnectionPointContainer*>(&browser)), S_OK);
    EXPECT_EQ(browser.advises, 2);
    ASSERT_EQ(object->SetSite(static_cast<IConnectionPointContainer*>(&otherBrowser)), S_OK);
    EXPECT_EQ(browser.sink, nullptr) << "the first browser still holds the helper";
    EXPECT_EQ(browser.references, 1);
    EXPECT_EQ(otherBrowser.advises, 1);

    // The browser's own close (a null site) ends the connection and releases the browser.
    EXPECT_EQ(object->SetSite(nullptr), S_OK);
    EXPECT_EQ(otherBrowser.sink, nullptr);
    EXPECT_EQ(otherBrowser.references, 1);
    object->Release();
}

}  // namespace
