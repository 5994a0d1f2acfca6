#include <windows.h>
#include <wininet.h>

#include <vector>

#include "browsers/browser_messages.h"
#include "browsers/internet_explorer.h"
#include "browsers/wizard_state.h"
#include "platform/win/reg_key.h"

namespace browsers {

namespace {

constexpr DWORD kProxyServerBuffer = 260;

bool ValueUsesProxy(const platform::RegKey& key, const std::string& name) {
    std::string value;
    return key.QueryBytes(name, &value, kMaxConnectionValue) == ERROR_SUCCESS &&
           ConnectionValueUsesProxy(value);
}

bool ApplyConnectionOptions(const char* connection, INTERNET_PER_CONN_OPTIONA* options,
                            DWORD optionCount) {
    INTERNET_PER_CONN_OPTION_LISTA list;
    list.dwSize = sizeof(list);
    list.pszConnection = const_cast<char*>(connection);
    list.dwOptionCount = optionCount;
    list.dwOptionError = 0;
    list.pOptions = options;
    return InternetSetOptionA(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list,
                              sizeof(list)) != FALSE;
}

// "ProxyHttp1.1" follows the proxy: HTTP/1.1 through it while it is set. False when the Internet
// settings key cannot be opened, in which case nothing else is done either.
bool WriteProxyHttp11(DWORD value) {
    platform::RegKey key;
    if (key.Open(HKEY_CURRENT_USER, kInternetSettingsKey) != ERROR_SUCCESS) return false;
    key.SetDword("ProxyHttp1.1", value);
    return true;
}

// Tells WinINet and the running browsers that the settings changed.
void NotifySettingsChanged() {
    InternetSetOptionA(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0);
    InternetSetOptionA(nullptr, INTERNET_OPTION_REFRESH, nullptr, 0);
}

void ResetLan(BrowserConfigState& state) {
    if (DisableConnectionProxy(nullptr)) {
        state.lanIsConfigured = 0;
        WriteConfigFlag(kLanFlag, 0);
    }
}

// Resets one dial-up connection and counts it off; the flag drops with the last one.
void ResetDialUp(InternetExplorerConnections& list, const DialUpConnectionInfo& connection,
                 BrowserConfigState& state) {
    if (!DisableConnectionProxy(connection.name.c_str())) return;
    if (--list.configuredCount <= 0) {
        state.dialUpIsConfigured = 0;
        WriteConfigFlag(kDialUpFlag, 0);
    }
}

void Load(InternetExplorerConnections& list, ListMode mode) {
    std::vector<std::pair<std::string, bool>> found;
    platform::RegKey key;
    if (key.Open(HKEY_CURRENT_USER, kConnectionsKey, KEY_READ) == ERROR_SUCCESS) {
        for (const std::string& name : key.ValueNames()) {
            if (IsDialUpConnectionName(name)) found.emplace_back(name, ValueUsesProxy(key, name));
        }
    }
    list.Fill(found, mode);
}

}  // namespace

void InternetExplorerConnections::LoadDialUpConnections(bool setMode) {
    Load(*this, WizardListMode(setMode));
}

void InternetExplorerConnections::LoadUninstallConnections() { Load(*this, ListMode::kUninstall); }

bool ConnectionUsesProxy(const std::string& connectionName) {
    platform::RegKey key;
    if (key.Open(HKEY_CURRENT_USER, kConnectionsKey, KEY_READ) != ERROR_SUCCESS) return false;
    return ValueUsesProxy(key, connectionName);
}

bool AnyConnectionUsesProxy() {
    platform::RegKey key;
    if (key.Open(HKEY_CURRENT_USER, kConnectionsKey, KEY_READ) != ERROR_SUCCESS) return false;
    for (const std::string& name : key.ValueNames()) {
        if (ValueUsesProxy(key, name)) return true;
    }
    return false;
}

bool IsInternetExplorerConfigured() {
    platform::RegKey key;
    if (key.Open(HKEY_CURRENT_USER, kInternetSettingsKey, KEY_READ) != ERROR_SUCCESS) return false;
    DWORD enabled = 0;
    if (key.QueryDword("ProxyEnable", &enabled) != ERROR_SUCCESS || enabled == 0) return false;
    std::string server;
    if (key.QueryString("ProxyServer", &server, kProxyServerBuffer) != ERROR_SUCCESS) return false;
    if (server == kIeProxyServer) return true;
    return AnyConnectionUsesProxy();
}

bool SetConnectionOptions(const char* connection, const char* proxyServer) {
    INTERNET_PER_CONN_OPTIONA options[3];
    options[0].dwOption = INTERNET_PER_CONN_FLAGS;
    options[0].Value.dwValue = PROXY_TYPE_DIRECT | PROXY_TYPE_PROXY;
    options[1].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
    options[1].Value.pszValue = const_cast<char*>(proxyServer);
    options[2].dwOption = INTERNET_PER_CONN_PROXY_BYPASS;
    options[2].Value.pszValue = const_cast<char*>(kIeProxyBypass);
    bool result = ApplyConnectionOptions(connection, options, 3);
    if (!result) {
        ShowBrowserError(core::texts::kIeSetFailed);
    }
    return result;
}

bool DisableConnectionProxy(const char* connection) {
    INTERNET_PER_CONN_OPTIONA option;
    option.dwOption = INTERNET_PER_CONN_FLAGS;
    option.Value.dwValue = PROXY_TYPE_DIRECT;
    bool result = ApplyConnectionOptions(connection, &option, 1);
    if (!result) {
        ShowBrowserError(core::texts::kIeResetFailed);
    }
    return result;
}

void SetInternetExplorerProxy(WizardState& wizard, BrowserConfigState& state) {
    if (!WriteProxyHttp11(1)) return;
    if (wizard.lanChosen && SetConnectionOptions(nullptr, kIeProxyServer)) {
        state.lanIsConfigured = 1;
        WriteConfigFlag(kLanFlag, 1);
    }
    if (wizard.dialUpChosen) {
        for (const DialUpConnectionInfo& connection : wizard.ieConnections.connections) {
            if (connection.isChecked &&
                SetConnectionOptions(connection.name.c_str(), kIeProxyServer)) {
                state.dialUpIsConfigured = 1;
                WriteConfigFlag(kDialUpFlag, 1);
            }
        }
    }
    NotifySettingsChanged();
}

void ResetInternetExplorerProxy(WizardState& wizard, BrowserConfigState& state) {
    if (!WriteProxyHttp11(0)) return;
    if (wizard.lanChosen) ResetLan(state);
    if (wizard.dialUpChosen) {
        InternetExplorerConnections& list = wizard.ieConnections;
        for (const DialUpConnectionInfo& connection : list.connections) {
            if (connection.isChecked) ResetDialUp(list, connection, state);
        }
    }
    NotifySettingsChanged();
}

void ResetInternetExplorerProxyForUninstall(InternetExplorerConnections& connections,
                                            BrowserConfigState& state) {
    if (!WriteProxyHttp11(0)) return;
    ResetLan(state);
    for (const DialUpConnectionInfo& connection : connections.connections) {
        if (connection.usesProxy) ResetDialUp(connections, connection, state);
    }
    NotifySettingsChanged();
}

}  // namespace browsers
