// Browser detection and RefreshBrowserConfigState with the real Internet Explorer, Netscape and
// Opera tests, against the registry and files of the test prefix.
#include <gtest/gtest.h>

#include <cstdlib>

#include "browsers/opera.h"
#include "browsers/windows_family.h"
#include "browsers/wizard_state.h"
#include "core/windows_version.h"
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
        for (const char* key : {kProxySettingKey, kOperaKey, kMozillaKey, kConnectionsKey}) {
            DeleteKeyTree(HKEY_CURRENT_USER, key);
        }
        SetDword(kInternetSettingsKey, "ProxyEnable", 0);
        RemoveSystemBrowsers();
        MakeFolders(opera_);
        WriteFile(opera_ + "Opera.exe", "");
    }
    void TearDown() override {
        SetUp();
        test_folder::RemoveTree(ApplicationData() + "Mozilla\\");
    }

    proxy::AppSettings settings_;
    test_folder::TemporaryFolder root_;
    const std::string opera_ = root_.Path() + "Opera\\";
};

// The test prefix reports the Windows version its level names (KORVO_WINE_VERSION: winxp, the
// default, or win10), and the browser code picks that version's family of folders.
TEST(WindowsFamily, IsTheOneOfTheTestLevel) {
    const char* level = std::getenv("KORVO_WINE_VERSION");
    const core::WindowsVersion version;
    if (level != nullptr && std::string(level) == "win10") {
        EXPECT_EQ(version.Version().majorVersion, 10u);
        EXPECT_EQ(RunningWindowsFamily(), WindowsFamily::kNt6);
    } else {
        EXPECT_TRUE(version.IsWindowsXP());
        EXPECT_EQ(RunningWindowsFamily(), WindowsFamily::kNt5);
    }
}

TEST_F(BrowsersState, FlagsFromTheRegistryGiveWayToTheLiveTests) {
    BrowserConfigState firstRun;
    RefreshBrowserConfigState(firstRun, settings_);
    EXPECT_EQ(firstRun.lanIsConfigured + firstRun.netscapeIsConfigured + firstRun.ieUsesProxy +
                  firstRun.mozillaInstalled + firstRun.opera6Installed,
              0);
    EXPECT_EQ(settings_.PopupCheckEnabled.load(), 0);
    EXPECT_EQ(ReadFlag(kNetscapeFlag) + ReadFlag(kOpera6Flag) + ReadFlag(kLanFlag), "00-");

    settings_.PopupCheckEnabled = 1;
    SetDword(kProxySettingKey, kLanFlag, 1);
    SetDword(kProxySettingKey, kOpera6Flag, 1);
    SetString(kProxySettingKey, kOpera7Flag, "unreadable");
    BrowserConfigState state;
    state.opera7IsConfigured = 1;
    RefreshBrowserConfigState(state, settings_);
    EXPECT_EQ(state.lanIsConfigured, 0);     // Internet Explorer has no proxy enabled
    EXPECT_EQ(state.opera6IsConfigured, 1);  // Opera is gone: kept for this run only
    EXPECT_EQ(state.opera7IsConfigured, 1);
    EXPECT_EQ(settings_.PopupCheckEnabled.load(), 1);
    EXPECT_EQ(ReadFlag(kLanFlag) + ReadFlag(kOpera6Flag), "10");
}

TEST_F(BrowsersState, BrowsersAreDetectedByTheirProgramsAndKeys) {
    const std::string program = opera_ + "Opera.exe";
    struct Case {
        std::string commandLine, directory2, commandLineV2;
        int opera6, opera7, uninstallOpera7;
    } cases[] = {
        {program, opera_, "", 1, 1, 1},
        {"\"" + program + "\" -url", "", "", 0, 0, 0},
        {"", "", program, 0, 1, 0},
        {"", root_.Path() + "Empty", program, 0, 0, 0},
    };
    for (const Case& c : cases) {
        DeleteKeyTree(HKEY_CURRENT_USER, kOperaKey);
        SetString(kOperaKey, "Other", "");
        if (!c.commandLine.empty()) SetString(kOperaKey, "Last CommandLine", c.commandLine);
        if (!c.directory2.empty()) SetString(kOperaKey, "Last Directory2", c.directory2);
        if (!c.commandLineV2.empty()) SetString(kOperaKey, "Last CommandLine v2", c.commandLineV2);
        BrowserConfigState state, uninstall;
        DetectInstalledBrowsers(state);
        DetectInstalledBrowsersForUninstall(uninstall);
        EXPECT_EQ(state.opera6Installed, c.opera6) << c.commandLine;
        EXPECT_EQ(state.opera7Installed, c.opera7) << c.commandLineV2;
        EXPECT_EQ(uninstall.opera7Installed, c.uninstallOpera7) << c.commandLineV2;
    }
    BrowserConfigState state;
    SetString(kMozillaKey, "Other", "");
    DetectMozilla(state);
    EXPECT_EQ(state.mozillaInstalled, 0);
    SetString(std::string(kMozillaKey) + "\\Mozilla 1.7", "CurrentVersion", "1.7");
    DetectMozilla(state);
    EXPECT_EQ(state.mozillaInstalled, 1);
}

