// Helpers shared by the browser configuration tests: registry values of the test prefix,
// recorded message boxes, and folders laid out as a browser would leave them.
#pragma once

#include <windows.h>
// shlobj.h needs windows.h first.
#include <shlobj.h>

#include <string>
#include <vector>

#include "browsers/browser_state.h"
#include "browsers/windows_family.h"
#include "platform/win/message_box.h"
#include "tests/win/test_folder.h"

namespace browsers_test {

inline void DeleteKeyTree(HKEY parent, const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(parent, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    char name[256];
    DWORD size = sizeof(name);
    while (RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr) == 0) {
        DeleteKeyTree(key, name);
        size = sizeof(name);
    }
    RegCloseKey(key);
    RegDeleteKeyA(parent, path.c_str());
}

// Stores a value below HKEY_CURRENT_USER, creating the key; type 0 deletes the value.
inline void SetValue(const std::string& keyPath, const std::string& name, DWORD type,
                     const std::string& bytes) {
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &key, nullptr);
    if (type == 0) {
        RegDeleteValueA(key, name.c_str());
    } else {
        RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                       static_cast<DWORD>(bytes.size()));
    }
    RegCloseKey(key);
}

inline void SetString(const std::string& keyPath, const std::string& name,
                      const std::string& value) {
    SetValue(keyPath, name, REG_SZ, value + std::string(1, '\0'));
}

inline void SetDword(const std::string& keyPath, const std::string& name, DWORD value) {
    SetValue(keyPath, name, REG_DWORD, std::string(reinterpret_cast<const char*>(&value), 4));
}

// A program's App Paths entry below root, as a browser's installer registers it (default
// value: the program's path); "" removes the entry.
inline void SetAppPath(HKEY root, const std::string& program, const std::string& path) {
    const std::string keyPath =
        std::string("Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\") + program;
    if (path.empty()) {
        DeleteKeyTree(root, keyPath);
        return;
    }
    HKEY key;
    RegCreateKeyExA(root, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExA(key, "", 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                   static_cast<DWORD>(path.size() + 1));
    RegCloseKey(key);
}

// Removes Chrome's and Edge's entries of the user and of the machine.
inline void RemoveSystemBrowsers() {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        SetAppPath(root, "chrome.exe", "");
        SetAppPath(root, "msedge.exe", "");
    }
}

// A value as stored: a DWORD as its decimal number, a string as itself; "-" when absent.
inline std::string ReadValue(const std::string& keyPath, const std::string& name) {
    char data[1024] = {};
    DWORD size = sizeof(data) - 1;
    DWORD type = 0;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return "-";
    }
    LONG result =
        RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return "-";
    return type == REG_DWORD ? std::to_string(*reinterpret_cast<DWORD*>(data)) : data;
}

inline std::string ReadFlag(const char* name) {
    return ReadValue(browsers::kProxySettingKey, name);
}

// The texts of every message box shown while the object lives (each answered with OK); each
// box must have the stop icon.
class RecordedBoxes {
  public:
    RecordedBoxes() {
        Shown().clear();
        platform::SetMessageBoxHandler(
            [](HWND, const std::string& text, const std::string&, UINT type) {
                Shown().push_back(type == (MB_OK | MB_ICONSTOP) ? text : "wrong box: " + text);
                return IDOK;
            });
    }
    ~RecordedBoxes() { platform::SetMessageBoxHandler(nullptr); }
    static std::vector<std::string>& Shown() {
        static std::vector<std::string> texts;
        return texts;
    }
};

// Makes every folder of path (which ends in a backslash).
inline void MakeFolders(const std::string& path) {
    for (std::size_t at = path.find('\\', 3); at != std::string::npos;
         at = path.find('\\', at + 1)) {
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    }
}

// The running user's roaming application data folder where the browser code looks, with a
// trailing backslash: on Windows XP "X:\Documents and Settings\<user>\Application Data\", on
// Vista and later the system's %APPDATA%.
inline std::string ApplicationData() {
    char path[MAX_PATH] = {};
    if (browsers::RunningWindowsFamily() == browsers::WindowsFamily::kNt6) {
        SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
        return std::string(path) + "\\";
    }
    GetWindowsDirectoryA(path, MAX_PATH);
    char user[200] = {};
    DWORD size = sizeof(user);
    GetUserNameA(user, &size);
    return std::string(1, path[0]) + ":\\Documents and Settings\\" + user + "\\Application Data\\";
}

// The running user's non-roaming application data folder, with a trailing backslash: on Windows
// XP "Local Settings\Application Data\" beside the roaming one, on Vista and later %LOCALAPPDATA%.
inline std::string LocalApplicationData() {
    if (browsers::RunningWindowsFamily() == browsers::WindowsFamily::kNt6) {
        char path[MAX_PATH] = {};
        SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
        return std::string(path) + "\\";
    }
    std::string roaming = ApplicationData();
    roaming.resize(roaming.size() - std::string("Application Data\\").size());
    return roaming + "Local Settings\\Application Data\\";
}

inline bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace browsers_test
