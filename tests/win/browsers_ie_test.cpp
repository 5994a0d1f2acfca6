// Internet Explorer's proxy against the registry and WinINet of the test prefix. WinINet here
// writes no Connections values, so the tests lay those out themselves.
#include <gtest/gtest.h>
#include <windows.h>
#include <wininet.h>

#include <map>

#include "browsers/wizard_state.h"
#include "tests/win/browsers_support.h"

namespace browsers {
namespace {

using namespace browsers_test;

class BrowsersIe : public ::testing::Test {
  protected:
    void SetUp() override {
        DeleteKeyTree(HKEY_CURRENT_USER, kConnectionsKey);
        DeleteKeyTree(HKEY_CURRENT_USER, kProxySettingKey);
        SetDword(kInternetSettingsKey, "ProxyEnable", 0);
        SetValue(kInternetSettingsKey, "ProxyServer", 0, "");
        SetValue(kInternetSettingsKey, "AutoConfigURL", 0, "");
        INTERNET_PER_CONN_OPTIONA option;
        option.dwOption = INTERNET_PER_CONN_AUTOCONFIG_URL;
        option.Value.pszValue = const_cast<char*>("");
        INTERNET_PER_CONN_OPTION_LISTA list = {sizeof(list), nullptr, 1, 0, &option};
        InternetSetOptionA(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, sizeof(list));
    }
    void TearDown() override { SetUp(); }

    static void AddConnection(const std::string& name, char flags, const std::string& proxy,
                              std::size_t padding = 0) {
        std::string value(16, '\0');
        value[8] = flags;
        value[12] = static_cast<char>(proxy.size());
        SetValue(kConnectionsKey, name, REG_BINARY,
                 value + proxy + std::string("\x05\0\0\0local", 9) + std::string(padding, '\0'));
    }

    // A connection pointed at an automatic configuration script, as WinINet lays it out.
    static void AddScriptConnection(const std::string& name, char flags, const std::string& url) {
        std::string value(16, '\0');
        value[8] = flags;
        SetValue(kConnectionsKey, name, REG_BINARY,
                 value + std::string("\x05\0\0\0local", 9) +
                     std::string(1, static_cast<char>(url.size())) + std::string(3, '\0') + url +
                     std::string(32, '\0'));
    }

