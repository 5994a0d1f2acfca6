// Netscape/Mozilla profiles in a Mozilla folder laid out in the test prefix: salted profile
// folders, prefs.js and user.js files and a registry.dat naming a profile elsewhere.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>

#include "browsers/netscape.h"
#include "tests/win/browsers_support.h"

namespace browsers {
namespace {

using namespace browsers_test;
using test_folder::ReadFile;
using test_folder::WriteFile;

const std::string kUsesProxy =
    "# Mozilla User Preferences\r\n\r\n"
    "user_pref(\"browser.startup.homepage\", \"about:blank\");\r\n"
    "user_pref(\"network.proxy.http\", \"KorvoPopupKiller\");\r\n"
    "user_pref(\"network.proxy.http_port\", 8100);\r\n"
    "user_pref(\"network.proxy.type\", 1);\r\n";
const std::string kOtherProxy =
    "# Mozilla User Preferences\r\n\r\n"
    "user_pref(\"network.proxy.http\", \"proxy.example\");\r\n"
    "user_pref(\"network.proxy.http_port\", 8100);\r\n"
    "user_pref(\"network.proxy.type\", 1);\n"
    "user_pref(\"network.proxy.http\", \"second.example\");\r\n";
const std::string kSetLines =
    "user_pref(\"network.proxy.http\", \"KorvoPopupKiller\");\r\n"
    "user_pref(\"network.proxy.http_port\", 8100);\r\n"
    "user_pref(\"network.proxy.type\", 1);";
const std::string kResetLines =
    "user_pref(\"network.proxy.http\", \"\");\r\n"
    "user_pref(\"network.proxy.http_port\", 0);\r\n"
    "user_pref(\"network.proxy.type\", 0);";

std::string DirectoryRecord(const std::string& path) {
    return std::string("directory", 10) + path + std::string(1, '\0');
}

class BrowsersNetscape : public ::testing::Test {
  protected:
    void SetUp() override {
        DeleteKeyTree(HKEY_CURRENT_USER, kProxySettingKey);
        mozilla_ = ApplicationData() + "Mozilla\\";
        profiles_ = mozilla_ + "Profiles\\";
        defaultFolder_ = profiles_ + "default\\ab12cd34.slt\\";
        workFolder_ = profiles_ + "work\\ef56gh78.slt\\";
        extraFolder_ = elsewhere_.Path() + "extra\\ij90kl12.slt\\";
        for (const std::string& folder : {defaultFolder_, workFolder_, profiles_ + "nosalt\\",
                                          profiles_ + ".hidden\\mn34op56.slt\\", extraFolder_}) {
            MakeFolders(folder);
        }
        WriteFile(defaultFolder_ + "prefs.js", kUsesProxy);
        WriteFile(workFolder_ + "prefs.js", kOtherProxy);
        WriteFile(workFolder_ + "user.js",
                  "// mine\r\nuser_pref(\"network.proxy.http\", \"old\");\r\n"
                  "user_pref(\"browser.cache.disk.capacity\", 5000);\r\n");
        WriteFile(profiles_ + ".hidden\\mn34op56.slt\\prefs.js", kUsesProxy);
        // A profile folder with another attribute than "directory" is passed over: Wine reports
        // a name beginning with a dot as hidden, Windows keeps the read-only bit set here.
        SetFileAttributesA((profiles_ + ".hidden").c_str(),
                           FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY);
        WriteFile(extraFolder_ + "prefs.js", kOtherProxy);
        WriteFile(mozilla_ + "registry.dat",
                  std::string("\x76\x02\x1c\0\x01\0\0\0", 8) + "default" +
                      DirectoryRecord(defaultFolder_.substr(0, defaultFolder_.size() - 1)) +
                      "name\0extra" +
                      DirectoryRecord(extraFolder_.substr(0, extraFolder_.size() - 1)));
    }
    void TearDown() override {
        // A profile folder with another attribute than "directory" is passed over: Wine reports
        // a name beginning with a dot as hidden, Windows keeps the read-only bit set here.
        SetFileAttributesA((profiles_ + ".hidden").c_str(), FILE_ATTRIBUTE_DIRECTORY);
        test_folder::RemoveTree(mozilla_);
        DeleteKeyTree(HKEY_CURRENT_USER, kProxySettingKey);
    }

