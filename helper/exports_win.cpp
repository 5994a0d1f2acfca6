// The DLL's exported functions (see korvo_bho.h for their contracts).
#include <vector>

#include "browsers/internet_explorer.h"
#include "helper/cookie_hlpr_ids.h"
#include "helper/cookie_hlpr_obj.h"
#include "helper/helper_module.h"
#include "helper/korvo_bho.h"
#include "helper/proxy_enable_text.h"
#include "helper/registration.h"
#include "platform/profile.h"
#include "platform/win/reg_key.h"

namespace {

constexpr char kBrowserIni[] = "Browser.ini";
constexpr char kIeSection[] = "IE Settings";

helper::CookieHlprFactory factory;

int RestoreInternetExplorer() {
    const proxy::RunTimeFiles files = helper::ModuleRunTimeFiles();
    const std::string browserIni = files.ReadPath(kBrowserIni);
    auto read = [&browserIni](const char* key, unsigned buffer) {
        return platform::ReadProfileText(kIeSection, key, "", browserIni, buffer);
    };
    if (!read("Restored", 30).empty()) return 1;
    if (read("Saved", 30).empty()) return 0;
    platform::RegKey settings;
    if (settings.Open(HKEY_CURRENT_USER, browsers::kInternetSettingsKey) != ERROR_SUCCESS) return 0;
    browsers::SavedInternetExplorerValues saved;
    saved.proxyServer = read("Proxy", 260);
    saved.proxyServerType = read("ProxyServer Type", 30);
    saved.proxyEnable = helper::DecodeProxyEnableText(read("ProxyEnable", 260));
    saved.proxyEnableType = read("ProxyEnable Type", 30);
    saved.proxyHttp11 = helper::DecodeProxyEnableText(read("ProxyHttp1.1", 260));
    saved.proxyHttp11Type = read("ProxyHttp1.1 Type", 30);
    saved.autoConfigUrl = read("AutoConfigURL", 2048);
    saved.autoConfigUrlType = read("AutoConfigURL Type", 30);
    for (const browsers::IeValueRestore& step : browsers::PlanInternetExplorerRestore(saved)) {
        if (step.action == browsers::IeValueAction::kDelete) {
            RegDeleteValueA(settings.Handle(), step.name.c_str());
        } else if (step.action == browsers::IeValueAction::kWrite) {
            RegSetValueExA(settings.Handle(), step.name.c_str(), 0, step.type, step.data.data(),
                           static_cast<DWORD>(step.data.size()));
        }
    }
    platform::WriteProfileText(kIeSection, "Restored", "1", files.WritePath(kBrowserIni));
    return 1;
}

}  // namespace

extern "C" {

HRESULT WINAPI DllCanUnloadNow(void) { return helper::ModuleLockCount() == 0 ? S_OK : S_FALSE; }

HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!IsEqualCLSID(clsid, helper::kClsidCookieHlprObj)) return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(iid, out);
}

HRESULT WINAPI DllRegisterServer(void) {
    try {
        return helper::RegisterHelper(helper::ModulePath());
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT WINAPI DllUnregisterServer(void) {
    try {
        RestoreInternetExplorer();
        helper::RemoveRunValues();
        helper::UnregisterHelper();
    } catch (...) {
    }
    return S_OK;
}

int WINAPI RestoreIE(void) {
    try {
        return RestoreInternetExplorer();
    } catch (...) {
        return 0;
    }
}

LONG WINAPI UninstUnInitialize(void) { return 0; }

LONG WINAPI UninstInitialize(HWND, HANDLE, LONG) {
    RestoreIE();
    // DllUnregisterServer removes the Run values too; its own restore finds the work done.
    DllUnregisterServer();
    return 0;
}

}  // extern "C"
