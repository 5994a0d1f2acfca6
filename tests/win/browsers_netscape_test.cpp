// Netscape/Mozilla profiles in a Mozilla folder laid out in the test prefix: salted profile
// folders, prefs.js and user.js files and a registry.dat naming a profile elsewhere.
#include <gtest/gtest.h>

#include <map>

#include "browsers/netscape.h"
#include "tests/win/browsers_support.h"

namespace browsers {
namespace {

using namespace browsers_test;
using test_folder::ReadFile;
using test_folder::WriteFile;

const std::string kHttp = "user_pref(\"network.proxy.http\", \"KorvoPopupKiller\");";
const std::string kPort = "user_pref(\"network.proxy.http_port\", 8100);";
const std::string kType = "user_pref(\"network.proxy.type\", 1);";
const std::string kUsesProxy = kHttp + "\r\n" + kPort + "\r\n" + kType;
const std::string kOtherProxy =
    "# Mozilla User Preferences\r\nuser_pref(\"network.proxy.http\", \"other\");\r\n"
    "user_pref(\"network.proxy.http_port\", 8100);\nuser_pref(\"network.proxy.type\", 1);\r\n";
const std::string kResetLines =
    "user_pref(\"network.proxy.http\", \"\");\r\nuser_pref(\"network.proxy.http_port\", 0);\r\n"
    "user_pref(\"network.proxy.type\", 0);";

class BrowsersNetscape : public ::testing::Test {
  protected:
    void SetUp() override {
        DeleteKeyTree(HKEY_CURRENT_USER, kProxySettingKey);
        const std::string profiles = mozilla_ + "Profiles\\";
        const std::string hidden = profiles + ".hidden\\";
        for (const std::string& folder : {default_, work_, profiles + "nosalt\\", hidden, extra_}) {
            MakeFolders(folder);
        }
        WriteFile(default_ + "prefs.js", kUsesProxy);
        WriteFile(work_ + "prefs.js", kOtherProxy);
        WriteFile(work_ + "user.js", "// mine\r\nuser_pref(\"network.proxy.http\", \"old\");\r\n");
        WriteFile(extra_ + "prefs.js", kOtherProxy);
        // A profile folder with any attribute besides "directory" is passed over: Wine reports a
        // name beginning with a dot as hidden, Windows keeps the read-only bit set here.
        MakeFolders(hidden + "x.slt\\");
        WriteFile(hidden + "x.slt\\prefs.js", kUsesProxy);
        SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY);
        auto record = [](const std::string& folder) {
            return std::string("directory", 10) + folder.substr(0, folder.size() - 1) +
                   std::string(1, '\0');
        };
        WriteFile(mozilla_ + "registry.dat",
                  std::string("\x76\x02\x1c\0", 4) + record(default_) + "name" + record(extra_));
    }
    void TearDown() override {
        SetFileAttributesA((mozilla_ + "Profiles\\.hidden").c_str(), FILE_ATTRIBUTE_DIRECTORY);
        test_folder::RemoveTree(mozilla_);
        DeleteKeyTree(HKEY_CURRENT_USER, kProxySettingKey);
    }

    static std::map<std::string, int> Disabled(const NetscapeProfiles& list) {
        std::map<std::string, int> disabled;
        for (std::size_t i = 0; i < list.profiles.size(); ++i) {
            disabled[list.profiles[i].name] = list.disabledFlags[i];
        }
        return disabled;
    }

    static void Tick(NetscapeProfiles& list, const std::string& name, int checked) {
        for (NetscapeProfileEntry& entry : list.profiles) {
            if (entry.name == name) entry.isChecked = checked;
        }
    }

