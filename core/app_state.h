// The application state kept in the current user's registry key "Software\Korvo Popup Killer":
// where the program is installed, its language, the count of caught pop-ups, the alert sound,
// how the main window closes and whether the start-up prompt is still wanted.
#pragma once

#include <cstdint>
#include <string>

#include "proxy/run_time_files.h"

namespace core {

constexpr char kAppKeyPath[] = "Software\\Korvo Popup Killer";
constexpr char kRunKeyParentPath[] = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr char kRunValueName[] = "Korvo Popup Killer";

// Text values are read through buffers of this many bytes (at most 259 characters).
constexpr unsigned kAppStateTextBuffer = 260;

struct AppState {
    std::string installPath;          // "Path": installation folder without a trailing backslash
    std::string language;             // "Language": base name of the language file
    std::string blockedPopups;        // "Blocked Popups": count of caught pop-ups as decimal text
    std::string userWavPath;          // "User Wav Path": full path of the alert sound
    std::string wizardMessage = "A";  // "Wizard Message": "A" ask at start-up, "N" never
    // "Close To Tray": 1 hides the main window on close instead of ending the program. A key
    // without the value keeps this default, so closing never ends the program by surprise.
    std::int32_t closeToTray = 1;
    std::uint8_t firstRun = 0;         // "FirstRun"
    std::uint8_t showAtStart = 0;      // "ShowAtStart"
    std::uint8_t languageChanged = 0;  // set by the Options page; "Language" is saved only then
};

// Windows only. Fills state from the application key; returns whether it could. When the key or
// one of "Language", "Path", "Blocked Popups" or "User Wav Path" cannot be read, shows message
// 6001 through ShowMessageBox and returns false; the fields read before the failure keep their
// values. A missing "Wizard Message" reads as "A"; a missing "Close To Tray" leaves closeToTray as
// is.
bool LoadAppState(AppState& state);

// Windows only. The user's first start of an installation made for everyone: when the current
// user's application key has no "Path" yet and HKEY_LOCAL_MACHINE's key of the same path holds
// the installation's defaults ("Path", "Install Path", "Language", "User Wav Path"), the user's
// key is made from them, with "Blocked Popups" "0", "FirstRun" 1 and "ShowAtStart" 1 as the
// installer writes them for its own user; a count of caught pop-ups already there is kept. Returns
// whether the user's key was made; false also when there are no defaults (an installation for
// one user, or no installation), and LoadAppState then reports the key as before.
bool MakeUserKeyFromDefaults();

// Windows only. Writes "Blocked Popups", "User Wav Path", "Wizard Message", "Language" (only
// when languageChanged), the Run value (installPath + "\KorvoPop.exe" when startupMode is 2,
// else an empty text; never deleted) and "Close To Tray", in this order. Write failures are
// silent.
void SaveAppState(const AppState& state, int startupMode);

// Windows only. The user's folder of the program's run-time files (%APPDATA% followed by
// proxy::kUserFolderName), without a trailing backslash; "" when the system names no application
// data folder.
std::string UserFilesFolder();

// Windows only. Where the installation in programFolder (with a trailing backslash) keeps its
// run-time files for this user: proxy::RunTimeFiles::Decide with UserFilesFolder().
proxy::RunTimeFiles RunTimeFilesFor(const std::string& programFolder);

// Windows only. Writes the current user's Run value for the start mode (see RunValueFor), as
// SaveAppState does. Made at each user's first start too, so an installation for everyone,
// which writes none, starts with Windows for every user whose setting says so.
void SaveRunValue(const std::string& installPath, int startupMode);

// The Run value's data for a start mode: the program path for mode 2 (start with Windows),
// otherwise the empty text.
std::string RunValueFor(const std::string& installPath, int startupMode);

}  // namespace core
