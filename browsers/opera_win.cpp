#include <windows.h>

#include "browsers/browser_files.h"
#include "browsers/browser_messages.h"
#include "browsers/opera.h"
#include "browsers/text_lines.h"
#include "platform/profile.h"
#include "platform/win/reg_key.h"
#include "platform/win/user_folders.h"

namespace browsers {

namespace {

constexpr DWORD kOperaValueBuffer = 260;
constexpr DWORD kUserNameBuffer = 200;

std::optional<std::string> ReadValue(const platform::RegKey& key, const char* name) {
    std::string value;
    if (key.QueryString(name, &value, kOperaValueBuffer) != ERROR_SUCCESS) return std::nullopt;
    return value;
}

OperaRegistryValues ReadOperaValues() {
    OperaRegistryValues values;
    platform::RegKey key;
    if (key.Open(HKEY_CURRENT_USER, kOperaKey) != ERROR_SUCCESS) return values;
    values.keyOpened = true;
    values.lastCommandLine = ReadValue(key, "Last CommandLine");
    values.lastDirectory2 = ReadValue(key, "Last Directory2");
    values.lastCommandLineV2 = ReadValue(key, "Last CommandLine v2");
    return values;
}

OperaSystem RunningSystem() {
    OperaSystem system;
    system.family = RunningWindowsFamily();
    char windows[MAX_PATH] = {};
    UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
    if (length > 0 && length < MAX_PATH) system.windowsDirectory = windows;
    char user[kUserNameBuffer] = {};
    DWORD userLength = kUserNameBuffer;
    if (GetUserNameA(user, &userLength)) system.userName = user;
    system.appData = platform::RoamingAppDataFolder();
    system.fileExists = FileFound;
    system.readMultiUser = [](const std::string& operaDef6Ini) {
        return platform::ReadProfileText("System", "Multi User", "2", operaDef6Ini, 2);
    };
    return system;
}

// The message of a locator failure, for set or for reset.
void ShowLocateError(int result, bool set, const OperaSettings& opera) {
    const std::string& opera6 = opera.opera6IniPath;
    const std::string& opera7 = opera.opera7IniPath;
    switch (result) {
        case kOpera6FileMissing:
            if (set) {
                ShowBrowserError(core::texts::kOpera6SetFailed, {{"%s", opera6}});
            } else {
                ShowBrowserError(core::texts::kOpera6ResetFailed, {{"%s", opera6}});
            }
            break;
        case kOpera7FileMissing:
            if (set) {
                ShowBrowserError(core::texts::kOpera7SetFailed, {{"%s", opera7}});
            } else {
                ShowBrowserError(core::texts::kOpera7ResetFailed, {{"%s", opera7}});
            }
            break;
        case kBothFilesMissing:
            if (set) {
                ShowBrowserError(core::texts::kOperaBothSetFailed,
                                 {{"%s1", opera6}, {"%s2", opera7}});
            } else {
                ShowBrowserError(core::texts::kOperaBothResetFailed,
                                 {{"%s1", opera6}, {"%s2", opera7}});
            }
            break;
        default:
            ShowBrowserError(core::texts::kOperaKeyMissing);
            break;
    }
}

void RecordOpera(const char* flagName, std::int32_t* flag, std::int32_t value) {
    *flag = value;
    WriteConfigFlag(flagName, value);
}

// Rewrites the file with edit(content); true when it holds the edited content afterwards.
template <typename Edit>
bool EditIni(const std::string& path, Edit edit) {
    std::string content;
    if (!ReadBrowserFile(path, &content)) return false;
    std::string edited = edit(content);
    return edited == content || ReplaceBrowserFile(path, edited);
}

}  // namespace

bool WriteOperaProxy(const std::string& host, const std::string& port, bool securePages,
                     const std::string& path) {
    return EditIni(path, [&](const std::string& ini) {
        return SetOperaProxyText(ini, host, port, kNativeLineEnding, securePages);
    });
}

bool ClearOperaProxy(const std::string& path) { return EditIni(path, ResetOperaProxyText); }

bool IniUsesProxy(const std::string& path) {
    std::string content;
    return ReadBrowserFile(path, &content) && IniTextUsesProxy(content);
}

int OperaSettings::LocateOperaIni() { return LocateFrom(ReadOperaValues(), RunningSystem()); }

bool OperaSettings::SetOperaProxy(const std::string& host, const std::string& port,
                                  bool securePages, BrowserConfigState& state) {
    int located = LocateOperaIni();
    if (located != kOperaFilesFound) {
        ShowLocateError(located, true, *this);
        return false;
    }
    if (useOpera6 && WriteOperaProxy(host, port, securePages, opera6IniPath)) {
        RecordOpera(kOpera6Flag, &state.opera6IsConfigured, 1);
    }
    if (useOpera7 && WriteOperaProxy(host, port, securePages, opera7IniPath)) {
        RecordOpera(kOpera7Flag, &state.opera7IsConfigured, 1);
    }
    return true;
}

bool OperaSettings::ResetOperaProxy(BrowserConfigState& state) { return Reset(state, true); }

bool OperaSettings::ResetOperaProxyForUninstall(BrowserConfigState& state) {
    return Reset(state, false);
}

bool OperaSettings::Reset(BrowserConfigState& state, bool clearDefaults) {
    int located = LocateOperaIni();
    if (located != kOperaFilesFound) {
        ShowLocateError(located, false, *this);
        return false;
    }
    if (useOpera6 && ClearOperaProxy(opera6IniPath)) {
        RecordOpera(kOpera6Flag, &state.opera6IsConfigured, 0);
    }
    if (useOpera7) {
        if (ClearOperaProxy(opera7IniPath)) RecordOpera(kOpera7Flag, &state.opera7IsConfigured, 0);
        if (clearDefaults) ClearOperaProxy(operaDef6IniPath);
    }
    return true;
}

void OperaSettings::CheckOperaConfigured(BrowserConfigState& state) { Check(state, true); }

void OperaSettings::CheckOperaConfiguredForUninstall(BrowserConfigState& state) {
    Check(state, false);
}

void OperaSettings::Check(BrowserConfigState& state, bool testDefaults) {
    if (LocateOperaIni() != kOperaFilesFound) return;
    if (useOpera6) state.opera6IsConfigured = IniUsesProxy(opera6IniPath);
    if (useOpera7) {
        int configured = IniUsesProxy(opera7IniPath);
        if (!configured && testDefaults) configured = IniUsesProxy(operaDef6IniPath);
        state.opera7IsConfigured = configured;
    }
}

}  // namespace browsers
