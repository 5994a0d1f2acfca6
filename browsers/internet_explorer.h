// Internet Explorer's proxy: the LAN settings and the dial-up connections, as WinINet keeps them.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "browsers/browser_state.h"
#include "browsers/windows_family.h"

namespace proxy {
struct AppSettings;
}

namespace browsers {

struct WizardState;

// HKEY_CURRENT_USER keys.
constexpr char kInternetSettingsKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr char kConnectionsKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";

// An HTTP-only proxy entry; other protocols stay direct.
constexpr char kIeProxyServer[] = "http=KorvoPopupKiller:8100";
// The same with the entry for secure pages beside it, as the system writes two entries.
constexpr char kIeSecureProxyServer[] = "http=KorvoPopupKiller:8100;https=KorvoPopupKiller:8100";
constexpr char kIeProxyBypass[] = "local";

// How the Internet Explorer step points the system at the proxy.
struct IeProxyTarget {
    bool secure = false;      // https as well as http
    bool autoConfig = false;  // the proxy's automatic configuration script, not the fixed server
    int scriptPort = 8100;    // the port in the script's address
};

// From the settings and the running system. On Vista and later the system gets the proxy's
// script instead of the fixed server: when the program is not running the script cannot be
// fetched and browsers connect directly, where a fixed server would leave them with no
// connection at all (a fixed server beside the script is what they would fall back to). The
// script names 127.0.0.1, so it needs no hosts entry. The older families keep the fixed server.
// secure is FilterSecurePages; the script's port is PopupPort, 8100 when that is 0.
IeProxyTarget IeProxyTargetFor(const proxy::AppSettings& settings, WindowsFamily family);

// kIeSecureProxyServer when secure, else kIeProxyServer.
const char* IeProxyServerText(bool secure);
// Whether a proxy server string is exactly one of the two (case-sensitive).
bool IsIeProxyServerText(const std::string& server);
// The proxy server string without the http= and https= entries that name this proxy (any case):
// the user's entries for other protocols stay, in their order, joined as the system joins them.
// removed (may be null) tells whether an entry was taken out.
std::string WithoutIeProxyEntries(const std::string& server, bool* removed = nullptr);
// Whether an automatic configuration address is the proxy's own script, on any port.
bool IsProxyAutoConfigUrl(const std::string& url);

// Largest connection value that is read; a bigger one counts as unreadable.
constexpr std::size_t kMaxConnectionValue = 64 * 1024;

// False for the two values of the Connections key that hold the LAN settings, true for every
// other value name (each of which is a dial-up connection). Case-sensitive.
bool IsDialUpConnectionName(const std::string& valueName);

// Whether a stored connection value has the proxy in use: either the low byte of the flags at
// offset 8 is 3 (direct plus named proxy) and the proxy string (its length is the low byte of
// the word at 12, its bytes start at 16) is one of the IsIeProxyServerText forms, or the
// value uses the proxy's script (ConnectionValueUsesScript). A value too short for its fields
// does not use the proxy.
bool ConnectionValueUsesProxy(const std::string& value);
// Whether a stored connection value has an automatic configuration script in use (flag 4) and
// that script is the proxy's (ConnectionValueScriptUrl).
bool ConnectionValueUsesScript(const std::string& value);
// The proxy string of a stored connection value, as ConnectionValueUsesProxy reads it; empty
// when the value is too short for it.
std::string ConnectionValueProxyServer(const std::string& value);
// The script's address in a stored connection value: after the proxy string come the bypass
// list and the address, each a 32-bit length and its bytes. Empty when the value ends before.
std::string ConnectionValueScriptUrl(const std::string& value);

struct DialUpConnectionInfo {
    std::string name;
    int isDisabled = 0;  // cannot be chosen in the current mode
    int usesProxy = 0;   // the connection points at the proxy (what the uninstaller resets)
    int isChecked = 0;   // ticked in the wizard
};

// The dial-up connections, in the order the registry enumerates them.
struct InternetExplorerConnections {
    std::vector<DialUpConnectionInfo> connections;
    std::vector<int> disabledFlags;  // isDisabled of each connection, in list order
    unsigned connectionCount = 0;
    int disabledCount = 0;
    // Connections that use the proxy and may be reset; each successful reset counts one down.
    int configuredCount = 0;

