// Internet Explorer's proxy: the LAN settings and the dial-up connections, as WinINet keeps them.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "browsers/browser_state.h"

namespace browsers {

struct WizardState;

// HKEY_CURRENT_USER keys.
constexpr char kInternetSettingsKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr char kConnectionsKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";

// An HTTP-only proxy entry; other protocols stay direct.
constexpr char kIeProxyServer[] = "http=KorvoPopupKiller:8100";
constexpr char kIeProxyBypass[] = "local";

// Largest connection value that is read; a bigger one counts as unreadable.
constexpr std::size_t kMaxConnectionValue = 64 * 1024;

// False for the two values of the Connections key that hold the LAN settings, true for every
// other value name (each of which is a dial-up connection). Case-sensitive.
bool IsDialUpConnectionName(const std::string& valueName);

// Whether a stored connection value has the proxy in use with exactly kIeProxyServer: the low
// byte of the flags at offset 8 is 3 (direct plus named proxy) and the proxy string (its length
// is the low byte of the word at 12, its bytes start at 16) equals kIeProxyServer
// case-sensitively. A value too short for its fields does not use the proxy.
bool ConnectionValueUsesProxy(const std::string& value);

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
// "ProxyHttp1.1" (their bytes, see helper/proxy_enable_text.h), and for each value "<name> Type":
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

// What puts ProxyServer, ProxyEnable and ProxyHttp1.1 (in this order) back as they were: a value
// saved as absent is deleted, one saved with a type is written with that type and its saved data.
// A file of an earlier version gives ProxyServer as a string and ProxyEnable as a DWORD when it
// has four bytes (as binary otherwise), and leaves ProxyHttp1.1. A type that does not read as a
// number, and a ProxyServer of a type other than a string's, leave the value as it is.
std::vector<IeValueRestore> PlanInternetExplorerRestore(const SavedInternetExplorerValues& saved);

// Windows operations. Registry failures count as "no proxy".
bool ConnectionUsesProxy(const std::string& connectionName);
// Any value of the Connections key, the LAN values included, that uses the proxy.
bool AnyConnectionUsesProxy();
// "ProxyEnable" is nonzero and "ProxyServer" is kIeProxyServer, or some connection uses it.
bool IsInternetExplorerConfigured();

// WinINet per-connection options for one connection (nullptr = the LAN). True on success; a
// failure is reported to the user (messages 2241 and 2244).
bool SetConnectionOptions(const char* connection, const char* proxyServer);
// Switches the connection to direct access; the stored proxy strings stay as they are.
bool DisableConnectionProxy(const char* connection);

// The wizard's Finish: the LAN when lanChosen, the ticked connections when dialUpChosen; the
// flags of state and of the registry follow each successful call.
void SetInternetExplorerProxy(WizardState& wizard, BrowserConfigState& state);
void ResetInternetExplorerProxy(WizardState& wizard, BrowserConfigState& state);

// The uninstaller's reset: the LAN always, then every connection marked as using the proxy.
void ResetInternetExplorerProxyForUninstall(InternetExplorerConnections& connections,
                                            BrowserConfigState& state);

}  // namespace browsers