    static std::map<std::string, int> Disabled(const InternetExplorerConnections& list) {
        std::map<std::string, int> disabled;
        for (std::size_t i = 0; i < list.connections.size(); ++i) {
            disabled[list.connections[i].name] = list.disabledFlags[i];
        }
        return disabled;
    }
};

TEST_F(BrowsersIe, LoadMarksDialUpConnectionsForTheMode) {
    AddConnection("DefaultConnectionSettings", 3, kIeProxyServer);
    AddConnection("SavedLegacySettings", 3, kIeProxyServer);
    AddConnection("Uses Korvo", 3, kIeProxyServer, 400);  // longer than 256 bytes
    AddConnection("Other Proxy", 3, "http=other.example:3128");
    AddConnection("Automatic", 7, kIeProxyServer);
    InternetExplorerConnections set;
    set.LoadDialUpConnections(true);
    EXPECT_EQ(set.connectionCount, 3u);
    EXPECT_EQ(Disabled(set), (std::map<std::string, int>{
                                 {"Automatic", 0}, {"Other Proxy", 0}, {"Uses Korvo", 1}}));
    InternetExplorerConnections reset;
    reset.LoadDialUpConnections(false);
    EXPECT_EQ(reset.configuredCount, 1);

    // With the proxy enabled, a connection that uses it makes Internet Explorer configured.
    SetString(kInternetSettingsKey, "ProxyServer", "http=other:80");
    EXPECT_EQ(IsInternetExplorerConfigured(), 0);
    SetDword(kInternetSettingsKey, "ProxyEnable", 1);
    EXPECT_EQ(IsInternetExplorerConfigured(), 1);

    // The LAN values count for the test of every value.
    SetValue(kConnectionsKey, "Uses Korvo", 0, "");
    EXPECT_EQ(AnyConnectionUsesProxy(), 1);
    SetValue(kConnectionsKey, "DefaultConnectionSettings", 0, "");
    SetValue(kConnectionsKey, "SavedLegacySettings", 0, "");
    EXPECT_EQ(AnyConnectionUsesProxy(), 0);
}

TEST_F(BrowsersIe, LanSetAndResetThroughWinInet) {
    RecordedBoxes boxes;
    WizardState wizard;
    wizard.lanChosen = 1;
    BrowserConfigState state;
    SetInternetExplorerProxy(wizard, state);
    EXPECT_EQ(ReadValue(kInternetSettingsKey, "ProxyEnable"), "1");
    EXPECT_EQ(ReadValue(kInternetSettingsKey, "ProxyServer"), kIeProxyServer);
    EXPECT_EQ(ReadValue(kInternetSettingsKey, "ProxyHttp1.1"), "1");
    EXPECT_EQ(ReadFlag(kLanFlag), "1");
    EXPECT_EQ(ReadFlag(kDialUpFlag), "-");
    EXPECT_EQ(state.lanIsConfigured, 1);
    EXPECT_EQ(IsInternetExplorerConfigured(), 1);

    ResetInternetExplorerProxy(wizard, state);
    EXPECT_EQ(ReadValue(kInternetSettingsKey, "ProxyEnable"), "0");
    EXPECT_EQ(ReadValue(kInternetSettingsKey, "ProxyHttp1.1"), "0");
    EXPECT_EQ(ReadFlag(kLanFlag), "0");
    EXPECT_EQ(state.lanIsConfigured, 0);
    EXPECT_EQ(IsInternetExplorerConfigured(), 0);
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(BrowsersIe, DialUpFlagDropsWithTheLastConfiguredConnection) {
    RecordedBoxes boxes;
    WizardState wizard;
    wizard.dialUpChosen = 1;
    InternetExplorerConnections& list = wizard.ieConnections;
    list.Fill({{"A", false}, {"B", false}, {"C", false}}, ListMode::kSet);
    for (DialUpConnectionInfo& c : list.connections) c.isChecked = 1;
    BrowserConfigState state;
    SetInternetExplorerProxy(wizard, state);
    EXPECT_EQ(ReadFlag(kDialUpFlag), "1");
    EXPECT_EQ(ReadFlag(kLanFlag), "-");

    list.Fill({{"A", true}, {"B", true}, {"C", true}}, ListMode::kReset);
    list.connections[0].isChecked = list.connections[2].isChecked = 1;
    ResetInternetExplorerProxy(wizard, state);
    EXPECT_EQ(ReadFlag(kDialUpFlag), "1");
    EXPECT_EQ(state.dialUpIsConfigured, 1);
    list.connections[0].isChecked = list.connections[2].isChecked = 0;
    list.connections[1].isChecked = 1;
    ResetInternetExplorerProxy(wizard, state);
    EXPECT_EQ(ReadFlag(kDialUpFlag), "0");
    EXPECT_EQ(state.dialUpIsConfigured, 0);

    // The uninstaller resets the LAN and every connection marked as using the proxy.
    SetInternetExplorerProxy(wizard, state);
    AddConnection("Dial", 3, kIeProxyServer);
    InternetExplorerConnections marked;
    marked.LoadUninstallConnections();
    ResetInternetExplorerProxyForUninstall(marked, state);
    EXPECT_EQ(marked.configuredCount, 0);
    EXPECT_EQ(ReadFlag(kDialUpFlag), "0");
    EXPECT_EQ(ReadFlag(kLanFlag), "0");
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(BrowsersIe, WithSecurePagesTheLanNamesTheProxyForHttpsTooAndResetTakesBothOut) {
    RecordedBoxes boxes;
    WizardState wizard;
    wizard.lanChosen = 1;
    wizard.ieTarget.secure = true;
    BrowserConfigState state;
    SetInternetExplorerProxy(wizard, state);
    EXPECT_EQ(ReadValue(kInternetSettingsKey, "ProxyEnable"), "1");
    EXPECT_EQ(ReadValue(kInternetSettingsKey, "ProxyServer"), kIeSecureProxyServer);
    EXPECT_EQ(IsInternetExplorerConfigured(), 1);
    ResetInternetExplorerProxy(wizard, state);
    EXPECT_EQ(ReadValue(kInternetSettingsKey, "ProxyEnable"), "0");
    EXPECT_EQ(IsInternetExplorerConfigured(), 0);

    // What the user added for other protocols stays in use after a reset.
    ASSERT_TRUE(SetConnectionOptions(
        nullptr, "ftp=files.example:21;http=KorvoPopupKiller:8100;https=KorvoPopupKiller:8100"));
    EXPECT_EQ(IsInternetExplorerConfigured(), 0);  // not one of the two forms
    ASSERT_TRUE(DisableConnectionProxy(nullptr));
    EXPECT_EQ(ReadValue(kInternetSettingsKey, "ProxyEnable"), "1");
    EXPECT_EQ(ReadValue(kInternetSettingsKey, "ProxyServer"), "ftp=files.example:21");
    // A server string of the user's alone is left as it is, only switched off.
    ASSERT_TRUE(DisableConnectionProxy(nullptr));
    EXPECT_EQ(ReadValue(kInternetSettingsKey, "ProxyEnable"), "0");
    EXPECT_EQ(ReadValue(kInternetSettingsKey, "ProxyServer"), "ftp=files.example:21");
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(BrowsersIe, OnVistaAndLaterTheLanGetsTheProxysScriptAndResetRemovesIt) {
    RecordedBoxes boxes;
    SetString(kInternetSettingsKey, "ProxyServer", "users.proxy:3128");
    WizardState wizard;
    wizard.lanChosen = 1;
    wizard.ieTarget = {true, true, 8123};
    BrowserConfigState state;
    SetInternetExplorerProxy(wizard, state);
    EXPECT_EQ(ReadValue(kInternetSettingsKey, "AutoConfigURL"),
              "http://127.0.0.1:8123/korvo-proxy.pac");
    // No fixed server beside it: a browser that cannot fetch the script goes directly.
    EXPECT_EQ(ReadValue(kInternetSettingsKey, "ProxyEnable"), "0");
    EXPECT_EQ(ReadValue(kInternetSettingsKey, "ProxyServer"), "users.proxy:3128");
    EXPECT_EQ(ReadValue(kInternetSettingsKey, "ProxyHttp1.1"), "1");
    EXPECT_EQ(ReadFlag(kLanFlag), "1");
    EXPECT_EQ(state.lanIsConfigured, 1);
    EXPECT_EQ(IsInternetExplorerConfigured(), 1);

    ResetInternetExplorerProxy(wizard, state);
    EXPECT_EQ(ReadValue(kInternetSettingsKey, "AutoConfigURL"), "-");
    EXPECT_EQ(ReadFlag(kLanFlag), "0");
    EXPECT_EQ(IsInternetExplorerConfigured(), 0);

    // The user's own script is none of the proxy's business.
    SetString(kInternetSettingsKey, "AutoConfigURL", "http://wpad.example/proxy.pac");
    EXPECT_EQ(IsInternetExplorerConfigured(), 0);
    ASSERT_TRUE(DisableConnectionProxy(nullptr));
    EXPECT_EQ(ReadValue(kInternetSettingsKey, "AutoConfigURL"), "http://wpad.example/proxy.pac");
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(BrowsersIe, ADialUpConnectionOnTheProxysScriptUsesTheProxy) {
    AddScriptConnection("Script", 5, "http://127.0.0.1:8100/korvo-proxy.pac");
    AddScriptConnection("Script Off", 1, "http://127.0.0.1:8100/korvo-proxy.pac");
    AddScriptConnection("Other Script", 5, "http://wpad.example/proxy.pac");
    InternetExplorerConnections set;
    set.LoadDialUpConnections(true);
    EXPECT_EQ(Disabled(set),
              (std::map<std::string, int>{{"Other Script", 0}, {"Script", 1}, {"Script Off", 0}}));
    EXPECT_EQ(ConnectionUsesProxy("Script"), 1);
    // The script needs no ProxyEnable: the LAN's fixed server is off.
    EXPECT_EQ(IsInternetExplorerConfigured(), 1);
    InternetExplorerConnections marked;
    marked.LoadUninstallConnections();
    EXPECT_EQ(marked.configuredCount, 1);
    SetValue(kConnectionsKey, "Script", 0, "");
    EXPECT_EQ(IsInternetExplorerConfigured(), 0);
}

}  // namespace
}  // namespace browsers
