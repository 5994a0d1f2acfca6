// Whole-file reads and replacements for the user's files (hosts, prefs.js, opera6.ini, INI).
#pragma once

#include <cstddef>
#include <string>

namespace platform {

enum class FileRead { kMissing, kUnreadable, kRead };

// The whole file into *content when it exists, can be read and is at most maxSize bytes.
FileRead ReadWholeFile(const std::string& path, std::size_t maxSize, std::string* content);

// Writes content to a temporary file beside path and moves it over path in one step, so the
// file is either the old or the new one, never half-written. False when any step fails; the
// temporary file is then removed again.
bool ReplaceFileContent(const std::string& path, const std::string& content);

}  // namespace platform
