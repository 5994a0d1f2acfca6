// Opera 6 and Opera 7: finding each version's opera6.ini through Opera's registry key, telling
// whether it points at the proxy, and setting or resetting its [Proxy] keys.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "browsers/browser_state.h"
#include "browsers/windows_family.h"

namespace browsers {

constexpr char kOperaKey[] = "Software\\Opera Software";  // below HKEY_CURRENT_USER

// opera6.ini with the proxy set: the first "Use HTTP=" line becomes "Use HTTP=1", the first
// "HTTP Server" line "HTTP Server=host:port", wherever they stand; with securePages also the first
// "Use HTTPS=" line "Use HTTPS=1" and the first "HTTPS Server" line "HTTPS Server=host:port".
// Without a "[Proxy]" heading anywhere (any letter case, blanks around it allowed), the block
// "[Proxy]" and these lines is appended, starting with a line break. A missing key goes right
// below the first heading. Other lines stay byte for byte; added lines use the file's line break
// (fallbackEnding for a file without one).
std::string SetOperaProxyText(const std::string& ini, const std::string& host,
                              const std::string& port, const std::string& fallbackEnding,
                              bool securePages = false);

// opera6.ini with the proxy reset: the first "Use HTTP=" line becomes "Use HTTP=0", the first
// "HTTP Server" line "HTTP Server" (the key alone). When the first "HTTPS Server" line names
// KorvoPopupKiller:8100, it becomes the key alone and the first "Use HTTPS=" line "Use HTTPS=0";
// a secure proxy of the user's own stays. Nothing is added.
std::string ResetOperaProxyText(const std::string& ini);

// Both "Use HTTP=1" and "HTTP Server=KorvoPopupKiller:8100" appear in some line; the secure
// lines may be there too or not.
bool IniTextUsesProxy(const std::string& ini);

// Locator results.
enum OperaLocateResult {
    kOperaFilesFound = 0,
    kOpera6FileMissing = 1,
    kOpera7FileMissing = 2,
    kBothFilesMissing = 3,
    kOperaKeyMissing = 4,  // the key, or a value that is needed, is missing
};

// What the locator reads from Opera's key; an absent value is nullopt.
struct OperaRegistryValues {
    bool keyOpened = false;
    std::optional<std::string> lastCommandLine;    // Opera 6's program file
    std::optional<std::string> lastDirectory2;     // Opera 7's program folder
    std::optional<std::string> lastCommandLineV2;  // Opera 7's program file
};

struct OperaSystem {
    WindowsFamily family = WindowsFamily::kUnknown;
    std::string windowsDirectory;
    std::string userName;
    std::string appData;  // the user's roaming application data folder (Vista to 11)
    std::function<bool(const std::string& path)> fileExists;
    // First character of "Multi User" in section "System" of the given OperaDef6.ini, "2" when
    // the key or file is missing.
    std::function<std::string(const std::string& operaDef6Ini)> readMultiUser;
};

// The folder part of a program path: up to and including the last backslash ("" without one).
std::string FolderWithBackslash(const std::string& programPath);

// Opera 7's program folder: "Last Directory2", or the folder of "Last CommandLine v2" when that
// is absent; nullopt when neither is there.
std::optional<std::string> Opera7ProgramFolder(const OperaRegistryValues& values);

// Opera 7's opera6.ini for the installation kind ("Multi User" first character) and system.
std::string Opera7IniPath(const std::string& multiUser, const std::string& programFolder,
                          const OperaSystem& system);

struct OperaSettings {
    std::string operaDef6IniPath;
    std::string opera6IniPath;
    std::string opera7IniPath;
    int useOpera6 = 0;
    int useOpera7 = 0;

    OperaSettings(bool opera6, bool opera7) : useOpera6(opera6), useOpera7(opera7) {}

    // Fills the three paths from the registry values; returns an OperaLocateResult.
    int LocateFrom(const OperaRegistryValues& values, const OperaSystem& system);

    // Windows: LocateFrom with Opera's key and the running system.
    int LocateOperaIni();

    // The wizard's Finish: true when the files were edited, false when a file or the key was
    // missing (reported to the user; then no file is touched). Each edited file sets its version's
    // flag in state and in the registry. With securePages, https goes through the proxy too.
    bool SetOperaProxy(const std::string& host, const std::string& port, bool securePages,
                       BrowserConfigState& state);
    // Also clears Opera 7's OperaDef6.ini.
    bool ResetOperaProxy(BrowserConfigState& state);
    // Tests the files of the chosen versions (Opera 7 falling back to OperaDef6.ini); changes
    // nothing when a file is missing.
    void CheckOperaConfigured(BrowserConfigState& state);

    // The uninstaller's variants: no OperaDef6.ini is cleared or tested.
    bool ResetOperaProxyForUninstall(BrowserConfigState& state);
    void CheckOperaConfiguredForUninstall(BrowserConfigState& state);

  private:
    bool Reset(BrowserConfigState& state, bool clearDefaults);
    void Check(BrowserConfigState& state, bool testDefaults);
};

// Windows file edits of one opera6.ini; true when the file holds the wanted content afterwards.
// A file that cannot be read is left unchanged.
bool WriteOperaProxy(const std::string& host, const std::string& port, bool securePages,
                     const std::string& path);
bool ClearOperaProxy(const std::string& path);
// False for a file that cannot be read.
bool IniUsesProxy(const std::string& path);

}  // namespace browsers
