#include <windows.h>

#include "core/app_state.h"
#include "core/language.h"
#include "platform/win/message_box.h"
#include "platform/win/reg_key.h"

namespace core {
namespace {

bool ReadText(const platform::RegKey& key, const char* name, std::string* field) {
    return key.QueryString(name, field, kAppStateTextBuffer) == ERROR_SUCCESS;
}

}  // namespace

bool LoadAppState(AppState& state) {
    const std::string corrupted = GetLanguageString(state, texts::kFilesCorrupted);
    platform::RegKey key;
    bool complete = key.Open(HKEY_CURRENT_USER, kAppKeyPath) == ERROR_SUCCESS;
    if (complete && !ReadText(key, "Wizard Message", &state.wizardMessage)) {
        state.wizardMessage = "A";
    }
    complete = complete && ReadText(key, "Language", &state.language) &&
               ReadText(key, "Path", &state.installPath) &&
               ReadText(key, "Blocked Popups", &state.blockedPopups) &&
               ReadText(key, "User Wav Path", &state.userWavPath);
    if (!complete) {
        platform::ShowMessageBox(nullptr, corrupted, AppTitle(state), MB_OK);
        return false;
    }
    DWORD closeToTray = 0;
    if (key.QueryDword("Close To Tray", &closeToTray) == ERROR_SUCCESS) {
        state.closeToTray = static_cast<std::int32_t>(closeToTray);
    }
    return true;
}

bool MakeUserKeyFromDefaults() {
    platform::RegKey user;
    std::string path;
    if (user.Open(HKEY_CURRENT_USER, kAppKeyPath, KEY_READ) == ERROR_SUCCESS &&
        ReadText(user, "Path", &path)) {
        return false;
    }
    platform::RegKey defaults;
    if (defaults.Open(HKEY_LOCAL_MACHINE, kAppKeyPath, KEY_READ) != ERROR_SUCCESS ||
        !ReadText(defaults, "Path", &path)) {
        return false;
    }
    if (user.Create(HKEY_CURRENT_USER, kAppKeyPath) != ERROR_SUCCESS) return false;
    for (const char* name : {"Path", "Install Path", "Language", "User Wav Path"}) {
        std::string value;
        if (ReadText(defaults, name, &value)) user.SetString(name, value);
    }
    std::string existing;
    if (!ReadText(user, "Blocked Popups", &existing)) user.SetString("Blocked Popups", "0");
    user.SetDword("FirstRun", 1);
    user.SetDword("ShowAtStart", 1);
    return true;
}

void SaveRunValue(const std::string& installPath, int startupMode) {
    platform::RegKey currentVersion;
    currentVersion.Open(HKEY_CURRENT_USER, kRunKeyParentPath);
    currentVersion.SetSubKeyString("Run", kRunValueName, RunValueFor(installPath, startupMode));
}

void SaveAppState(const AppState& state, int startupMode) {
    const char kProgramKey[] = "Korvo Popup Killer";
    platform::RegKey software;
    software.Open(HKEY_CURRENT_USER, "Software");
    software.SetSubKeyString(kProgramKey, "Blocked Popups", state.blockedPopups);
    software.SetSubKeyString(kProgramKey, "User Wav Path", state.userWavPath);
    software.SetSubKeyString(kProgramKey, "Wizard Message", state.wizardMessage);
    if (state.languageChanged != 0) {
        software.SetSubKeyString(kProgramKey, "Language", state.language);
    }
    software.Close();

    SaveRunValue(state.installPath, startupMode);

    platform::RegKey app;
    app.Open(HKEY_CURRENT_USER, kAppKeyPath);
    app.SetDword("Close To Tray", static_cast<DWORD>(state.closeToTray));
}

}  // namespace core
