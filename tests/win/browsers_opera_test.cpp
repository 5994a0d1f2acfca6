// Opera 6 and Opera 7 with Opera's registry key and opera6.ini files laid out in the test
// prefix, in single-user and multi-user installations.
#include <gtest/gtest.h>

#include "browsers/opera.h"
#include "tests/win/browsers_support.h"

namespace browsers {
namespace {

using namespace browsers_test;
using test_folder::ReadFile;
using test_folder::WriteFile;

const std::string kUnsetIni =
    "Opera Preferences version 2.0\r\n\r\n[Proxy]\r\nHTTP Server=old.example:3128\r\n"
    "Use HTTP=0\r\nUse HTTPS=0\r\n";
const std::string kSetIni =
    "Opera Preferences version 2.0\r\n\r\n[Proxy]\r\nHTTP Server=KorvoPopupKiller:8100\r\n"
    "Use HTTP=1\r\nUse HTTPS=0\r\n";
const std::string kResetIni =
    "Opera Preferences version 2.0\r\n\r\n[Proxy]\r\nHTTP Server\r\nUse HTTP=0\r\nUse HTTPS=0\r\n";

class BrowsersOpera : public ::testing::Test {
  protected:
    void SetUp() override {
        DeleteKeyTree(HKEY_CURRENT_USER, kProxySettingKey);
        DeleteKeyTree(HKEY_CURRENT_USER, kOperaKey);
        MakeFolders(opera6_);
        MakeFolders(opera7_ + "profile\\");
        WriteFile(opera6_ + "opera6.ini", kUnsetIni);
        WriteFile(opera7_ + "profile\\opera6.ini", kUnsetIni);
        SetDefaults("Multi User=0\r\n");
        SetString(kOperaKey, "Last CommandLine", opera6_ + "Opera.exe");
        SetString(kOperaKey, "Last Directory2", opera7_.substr(0, opera7_.size() - 1));
    }
    void TearDown() override {
        test_folder::RemoveTree(ApplicationData() + "Opera\\");
        DeleteKeyTree(HKEY_CURRENT_USER, kOperaKey);
        DeleteKeyTree(HKEY_CURRENT_USER, kProxySettingKey);
    }
    void SetDefaults(const std::string& lines) {
        WriteFile(opera7_ + "OperaDef6.ini", "[System]\r\n" + lines);
    }

