#include <windows.h>

#include "browsers/browser_files.h"
#include "browsers/browser_messages.h"
#include "browsers/firefox_profiles.h"
#include "browsers/netscape.h"
#include "browsers/path_text.h"
#include "browsers/text_lines.h"
#include "platform/win/user_folders.h"

namespace browsers {

namespace {

constexpr DWORD kUserNameBuffer = 200;

// The running user's Mozilla folder, "" when the Windows version has none we know.
std::string CurrentMozillaFolder() {
    char windows[MAX_PATH] = {};
    UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return "";
    char user[kUserNameBuffer] = {};
    DWORD userLength = kUserNameBuffer;
    if (!GetUserNameA(user, &userLength)) user[0] = '\0';
    return MozillaFolder(RunningWindowsFamily(), windows, user, platform::RoamingAppDataFolder());
}

// The name of the first entry a file search finds, "" when none.
std::string FirstMatch(const std::string& pattern) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return "";
    FindClose(search);
    return found.cFileName;
}

void ShowProfileError(bool setting, const NetscapeProfileEntry& entry,
                      const std::string& prefsJsPath) {
    namespace texts = core::texts;
    const core::LanguageText& text =
        entry.firefox ? (setting ? texts::kFirefoxSetFailed : texts::kFirefoxResetFailed)
                      : (setting ? texts::kNetscapeSetFailed : texts::kNetscapeResetFailed);
    ShowBrowserError(text, {{"%s1", entry.name}, {"%s2", prefsJsPath}});
}

}  // namespace

