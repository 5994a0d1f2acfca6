// Firefox's profiles, as its profiles.ini lists them ("%APPDATA%\Mozilla\Firefox\profiles.ini"):
// Firefox keeps each profile in a folder of its own, named by the file, and its prefs.js and
// user.js read as the other Mozilla browsers' do.
#pragma once

#include <string>
#include <vector>

namespace browsers {

struct FirefoxProfile {
    std::string name;    // the profile's Name, as the profile manager shows it
    std::string folder;  // its folder, without a trailing backslash
    bool isDefault = false;
};

// The profiles of a profiles.ini text, in the file's order. A profile's folder is its Path,
// under firefoxFolder when IsRelative is 1 ("/" read as "\"). The default is the one an Install
// section of installsIni or profilesIni names (Firefox since version 67 keeps one default per
// installation), else the one marked Default=1. Sections without a Path are skipped; lines are
// "key=value" in "[section]"s, any line break, keys and section names in any case.
std::vector<FirefoxProfile> FirefoxProfilesFrom(const std::string& profilesIni,
                                                const std::string& installsIni,
                                                const std::string& firefoxFolder);

// How a Firefox profile is listed beside the other Mozilla browsers' profiles in the wizard and
// the uninstaller: "Firefox: <name>", and " (default)" after the default one.
std::string FirefoxEntryName(const FirefoxProfile& profile);

}  // namespace browsers