    // Replaces the list with the given connections (name and whether it uses the proxy), marked
    // and counted for mode.
    void Fill(const std::vector<std::pair<std::string, bool>>& found, ListMode mode);

    // Windows: lists the dial-up connections of the Connections key for the wizard's mode. An
    // unopenable key leaves the list empty.
    void LoadDialUpConnections(bool setMode);
    // The uninstaller's load: marked as in set mode, configured connections counted.
    void LoadUninstallConnections();
};

// Internet Explorer's values as the installer found them before the first install, kept in
// Browser.ini, section "IE Settings": "Proxy" (ProxyServer's text), "ProxyEnable" and
// "ProxyHttp1.1" (their bytes, see helper/proxy_enable_text.h), "AutoConfigURL" (its text), and
// for each value "<name> Type":
// the registry type as a decimal number, kIeValueAbsent when the value did not exist, or empty
// in a file saved by an earlier version, which kept only "Proxy" and "ProxyEnable".
constexpr char kIeValueAbsent[] = "absent";

struct SavedInternetExplorerValues {
    std::string proxyServer;
    std::string proxyServerType;
    std::vector<unsigned char> proxyEnable;
    std::string proxyEnableType;
    std::vector<unsigned char> proxyHttp11;
    std::string proxyHttp11Type;
    std::string autoConfigUrl;
    std::string autoConfigUrlType;
};

// Registry value types, as the system numbers them.
constexpr unsigned long kRegString = 1;
constexpr unsigned long kRegExpandString = 2;
constexpr unsigned long kRegBinary = 3;
constexpr unsigned long kRegDword = 4;

enum class IeValueAction { kLeave, kDelete, kWrite };

struct IeValueRestore {
    std::string name;
    IeValueAction action = IeValueAction::kLeave;
    unsigned long type = 0;
    std::vector<unsigned char> data;  // for kWrite; a string's with its terminating zero
};

// What puts ProxyServer, ProxyEnable, ProxyHttp1.1 and AutoConfigURL (in this order) back as
// they were: a value saved as absent is deleted, one saved with a type is written with that type
// and its saved data. A file of an earlier version gives ProxyServer as a string and ProxyEnable
// as a DWORD when it has four bytes (as binary otherwise), and leaves ProxyHttp1.1 and
// AutoConfigURL. A type that does not read as a number, and a ProxyServer or AutoConfigURL of a
// type other than a string's, leave the value as it is.
std::vector<IeValueRestore> PlanInternetExplorerRestore(const SavedInternetExplorerValues& saved);

// Windows operations. Registry failures count as "no proxy".
bool ConnectionUsesProxy(const std::string& connectionName);
// Any value of the Connections key, the LAN values included, that uses the proxy.
bool AnyConnectionUsesProxy();
// "AutoConfigURL" is the proxy's script, or some connection value uses the script; or
// "ProxyEnable" is nonzero and "ProxyServer" is one of the IsIeProxyServerText forms, or some
// connection uses the proxy.
bool IsInternetExplorerConfigured();

// WinINet per-connection options for one connection (nullptr = the LAN). True on success; a
// failure is reported to the user (messages 2241 and 2244).
bool SetConnectionOptions(const char* connection, const char* proxyServer);
// Points the connection at the automatic configuration script at url, with direct access
// beside it; for the LAN "AutoConfigURL" holds url afterwards.
bool SetConnectionScript(const char* connection, const std::string& url);
// Switches the connection to direct access. The stored proxy strings stay as they are, except
// that the proxy's own entries leave a server string that names other protocols too (those stay
// in use), and the proxy's script leaves the connection (and "AutoConfigURL" for the LAN).
bool DisableConnectionProxy(const char* connection);

// The wizard's Finish: the LAN when lanChosen, the ticked connections when dialUpChosen, as
// wizard.ieTarget says; the flags of state and of the registry follow each successful call.
void SetInternetExplorerProxy(WizardState& wizard, BrowserConfigState& state);
void ResetInternetExplorerProxy(WizardState& wizard, BrowserConfigState& state);

// The uninstaller's reset: the LAN always, then every connection marked as using the proxy.
void ResetInternetExplorerProxyForUninstall(InternetExplorerConnections& connections,
                                            BrowserConfigState& state);

}  // namespace browsers
