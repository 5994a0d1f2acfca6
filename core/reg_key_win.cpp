#include <utility>
#include <vector>

#include "core/reg_key.h"

namespace core {

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

}  // namespace core