// Today's Firefox is found by its profiles.ini alone; Chrome and Edge by an App Paths entry of
// the user or of the machine whose program exists.
TEST_F(BrowsersState, TodaysBrowsersAreFoundByWhatTheirInstallersLeave) {
    const std::string firefox = ApplicationData() + "Mozilla\\Firefox\\";
    MakeFolders(firefox);
    WriteFile(firefox + "profiles.ini",
              "[Profile0]\r\nName=default\r\nIsRelative=1\r\n"
              "Path=Profiles/abcd.default\r\nDefault=1\r\n");
    const std::string chrome = root_.Path() + "Chrome\\chrome.exe";
    const std::string edge = root_.Path() + "Edge\\msedge.exe";
    MakeFolders(root_.Path() + "Chrome\\");
    MakeFolders(root_.Path() + "Edge\\");
    SetAppPath(HKEY_CURRENT_USER, "chrome.exe", "\"" + chrome + "\"");
    SetAppPath(HKEY_LOCAL_MACHINE, "msedge.exe", edge);
    SetDword(kProxySettingKey, kNetscapeFlag, 1);

    BrowserConfigState state;
    DetectInstalledBrowsers(state);
    EXPECT_EQ(state.mozillaInstalled, 1);
    EXPECT_EQ(state.firefoxInstalled, 1);
    EXPECT_EQ(ReadFlag(kNetscapeFlag), "1");  // a Mozilla browser is there: its flag stays
    EXPECT_EQ(state.chromeInstalled + state.edgeInstalled, 0);  // their programs are gone

    WriteFile(chrome, "");
    WriteFile(edge, "");
    DetectInstalledBrowsers(state);
    EXPECT_EQ(state.chromeInstalled, 1);
    EXPECT_EQ(state.edgeInstalled, 1);

    // Entries the other way round: Chrome for the machine, Edge for the user.
    RemoveSystemBrowsers();
    SetAppPath(HKEY_LOCAL_MACHINE, "chrome.exe", chrome);
    BrowserConfigState machineChrome;
    DetectInstalledBrowsers(machineChrome);
    EXPECT_EQ(machineChrome.chromeInstalled, 1);
    EXPECT_EQ(machineChrome.edgeInstalled, 0);
    SetAppPath(HKEY_CURRENT_USER, "msedge.exe", edge);
    DetectInstalledBrowsers(machineChrome);
    EXPECT_EQ(machineChrome.edgeInstalled, 1);

    // An older Mozilla browser alone is not called Firefox.
    test_folder::RemoveTree(ApplicationData() + "Mozilla\\");
    SetString(std::string(kMozillaKey) + "\\Mozilla 1.7", "CurrentVersion", "1.7");
    BrowserConfigState older;
    DetectMozilla(older);
    EXPECT_EQ(older.mozillaInstalled, 1);
    EXPECT_EQ(older.firefoxInstalled, 0);
}

TEST_F(BrowsersState, RefreshRunsEachBrowsersLiveTest) {
    SetString(std::string(kMozillaKey) + "\\Mozilla 1.7", "CurrentVersion", "1.7");
    const std::string salted = ApplicationData() + "Mozilla\\Profiles\\default\\ab12cd34.slt\\";
    MakeFolders(salted);
    WriteFile(salted + "prefs.js",
              "user_pref(\"network.proxy.http\", \"KorvoPopupKiller\");\r\n"
              "user_pref(\"network.proxy.http_port\", 8100);\r\n"
              "user_pref(\"network.proxy.type\", 1);\r\n");
    WriteFile(opera_ + "opera6.ini",
              "[Proxy]\r\nUse HTTP=1\r\nHTTP Server=KorvoPopupKiller:8100\r\n");
    SetString(kOperaKey, "Last CommandLine", opera_ + "Opera.exe");
    WizardState wizard;
    wizard.lanChosen = 1;
    BrowserConfigState configured;
    SetInternetExplorerProxy(wizard, configured);

    BrowserConfigState state;
    RefreshBrowserConfigState(state, settings_);
    EXPECT_EQ(state.ieUsesProxy + state.lanIsConfigured, 2);
    EXPECT_EQ(state.mozillaInstalled + state.netscapeIsConfigured, 2);
    EXPECT_EQ(state.opera6Installed + state.opera6IsConfigured, 2);
    EXPECT_EQ(state.opera7Installed, 0);
    EXPECT_EQ(settings_.PopupCheckEnabled.load(), 1);

    ResetInternetExplorerProxy(wizard, configured);
    OperaSettings(true, false).ResetOperaProxy(configured);
    test_folder::RemoveTree(ApplicationData() + "Mozilla\\");
    RefreshBrowserConfigState(state, settings_);
    EXPECT_EQ(state.ieUsesProxy + state.lanIsConfigured + state.netscapeIsConfigured +
                  state.opera6IsConfigured,
              0);
    EXPECT_EQ(settings_.PopupCheckEnabled.load(), 0);
}

}  // namespace
}  // namespace browsers
