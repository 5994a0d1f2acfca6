// RegKey: one open registry key handle, closed when the wrapper is destroyed, reopened or
// closed. Every operation returns the system's error code (ERROR_SUCCESS = 0 on success).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace platform {

class RegKey {
  public:
    RegKey() = default;
    ~RegKey();
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    RegKey(RegKey&& other) noexcept;
    RegKey& operator=(RegKey&& other) noexcept;

    // Opens an existing key (RegOpenKeyExA). Any key held before is closed first.
    LONG Open(HKEY parent, const std::string& subKey, REGSAM access = KEY_ALL_ACCESS);

    // Creates the key or opens it when it exists (RegCreateKeyExA: no class, no options, all
    // access, default security). Any key held before is closed first.
    LONG Create(HKEY parent, const std::string& subKey);

    // Reads 4 bytes of the value into *value without checking the value's type.
    LONG QueryDword(const std::string& name, DWORD* value) const;

    // Reads a string value through a buffer of bufferSize bytes. On success *value holds the
    // data up to its first zero byte (so a text of up to bufferSize - 1 characters with its
    // terminating zero; stored data without one is cut safely at bufferSize). A value longer
    // than the buffer fails (ERROR_MORE_DATA) and leaves *value unchanged.
    LONG QueryString(const std::string& name, std::string* value, DWORD bufferSize = 260) const;

    // Reads a value's bytes as stored, whatever its type. A value larger than maxBytes fails
    // (ERROR_MORE_DATA) and leaves *value unchanged.
    LONG QueryBytes(const std::string& name, std::string* value, DWORD maxBytes) const;

    // The names of the key's values and of its subkeys, in the registry's index order; empty
    // when no key is held or it cannot be read.
    std::vector<std::string> ValueNames() const;
    std::vector<std::string> SubKeyNames() const;

    // Stores a REG_SZ value; the stored length includes the terminating zero.
    LONG SetString(const std::string& name, const std::string& value);

    // Stores a REG_DWORD value.
    LONG SetDword(const std::string& name, DWORD value);

    // Creates or opens subKey below this key, stores the REG_SZ value there and closes the
    // subkey again. This key stays open.
    LONG SetSubKeyString(const std::string& subKey, const std::string& name,
                         const std::string& value);

    // Closes the key when one is held. Returns ERROR_SUCCESS when nothing was held.
    LONG Close();

    bool IsOpen() const { return key_ != nullptr; }
    // The raw handle for calls this wrapper does not cover; it stays owned by the wrapper.
    // nullptr when no key is held.
    HKEY Handle() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

}  // namespace platform
