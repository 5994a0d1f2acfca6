// Folders the program keeps its files in: whether one can be written, making one, and whether a
// file is there.
#pragma once

#include <string>

namespace platform {

// Whether a file can be created in folder (which ends with a path separator): a file of a name
// of the program's own is created there and removed again. False for a missing folder. A read
// attribute alone does not decide it: on Windows a folder's read-only attribute does not stop a
// new file, and an access check can be refused where a write is allowed or the other way round.
bool FolderIsWritable(const std::string& folder);

// Creates folder (which may end with a path separator) when it does not exist; its parent must
// exist. True when the folder exists afterwards.
bool EnsureFolder(const std::string& folder);

// Whether path names an existing file (not a folder).
bool FileExists(const std::string& path);

}  // namespace platform
