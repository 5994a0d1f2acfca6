#include <windows.h>
#include <wininet.h>

#include <vector>

#include "browsers/browser_messages.h"
#include "browsers/internet_explorer.h"
#include "browsers/wizard_state.h"
#include "platform/win/reg_key.h"
#include "proxy/autoconfig_script.h"

namespace browsers {

namespace {

constexpr DWORD kProxyServerBuffer = 260;
constexpr DWORD kAutoConfigUrlBuffer = 2048;
constexpr char kAutoConfigUrlValue[] = "AutoConfigURL";

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

// The proxy string and the script's address a connection has stored: the LAN's in
// "ProxyServer" and "AutoConfigURL", a dial-up connection's in its value. Read from what is
// stored, not asked of WinINet, which may hand back only the entry it uses itself.
void ReadStoredConnection(const char* connection, std::string* server, std::string* url) {
    platform::RegKey key;
    if (connection == nullptr) {
        if (key.Open(HKEY_CURRENT_USER, kInternetSettingsKey, KEY_READ) != ERROR_SUCCESS) return;
        key.QueryString("ProxyServer", server, kProxyServerBuffer);
        key.QueryString(kAutoConfigUrlValue, url, kAutoConfigUrlBuffer);
        return;
    }
    std::string value;
    if (key.Open(HKEY_CURRENT_USER, kConnectionsKey, KEY_READ) != ERROR_SUCCESS ||
        key.QueryBytes(connection, &value, kMaxConnectionValue) != ERROR_SUCCESS) {
        return;
    }
    *server = ConnectionValueProxyServer(value);
    *url = ConnectionValueScriptUrl(value);
}

bool AutoConfigUrlIsOurs(const platform::RegKey& key) {
    std::string url;
    return key.QueryString(kAutoConfigUrlValue, &url, kAutoConfigUrlBuffer) == ERROR_SUCCESS &&
           IsProxyAutoConfigUrl(url);
}

// The LAN's "AutoConfigURL": WinINet keeps the script's address there too.
void WriteLanAutoConfigUrl(const std::string& url) {
    platform::RegKey key;
    if (key.Open(HKEY_CURRENT_USER, kInternetSettingsKey) != ERROR_SUCCESS) return;
    key.SetString(kAutoConfigUrlValue, url);
}

void RemoveLanAutoConfigUrl() {
    platform::RegKey key;
    if (key.Open(HKEY_CURRENT_USER, kInternetSettingsKey) != ERROR_SUCCESS) return;
    if (AutoConfigUrlIsOurs(key)) RegDeleteValueA(key.Handle(), kAutoConfigUrlValue);
}

bool AnyConnectionUsesScript() {
    platform::RegKey key;
    if (key.Open(HKEY_CURRENT_USER, kConnectionsKey, KEY_READ) != ERROR_SUCCESS) return false;
    for (const std::string& name : key.ValueNames()) {
        std::string value;
        if (key.QueryBytes(name, &value, kMaxConnectionValue) == ERROR_SUCCESS &&
            ConnectionValueUsesScript(value)) {
            return true;
        }
    }
    return false;
}

// Points one connection at the proxy as target says.
bool PointConnection(const char* connection, const IeProxyTarget& target) {
    if (target.autoConfig) {
        return SetConnectionScript(connection, proxy::AutoConfigScriptUrl(target.scriptPort));
    }
    return SetConnectionOptions(connection, IeProxyServerText(target.secure));
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
    if (AutoConfigUrlIsOurs(key) || AnyConnectionUsesScript()) return true;
    DWORD enabled = 0;
    if (key.QueryDword("ProxyEnable", &enabled) != ERROR_SUCCESS || enabled == 0) return false;
    std::string server;
    if (key.QueryString("ProxyServer", &server, kProxyServerBuffer) != ERROR_SUCCESS) return false;
    if (IsIeProxyServerText(server)) return true;
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

bool SetConnectionScript(const char* connection, const std::string& url) {
    INTERNET_PER_CONN_OPTIONA options[2];
    options[0].dwOption = INTERNET_PER_CONN_FLAGS;
    options[0].Value.dwValue = PROXY_TYPE_DIRECT | PROXY_TYPE_AUTO_PROXY_URL;
    options[1].dwOption = INTERNET_PER_CONN_AUTOCONFIG_URL;
    options[1].Value.pszValue = const_cast<char*>(url.c_str());
    const bool result = ApplyConnectionOptions(connection, options, 2);
    if (!result) {
        ShowBrowserError(core::texts::kIeSetFailed);
    } else if (connection == nullptr) {
        WriteLanAutoConfigUrl(url);
    }
    return result;
}

bool DisableConnectionProxy(const char* connection) {
    std::string server, url;
    ReadStoredConnection(connection, &server, &url);
    bool removed = false;
    const std::string kept = WithoutIeProxyEntries(server, &removed);
    const bool ourScript = IsProxyAutoConfigUrl(url);
    INTERNET_PER_CONN_OPTIONA options[3];
    DWORD count = 0;
    options[count].dwOption = INTERNET_PER_CONN_FLAGS;
    options[count++].Value.dwValue = PROXY_TYPE_DIRECT;
    if (removed && !kept.empty()) {
        options[0].Value.dwValue |= PROXY_TYPE_PROXY;
        options[count].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
        options[count++].Value.pszValue = const_cast<char*>(kept.c_str());
    }
    if (ourScript) {
        options[count].dwOption = INTERNET_PER_CONN_AUTOCONFIG_URL;
        options[count++].Value.pszValue = const_cast<char*>("");
    }
    const bool result = ApplyConnectionOptions(connection, options, count);
    if (!result) {
        ShowBrowserError(core::texts::kIeResetFailed);
    } else if (connection == nullptr) {
        RemoveLanAutoConfigUrl();
    }
    return result;
}

void SetInternetExplorerProxy(WizardState& wizard, BrowserConfigState& state) {
    if (!WriteProxyHttp11(1)) return;
    if (wizard.lanChosen && PointConnection(nullptr, wizard.ieTarget)) {
        state.lanIsConfigured = 1;
        WriteConfigFlag(kLanFlag, 1);
    }
    if (wizard.dialUpChosen) {
        for (const DialUpConnectionInfo& connection : wizard.ieConnections.connections) {
            if (connection.isChecked && PointConnection(connection.name.c_str(), wizard.ieTarget)) {
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
