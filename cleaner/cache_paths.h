// Path decisions of the cache cleaner: which folders may be emptied, which files lie inside
// them, and where each browser keeps its cache. Pure functions over Windows path texts.
#pragma once

#include <string>

namespace cleaner {

// The path with forward slashes taken as backslashes, runs of backslashes taken as one (a UNC
// path keeps its leading pair) and trailing backslashes dropped.
std::string NormalisePath(const std::string& path);

// True for a folder the cleaner may empty: an absolute path ("X:\..." or "\\server\share\...")
// with at least one folder below the drive or share, no "." or ".." component and no wildcard.
// A drive root or a share alone never qualifies.
bool IsUsableCacheFolder(const std::string& folder);

// True when path names something strictly below folder (letter case ignored), with folder
// usable and no "." or ".." component in path that could lead back out.
bool IsInsideFolder(const std::string& folder, const std::string& path);

// The cache folder of a Netscape/Mozilla profile: "Cache" beside the profile's prefs.js.
// "" when the path has no folder part.
std::string ProfileCacheFolder(const std::string& prefsJsPath);

// The same path in the user's non-roaming tree: "Local Settings\" inserted before the last
// "Application Data" component (2000, XP), or the last "AppData\Roaming" made "AppData\Local"
// (Vista and later), whichever comes later; letter case ignored. "" when the path has neither.
std::string NonRoamingFolder(const std::string& path);

// Firefox's disk cache of a profile folder: "cache2" in the same folder of the non-roaming tree,
// or in the profile folder itself when that lies outside the roaming tree.
std::string FirefoxCacheFolder(const std::string& profileFolder);

// The cache folder opera6.ini names: the value of the first "Cache Directory" key (the name may
// carry a version number, as Opera's "Cache Directory4") in section "User Prefs", with white
// space around it dropped. "" when the file names none.
std::string OperaCacheFolder(const std::string& iniText);

}  // namespace cleaner
