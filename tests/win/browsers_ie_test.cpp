// Internet Explorer's proxy against the registry and WinINet of the test prefix. WinINet here
// writes no Connections values, so the tests lay those out themselves.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>

#include "browsers/internet_explorer.h"
#include "browsers/wizard_state.h"
#include "tests/win/browsers_support.h"

namespace browsers {
namespace {

using namespace browsers_test;

std::string ConnectionValue(unsigned char flags, const std::string& proxy) {
    std::string value(16, '\0');
    value[0] = 0x3c;
    value[8] = static_cast<char>(flags);
    value[12] = static_cast<char>(proxy.size());
    return value + proxy + std::string("\x05\0\0\0local\0\0\0\0", 13);
}

class BrowsersIe : public ::testing::Test {
  protected:
    void SetUp() override {
        DeleteKeyTree(HKEY_CURRENT_USER, kConnectionsKey);
        DeleteKeyTree(HKEY_CURRENT_USER, kProxySettingKey);
        SetDword(kInternetSettingsKey, "ProxyEnable", 0);
        DeleteValue(kInternetSettingsKey, "ProxyServer");
    }
    void TearDown() override { SetUp(); }

    void AddConnection(const std::string& name, unsigned char flags, const std::string& proxy) {
        SetValue(kConnectionsKey, name, REG_BINARY, ConnectionValue(flags, proxy));
    }

    // The prepared connections: the LAN values and three dial-up connections, one using the
    // proxy, one with another server, one with our server but automatic configuration on.
    void AddConnections() {
        AddConnection("DefaultConnectionSettings", 3, kIeProxyServer);
        AddConnection("SavedLegacySettings", 3, kIeProxyServer);
        AddConnection("Uses Korvo", 3, kIeProxyServer);
        AddConnection("Other Proxy", 3, "http=other.example:3128");
        AddConnection("Automatic", 7, kIeProxyServer);
    }