std::vector<NetscapeProfileEntry> NetscapeProfiles::ScanDefaultProfileFolder() {
    std::vector<NetscapeProfileEntry> entries;
    std::string folder = DefaultProfileFolder(CurrentMozillaFolder());
    if (folder.empty()) return entries;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*.*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return entries;
    do {
        // A profile folder carries no other attribute (read-only, archive, hidden, ...).
        std::string name = found.cFileName;
        if (found.dwFileAttributes == FILE_ATTRIBUTE_DIRECTORY && name != "." && name != "..") {
            NetscapeProfileEntry entry;
            entry.name = name;
            entries.push_back(entry);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return entries;
}

bool NetscapeProfiles::FindProfileFiles(const NetscapeProfileEntry& entry) {
    std::string folder;
    if (entry.directory != kDefaultFolderDirectory) {
        folder = WithoutTrailingBackslash(entry.directory) + "\\";
    } else {
        std::string profileFolder = DefaultProfileFolder(CurrentMozillaFolder());
        if (profileFolder.empty()) {
            userJsPath.clear();
            prefsJsPath.clear();
            return false;
        }
        profileFolder += entry.name + "\\";
        std::string salted = FirstMatch(profileFolder + "*.slt");
        if (salted.empty()) {
            // Without a salted folder there are no profile files to work on.
            userJsPath = profileFolder + "user.js";
            prefsJsPath = profileFolder + "prefs.js";
            return false;
        }
        folder = profileFolder + salted + "\\";
    }
    userJsPath = folder + "user.js";
    prefsJsPath = folder + "prefs.js";
    return FileFound(prefsJsPath);
}

bool NetscapeProfiles::ProfileUsesProxy(const NetscapeProfileEntry& entry) {
    if (!FindProfileFiles(entry)) return false;
    std::string prefs;
    return ReadBrowserFile(prefsJsPath, &prefs) && PrefsUseProxy(prefs);
}

bool NetscapeProfiles::ReadRegistryDatProfiles(bool testOnly, ListMode mode) {
    std::string mozilla = CurrentMozillaFolder();
    if (mozilla.empty()) return false;
    std::string bytes;
    if (!ReadBrowserFile(mozilla + "registry.dat", &bytes)) return false;
    for (const RegistryDatProfile& found : ScanRegistryDat(bytes, DefaultProfileFolder(mozilla))) {
        NetscapeProfileEntry entry;
        entry.name = found.name;
        entry.directory = found.directory;
        if (AddListedProfile(entry, testOnly, mode)) return true;
    }
    return false;
}

bool FirefoxProfilesListed() {
    const std::string mozilla = CurrentMozillaFolder();
    return !mozilla.empty() && FileFound(mozilla + "Firefox\\profiles.ini");
}

bool NetscapeProfiles::ReadFirefoxProfiles(bool testOnly, ListMode mode) {
    const std::string mozilla = CurrentMozillaFolder();
    if (mozilla.empty()) return false;
    const std::string firefox = mozilla + "Firefox";
    std::string profilesIni, installsIni;
    if (!ReadBrowserFile(firefox + "\\profiles.ini", &profilesIni)) return false;
    ReadBrowserFile(firefox + "\\installs.ini", &installsIni);
    for (const FirefoxProfile& found : FirefoxProfilesFrom(profilesIni, installsIni, firefox)) {
        // A profile Firefox never opened has no prefs.js and nothing to point at the proxy; since
        // version 67 Firefox makes one such profile beside the one it uses.
        if (!FileFound(found.folder + "\\prefs.js")) continue;
        NetscapeProfileEntry entry;
        entry.name = FirefoxEntryName(found);
        entry.directory = found.folder;
        entry.firefox = true;
        if (AddListedProfile(entry, testOnly, mode)) return true;
    }
    return false;
}

bool NetscapeProfiles::AddListedProfile(NetscapeProfileEntry entry, bool testOnly, ListMode mode) {
    const bool usesProxy = ProfileUsesProxy(entry);
    if (testOnly && usesProxy) return true;
    entry.isDisabled = EntryDisabled(usesProxy, mode) ? 1 : 0;
    entry.usesProxy = usesProxy ? 1 : 0;
    profiles.push_back(entry);
    ++profileCount;
    return false;
}

bool NetscapeProfiles::AnyProfileUsesProxy() {
    for (const NetscapeProfileEntry& entry : ScanDefaultProfileFolder()) {
        if (ProfileUsesProxy(entry)) return true;
    }
    return ReadRegistryDatProfiles(true, ListMode::kSet) ||
           ReadFirefoxProfiles(true, ListMode::kSet);
}

void NetscapeProfiles::LoadProfiles(bool setMode) { Load(WizardListMode(setMode)); }

void NetscapeProfiles::LoadUninstallProfiles() { Load(ListMode::kUninstall); }

void NetscapeProfiles::Load(ListMode mode) {
    profiles.clear();
    profileCount = 0;
    for (NetscapeProfileEntry& entry : ScanDefaultProfileFolder()) {
        const bool usesProxy = ProfileUsesProxy(entry);
        entry.isDisabled = EntryDisabled(usesProxy, mode) ? 1 : 0;
        entry.usesProxy = usesProxy ? 1 : 0;
        profiles.push_back(entry);
        ++profileCount;
    }
    ReadRegistryDatProfiles(false, mode);
    ReadFirefoxProfiles(false, mode);
    CountProfiles(mode);
}

bool NetscapeProfiles::WriteUserJs(const std::function<std::string(const std::string&)>& edit) {
    std::string userJs;
    // An existing user.js that cannot be read is left alone rather than lose its preferences.
    if (!ReadBrowserFile(userJsPath, &userJs) && FileFound(userJsPath)) return false;
    if (!ReplaceBrowserFile(userJsPath, edit(userJs))) return false;
    anyProfileWritten = 1;
    return true;
}

bool NetscapeProfiles::ResetProfileFiles() {
    std::string prefs;
    if (ReadBrowserFile(prefsJsPath, &prefs)) {
        std::string edited = RemoveProxySslLines(prefs);
        if (edited != prefs) ReplaceBrowserFile(prefsJsPath, edited);
    }
    return WriteUserJs(
        [](const std::string& userJs) { return ResetProxyUserJs(userJs, kNativeLineEnding); });
}

void NetscapeProfiles::SetProfileProxy(const NetscapeProfileEntry& entry, const std::string& host,
                                       const std::string& port, bool securePages,
                                       BrowserConfigState& state) {
    if (!FindProfileFiles(entry)) {
        ShowProfileError(true, entry, prefsJsPath);
        return;
    }
    std::string prefs;
    if (ReadBrowserFile(prefsJsPath, &prefs)) {
        std::string edited = RemoveFirstProxyHttpLine(prefs);
        if (edited != prefs) ReplaceBrowserFile(prefsJsPath, edited);
    }
    if (WriteUserJs([&](const std::string& userJs) {
            return SetProxyUserJs(userJs, host, port, securePages, kNativeLineEnding);
        })) {
        state.netscapeIsConfigured = 1;
        WriteConfigFlag(kNetscapeFlag, 1);
    }
}

void NetscapeProfiles::ResetProfileProxy(const NetscapeProfileEntry& entry,
                                         BrowserConfigState& state) {
    if (!FindProfileFiles(entry)) {
        ShowProfileError(false, entry, prefsJsPath);
        return;
    }
    if (ResetProfileFiles() && --configuredCount <= 0) {
        state.netscapeIsConfigured = 0;
        WriteConfigFlag(kNetscapeFlag, 0);
    }
}

void NetscapeProfiles::SetNetscapeProxy(const std::string& host, const std::string& port,
                                        bool securePages, BrowserConfigState& state) {
    for (const NetscapeProfileEntry& entry : profiles) {
        if (entry.isChecked) SetProfileProxy(entry, host, port, securePages, state);
    }
}

void NetscapeProfiles::ResetNetscapeProxy(BrowserConfigState& state) {
    for (const NetscapeProfileEntry& entry : profiles) {
        if (entry.isChecked) ResetProfileProxy(entry, state);
    }
}

void NetscapeProfiles::ResetNetscapeProxyForUninstall() {
    for (const NetscapeProfileEntry& entry : profiles) {
        if (configuredCount <= 0) return;
        if (!entry.usesProxy) continue;
        if (FindProfileFiles(entry)) {
            ResetProfileFiles();
        } else {
            ShowProfileError(false, entry, prefsJsPath);
        }
        --configuredCount;
    }
}

}  // namespace browsers
