// Internet Explorer's proxy against the registry and WinINet of the test prefix. WinINet here
// writes no Connections values, so the tests lay those out themselves.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace browsers