    test_folder::TemporaryFolder root_;
    const std::string opera6_ = root_.Path() + "Opera6\\";
    const std::string opera7_ = root_.Path() + "Opera7\\";
    const std::string perUser_ = ApplicationData() + "Opera\\Opera7\\profile\\";
};

TEST_F(BrowsersOpera, SingleUserSetTestResetTest) {
    RecordedBoxes boxes;
    const std::string defaults =
        "Multi User=0\r\nUse HTTP=1\r\nHTTP Server=KorvoPopupKiller:8100\r\n";
    SetDefaults(defaults);
    BrowserConfigState state;
    EXPECT_EQ(OperaSettings(true, true).SetOperaProxy(kProxyHost, kProxyPort, false, state), 1);
    EXPECT_EQ(ReadFile(opera6_ + "opera6.ini"), kSetIni);
    EXPECT_EQ(ReadFile(opera7_ + "profile\\opera6.ini"), kSetIni);
    EXPECT_EQ(ReadFlag(kOpera6Flag) + ReadFlag(kOpera7Flag), "11");
    BrowserConfigState tested;
    OperaSettings(true, true).CheckOperaConfigured(tested);
    EXPECT_EQ(tested.opera6IsConfigured + tested.opera7IsConfigured, 2);

    // The uninstaller leaves the defaults file; the tray program's reset clears it too.
    EXPECT_EQ(OperaSettings(false, true).ResetOperaProxyForUninstall(state), 1);
    EXPECT_EQ(ReadFile(opera7_ + "OperaDef6.ini"), "[System]\r\n" + defaults);
    OperaSettings(false, true).CheckOperaConfigured(tested);
    EXPECT_EQ(tested.opera7IsConfigured, 1);  // through the defaults file
    OperaSettings(false, true).CheckOperaConfiguredForUninstall(tested);
    EXPECT_EQ(tested.opera7IsConfigured, 0);

    EXPECT_EQ(OperaSettings(true, true).ResetOperaProxy(state), 1);
    EXPECT_EQ(ReadFile(opera6_ + "opera6.ini"), kResetIni);
    EXPECT_EQ(ReadFile(opera7_ + "profile\\opera6.ini"), kResetIni);
    EXPECT_EQ(ReadFile(opera7_ + "OperaDef6.ini"),
              "[System]\r\nMulti User=0\r\nUse HTTP=0\r\nHTTP Server\r\n");
    EXPECT_EQ(ReadFlag(kOpera6Flag) + ReadFlag(kOpera7Flag), "00");
    EXPECT_EQ(state.opera6IsConfigured + state.opera7IsConfigured, 0);
    OperaSettings(true, true).CheckOperaConfigured(tested);
    EXPECT_EQ(tested.opera6IsConfigured + tested.opera7IsConfigured, 0);
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(BrowsersOpera, MultiUserFileMissingIsReportedThenSet) {
    RecordedBoxes boxes;
    SetDefaults("Multi User=1\r\n");  // and no per-user file
    BrowserConfigState state;
    EXPECT_EQ(OperaSettings(true, true).SetOperaProxy(kProxyHost, kProxyPort, false, state), 0);
    EXPECT_EQ(OperaSettings(true, true).ResetOperaProxy(state), 0);
    EXPECT_EQ(ReadFile(opera6_ + "opera6.ini"), kUnsetIni);
    DeleteFileA((opera6_ + "opera6.ini").c_str());
    EXPECT_EQ(OperaSettings(true, true).SetOperaProxy(kProxyHost, kProxyPort, false, state), 0);
    DeleteKeyTree(HKEY_CURRENT_USER, kOperaKey);
    EXPECT_EQ(OperaSettings(true, false).ResetOperaProxy(state), 0);
    const std::string missing7 = perUser_ + "opera6.ini";
    EXPECT_EQ(
        boxes.Shown(),
        (std::vector<std::string>{
            "Error, Failed to set Opera 7 proxy setting because " + missing7 + " doesn't exist.",
            "Error, Failed to reset Opera 7 proxy setting because " + missing7 + " doesn't exist.",
            "Error, Failed to set Opera 6 and Opera 7 proxy setting because " + opera6_ +
                "opera6.ini and " + missing7 + " don't exist.",
            "Error, Failed to set Opera proxy setting because Opera key doesn't exist in "
            "the Registry."}));
    EXPECT_EQ(ReadFlag(kOpera6Flag) + ReadFlag(kOpera7Flag), "--");

    // With the user's own file in place, that file is the one edited.
    SetString(kOperaKey, "Last Directory2", opera7_);
    MakeFolders(perUser_);
    WriteFile(perUser_ + "opera6.ini", "[User Prefs]\r\nName=x\r\n");
    EXPECT_EQ(OperaSettings(false, true).SetOperaProxy(kProxyHost, kProxyPort, false, state), 1);
    EXPECT_EQ(ReadFile(perUser_ + "opera6.ini"),
              "[User Prefs]\r\nName=x\r\n\r\n[Proxy]\r\nUse HTTP=1\r\n"
              "HTTP Server=KorvoPopupKiller:8100\r\n");
    EXPECT_EQ(ReadFile(opera7_ + "profile\\opera6.ini"), kUnsetIni);
    EXPECT_EQ(ReadFlag(kOpera6Flag) + ReadFlag(kOpera7Flag), "-1");
}

// With secure pages filtered, https goes through the proxy too; the live check and the reset
// take both pairs of lines.
TEST_F(BrowsersOpera, SecurePagesSetTestReset) {
    RecordedBoxes boxes;
    BrowserConfigState state;
    EXPECT_EQ(OperaSettings(true, false).SetOperaProxy(kProxyHost, kProxyPort, true, state), 1);
    EXPECT_EQ(ReadFile(opera6_ + "opera6.ini"),
              "Opera Preferences version 2.0\r\n\r\n[Proxy]\r\n"
              "HTTPS Server=KorvoPopupKiller:8100\r\nHTTP Server=KorvoPopupKiller:8100\r\n"
              "Use HTTP=1\r\nUse HTTPS=1\r\n");
    BrowserConfigState tested;
    OperaSettings(true, false).CheckOperaConfigured(tested);
    EXPECT_EQ(tested.opera6IsConfigured, 1);
    EXPECT_EQ(OperaSettings(true, false).ResetOperaProxy(state), 1);
    EXPECT_EQ(ReadFile(opera6_ + "opera6.ini"),
              "Opera Preferences version 2.0\r\n\r\n[Proxy]\r\nHTTPS Server\r\nHTTP Server\r\n"
              "Use HTTP=0\r\nUse HTTPS=0\r\n");
    EXPECT_EQ(ReadFlag(kOpera6Flag), "0");
    EXPECT_TRUE(boxes.Shown().empty());
}

}  // namespace
}  // namespace browsers
