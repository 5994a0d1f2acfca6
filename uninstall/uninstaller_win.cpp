#include <windows.h>

#include "browsers/browser_messages.h"
#include "browsers/hosts_file.h"
#include "browsers/netscape.h"
#include "browsers/opera.h"
#include "core/app_state.h"
#include "core/instance_window.h"
#include "core/secure_root_folder.h"
#include "platform/tls.h"
#include "platform/win/reg_key.h"
#include "uninstall/uninstall_texts.h"
#include "uninstall/uninstaller.h"

namespace uninstall {
namespace {

void ReadFlag(const platform::RegKey& key, const char* name, std::int32_t* flag) {
    DWORD value = 0;
    if (key.QueryDword(name, &value) == ERROR_SUCCESS) *flag = static_cast<std::int32_t>(value);
}

// The browsers' error boxes take their texts from the uninstaller's language file while it
// resets them, and the tray program's defaults again afterwards.
class UninstallMessageTexts {
  public:
    UninstallMessageTexts(const std::string& languageFile, const std::string& caption) {
        browsers::SetBrowserMessageTexts({[languageFile](const core::LanguageText& text) {
                                              return UninstallText(languageFile, text);
                                          },
                                          [caption] { return caption; }});
    }
    ~UninstallMessageTexts() { browsers::SetBrowserMessageTexts({}); }
    UninstallMessageTexts(const UninstallMessageTexts&) = delete;
    UninstallMessageTexts& operator=(const UninstallMessageTexts&) = delete;
};

}  // namespace

Uninstaller::Uninstaller() : userFolder(core::UserFilesFolder()) {}

int Uninstaller::Run() {
    UninstallProduct();
    // Last, once the tray program has ended: while it runs it holds the root's keys open, and
    // Wine writes a key back into its container when the last handle to it closes.
    RemoveSecureRoot();
    return 0;
}

void Uninstaller::UninstallProduct() {
    platform::RegKey appKey;
    if (appKey.Open(HKEY_CURRENT_USER, core::kAppKeyPath) == ERROR_SUCCESS) {
        platform::RegKey proxySetting;
        if (proxySetting.Open(HKEY_CURRENT_USER, browsers::kProxySettingKey) != ERROR_SUCCESS) {
            return;
        }
    } else if (appKey.Open(HKEY_LOCAL_MACHINE, core::kAppKeyPath, KEY_READ) != ERROR_SUCCESS) {
        return;
    }
    appKey.QueryString("Path", &path, core::kAppStateTextBuffer);
    if (appKey.QueryString("Language", &language, core::kAppStateTextBuffer) != ERROR_SUCCESS) {
        language = kDefaultLanguage;
    }

    RestoreHostsFile();
    trayTitle = core::InstanceWindowTitle(LanguageFile());
    NotifyTrayProgram();
    ResetAllBrowsers();
}

bool Uninstaller::RemoveSecureRoot() {
    if (rootFolder.empty()) rootFolder = core::SecureRootFolder();
    if (rootFolder.empty()) return true;
    std::string error;
    if (platform::RemoveTlsRoot(rootFolder, error)) {
        // The product's folder in the user's application data goes too once nothing else is in
        // it.
        RemoveDirectoryA(rootFolder.substr(0, rootFolder.find_last_of('\\')).c_str());
        return true;
    }
    OutputDebugStringA(("KorvoUIn: the secure pages' root stays: " + error + "\n").c_str());
    return false;
}

bool Uninstaller::RestoreHostsFile() {
    return browsers::RemoveProgramHostsEntries(path, userFolder, browsers::kProxyHost);
}

void Uninstaller::NotifyTrayProgram() {
    // An empty title would match any untitled window.
    if (trayTitle.empty()) return;
    HWND tray = FindWindowA(nullptr, trayTitle.c_str());
    if (tray == nullptr) return;
    DWORD processId = 0;
    GetWindowThreadProcessId(tray, &processId);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    PostMessageA(tray, core::kMsgUninstalling, 0, 0);
    // What follows must not race the program's own end; a program that does not end in time is
    // left to end later.
    if (process != nullptr) {
        WaitForSingleObject(process, kTrayEndWaitMs);
        CloseHandle(process);
    }
}

void Uninstaller::LoadUninstallBrowserState() {
    {
        platform::RegKey key;
        if (key.Open(HKEY_CURRENT_USER, browsers::kProxySettingKey, KEY_READ) == ERROR_SUCCESS) {
            ReadFlag(key, browsers::kLanFlag, &state.lanIsConfigured);
            ReadFlag(key, browsers::kDialUpFlag, &state.dialUpIsConfigured);
            ReadFlag(key, browsers::kNetscapeFlag, &state.netscapeIsConfigured);
            ReadFlag(key, browsers::kOpera6Flag, &state.opera6IsConfigured);
            ReadFlag(key, browsers::kOpera7Flag, &state.opera7IsConfigured);
        }
    }
    browsers::DetectInstalledBrowsersForUninstall(state);

    if (!state.lanIsConfigured && !state.dialUpIsConfigured) {
        state.ieUsesProxy = browsers::IsInternetExplorerConfigured();
    }
    if (!state.netscapeIsConfigured && state.mozillaInstalled) {
        browsers::NetscapeProfiles profiles;
        state.netscapeIsConfigured = profiles.AnyProfileUsesProxy();
    }
    if ((!state.opera6IsConfigured && state.opera6Installed) ||
        (!state.opera7IsConfigured && state.opera7Installed)) {
        browsers::OperaSettings opera(state.opera6Installed != 0, state.opera7Installed != 0);
        opera.CheckOperaConfiguredForUninstall(state);
    }
}

void Uninstaller::ResetAllBrowsers() {
    const UninstallMessageTexts texts(LanguageFile(),
                                      UninstallText(LanguageFile(), core::texts::kAppTitle));
    LoadUninstallBrowserState();
    if (state.ieUsesProxy || state.lanIsConfigured || state.dialUpIsConfigured) {
        connections.LoadUninstallConnections();
        browsers::ResetInternetExplorerProxyForUninstall(connections, state);
    }
    if (state.netscapeIsConfigured) {
        browsers::NetscapeProfiles profiles;
        profiles.LoadUninstallProfiles();
        profiles.ResetNetscapeProxyForUninstall();
    }
    if (state.opera6IsConfigured || state.opera7IsConfigured) {
        browsers::OperaSettings opera(state.opera6IsConfigured != 0, state.opera7IsConfigured != 0);
        opera.ResetOperaProxyForUninstall(state);
    }
}

std::string Uninstaller::LanguageFile() const { return UninstallLanguageFile(path, language); }

}  // namespace uninstall
