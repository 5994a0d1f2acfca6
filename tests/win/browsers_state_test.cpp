// Browser detection and RefreshBrowserConfigState with the real Internet Explorer, Netscape and
// Opera tests, against the registry and files of the test prefix.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "browsers/internet_explorer.h"
#include "browsers/opera.h"
#include "browsers/wizard_state.h"
#include "proxy/settings.h"
#include "tests/win/browsers_support.h"

namespace browsers {
namespace {

using namespace browsers_test;
using test_folder::WriteFile;

const char kMozillaKey[] = "Software\\Mozilla";

class BrowsersState : public ::testing::Test {
  protected:
    void SetUp() override {
        CleanRegistry();
        SetDword(kInternetSettingsKey, "ProxyEnable", 0);
        settings_.PopupCheckEnabled = 1;
    }
    void TearDown() override {
        CleanRegistry();
        test_folder::RemoveTree(ApplicationData() + "Mozilla\\");
    }
    static void CleanRegistry() {
        for (const char* key : {kProxySettingKey, kOperaKey, kMozillaKey, kConnectionsKey}) {
            DeleteKeyTree(HKEY_CURRENT_USER, key);
        }
    }

    // A Mozilla installation with one profile whose prefs.js points at the proxy.
    void AddMozillaProfileUsingProxy() {
        SetString(std::string(kMozillaKey) + "\\Mozilla 1.7", "CurrentVersion", "1.7");
        std::string salted = ApplicationData() + "Mozilla\\Profiles\\default\\ab12cd34.slt\\";
        MakeFolders(salted);
        WriteFile(salted + "prefs.js",
                  "user_pref(\"network.proxy.http\", \"KorvoPopupKiller\");\r\n"
                  "user_pref(\"network.proxy.http_port\", 8100);\r\n"
                  "user_pref(\"network.proxy.type\", 1);\r\n");
    }