    test_folder::TemporaryFolder elsewhere_;
    const std::string mozilla_ = ApplicationData() + "Mozilla\\";
    const std::string default_ = mozilla_ + "Profiles\\default\\ab12cd34.slt\\";
    const std::string work_ = mozilla_ + "Profiles\\work\\ef56gh78.slt\\";
    const std::string extra_ = elsewhere_.Path() + "extra\\ij90kl12.slt\\";
};

TEST_F(BrowsersNetscape, LoadFindsFolderAndRegistryProfilesOnce) {
    NetscapeProfiles set;
    set.LoadProfiles(true);
    EXPECT_EQ(set.profileCount, 4);
    EXPECT_EQ(Disabled(set), (std::map<std::string, int>{
                                 {"default", 1}, {"extra", 0}, {"nosalt", 0}, {"work", 0}}));
    EXPECT_EQ(set.profiles.back().directory + "\\", extra_);
    NetscapeProfiles reset;
    reset.LoadProfiles(false);
    EXPECT_EQ(reset.disabledCount, 3);
    EXPECT_EQ(reset.configuredCount, 1);

    EXPECT_EQ(NetscapeProfiles().AnyProfileUsesProxy(), 1);
    WriteFile(default_ + "prefs.js", kOtherProxy);
    EXPECT_EQ(NetscapeProfiles().AnyProfileUsesProxy(), 0);
    WriteFile(extra_ + "prefs.js", kUsesProxy);
    EXPECT_EQ(NetscapeProfiles().AnyProfileUsesProxy(), 1);
}

TEST_F(BrowsersNetscape, SetWritesUserJsAndEditsPrefsJsOnce) {
    RecordedBoxes boxes;
    NetscapeProfiles list;
    list.LoadProfiles(true);
    Tick(list, "work", 1);
    Tick(list, "extra", 1);
    Tick(list, "nosalt", 1);
    BrowserConfigState state;
    list.SetNetscapeProxy(kProxyHost, kProxyPort, false, state);
    EXPECT_EQ(ReadFile(work_ + "user.js"),
              "// mine\r\n" + kHttp + "\r\n" + kPort + "\r\n" + kType + "\r\n");
    EXPECT_EQ(ReadFile(work_ + "prefs.js"),
              "# Mozilla User Preferences\r\nuser_pref(\"network.proxy.http_port\", 8100);\n"
              "user_pref(\"network.proxy.type\", 1);\r\n");
    EXPECT_EQ(ReadFile(extra_ + "user.js"), kUsesProxy);
    EXPECT_FALSE(Exists(work_ + "user.js.korvo-new"));
    EXPECT_EQ(ReadFlag(kNetscapeFlag), "1");
    EXPECT_EQ(boxes.Shown(), std::vector<std::string>{
                                 "Error, Failed to set Netscape's profile nosalt proxy setting "
                                 "because " +
                                 mozilla_ + "Profiles\\nosalt\\prefs.js doesn't exist."});
}

TEST_F(BrowsersNetscape, ResetCountsDownToTheLastConfiguredProfile) {
    RecordedBoxes boxes;
    WriteFile(extra_ + "prefs.js", kUsesProxy);
    SetDword(kProxySettingKey, kNetscapeFlag, 1);
    NetscapeProfiles list;
    list.LoadProfiles(false);
    BrowserConfigState state;
    state.netscapeIsConfigured = 1;
    Tick(list, "default", 1);
    list.ResetNetscapeProxy(state);
    EXPECT_EQ(ReadFile(default_ + "user.js"), kResetLines);
    EXPECT_EQ(ReadFlag(kNetscapeFlag), "1");
    Tick(list, "default", 0);
    Tick(list, "extra", 1);
    list.ResetNetscapeProxy(state);
    EXPECT_EQ(ReadFlag(kNetscapeFlag), "0");
    EXPECT_TRUE(boxes.Shown().empty());

    // The uninstaller resets the profiles that use the proxy and writes no flag.
    DeleteKeyTree(HKEY_CURRENT_USER, kProxySettingKey);
    DeleteFileA((default_ + "user.js").c_str());
    NetscapeProfiles marked;
    marked.LoadUninstallProfiles();
    marked.ResetNetscapeProxyForUninstall();
    EXPECT_EQ(ReadFile(default_ + "user.js"), kResetLines);
    EXPECT_EQ(ReadFile(work_ + "user.js").find("\"\""), std::string::npos);
    EXPECT_EQ(ReadFlag(kNetscapeFlag), "-");
}

// With secure pages, the https lines and the enterprise roots line go into user.js; the browser
// copies them into prefs.js, which the live check reads; the reset takes them out of both.
TEST_F(BrowsersNetscape, SecurePagesSetAndResetTakeTheHttpsLines) {
    RecordedBoxes boxes;
    const std::string ssl = "user_pref(\"network.proxy.ssl\", \"KorvoPopupKiller\");";
    const std::string sslPort = "user_pref(\"network.proxy.ssl_port\", 8100);";
    NetscapeProfiles list;
    list.LoadProfiles(true);
    Tick(list, "work", 1);
    BrowserConfigState state;
    list.SetNetscapeProxy(kProxyHost, kProxyPort, true, state);
    EXPECT_EQ(ReadFile(work_ + "user.js"), "// mine\r\n" + kUsesProxy + "\r\n" + ssl + "\r\n" +
                                               sslPort + "\r\n" + kEnterpriseRootsLine + "\r\n");
    const std::string started =
        "# Mozilla User Preferences\r\n" + kUsesProxy + "\r\n" + ssl + "\r\n" + sslPort + "\r\n";
    WriteFile(work_ + "prefs.js", started);
    NetscapeProfiles reset;
    reset.LoadProfiles(false);
    EXPECT_EQ(Disabled(reset)["work"], 0);
    Tick(reset, "work", 1);
    reset.ResetNetscapeProxy(state);
    EXPECT_EQ(ReadFile(work_ + "user.js"), "// mine\r\n" + kResetLines + "\r\n");
    EXPECT_EQ(ReadFile(work_ + "prefs.js"), "# Mozilla User Preferences\r\n" + kUsesProxy + "\r\n");
    EXPECT_TRUE(boxes.Shown().empty());
}

// Today's Firefox: the profiles its profiles.ini lists, but not the one it made and never opened
// (no prefs.js); what the wizard then writes is reported in Firefox's own words.
TEST_F(BrowsersNetscape, FirefoxProfilesInUseAreListedAndReportedAsFirefox) {
    const std::string firefox = mozilla_ + "Firefox\\";
    const std::string used = firefox + "Profiles\\x1.default-release\\";
    MakeFolders(used);
    MakeFolders(firefox + "Profiles\\x2.default\\");
    WriteFile(used + "prefs.js", kOtherProxy);
    WriteFile(firefox + "profiles.ini",
              "[Profile1]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/x2.default\r\n"
              "[Profile0]\r\nName=default-release\r\nIsRelative=1\r\n"
              "Path=Profiles/x1.default-release\r\n"
              "[Install308046B0AF4A39CB]\r\nDefault=Profiles/x1.default-release\r\n");
    NetscapeProfiles list;
    list.LoadProfiles(true);
    const std::map<std::string, int> disabled = Disabled(list);
    EXPECT_EQ(disabled.count("Firefox: default-release (default)"), 1u);
    EXPECT_EQ(disabled.count("Firefox: default"), 0u) << "never opened";

    RecordedBoxes boxes;
    Tick(list, "Firefox: default-release (default)", 1);
    EXPECT_TRUE(list.OnlyFirefoxChecked());
    BrowserConfigState state;
    list.SetNetscapeProxy(kProxyHost, kProxyPort, false, state);
    EXPECT_EQ(ReadFile(used + "user.js"), kUsesProxy);
    EXPECT_TRUE(boxes.Shown().empty());

    // The folder went away after the list was read: the error names Firefox's profile.
    test_folder::RemoveTree(used);
    list.SetNetscapeProxy(kProxyHost, kProxyPort, false, state);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].find("Error, Failed to set Firefox's profile Firefox: "
                                    "default-release (default) proxy setting"),
              0u)
        << boxes.Shown()[0];
}

}  // namespace
}  // namespace browsers
