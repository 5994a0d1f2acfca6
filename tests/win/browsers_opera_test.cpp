// Opera 6 and Opera 7 with Opera's registry key and opera6.ini files laid out in the test
// prefix, in single-user and multi-user installations.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "browsers/opera.h"
#include "tests/win/browsers_support.h"

namespace browsers {
namespace {

using namespace browsers_test;
using test_folder::ReadFile;
using test_folder::WriteFile;

const std::string kUnsetIni =
    "Opera Preferences version 2.0\r\n\r\n[Proxy]\r\nHTTP Server=old.example:3128\r\n"
    "HTTPS Server=\r\nUse HTTP=0\r\nUse HTTPS=0\r\n\r\n[Cache4]\r\nSize=4000\r\n";
const std::string kSetIni =
    "Opera Preferences version 2.0\r\n\r\n[Proxy]\r\nHTTP Server=KorvoPopupKiller:8100\r\n"
    "HTTPS Server=\r\nUse HTTP=1\r\nUse HTTPS=0\r\n\r\n[Cache4]\r\nSize=4000\r\n";
const std::string kResetIni =
    "Opera Preferences version 2.0\r\n\r\n[Proxy]\r\nHTTP Server\r\n"
    "HTTPS Server=\r\nUse HTTP=0\r\nUse HTTPS=0\r\n\r\n[Cache4]\r\nSize=4000\r\n";

class BrowsersOpera : public ::testing::Test {
  protected:
    void SetUp() override {
        DeleteKeyTree(HKEY_CURRENT_USER, kProxySettingKey);
        DeleteKeyTree(HKEY_CURRENT_USER, kOperaKey);
        opera6_ = root_.Path() + "Opera6\\";
        opera7_ = root_.Path() + "Opera7\\";
        perUser_ = ApplicationData() + "Opera\\Opera7\\profile\\";
        MakeFolders(opera6_);
        MakeFolders(opera7_ + "profile\\");
        WriteFile(opera6_ + "Opera.exe", "");
        WriteFile(opera6_ + "opera6.ini", kUnsetIni);
        WriteFile(opera7_ + "Opera.exe", "");
        WriteFile(opera7_ + "profile\\opera6.ini", kUnsetIni);
        SetMultiUser("0");
        SetString(kOperaKey, "Last CommandLine", opera6_ + "Opera.exe");
        SetString(kOperaKey, "Last Directory2", opera7_.substr(0, opera7_.size() - 1));
    }
    void TearDown() override {
        test_folder::RemoveTree(ApplicationData() + "Opera\\");
        DeleteKeyTree(HKEY_CURRENT_USER, kOperaKey);
        DeleteKeyTree(HKEY_CURRENT_USER, kProxySettingKey);
    }

    // OperaDef6.ini of Opera 7 with its "Multi User" key, or without it for nullptr.
    void SetMultiUser(const char* multiUser) {
        std::string content = "[System]\r\nLanguage=en\r\n";
        if (multiUser) content += std::string("Multi User=") + multiUser + "\r\n";
        WriteFile(opera7_ + "OperaDef6.ini", content);
    }

