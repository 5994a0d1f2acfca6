#include "platform/win/reg_key.h"

#include <utility>
#include <vector>

namespace platform {

RegKey::~RegKey() { Close(); }

RegKey::RegKey(RegKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}

RegKey& RegKey::operator=(RegKey&& other) noexcept {
    if (this != &other) {
        Close();
        key_ = std::exchange(other.key_, nullptr);
    }
    return *this;
}

LONG RegKey::Open(HKEY parent, const std::string& subKey, REGSAM access) {
    Close();
    HKEY opened = nullptr;
    LONG result = RegOpenKeyExA(parent, subKey.c_str(), 0, access, &opened);
    if (result == ERROR_SUCCESS) key_ = opened;
    return result;
}

LONG RegKey::Create(HKEY parent, const std::string& subKey) {
    Close();
    HKEY created = nullptr;
    DWORD disposition = 0;
    LONG result = RegCreateKeyExA(parent, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &created, &disposition);
    if (result == ERROR_SUCCESS) key_ = created;
    return result;
}

LONG RegKey::QueryDword(const std::string& name, DWORD* value) const {
    DWORD size = sizeof(DWORD);
    return RegQueryValueExA(key_, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(value),
                            &size);
}

LONG RegKey::QueryString(const std::string& name, std::string* value, DWORD bufferSize) const {
    if (bufferSize == 0) return ERROR_MORE_DATA;
    // One byte beyond the buffer stays zero, so data stored without a terminating zero still
    // ends in one.
    std::vector<char> buffer(bufferSize + 1, '\0');
    DWORD size = bufferSize;
    LONG result = RegQueryValueExA(key_, name.c_str(), nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (result != ERROR_SUCCESS) return result;
    *value = buffer.data();
    return ERROR_SUCCESS;
}

LONG RegKey::QueryBytes(const std::string& name, std::string* value, DWORD maxBytes) const {
    DWORD size = 0;
    LONG result = RegQueryValueExA(key_, name.c_str(), nullptr, nullptr, nullptr, &size);
    if (result != ERROR_SUCCESS) return result;
    if (size > maxBytes) return ERROR_MORE_DATA;
    std::string bytes(size, '\0');
    if (size > 0) {
        result = RegQueryValueExA(key_, name.c_str(), nullptr, nullptr,
                                  reinterpret_cast<BYTE*>(&bytes[0]), &size);
        if (result != ERROR_SUCCESS) return result;
        bytes.resize(size);
    }
    *value = std::move(bytes);
    return ERROR_SUCCESS;
}

std::vector<std::string> RegKey::ValueNames() const {
    std::vector<std::string> names;
    DWORD count = 0, longest = 0;
    if (key_ == nullptr ||
        RegQueryInfoKeyA(key_, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                         &longest, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return names;
    }
    std::vector<char> name(longest + 1);
    for (DWORD index = 0; index < count; ++index) {
        DWORD length = static_cast<DWORD>(name.size());
        if (RegEnumValueA(key_, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) ==
            ERROR_SUCCESS) {
            names.emplace_back(name.data(), length);
        }
    }
    return names;
}

std::vector<std::string> RegKey::SubKeyNames() const {
    std::vector<std::string> names;
    DWORD count = 0, longest = 0;
    if (key_ == nullptr ||
        RegQueryInfoKeyA(key_, nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return names;
    }
    std::vector<char> name(longest + 1);
    for (DWORD index = 0; index < count; ++index) {
        DWORD length = static_cast<DWORD>(name.size());
        if (RegEnumKeyExA(key_, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) ==
            ERROR_SUCCESS) {
            names.emplace_back(name.data(), length);
        }
    }
    return names;
}

LONG RegKey::SetString(const std::string& name, const std::string& value) {
    return RegSetValueExA(key_, name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1));
}

LONG RegKey::SetDword(const std::string& name, DWORD value) {
    return RegSetValueExA(key_, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof(value));
}

LONG RegKey::SetSubKeyString(const std::string& subKey, const std::string& name,
                             const std::string& value) {
    RegKey sub;
    LONG result = sub.Create(key_, subKey);
    if (result != ERROR_SUCCESS) return result;
    return sub.SetString(name, value);
}

LONG RegKey::Close() {
    if (key_ == nullptr) return ERROR_SUCCESS;
    LONG result = RegCloseKey(key_);
    key_ = nullptr;
    return result;
}

}  // namespace platform
