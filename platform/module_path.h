// The running program's own folder.
#pragma once

#include <string>

namespace platform {

// The program's full file name up to and including its last path separator.
std::string ProgramDirectory();

// The program's folder joined with fileName.
inline std::string ModuleFilePath(const std::string& fileName) {
    return ProgramDirectory() + fileName;
}

// Replaces the answer of ProgramDirectory (tests lay out their own installation folders).
// An empty text restores the real folder.
void OverrideProgramDirectory(const std::string& directory);

}  // namespace platform
