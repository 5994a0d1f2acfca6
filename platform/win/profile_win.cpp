#include <windows.h>

#include <vector>

#include "platform/profile.h"

namespace platform {

std::string ReadProfileText(const std::string& section, const std::string& key,
                            const std::string& defaultValue, const std::string& file,
                            unsigned bufferSize) {
    if (bufferSize == 0) return "";
    std::vector<char> buffer(bufferSize);
    DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(),
                                       buffer.data(), bufferSize, file.c_str());
    return std::string(buffer.data(), n);
}

int ReadProfileInt(const std::string& section, const std::string& key, int defaultValue,
                   const std::string& file) {
    return static_cast<int>(
        GetPrivateProfileIntA(section.c_str(), key.c_str(), defaultValue, file.c_str()));
}

bool WriteProfileText(const std::string& section, const std::string& key, const std::string& value,
                      const std::string& file) {
    const DWORD attributes = GetFileAttributesA(file.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    // Checked here because Wine run as root would write a read-only file anyway.
    if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        return false;
    }
    // WritePrivateProfileStringA rewrites the file in place; it edits a copy instead, which then
    // replaces the file in one step.
    const std::string temporary = file + ".korvo-tmp";
    if (exists) {
        if (!CopyFileA(file.c_str(), temporary.c_str(), FALSE)) return false;
    } else {
        DeleteFileA(temporary.c_str());
    }
    const bool written = WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(),
                                                    temporary.c_str()) != FALSE;
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, temporary.c_str());
    if (written && MoveFileExA(temporary.c_str(), file.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    DeleteFileA(temporary.c_str());
    return false;
}

}  // namespace platform
