#include <windows.h>

#include "browsers/browser_files.h"
#include "platform/files.h"

namespace browsers {

bool FileFound(const std::string& name) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(name.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

bool ReadBrowserFile(const std::string& path, std::string* content) {
    return platform::ReadWholeFile(path, kMaxBrowserFileSize, content) == platform::FileRead::kRead;
}

bool ReplaceBrowserFile(const std::string& path, const std::string& content) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    // A read-only file stays protected: the move over it fails as an edit in place would.
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        return false;
    }
    if (!platform::ReplaceFileContent(path, content)) return false;
    if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesA(path.c_str(), attributes);
    return true;
}

}  // namespace browsers
