#include <windows.h>

#include <vector>

#include "platform/profile.h"

namespace platform {

std::string GetProfileText(const std::string& section, const std::string& key,
                           const std::string& defaultValue, const std::string& file,
                           unsigned bufferSize) {
    if (bufferSize == 0) return "";
    std::vector<char> buffer(bufferSize);
    DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(),
                                       buffer.data(), bufferSize, file.c_str());
    return std::string(buffer.data(), n);
}

int GetProfileInt(const std::string& section, const std::string& key, int defaultValue,
                  const std::string& file) {
    return static_cast<int>(
        GetPrivateProfileIntA(section.c_str(), key.c_str(), defaultValue, file.c_str()));
}

bool WriteProfileText(const std::string& section, const std::string& key, const std::string& value,
                      const std::string& file) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) !=
           FALSE;
}

}  // namespace platform