    static std::map<std::string, int> DisabledByName(const NetscapeProfiles& list) {
        std::map<std::string, int> disabled;
        for (std::size_t i = 0; i < list.profiles.size(); ++i) {
            disabled[list.profiles[i].name] = list.disabledFlags[i];
        }
        return disabled;
    }

    static NetscapeProfileEntry& Entry(NetscapeProfiles& list, const std::string& name) {
        for (NetscapeProfileEntry& entry : list.profiles) {
            if (entry.name == name) return entry;
        }
        ADD_FAILURE() << "no profile " << name;
        return list.profiles.front();
    }

    test_folder::TemporaryFolder elsewhere_;
    std::string mozilla_, profiles_, defaultFolder_, workFolder_, extraFolder_;
};

TEST_F(BrowsersNetscape, LoadFindsFolderAndRegistryProfilesOnce) {
    NetscapeProfiles set;
    set.LoadProfiles(true);
    EXPECT_EQ(set.profileCount, 4);
    EXPECT_EQ(DisabledByName(set), (std::map<std::string, int>{
                                       {"default", 1}, {"extra", 0}, {"nosalt", 0}, {"work", 0}}));
    EXPECT_EQ(set.profiles.back().name, "extra");
    EXPECT_EQ(set.profiles.back().directory, extraFolder_.substr(0, extraFolder_.size() - 1));
    EXPECT_EQ(Entry(set, "work").directory, kDefaultFolderDirectory);
    EXPECT_EQ(set.disabledCount, 1);
    EXPECT_EQ(set.configuredCount, 0);

    NetscapeProfiles reset;
    reset.LoadProfiles(false);
    EXPECT_EQ(
        DisabledByName(reset),
        (std::map<std::string, int>{{"default", 0}, {"extra", 1}, {"nosalt", 1}, {"work", 1}}));
    EXPECT_EQ(reset.disabledCount, 3);
    EXPECT_EQ(reset.configuredCount, 1);
}

TEST_F(BrowsersNetscape, AnyProfileLooksInBothSources) {
    NetscapeProfiles profiles;
    EXPECT_EQ(profiles.AnyProfileUsesProxy(), 1);
    WriteFile(defaultFolder_ + "prefs.js", kOtherProxy);
    EXPECT_EQ(NetscapeProfiles().AnyProfileUsesProxy(), 0);
    WriteFile(extraFolder_ + "prefs.js", kUsesProxy);
    EXPECT_EQ(NetscapeProfiles().AnyProfileUsesProxy(), 1);
}

TEST_F(BrowsersNetscape, SetKeepsOtherPreferencesAndEditsPrefsJsOnce) {
    RecordedBoxes boxes;
    NetscapeProfiles list;
    list.LoadProfiles(true);
    Entry(list, "work").isChecked = 1;
    Entry(list, "extra").isChecked = 1;
    BrowserConfigState state;
    list.SetNetscapeProxy(kProxyHost, kProxyPort, state);

    EXPECT_EQ(ReadFile(workFolder_ + "user.js"),
              "// mine\r\nuser_pref(\"network.proxy.http\", \"KorvoPopupKiller\");\r\n"
              "user_pref(\"browser.cache.disk.capacity\", 5000);\r\n"
              "user_pref(\"network.proxy.http_port\", 8100);\r\n"
              "user_pref(\"network.proxy.type\", 1);\r\n");
    EXPECT_EQ(ReadFile(workFolder_ + "prefs.js"),
              "# Mozilla User Preferences\r\n\r\n"
              "user_pref(\"network.proxy.http_port\", 8100);\r\n"
              "user_pref(\"network.proxy.type\", 1);\n"
              "user_pref(\"network.proxy.http\", \"second.example\");\r\n");
    EXPECT_EQ(ReadFile(extraFolder_ + "user.js"), kSetLines);
    EXPECT_FALSE(Exists(workFolder_ + "user.js.korvo-new"));
    EXPECT_FALSE(Exists(workFolder_ + "prefs.js.korvo-new"));
    EXPECT_EQ(state.netscapeIsConfigured, 1);
    EXPECT_EQ(ReadFlag(kNetscapeFlag), 1);
    EXPECT_EQ(list.anyProfileWritten, 1);
    EXPECT_TRUE(boxes.Texts().empty());
    // The browser merges user.js at its next start; until then prefs.js tells the old story.
    EXPECT_EQ(list.ProfileUsesProxy(Entry(list, "work")), 0);
}

TEST_F(BrowsersNetscape, ProfileWithoutSaltedFolderIsReportedAndLeftAlone) {
    RecordedBoxes boxes;
    NetscapeProfiles list;
    list.LoadProfiles(true);
    Entry(list, "nosalt").isChecked = 1;
    BrowserConfigState state;
    list.SetNetscapeProxy(kProxyHost, kProxyPort, state);
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_EQ(boxes.Texts()[0],
              "Error, Failed to set Netscape's profile nosalt proxy setting "
              "because " +
                  profiles_ + "nosalt\\prefs.js doesn't exist.");
    EXPECT_EQ(boxes.Types()[0], static_cast<UINT>(MB_OK | MB_ICONSTOP));
    EXPECT_FALSE(Exists(profiles_ + "nosalt\\user.js"));
    EXPECT_EQ(state.netscapeIsConfigured, 0);
    EXPECT_EQ(ReadFlag(kNetscapeFlag), -1);
    EXPECT_EQ(list.anyProfileWritten, 0);

    list.ResetNetscapeProxy(state);
    ASSERT_EQ(boxes.Texts().size(), 2u);
    EXPECT_EQ(boxes.Texts()[1].rfind("Error, Failed to reset Netscape's profile nosalt", 0), 0u);
}

TEST_F(BrowsersNetscape, ResetCountsDownToTheLastConfiguredProfile) {
    RecordedBoxes boxes;
    WriteFile(extraFolder_ + "prefs.js", kUsesProxy);
    SetDword(kProxySettingKey, kNetscapeFlag, 1);
    NetscapeProfiles list;
    list.LoadProfiles(false);
    ASSERT_EQ(list.configuredCount, 2);
    BrowserConfigState state;
    state.netscapeIsConfigured = 1;
    Entry(list, "default").isChecked = 1;
    list.ResetNetscapeProxy(state);
    EXPECT_EQ(ReadFile(defaultFolder_ + "user.js"), kResetLines);
    EXPECT_EQ(ReadFile(defaultFolder_ + "prefs.js"), kUsesProxy);
    EXPECT_EQ(list.configuredCount, 1);
    EXPECT_EQ(state.netscapeIsConfigured, 1);
    EXPECT_EQ(ReadFlag(kNetscapeFlag), 1);

    Entry(list, "default").isChecked = 0;
    Entry(list, "extra").isChecked = 1;
    list.ResetNetscapeProxy(state);
    EXPECT_EQ(ReadFile(extraFolder_ + "user.js"), kResetLines);
    EXPECT_EQ(state.netscapeIsConfigured, 0);
    EXPECT_EQ(ReadFlag(kNetscapeFlag), 0);
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(BrowsersNetscape, UninstallResetsConfiguredProfilesWithoutFlags) {
    RecordedBoxes boxes;
    NetscapeProfiles list;
    list.LoadUninstallProfiles();
    EXPECT_EQ(list.configuredCount, 1);
    list.ResetNetscapeProxyForUninstall();
    EXPECT_EQ(ReadFile(defaultFolder_ + "user.js"), kResetLines);
    EXPECT_FALSE(Exists(extraFolder_ + "user.js"));
    EXPECT_EQ(ReadFile(workFolder_ + "user.js").find("KorvoPopupKiller"), std::string::npos);
    EXPECT_EQ(ReadFlag(kNetscapeFlag), -1);
    EXPECT_TRUE(boxes.Texts().empty());
}

}  // namespace
}  // namespace browsers
