// Netscape 7 and Mozilla profiles: finding them, telling whether they use the proxy, and setting
// or resetting it through each profile's user.js.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "browsers/browser_state.h"
#include "browsers/windows_family.h"

namespace browsers {

// The preferences that point a profile at a proxy, in the order they are written: the http
// proxy, its port and the manual proxy type; with securePages also the https proxy
// ("network.proxy.ssl") and its port, to the same host.
using PreferenceLines = std::vector<std::string>;
PreferenceLines SetProxyPreferenceLines(const std::string& host, const std::string& port,
                                        bool securePages = false);
// The three http preferences back to a direct connection.
PreferenceLines ResetProxyPreferenceLines();

// The line that makes Firefox trust the roots of the Windows store, where the program puts its
// own root; the comment marks it as the program's, so that the reset takes only this one.
constexpr char kEnterpriseRootsLine[] =
    "user_pref(\"security.enterprise_roots.enabled\", true); // Korvo Popup Killer";

// Whether prefs.js content holds all three http preferences pointing at KorvoPopupKiller:8100,
// each found as a substring of some line; the https preferences may be there too or not.
bool PrefsUseProxy(const std::string& prefsJs);

// prefs.js with its first line that sets "network.proxy.http" removed; every other byte stays.
std::string RemoveFirstProxyHttpLine(const std::string& prefsJs);

// user.js with the proxy preferences given: the first line setting each of them is replaced in
// place (keeping its line break), further lines setting the same preference are dropped, and
// preferences not yet present are appended. Every other line stays byte for byte. An empty file
// becomes the lines joined by `ending`, the last one without a break.
std::string ApplyPreferenceLines(const std::string& userJs, const PreferenceLines& lines,
                                 const std::string& ending);

// user.js pointing the profile at host:port (ApplyPreferenceLines). With securePages also the
// https lines, and kEnterpriseRootsLine unless a line of the user's own already sets the
// preference to true.
std::string SetProxyUserJs(const std::string& userJs, const std::string& host,
                           const std::string& port, bool securePages, const std::string& ending);

// user.js taken off the proxy: the http preferences reset (ApplyPreferenceLines with
// ResetProxyPreferenceLines), the https lines naming the proxy removed (RemoveProxySslLines) and
// kEnterpriseRootsLine removed. A line of the user's own for the enterprise roots stays.
std::string ResetProxyUserJs(const std::string& userJs, const std::string& ending);

// user.js or prefs.js without the https proxy the program set: when a "network.proxy.ssl" line
// names KorvoPopupKiller, every such line and every "network.proxy.ssl_port" line of 8100 go.
// A file whose https proxy is another one comes back unchanged.
std::string RemoveProxySslLines(const std::string& js);

// The name of the preference a user_pref("...") line sets, or "" for any other line.
std::string PreferenceName(const std::string& line);
// The value text of such a line, between the comma and the closing parenthesis, blanks around
// it trimmed ("\"KorvoPopupKiller\"", "8100", "true"); "" for any other line.
std::string PreferenceValue(const std::string& line);

// The Mozilla folder of the user ("...\Application Data\Mozilla\", with the trailing
// backslash), or "" for an unknown Windows family. Vista to 11 keep it in the user's roaming
// application data folder, appData ("" when it is not known).
std::string MozillaFolder(WindowsFamily family, const std::string& windowsDirectory,
                          const std::string& userName, const std::string& appData = "");
// The folder holding the profile folders: the Mozilla folder followed by "Profiles\".
std::string DefaultProfileFolder(const std::string& mozillaFolder);

// Whether the current user's Mozilla folder holds Firefox's profiles.ini (Windows).
bool FirefoxProfilesListed();

// A profile found through registry.dat: its name and its salted folder.
struct RegistryDatProfile {
    std::string name;
    std::string directory;
};

// Longest directory string taken from registry.dat, its terminating zero excluded.
constexpr std::size_t kMaxRegistryDatDirectory = 259;

// Every directory string of registry.dat (the ten bytes "directory" and a zero, then a
// zero-terminated path) that names a salted folder ("*.slt") outside defaultProfileFolder. A
// string of 260 bytes or more, one that runs into the end of the data, or one with fewer than two
// backslashes is ignored. The profile name is the path component above the salted folder.
std::vector<RegistryDatProfile> ScanRegistryDat(const std::string& bytes,
                                                const std::string& defaultProfileFolder);

// `directory` of an entry that lies in the default profile folder and is found by its name.
constexpr char kDefaultFolderDirectory[] = "Empty";

struct NetscapeProfileEntry {
    std::string name;
    int isDisabled = 0;  // cannot be chosen in the current mode
    int usesProxy = 0;   // the profile points at the proxy (what the uninstaller resets)
    int isChecked = 0;
    std::string directory = kDefaultFolderDirectory;
    bool firefox = false;  // listed by Firefox's profiles.ini: messages name Firefox
};

struct NetscapeProfiles {
    // The two files of the profile worked on last (set by FindProfileFiles).
    std::string userJsPath;
    std::string prefsJsPath;
    std::vector<NetscapeProfileEntry> profiles;
    std::vector<int> disabledFlags;
    int profileCount = 0;
    int configuredCount = 0;
    int disabledCount = 0;
    int anyProfileWritten = 0;

