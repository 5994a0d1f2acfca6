#include <windows.h>

#include "browsers/browser_files.h"

namespace browsers {

bool FileFound(const std::string& name) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(name.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

bool ReadBrowserFile(const std::string& path, std::string* content) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool read = false;
    LARGE_INTEGER size;
    if (GetFileSizeEx(file, &size) && size.QuadPart <= static_cast<LONGLONG>(kMaxBrowserFileSize)) {
        std::string data(static_cast<std::size_t>(size.QuadPart), '\0');
        DWORD got = 0;
        read = data.empty() ||
               (ReadFile(file, &data[0], static_cast<DWORD>(data.size()), &got, nullptr) &&
                got == data.size());
        if (read) *content = std::move(data);
    }
    CloseHandle(file);
    return read;
}

bool ReplaceBrowserFile(const std::string& path, const std::string& content) {
    const std::string temporary = path + ".korvo-new";
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) attributes = FILE_ATTRIBUTE_NORMAL;
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool complete =
        content.empty() ||
        (WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
         written == content.size());
    complete = FlushFileBuffers(file) && complete;
    CloseHandle(file);
    // A read-only file stays protected: the move over it fails as an edit in place would.
    if (complete && (attributes & FILE_ATTRIBUTE_READONLY)) complete = false;
    if (complete) SetFileAttributesA(temporary.c_str(), attributes);
    if (complete) {
        complete = MoveFileExA(temporary.c_str(), path.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    }
    if (!complete) DeleteFileA(temporary.c_str());
    return complete;
}

}  // namespace browsers
