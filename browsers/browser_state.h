// Which browsers are installed and which of them point at the local proxy. The "is configured"
// flags outlive the program as DWORD values under the "Proxy Setting" key; the installed flags
// are found afresh on every run and only ever rise.
#pragma once

#include <cstddef>
#include <cstdint>

namespace proxy {
struct AppSettings;
}

namespace browsers {

// Registry key of the persistent flags (below HKEY_CURRENT_USER) and its values, 1 = configured.
constexpr char kProxySettingKey[] = "Software\\Korvo Popup Killer\\Proxy Setting";
constexpr char kLanFlag[] = "Lan Is Configured";
constexpr char kDialUpFlag[] = "DialUp Is Configured";
constexpr char kNetscapeFlag[] = "Netscape Is Configured";
constexpr char kOpera6Flag[] = "Opera6 Is Configured";
constexpr char kOpera7Flag[] = "Opera7 Is Configured";

// The proxy address every browser is pointed at. The host name is the one the hosts file maps
// to 127.0.0.1; these literals are fixed, whatever port the proxy itself listens on.
constexpr char kProxyHost[] = "KorvoPopupKiller";
constexpr char kProxyPort[] = "8100";

struct BrowserConfigState {
    std::int32_t lanIsConfigured = 0;
    std::int32_t dialUpIsConfigured = 0;
    std::int32_t netscapeIsConfigured = 0;
    std::int32_t opera6IsConfigured = 0;
    std::int32_t opera7IsConfigured = 0;
    std::int32_t opera6Installed = 0;
    std::int32_t opera7Installed = 0;
    std::int32_t mozillaInstalled = 0;
    std::int32_t ieUsesProxy = 0;
    // The Mozilla browser found is Firefox (its profiles.ini lists the user's profiles).
    std::int32_t firefoxInstalled = 0;
    // Browsers that take their proxy from the system settings, which the Internet Explorer
    // choice writes (see system_browsers.h).
    std::int32_t chromeInstalled = 0;
    std::int32_t edgeInstalled = 0;
};

// True when no browser points at the proxy, judged by the six configuration flags.
bool NothingConfigured(const BrowserConfigState& state);

// How a list of connections or profiles is marked when it is loaded:
//  - kSet: an entry that already uses the proxy cannot be chosen (disabled);
//  - kReset: an entry that does not use the proxy cannot be chosen; the others are counted as
//    configured, and each reset counts one down;
//  - kUninstall: marked as for kSet, and the marked (configured) entries are counted, since the
//    uninstaller resets exactly those.
enum class ListMode { kSet, kReset, kUninstall };

inline ListMode WizardListMode(bool setMode) { return setMode ? ListMode::kSet : ListMode::kReset; }

// Whether an entry is disabled in the given mode.
bool EntryDisabled(bool usesProxy, ListMode mode);

struct EntryCounts {
    int disabledCount = 0;
    int configuredCount = 0;
};

// Counts the disabled entries and, for kReset and kUninstall, the configured ones.
EntryCounts CountEntries(const int* disabledFlags, std::size_t count, ListMode mode);

// Operations of the tray program. RefreshBrowserConfigState re-reads the registry flags, detects
// the installed browsers, reruns the live tests of every browser and clears
// settings.PopupCheckEnabled (in memory only) when nothing points at the proxy.
void DetectOpera(BrowserConfigState& state);
// Mozilla: a subkey of HKEY_CURRENT_USER\Software\Mozilla, or Firefox's profiles.ini in the
// user's Mozilla folder (which also sets firefoxInstalled; today's Firefox need not leave a key
// of the user's).
void DetectMozilla(BrowserConfigState& state);
// Detects Opera, Mozilla, Chrome and Edge, then writes 0 into the registry flag of every browser
// that is not installed (the in-memory flags stay as they are).
void DetectInstalledBrowsers(BrowserConfigState& state);
void RefreshBrowserConfigState(BrowserConfigState& state, proxy::AppSettings& settings);

// The uninstaller's detection: DetectOpera and DetectMozilla, except that Opera 7 is looked for
// through "Last Directory2" alone. Writes nothing: the uninstaller's state load only reads.
void DetectInstalledBrowsersForUninstall(BrowserConfigState& state);

// Stores one persistent flag, creating the "Proxy Setting" key when needed. Unchecked, as every
// registry write of this subsystem.
void WriteConfigFlag(const char* name, std::int32_t value);

}  // namespace browsers