    test_folder::TemporaryFolder root_;
    std::string opera6_, opera7_, perUser_;
};

TEST_F(BrowsersOpera, SingleUserSetTestResetTest) {
    RecordedBoxes boxes;
    WriteFile(opera7_ + "OperaDef6.ini",
              "[System]\r\nMulti User=0\r\n[Proxy]\r\nUse HTTP=1\r\n"
              "HTTP Server=KorvoPopupKiller:8100\r\n");
    BrowserConfigState state;
    OperaSettings set(true, true);
    EXPECT_EQ(set.SetOperaProxy(kProxyHost, kProxyPort, state), 1);
    EXPECT_EQ(ReadFile(opera6_ + "opera6.ini"), kSetIni);
    EXPECT_EQ(ReadFile(opera7_ + "profile\\opera6.ini"), kSetIni);
    EXPECT_EQ(state.opera6IsConfigured, 1);
    EXPECT_EQ(state.opera7IsConfigured, 1);
    EXPECT_EQ(ReadFlag(kOpera6Flag), 1);
    EXPECT_EQ(ReadFlag(kOpera7Flag), 1);
    EXPECT_FALSE(Exists(opera6_ + "opera6.ini.korvo-new"));

    BrowserConfigState tested;
    OperaSettings(true, true).CheckOperaConfigured(tested);
    EXPECT_EQ(tested.opera6IsConfigured, 1);
    EXPECT_EQ(tested.opera7IsConfigured, 1);

    EXPECT_EQ(OperaSettings(true, true).ResetOperaProxy(state), 1);
    EXPECT_EQ(ReadFile(opera6_ + "opera6.ini"), kResetIni);
    EXPECT_EQ(ReadFile(opera7_ + "profile\\opera6.ini"), kResetIni);
    EXPECT_EQ(ReadFile(opera7_ + "OperaDef6.ini"),
              "[System]\r\nMulti User=0\r\n[Proxy]\r\nUse HTTP=0\r\nHTTP Server\r\n");
    EXPECT_EQ(state.opera6IsConfigured, 0);
    EXPECT_EQ(ReadFlag(kOpera6Flag), 0);
    EXPECT_EQ(ReadFlag(kOpera7Flag), 0);
    OperaSettings(true, true).CheckOperaConfigured(tested);
    EXPECT_EQ(tested.opera6IsConfigured, 0);
    EXPECT_EQ(tested.opera7IsConfigured, 0);
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(BrowsersOpera, MultiUserWorksOnTheUsersOwnFile) {
    RecordedBoxes boxes;
    SetMultiUser("1");
    MakeFolders(perUser_);
    WriteFile(perUser_ + "opera6.ini", "[User Prefs]\r\nName=x\r\n");
    BrowserConfigState state;
    OperaSettings opera(false, true);
    EXPECT_EQ(opera.LocateOperaIni(), kOperaFilesFound);
    EXPECT_EQ(opera.opera7IniPath, perUser_ + "opera6.ini");
    EXPECT_EQ(opera.SetOperaProxy(kProxyHost, kProxyPort, state), 1);
    EXPECT_EQ(ReadFile(perUser_ + "opera6.ini"),
              "[User Prefs]\r\nName=x\r\n\r\n[Proxy]\r\nUse HTTP=1\r\n"
              "HTTP Server=KorvoPopupKiller:8100\r\n");
    EXPECT_EQ(ReadFile(opera7_ + "profile\\opera6.ini"), kUnsetIni);
    EXPECT_EQ(ReadFlag(kOpera7Flag), 1);
    EXPECT_EQ(ReadFlag(kOpera6Flag), -1);
    EXPECT_TRUE(boxes.Texts().empty());
}

TEST_F(BrowsersOpera, WithoutMultiUserKeyTheProgramFoldersFileStandsIn) {
    SetMultiUser(nullptr);
    OperaSettings opera(false, true);
    EXPECT_EQ(opera.LocateOperaIni(), kOperaFilesFound);
    EXPECT_EQ(opera.opera7IniPath, opera7_ + "profile\\opera6.ini");
    SetMultiUser("1");
    EXPECT_EQ(opera.LocateOperaIni(), kOpera7FileMissing);
}

TEST_F(BrowsersOpera, MissingFilesAreReportedAndNothingChanges) {
    RecordedBoxes boxes;
    SetMultiUser("1");  // and no per-user file
    BrowserConfigState state;
    EXPECT_EQ(OperaSettings(true, true).SetOperaProxy(kProxyHost, kProxyPort, state), 0);
    EXPECT_EQ(OperaSettings(true, true).ResetOperaProxy(state), 0);
    EXPECT_EQ(ReadFile(opera6_ + "opera6.ini"), kUnsetIni);
    DeleteFileA((opera6_ + "opera6.ini").c_str());
    EXPECT_EQ(OperaSettings(true, true).SetOperaProxy(kProxyHost, kProxyPort, state), 0);
    DeleteKeyTree(HKEY_CURRENT_USER, kOperaKey);
    EXPECT_EQ(OperaSettings(true, false).ResetOperaProxy(state), 0);

    ASSERT_EQ(boxes.Texts().size(), 4u);
    EXPECT_EQ(boxes.Texts()[0], "Error, Failed to set Opera 7 proxy setting because " + perUser_ +
                                    "opera6.ini doesn't exist.");
    EXPECT_EQ(boxes.Texts()[1], "Error, Failed to reset Opera 7 proxy setting because " + perUser_ +
                                    "opera6.ini doesn't exist.");
    EXPECT_EQ(boxes.Texts()[2], "Error, Failed to set Opera 6 and Opera 7 proxy setting because " +
                                    opera6_ + "opera6.ini and " + perUser_ +
                                    "opera6.ini don't exist.");
    EXPECT_EQ(boxes.Texts()[3],
              "Error, Failed to set Opera proxy setting because Opera key doesn't exist in the "
              "Registry.");
    for (UINT type : boxes.Types()) EXPECT_EQ(type, static_cast<UINT>(MB_OK | MB_ICONSTOP));
    EXPECT_EQ(ReadFile(opera7_ + "profile\\opera6.ini"), kUnsetIni);
    EXPECT_EQ(ReadFlag(kOpera6Flag), -1);
    EXPECT_EQ(ReadFlag(kOpera7Flag), -1);
}

TEST_F(BrowsersOpera, DefaultsFileCountsOnlyForTheTrayProgram) {
    WriteFile(opera7_ + "OperaDef6.ini",
              "[System]\r\nMulti User=0\r\n[Proxy]\r\nUse HTTP=1\r\n"
              "HTTP Server=KorvoPopupKiller:8100\r\n");
    BrowserConfigState state;
    OperaSettings(false, true).CheckOperaConfigured(state);
    EXPECT_EQ(state.opera7IsConfigured, 1);
    OperaSettings(false, true).CheckOperaConfiguredForUninstall(state);
    EXPECT_EQ(state.opera7IsConfigured, 0);

    OperaSettings(false, true).SetOperaProxy(kProxyHost, kProxyPort, state);
    EXPECT_EQ(OperaSettings(false, true).ResetOperaProxyForUninstall(state), 1);
    EXPECT_EQ(ReadFile(opera7_ + "profile\\opera6.ini"), kResetIni);
    EXPECT_NE(ReadFile(opera7_ + "OperaDef6.ini").find("Use HTTP=1"), std::string::npos);
    EXPECT_EQ(ReadFlag(kOpera7Flag), 0);
}

}  // namespace
}  // namespace browsers