    proxy::AppSettings settings_;
    test_folder::TemporaryFolder root_;
};

TEST_F(BrowsersState, FirstRunFindsNothingAndSwitchesCatchingOff) {
    BrowserConfigState state;
    RefreshBrowserConfigState(state, settings_);
    for (std::int32_t flag :
         {state.lanIsConfigured, state.dialUpIsConfigured, state.netscapeIsConfigured,
          state.opera6IsConfigured, state.opera7IsConfigured, state.opera6Installed,
          state.opera7Installed, state.mozillaInstalled, state.ieUsesProxy}) {
        EXPECT_EQ(flag, 0);
    }
    EXPECT_EQ(settings_.PopupCheckEnabled.load(), 0);
    EXPECT_EQ(ReadFlag(kNetscapeFlag), 0);
    EXPECT_EQ(ReadFlag(kOpera6Flag), 0);
    EXPECT_EQ(ReadFlag(kOpera7Flag), 0);
    EXPECT_EQ(ReadFlag(kLanFlag), -1);
}

TEST_F(BrowsersState, StaleFlagsGiveWayToTheLiveTestsInMemoryOnly) {
    SetDword(kProxySettingKey, kLanFlag, 1);
    SetDword(kProxySettingKey, kDialUpFlag, 1);
    SetDword(kProxySettingKey, kOpera6Flag, 1);
    BrowserConfigState state;
    RefreshBrowserConfigState(state, settings_);
    EXPECT_EQ(state.lanIsConfigured, 0);
    EXPECT_EQ(state.dialUpIsConfigured, 0);
    // Opera is not installed: its flag stays as read for this run, the registry copy drops.
    EXPECT_EQ(state.opera6IsConfigured, 1);
    EXPECT_EQ(settings_.PopupCheckEnabled.load(), 1);
    EXPECT_EQ(ReadFlag(kLanFlag), 1);
    EXPECT_EQ(ReadFlag(kOpera6Flag), 0);

    BrowserConfigState nextRun;
    RefreshBrowserConfigState(nextRun, settings_);
    EXPECT_EQ(nextRun.opera6IsConfigured, 0);
    EXPECT_EQ(settings_.PopupCheckEnabled.load(), 0);
}

TEST_F(BrowsersState, UnreadableFlagKeepsItsValue) {
    SetString(kProxySettingKey, kOpera7Flag, "not a number");
    BrowserConfigState state;
    state.opera7IsConfigured = 1;
    RefreshBrowserConfigState(state, settings_);
    EXPECT_EQ(state.opera7IsConfigured, 1);
}

TEST_F(BrowsersState, OperaIsDetectedByItsProgramFiles) {
    const std::string folder = root_.Path() + "Opera7";
    const std::string program = folder + "\\Opera.exe";
    MakeFolders(folder + "\\");
    WriteFile(program, "");
    struct Case {
        const char* what;
        const char* commandLine;
        const char* directory2;
        const char* commandLineV2;
        int opera6, opera7, uninstallOpera7;
    } cases[] = {
        {"both by their values", "P", "F", nullptr, 1, 1, 1},
        {"Opera 6 with quotes is not found", "\"P\" -url", nullptr, nullptr, 0, 0, 0},
        {"Opera 7 by its command line only", nullptr, nullptr, "P", 0, 1, 0},
        {"folder without Opera.exe, command line present", nullptr, "X", "P", 0, 0, 0},
    };
    for (const Case& c : cases) {
        DeleteKeyTree(HKEY_CURRENT_USER, kOperaKey);
        auto value = [&](const char* v) {
            std::string text = v;
            if (text == "P") return program;
            if (text == "F") return folder;
            if (text == "X") return root_.Path() + "Empty";
            if (text == "\"P\" -url") return "\"" + program + "\" -url";
            return text;
        };
        SetString(kOperaKey, "Unrelated", "x");
        if (c.commandLine) SetString(kOperaKey, "Last CommandLine", value(c.commandLine));
        if (c.directory2) SetString(kOperaKey, "Last Directory2", value(c.directory2));
        if (c.commandLineV2) SetString(kOperaKey, "Last CommandLine v2", value(c.commandLineV2));
        BrowserConfigState state;
        DetectInstalledBrowsers(state);
        EXPECT_EQ(state.opera6Installed, c.opera6) << c.what;
        EXPECT_EQ(state.opera7Installed, c.opera7) << c.what;
        BrowserConfigState uninstall;
        DetectInstalledBrowsersForUninstall(uninstall);
        EXPECT_EQ(uninstall.opera7Installed, c.uninstallOpera7) << c.what;
    }
}

TEST_F(BrowsersState, MozillaNeedsASubkey) {
    SetString(kMozillaKey, "Unrelated", "x");
    BrowserConfigState state;
    DetectMozilla(state);
    EXPECT_EQ(state.mozillaInstalled, 0);
    SetString(std::string(kMozillaKey) + "\\Mozilla 1.7", "CurrentVersion", "1.7");
    DetectMozilla(state);
    EXPECT_EQ(state.mozillaInstalled, 1);
}

TEST_F(BrowsersState, RefreshRunsEachBrowsersLiveTest) {
    AddMozillaProfileUsingProxy();
    const std::string opera6 = root_.Path() + "Opera6\\";
    MakeFolders(opera6);
    WriteFile(opera6 + "Opera.exe", "");
    WriteFile(opera6 + "opera6.ini",
              "[Proxy]\r\nUse HTTP=1\r\nHTTP Server=KorvoPopupKiller:8100\r\n");
    SetString(kOperaKey, "Last CommandLine", opera6 + "Opera.exe");
    WizardState wizard;
    wizard.lanChosen = 1;
    BrowserConfigState configured;
    SetInternetExplorerProxy(wizard, configured);

    BrowserConfigState state;
    RefreshBrowserConfigState(state, settings_);
    EXPECT_EQ(state.ieUsesProxy, 1);
    EXPECT_EQ(state.lanIsConfigured, 1);
    EXPECT_EQ(state.mozillaInstalled, 1);
    EXPECT_EQ(state.netscapeIsConfigured, 1);
    EXPECT_EQ(state.opera6Installed, 1);
    EXPECT_EQ(state.opera6IsConfigured, 1);
    EXPECT_EQ(state.opera7Installed, 0);
    EXPECT_EQ(settings_.PopupCheckEnabled.load(), 1);

    // Everything reset: the live tests report it at once.
    ResetInternetExplorerProxy(wizard, configured);
    WriteFile(opera6 + "opera6.ini", "[Proxy]\r\nUse HTTP=0\r\nHTTP Server\r\n");
    test_folder::RemoveTree(ApplicationData() + "Mozilla\\");
    RefreshBrowserConfigState(state, settings_);
    EXPECT_EQ(state.ieUsesProxy, 0);
    EXPECT_EQ(state.lanIsConfigured, 0);
    EXPECT_EQ(state.netscapeIsConfigured, 0);
    EXPECT_EQ(state.opera6IsConfigured, 0);
    EXPECT_EQ(state.mozillaInstalled, 1);  // installed flags only rise during a run
    EXPECT_EQ(settings_.PopupCheckEnabled.load(), 0);
}

}  // namespace
}  // namespace browsers
