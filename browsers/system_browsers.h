// Google Chrome and Microsoft Edge take their proxy from the system settings, the ones the
// wizard's Internet Explorer choice writes, so the wizard only tells the user they follow it.
// They are found by the "App Paths" entry their installers register for the program: a
// per-user installation below HKEY_CURRENT_USER, a machine-wide one below HKEY_LOCAL_MACHINE;
// its default value is the program's full path and the uninstallers remove it. The program's
// file must exist too, so an entry left behind by a removed browser does not count. (Their
// "Software\Google\Chrome" and "Software\Microsoft\Edge" keys are not used: they hold the
// user's settings, outlive an uninstall and exist on every Windows 10 for Edge's sake.)
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "browsers/browser_state.h"
#include "core/language_texts.h"

namespace browsers {

constexpr char kAppPathsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths";
constexpr char kChromeProgram[] = "chrome.exe";
constexpr char kEdgeProgram[] = "msedge.exe";

// The program an App Paths default value names: blanks around it and one pair of double
// quotes removed. "" unless it is a full path ("X:\..." or "\\server\...") ending in
// "\" + programName (letters in any case).
std::string AppPathProgram(const std::string& value, const std::string& programName);

// Whether one of the App Paths values found names programName and that file exists.
bool ProgramRegistered(const std::vector<std::string>& appPathValues,
                       const std::string& programName,
                       const std::function<bool(const std::string&)>& fileExists);

// The browsers page's note on the browsers that follow the system settings: Chrome and Edge
// together, one of them, or a null id when neither is installed.
core::LanguageText SystemSettingsNote(const BrowserConfigState& state);

// Windows: sets chromeInstalled and edgeInstalled when an App Paths entry of the user, of the
// machine or, on 64-bit Windows, of the machine's 64-bit registry view names an existing
// program. Never clears them.
void DetectSystemBrowsers(BrowserConfigState& state);

}  // namespace browsers
