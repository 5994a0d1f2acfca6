#include <windows.h>
#include <wininet.h>

#include <vector>

#include "browsers/browser_messages.h"
#include "browsers/internet_explorer.h"
#include "browsers/wizard_state.h"
#include "core/reg_key.h"

namespace browsers {

namespace {

constexpr DWORD kProxyServerBuffer = 260;

// Every value name of the key, in index order.
std::vector<std::string> ValueNames(const core::RegKey& key) {
    std::vector<std::string> names;
    DWORD count = 0;
    DWORD longest = 0;
    if (RegQueryInfoKeyA(key.Handle(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                         &longest, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return names;
    }
    std::vector<char> name(longest + 1);
    for (DWORD index = 0; index < count; ++index) {
        DWORD length = static_cast<DWORD>(name.size());
        if (RegEnumValueA(key.Handle(), index, name.data(), &length, nullptr, nullptr, nullptr,
                          nullptr) == ERROR_SUCCESS) {
            names.emplace_back(name.data(), length);
        }
    }
    return names;
}

bool ValueUsesProxy(const core::RegKey& key, const std::string& name) {
    DWORD size = 0;
    if (RegQueryValueExA(key.Handle(), name.c_str(), nullptr, nullptr, nullptr, &size) !=
            ERROR_SUCCESS ||
        size > kMaxConnectionValue) {
        return false;
    }
    std::string value(size, '\0');
    if (size > 0 && RegQueryValueExA(key.Handle(), name.c_str(), nullptr, nullptr,
                                     reinterpret_cast<BYTE*>(&value[0]), &size) != ERROR_SUCCESS) {
        return false;
    }
    value.resize(size);
    return ConnectionValueUsesProxy(value);
}

int ApplyConnectionOptions(const char* connection, INTERNET_PER_CONN_OPTIONA* options,
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
    core::RegKey key;
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
    core::RegKey key;
    if (key.Open(HKEY_CURRENT_USER, kConnectionsKey, KEY_READ) == ERROR_SUCCESS) {
        for (const std::string& name : ValueNames(key)) {
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

int ConnectionUsesProxy(const std::string& connectionName) {
    core::RegKey key;
    if (key.Open(HKEY_CURRENT_USER, kConnectionsKey, KEY_READ) != ERROR_SUCCESS) return 0;
    return ValueUsesProxy(key, connectionName) ? 1 : 0;
}

int AnyConnectionUsesProxy() {
    core::RegKey key;
    if (key.Open(HKEY_CURRENT_USER, kConnectionsKey, KEY_READ) != ERROR_SUCCESS) return 0;
    for (const std::string& name : ValueNames(key)) {
        if (ValueUsesProxy(key, name)) return 1;
    }
    return 0;
}

int IsInternetExplorerConfigured() {
    core::RegKey key;
    if (key.Open(HKEY_CURRENT_USER, kInternetSettingsKey, KEY_READ) != ERROR_SUCCESS) return 0;
    DWORD enabled = 0;
    if (key.QueryDword("ProxyEnable", &enabled) != ERROR_SUCCESS || enabled == 0) return 0;
    std::string server;
    if (key.QueryString("ProxyServer", &server, kProxyServerBuffer) != ERROR_SUCCESS) return 0;
    if (server == kIeProxyServer) return 1;
    return AnyConnectionUsesProxy();
}

int SetConnectionOptions(const char* connection, const char* proxyServer) {
    INTERNET_PER_CONN_OPTIONA options[3];
    options[0].dwOption = INTERNET_PER_CONN_FLAGS;
    options[0].Value.dwValue = PROXY_TYPE_DIRECT | PROXY_TYPE_PROXY;
    options[1].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
    options[1].Value.pszValue = const_cast<char*>(proxyServer);
    options[2].dwOption = INTERNET_PER_CONN_PROXY_BYPASS;
    options[2].Value.pszValue = const_cast<char*>(kIeProxyBypass);
    int result = ApplyConnectionOptions(connection, options, 3);
    if (!result) {
        ShowBrowserError("2241", "Error, Failed to set Internet Explorer proxy setting.");
    }
    return result;
}

int DisableConnectionProxy(const char* connection) {
    INTERNET_PER_CONN_OPTIONA option;
    option.dwOption = INTERNET_PER_CONN_FLAGS;
    option.Value.dwValue = PROXY_TYPE_DIRECT;
    int result = ApplyConnectionOptions(connection, &option, 1);
    if (!result) {
        ShowBrowserError("2244", "Error, Failed to reset Internet Explorer proxy setting.");
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
        if (connection.isDisabled) ResetDialUp(connections, connection, state);
    }
    NotifySettingsChanged();
}

}  // namespace browsers
