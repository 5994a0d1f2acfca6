// The settings file through the real private-profile functions.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "platform/module_path.h"
#include "platform/profile.h"
#include "proxy/diagnostics.h"
#include "proxy/settings.h"
#include "test_folder.h"

namespace proxy {
namespace {

std::vector<std::string> diagnostics;
void Collect(const std::string& text) { diagnostics.push_back(text); }

class SettingsFile : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::OverrideProgramDirectory(folder_.Path());
        diagnostics.clear();
        SetDiagnosticSink(Collect);
    }
    void TearDown() override {
        SetDiagnosticSink(nullptr);
        platform::OverrideProgramDirectory("");
    }
    // Fields set away from their defaults, so that a load that skips a key shows.
    void ScrambleSettings() {
        AppSettings& s = settings_;
        s.PopupIP.Set("x");
        s.GatewayIP.Set("y");
        for (Setting* field :
             {&s.PopupPort, &s.GatewayPort, &s.GatewayEnable, &s.BannerBlock, &s.Startup,
              &s.EventMask, &s.DisplayOnTop, &s.Disabled, &s.UseDefaultBufferSizes, &s.BufferSize,
              &s.DNSCacheSize, &s.DNSCacheDisable, &s.DisableProxy, &s.PopupCheckEnabled,
              &s.PlayWave, &s.ConnectionTimeOut, &s.UseDefaultTimeOut, &s.FilterSecurePages}) {
            *field = 7;
        }
    }
    // The key=value lines of the file, in order.
    std::vector<std::string> Entries() const {
        std::vector<std::string> entries;
        std::istringstream in(test_folder::ReadFile(SettingsFilePath()));
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.find('=') != std::string::npos) entries.push_back(line);
        }
        return entries;
    }
    bool HasEntry(const std::string& entry) const {
        for (const std::string& e : Entries()) {
            if (e == entry) return true;
        }
        return false;
    }

    test_folder::TemporaryFolder folder_;
    AppSettings settings_;
};

// Every key but EventMask as the defaults save it, in the order the program writes them.
const std::vector<std::string> kDefaultEntries = {
    "PopupIP=KorvoPopupKiller",
    "PopupPort=0",
    "GatewayIP=",
    "GatewayPort=80",
    "GatewayEnable=0",
    "BannerBlock=0",
    "Startup=2",
    "DisplayOnTop=1",
    "ResetStats=0",
    "UseDefaultBufferSizes=1",
    "Disabled=0",
    "DisableProxy=0",
    "BufferSize=8192",
    "DNSCacheSize=10",
    "DNSCacheDisable=1",
    "PopupCheckDisabled=0",
    "PlayWave=1",
    "ConnectionTimeOut=60",
    "UseDefaultTimeOut=1",
    "FilterSecurePages=1",
};

// A missing, empty or foreign file gives every default, whatever the record held before: saved
// again, the record writes exactly the defaults, and the one key never saved is at its default.
TEST_F(SettingsFile, MissingOrEmptyFileGivesTheDefaultsAndSavesTwentyKeysInOrder) {
    for (const char* content : {static_cast<const char*>(nullptr), "", "[KorvoPopupKiller]\r\n",
                                "[Other]\r\nPopupPort=1\r\n"}) {
        DeleteFileA(SettingsFilePath().c_str());
        if (content != nullptr) test_folder::WriteFile(SettingsFilePath(), content);
        ScrambleSettings();
        LoadSettings(settings_);
        const std::string which = content ? content : "(no file)";
        EXPECT_EQ(settings_.EventMask, -1) << which;
        DeleteFileA(SettingsFilePath().c_str());
        SaveSettings(settings_);
        EXPECT_EQ(Entries(), kDefaultEntries) << which;
        EXPECT_EQ(test_folder::ReadFile(SettingsFilePath()).rfind("[KorvoPopupKiller]\r\n", 0), 0u);
    }
    EXPECT_TRUE(diagnostics.empty());
}

TEST_F(SettingsFile, PopupCheckDisabledIsStoredInvertedBothWays) {
    struct Case {
        const char* fileValue;
        int loadedField;
        int savedField;
        const char* savedEntry;
    };
    for (const Case& c :
         {Case{"1", 0, 0, "PopupCheckDisabled=1"}, Case{"1", 0, 1, "PopupCheckDisabled=0"},
          Case{"0", 1, 0, "PopupCheckDisabled=1"}, Case{"5", 0, 5, "PopupCheckDisabled=0"}}) {
        test_folder::WriteFile(
            SettingsFilePath(),
            std::string("[KorvoPopupKiller]\r\nPopupCheckDisabled=") + c.fileValue + "\r\n");
        LoadSettings(settings_);
        EXPECT_EQ(settings_.PopupCheckEnabled, c.loadedField) << c.fileValue;
        settings_.PopupCheckEnabled = c.savedField;
        SaveSettings(settings_);
        EXPECT_TRUE(HasEntry(c.savedEntry)) << c.fileValue << " saved from " << c.savedField;
    }
}

TEST_F(SettingsFile, MinusOneIsWrittenUnsignedAndReadBack) {
    LoadSettings(settings_);
    settings_.GatewayPort = -1;
    settings_.ConnectionTimeOut = -1;
    SaveSettings(settings_);
    EXPECT_TRUE(HasEntry("GatewayPort=4294967295"));
    EXPECT_TRUE(HasEntry("ConnectionTimeOut=4294967295"));
    ScrambleSettings();
    LoadSettings(settings_);
    EXPECT_EQ(settings_.GatewayPort, -1);
    EXPECT_EQ(settings_.ConnectionTimeOut, -1);
}

