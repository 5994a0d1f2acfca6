#include <windows.h>

#include "platform/files.h"

namespace platform {

FileRead ReadWholeFile(const std::string& path, std::size_t maxSize, std::string* content) {
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return missing ? FileRead::kMissing : FileRead::kUnreadable;
    }
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return FileRead::kUnreadable;
    FileRead result = FileRead::kUnreadable;
    LARGE_INTEGER size;
    if (GetFileSizeEx(file, &size) && size.QuadPart <= static_cast<LONGLONG>(maxSize)) {
        std::string data(static_cast<std::size_t>(size.QuadPart), '\0');
        DWORD got = 0;
        if (data.empty() ||
            (ReadFile(file, &data[0], static_cast<DWORD>(data.size()), &got, nullptr) &&
             got == data.size())) {
            *content = std::move(data);
            result = FileRead::kRead;
        }
    }
    CloseHandle(file);
    return result;
}

bool ReplaceFileContent(const std::string& path, const std::string& content) {
    const std::string temporary = path + ".korvo-new";
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
    if (complete) {
        complete = MoveFileExA(temporary.c_str(), path.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    }
    if (!complete) DeleteFileA(temporary.c_str());
    return complete;
}

}  // namespace platform
