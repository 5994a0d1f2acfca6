// The running program's own folder.
#pragma once

#include <string>

namespace platform {

// The program's full file name up to and including its last path separator.
std::string ProgramDirectory();

// Replaces the answer of ProgramDirectory (tests lay out their own installation folders).
// An empty text restores the real folder.
void OverrideProgramDirectory(const std::string& directory);

}  // namespace platform
