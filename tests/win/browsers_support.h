// Helpers shared by the browser configuration tests: registry keys and values of the test
// prefix, recorded message boxes, and folders laid out as a browser would leave them.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "browsers/browser_state.h"
#include "core/message_box.h"
#include "tests/win/test_folder.h"

namespace browsers_test {

inline void DeleteKeyTree(HKEY parent, const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    char name[256];
    DWORD size = sizeof(name);
    while (RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS) {
        DeleteKeyTree(key, name);
        size = sizeof(name);
    }
    RegCloseKey(key);
    RegDeleteKeyA(parent, path.c_str());
}

inline void SetValue(const std::string& keyPath, const std::string& name, DWORD type,
                     const std::string& bytes) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                   static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
}

inline void SetString(const std::string& keyPath, const std::string& name,
                      const std::string& value) {
    SetValue(keyPath, name, REG_SZ, value + std::string(1, '\0'));
}

inline void SetDword(const std::string& keyPath, const std::string& name, DWORD value) {
    SetValue(keyPath, name, REG_DWORD, std::string(reinterpret_cast<const char*>(&value), 4));
}

inline void DeleteValue(const std::string& keyPath, const std::string& name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_ALL_ACCESS, &key) !=
        ERROR_SUCCESS) {
        return;
    }
    RegDeleteValueA(key, name.c_str());
    RegCloseKey(key);
}

// A DWORD value as stored, or -1 when it cannot be read.
inline long long ReadDword(const std::string& keyPath, const std::string& name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return -1;
    }
    DWORD value = 0;
    DWORD size = sizeof(value);
    DWORD type = 0;
    LONG result =
        RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && type == REG_DWORD ? static_cast<long long>(value) : -1;
}

inline long long ReadFlag(const char* name) { return ReadDword(browsers::kProxySettingKey, name); }

inline std::string ReadString(const std::string& keyPath, const std::string& name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return "<no key>";
    }
    char data[1024] = {};
    DWORD size = sizeof(data) - 1;
    LONG result =
        RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? std::string(data) : "<no value>";
}

// Every message box shown while the object lives, answered with OK.
class RecordedBoxes {
  public:
    RecordedBoxes() {
        texts().clear();
        types().clear();
        core::SetMessageBoxHandler(&Record);
    }
    ~RecordedBoxes() { core::SetMessageBoxHandler(nullptr); }
    const std::vector<std::string>& Texts() const { return texts(); }
    const std::vector<UINT>& Types() const { return types(); }

  private:
    static std::vector<std::string>& texts() {
        static std::vector<std::string> shown;
        return shown;
    }
    static std::vector<UINT>& types() {
        static std::vector<UINT> shown;
        return shown;
    }
    static int Record(HWND, const std::string& text, const std::string&, UINT type) {
        texts().push_back(text);
        types().push_back(type);
        return IDOK;
    }
};

// Makes every folder of path (which ends in a backslash).
inline void MakeFolders(const std::string& path) {
    for (std::size_t at = path.find('\\', 3); at != std::string::npos;
         at = path.find('\\', at + 1)) {
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    }
}

inline std::string UserName() {
    char user[200] = {};
    DWORD size = sizeof(user);
    GetUserNameA(user, &size);
    return user;
}

inline std::string WindowsDrive() {
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    return std::string(1, windows[0]);
}

// "X:\Documents and Settings\<user>\Application Data\" of the running user.
inline std::string ApplicationData() {
    return WindowsDrive() + ":\\Documents and Settings\\" + UserName() + "\\Application Data\\";
}

inline bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace browsers_test
