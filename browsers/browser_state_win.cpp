#include <windows.h>

#include "browsers/browser_files.h"
#include "browsers/browser_state.h"
#include "browsers/internet_explorer.h"
#include "browsers/netscape.h"
#include "browsers/opera.h"
#include "browsers/path_text.h"
#include "browsers/system_browsers.h"
#include "platform/win/reg_key.h"
#include "proxy/settings.h"

namespace browsers {

namespace {

constexpr DWORD kOperaValueBuffer = 260;

// The uninstaller looks for Opera 7 through "Last Directory2" alone.
void DetectOperaVersions(BrowserConfigState& state, bool consultCommandLineV2) {
    platform::RegKey key;
    if (key.Open(HKEY_CURRENT_USER, kOperaKey) != ERROR_SUCCESS) return;
    std::string value;
    if (key.QueryString("Last CommandLine", &value, kOperaValueBuffer) == ERROR_SUCCESS &&
        FileFound(value)) {
        state.opera6Installed = 1;
    }
    if (key.QueryString("Last Directory2", &value, kOperaValueBuffer) == ERROR_SUCCESS) {
        if (FileFound(WithoutTrailingBackslash(value) + "\\Opera.exe")) state.opera7Installed = 1;
    } else if (consultCommandLineV2 &&
               key.QueryString("Last CommandLine v2", &value, kOperaValueBuffer) == ERROR_SUCCESS &&
               FileFound(value)) {
        state.opera7Installed = 1;
    }
}

void ResetFlagsOfAbsentBrowsers(const BrowserConfigState& state) {
    platform::RegKey key;
    if (key.Create(HKEY_CURRENT_USER, kProxySettingKey) != ERROR_SUCCESS) return;
    if (!state.mozillaInstalled) key.SetDword(kNetscapeFlag, 0);
    if (!state.opera6Installed) key.SetDword(kOpera6Flag, 0);
    if (!state.opera7Installed) key.SetDword(kOpera7Flag, 0);
}

void ReadFlag(const platform::RegKey& key, const char* name, std::int32_t* flag) {
    DWORD value = 0;
    if (key.QueryDword(name, &value) == ERROR_SUCCESS) *flag = static_cast<std::int32_t>(value);
}

}  // namespace

void DetectOpera(BrowserConfigState& state) { DetectOperaVersions(state, true); }

void DetectMozilla(BrowserConfigState& state) {
    if (FirefoxProfilesListed()) {
        state.firefoxInstalled = 1;
        state.mozillaInstalled = 1;
    }
    platform::RegKey key;
    if (key.Open(HKEY_CURRENT_USER, "Software\\Mozilla", KEY_READ) != ERROR_SUCCESS) return;
    if (!key.SubKeyNames().empty()) state.mozillaInstalled = 1;
}

void DetectInstalledBrowsers(BrowserConfigState& state) {
    DetectOpera(state);
    DetectMozilla(state);
    DetectSystemBrowsers(state);
    ResetFlagsOfAbsentBrowsers(state);
}

void DetectInstalledBrowsersForUninstall(BrowserConfigState& state) {
    DetectOperaVersions(state, false);
    DetectMozilla(state);
}

void WriteConfigFlag(const char* name, std::int32_t value) {
    platform::RegKey key;
    if (key.Create(HKEY_CURRENT_USER, kProxySettingKey) != ERROR_SUCCESS) return;
    key.SetDword(name, static_cast<DWORD>(value));
}

void RefreshBrowserConfigState(BrowserConfigState& state, proxy::AppSettings& settings) {
    {
        platform::RegKey key;
        if (key.Open(HKEY_CURRENT_USER, kProxySettingKey) == ERROR_SUCCESS) {
            ReadFlag(key, kLanFlag, &state.lanIsConfigured);
            ReadFlag(key, kDialUpFlag, &state.dialUpIsConfigured);
            ReadFlag(key, kNetscapeFlag, &state.netscapeIsConfigured);
            ReadFlag(key, kOpera6Flag, &state.opera6IsConfigured);
            ReadFlag(key, kOpera7Flag, &state.opera7IsConfigured);
        }
    }
    DetectInstalledBrowsers(state);

    state.ieUsesProxy = IsInternetExplorerConfigured();
    if (!state.ieUsesProxy) {
        state.lanIsConfigured = 0;
        state.dialUpIsConfigured = 0;
    }
    if (state.mozillaInstalled) {
        NetscapeProfiles profiles;
        state.netscapeIsConfigured = profiles.AnyProfileUsesProxy();
    }
    if (state.opera6Installed || state.opera7Installed) {
        OperaSettings opera(state.opera6Installed != 0, state.opera7Installed != 0);
        opera.CheckOperaConfigured(state);
    }
    if (NothingConfigured(state)) settings.PopupCheckEnabled.store(0, std::memory_order_relaxed);
}

}  // namespace browsers