    // Marks and counts the entries in `profiles` for mode (fills disabledFlags and the counts).
    void CountProfiles(ListMode mode);
    // Whether every profile ticked is Firefox's, so the result names Firefox, not Netscape.
    bool OnlyFirefoxChecked() const;

    // Windows operations, all on the current user's Mozilla folder.
    // The folder scan, then registry.dat, each entry marked for the wizard's mode.
    void LoadProfiles(bool setMode);
    // The uninstaller's load: marked as in set mode, configured profiles counted.
    void LoadUninstallProfiles();
    // True as soon as one profile of either source uses the proxy.
    bool AnyProfileUsesProxy();
    // Appends the profiles found through registry.dat, marked for mode. With testOnly it stops
    // and returns true at the first profile that uses the proxy. Returns false otherwise.
    bool ReadRegistryDatProfiles(bool testOnly, ListMode mode);
    // The same for the profiles Firefox's profiles.ini lists (in the Mozilla folder's
    // "Firefox"), each under its FirefoxEntryName.
    bool ReadFirefoxProfiles(bool testOnly, ListMode mode);
    // Adds entry to profiles, marked for mode; with testOnly, only answers true when it points
    // at the proxy.
    bool AddListedProfile(NetscapeProfileEntry entry, bool testOnly, ListMode mode);
    // Fills userJsPath and prefsJsPath for the entry; true when prefs.js exists. A profile folder
    // without a salted folder counts as not found.
    bool FindProfileFiles(const NetscapeProfileEntry& entry);
    bool ProfileUsesProxy(const NetscapeProfileEntry& entry);

    // With securePages, https goes through the proxy too (SetProxyUserJs).
    void SetProfileProxy(const NetscapeProfileEntry& entry, const std::string& host,
                         const std::string& port, bool securePages, BrowserConfigState& state);
    // ResetProxyUserJs on user.js, and the https lines naming the proxy out of prefs.js, where
    // the browser copied them.
    void ResetProfileProxy(const NetscapeProfileEntry& entry, BrowserConfigState& state);
    // Every ticked profile, in list order.
    void SetNetscapeProxy(const std::string& host, const std::string& port, bool securePages,
                          BrowserConfigState& state);
    void ResetNetscapeProxy(BrowserConfigState& state);
    // The uninstaller's reset: every profile marked as using the proxy; no registry flag.
    void ResetNetscapeProxyForUninstall();

  private:
    std::vector<NetscapeProfileEntry> ScanDefaultProfileFolder();
    void Load(ListMode mode);
    // Gives userJsPath the edited content; true when the file was written.
    bool WriteUserJs(const std::function<std::string(const std::string&)>& edit);
    // Takes the proxy off the profile whose files FindProfileFiles found.
    bool ResetProfileFiles();
};

}  // namespace browsers