TEST_F(SettingsFile, NumbersAreReadFromTheirLeadingDigitsWithinLimits) {
    struct Case {
        const char* entry;
        const Setting* field;
        int expected;
    };
    const AppSettings& s = settings_;
    for (const Case& c : {Case{"BufferSize=abc", &s.BufferSize, 0},
                          Case{"BufferSize=4096bytes", &s.BufferSize, 4096},
                          Case{"BufferSize=  2048  ", &s.BufferSize, 2048},
                          Case{"PopupPort=8100", &s.PopupPort, 8100},
                          Case{"DNSCacheSize=100", &s.DNSCacheSize, 100},
                          Case{"DNSCacheSize=101", &s.DNSCacheSize, 101},
                          Case{"DNSCacheSize=102", &s.DNSCacheSize, kDnsCacheCapacity},
                          Case{"DNSCacheSize=4000000", &s.DNSCacheSize, kDnsCacheCapacity},
                          Case{"DNSCacheSize=-3", &s.DNSCacheSize, 0}}) {
        test_folder::WriteFile(SettingsFilePath(),
                               std::string("[KorvoPopupKiller]\r\n") + c.entry + "\r\n");
        ScrambleSettings();
        LoadSettings(settings_);
        EXPECT_EQ(c.field->load(), c.expected) << c.entry;
    }
}

TEST_F(SettingsFile, TextsAreLimitedTo259Characters) {
    const std::string longName(300, 'h');
    test_folder::WriteFile(SettingsFilePath(),
                           "[KorvoPopupKiller]\r\nGatewayIP=" + longName + "\r\n");
    LoadSettings(settings_);
    EXPECT_EQ(settings_.GatewayIP.Get(), longName.substr(0, 259));
}

// The once-only report is process-wide, so this is the one test that makes writes fail.
TEST_F(SettingsFile, UnwritableFileGivesExactlyOneDiagnostic) {
    const std::string original = "[KorvoPopupKiller]\r\nPlayWave=0\r\n";
    test_folder::WriteFile(SettingsFilePath(), original);
    ASSERT_TRUE(SetFileAttributesA(SettingsFilePath().c_str(), FILE_ATTRIBUTE_READONLY));
    LoadSettings(settings_);
    SaveSettings(settings_);
    SaveSettings(settings_);
    ASSERT_EQ(diagnostics.size(), 1u);
    EXPECT_EQ(diagnostics[0], "Error writing to file:\n" + SettingsFilePath());
    EXPECT_EQ(test_folder::ReadFile(SettingsFilePath()), original);
    SetFileAttributesA(SettingsFilePath().c_str(), FILE_ATTRIBUTE_NORMAL);

    // A folder that does not exist fails as well, and is not reported again.
    platform::OverrideProgramDirectory(folder_.Path() + "missing\\");
    SaveSettings(settings_);
    EXPECT_EQ(diagnostics.size(), 1u);
    EXPECT_EQ(GetFileAttributesA(SettingsFilePath().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SettingsFile, ModuleFilePathJoinsTheProgramFolder) {
    EXPECT_EQ(platform::ModuleFilePath("KorvoBlk.js"), folder_.Path() + "KorvoBlk.js");
    EXPECT_EQ(SettingsFilePath(), folder_.Path() + "KorvoINI.ini");
    platform::OverrideProgramDirectory("");
    char exe[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string program(exe, n);
    EXPECT_EQ(SettingsFilePath(), program.substr(0, program.rfind('\\') + 1) + "KorvoINI.ini");
}

// A program folder the user cannot write (Program Files for a standard user) keeps the shipped
// settings as the defaults and the user's own in the user's application data.
TEST_F(SettingsFile, ReadOnlyProgramFolderKeepsTheUsersSettingsApart) {
    const std::string userFolder = core::UserFilesFolder();
    ASSERT_FALSE(userFolder.empty());
    EXPECT_EQ(userFolder.substr(userFolder.rfind('\\') + 1), "Korvo Popup Killer");
    EXPECT_FALSE(core::RunTimeFilesFor(folder_.Path()).InUserFolder());
    EXPECT_TRUE(core::RunTimeFilesFor(folder_.Path() + "missing\\").InUserFolder());

    const std::string shipped = "[KorvoPopupKiller]\r\nPopupPort=8100\r\nPlayWave=0\r\n";
    test_folder::WriteFile(SettingsFilePath(), shipped);
    test_folder::TemporaryFolder user;
    const RunTimeFiles files(folder_.Path(), user.Path() + "Korvo Popup Killer\\", false);
    LoadSettings(settings_, files);
    EXPECT_EQ(settings_.PopupPort, 8100);
    settings_.BannerBlock = 1;
    SaveSettings(settings_, files);
    EXPECT_TRUE(diagnostics.empty());
    EXPECT_EQ(test_folder::ReadFile(SettingsFilePath()), shipped);
    const std::string own = user.Path() + "Korvo Popup Killer\\KorvoINI.ini";
    EXPECT_EQ(platform::ReadProfileInt("KorvoPopupKiller", "BannerBlock", 0, own), 1);
    EXPECT_EQ(platform::ReadProfileInt("KorvoPopupKiller", "PlayWave", 1, own), 0);

    ScrambleSettings();
    LoadSettings(settings_, files);
    EXPECT_EQ(settings_.BannerBlock, 1);
    EXPECT_EQ(settings_.PopupPort, 8100);
}

}  // namespace
}  // namespace proxy
