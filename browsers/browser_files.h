// Reading and replacing the browsers' own files (prefs.js, user.js, registry.dat, opera6.ini).
// Windows only.
#pragma once

#include <string>

namespace browsers {

// Browser files larger than this are not read (treated as unreadable).
constexpr std::size_t kMaxBrowserFileSize = 16 * 1024 * 1024;

// A file search (FindFirstFileA) finds the name; wildcards are taken as such.
bool FileFound(const std::string& name);

// The whole file into *content. False when it is missing, unreadable or too large.
bool ReadBrowserFile(const std::string& path, std::string* content);

// Writes content to a temporary file beside path and moves it over path in one step (the
// file's attributes carried over), so the file is either the old or the new one, never
// half-written. False when any step fails; the temporary file is then removed.
bool ReplaceBrowserFile(const std::string& path, const std::string& content);

}  // namespace browsers