    static std::map<std::string, int> DisabledByName(const InternetExplorerConnections& list) {
        std::map<std::string, int> disabled;
        for (std::size_t i = 0; i < list.connections.size(); ++i) {
            disabled[list.connections[i].name] = list.disabledFlags[i];
            EXPECT_EQ(list.disabledFlags[i], list.connections[i].isDisabled);
        }
        return disabled;
    }
};

TEST_F(BrowsersIe, LoadListsDialUpConnectionsMarkedForTheMode) {
    AddConnections();
    InternetExplorerConnections set;
    set.LoadDialUpConnections(true);
    EXPECT_EQ(set.connectionCount, 3u);
    EXPECT_EQ(DisabledByName(set), (std::map<std::string, int>{
                                       {"Automatic", 0}, {"Other Proxy", 0}, {"Uses Korvo", 1}}));
    EXPECT_EQ(set.disabledCount, 1);
    EXPECT_EQ(set.configuredCount, 0);

    InternetExplorerConnections reset;
    reset.LoadDialUpConnections(false);
    EXPECT_EQ(DisabledByName(reset), (std::map<std::string, int>{
                                         {"Automatic", 1}, {"Other Proxy", 1}, {"Uses Korvo", 0}}));
    EXPECT_EQ(reset.disabledCount, 2);
    EXPECT_EQ(reset.configuredCount, 1);

    InternetExplorerConnections uninstall;
    uninstall.LoadUninstallConnections();
    EXPECT_EQ(uninstall.configuredCount, 1);
    EXPECT_EQ(DisabledByName(uninstall)["Uses Korvo"], 1);
}

TEST_F(BrowsersIe, WithoutConnectionsOnlyTheLanRemains) {
    InternetExplorerConnections list;
    list.LoadDialUpConnections(true);
    EXPECT_EQ(list.connectionCount, 0u);
    EXPECT_EQ(list.disabledCount, 0);
    AddConnection("DefaultConnectionSettings", 1, "");
    list.LoadDialUpConnections(true);
    EXPECT_EQ(list.connectionCount, 0u);
    EXPECT_EQ(AnyConnectionUsesProxy(), 0);
}

TEST_F(BrowsersIe, ConnectionTestsReadTheStoredValues) {
    AddConnections();
    EXPECT_EQ(ConnectionUsesProxy("Uses Korvo"), 1);
    EXPECT_EQ(ConnectionUsesProxy("Other Proxy"), 0);
    EXPECT_EQ(ConnectionUsesProxy("Automatic"), 0);
    EXPECT_EQ(ConnectionUsesProxy("No Such Connection"), 0);
    // A value longer than 256 bytes is read whole.
    SetValue(kConnectionsKey, "Long", REG_BINARY,
             ConnectionValue(3, kIeProxyServer) + std::string(400, 'x'));
    EXPECT_EQ(ConnectionUsesProxy("Long"), 1);

    // Only the LAN values use the proxy: the test of every value still finds it.
    DeleteValue(kConnectionsKey, "Uses Korvo");
    DeleteValue(kConnectionsKey, "Long");
    EXPECT_EQ(AnyConnectionUsesProxy(), 1);
    DeleteValue(kConnectionsKey, "DefaultConnectionSettings");
    DeleteValue(kConnectionsKey, "SavedLegacySettings");
    EXPECT_EQ(AnyConnectionUsesProxy(), 0);
}

TEST_F(BrowsersIe, ConfiguredNeedsTheProxyEnabled) {
    AddConnection("Uses Korvo", 3, kIeProxyServer);
    struct Case {
        const char* what;
        DWORD enable;
        const char* server;
        bool withConnection;
        int configured;
    } cases[] = {
        {"disabled, though a connection uses it", 0, kIeProxyServer, true, 0},
        {"enabled with our server", 1, kIeProxyServer, false, 1},
        {"enabled, other server, a connection uses it", 1, "other:80", true, 1},
        {"enabled, other server, no connection", 1, "other:80", false, 0},
        {"enabled, our server in other letters", 1, "http=korvopopupkiller:8100", false, 0},
        {"enabled without a server", 1, nullptr, true, 0},
    };
    for (const Case& c : cases) {
        SetDword(kInternetSettingsKey, "ProxyEnable", c.enable);
        if (c.server) {
            SetString(kInternetSettingsKey, "ProxyServer", c.server);
        } else {
            DeleteValue(kInternetSettingsKey, "ProxyServer");
        }
        if (c.withConnection) {
            AddConnection("Uses Korvo", 3, kIeProxyServer);
        } else {
            DeleteValue(kConnectionsKey, "Uses Korvo");
        }
        EXPECT_EQ(IsInternetExplorerConfigured(), c.configured) << c.what;
    }
}

TEST_F(BrowsersIe, LanSetAndResetThroughWinInet) {
    RecordedBoxes boxes;
    WizardState wizard;
    wizard.setMode = 1;
    wizard.ieChosen = 1;
    wizard.lanChosen = 1;
    BrowserConfigState state;
    SetInternetExplorerProxy(wizard, state);
    EXPECT_EQ(ReadDword(kInternetSettingsKey, "ProxyEnable"), 1);
    EXPECT_EQ(ReadString(kInternetSettingsKey, "ProxyServer"), kIeProxyServer);
    EXPECT_EQ(ReadDword(kInternetSettingsKey, "ProxyHttp1.1"), 1);
    EXPECT_EQ(state.lanIsConfigured, 1);
    EXPECT_EQ(ReadFlag(kLanFlag), 1);
    EXPECT_EQ(ReadFlag(kDialUpFlag), -1);
    EXPECT_EQ(IsInternetExplorerConfigured(), 1);

    wizard.setMode = 0;
    ResetInternetExplorerProxy(wizard, state);
    EXPECT_EQ(ReadDword(kInternetSettingsKey, "ProxyEnable"), 0);
    EXPECT_EQ(ReadDword(kInternetSettingsKey, "ProxyHttp1.1"), 0);
    EXPECT_EQ(state.lanIsConfigured, 0);
    EXPECT_EQ(ReadFlag(kLanFlag), 0);
    EXPECT_EQ(IsInternetExplorerConfigured(), 0);
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(BrowsersIe, DialUpFlagDropsWithTheLastConfiguredConnection) {
    RecordedBoxes boxes;
    WizardState wizard;
    wizard.ieChosen = 1;
    wizard.dialUpChosen = 1;
    wizard.ieConnections.Fill({{"A", false}, {"B", false}, {"C", false}}, ListMode::kSet);
    for (DialUpConnectionInfo& c : wizard.ieConnections.connections) c.isChecked = 1;
    BrowserConfigState state;
    wizard.setMode = 1;
    SetInternetExplorerProxy(wizard, state);
    EXPECT_EQ(state.dialUpIsConfigured, 1);
    EXPECT_EQ(ReadFlag(kDialUpFlag), 1);
    EXPECT_EQ(state.lanIsConfigured, 0);
    EXPECT_EQ(ReadFlag(kLanFlag), -1);

    wizard.setMode = 0;
    wizard.ieConnections.Fill({{"A", true}, {"B", true}, {"C", true}}, ListMode::kReset);
    wizard.ieConnections.connections[0].isChecked = 1;
    wizard.ieConnections.connections[2].isChecked = 1;
    ResetInternetExplorerProxy(wizard, state);
    EXPECT_EQ(wizard.ieConnections.configuredCount, 1);
    EXPECT_EQ(state.dialUpIsConfigured, 1);
    EXPECT_EQ(ReadFlag(kDialUpFlag), 1);

    for (DialUpConnectionInfo& c : wizard.ieConnections.connections) c.isChecked = 0;
    wizard.ieConnections.connections[1].isChecked = 1;
    ResetInternetExplorerProxy(wizard, state);
    EXPECT_EQ(state.dialUpIsConfigured, 0);
    EXPECT_EQ(ReadFlag(kDialUpFlag), 0);
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(BrowsersIe, UninstallResetsTheLanAndTheMarkedConnections) {
    RecordedBoxes boxes;
    AddConnections();
    WizardState wizard;
    wizard.lanChosen = 1;
    BrowserConfigState state;
    SetInternetExplorerProxy(wizard, state);
    SetDword(kProxySettingKey, kDialUpFlag, 1);
    state.dialUpIsConfigured = 1;

    InternetExplorerConnections list;
    list.LoadUninstallConnections();
    ResetInternetExplorerProxyForUninstall(list, state);
    EXPECT_EQ(ReadDword(kInternetSettingsKey, "ProxyEnable"), 0);
    EXPECT_EQ(ReadDword(kInternetSettingsKey, "ProxyHttp1.1"), 0);
    EXPECT_EQ(ReadFlag(kLanFlag), 0);
    EXPECT_EQ(list.configuredCount, 0);
    EXPECT_EQ(state.dialUpIsConfigured, 0);
    EXPECT_EQ(ReadFlag(kDialUpFlag), 0);
    EXPECT_TRUE(boxes.Texts().empty());
}

}  // namespace
}  // namespace browsers
