// The hosts file operations on the real hosts file of the test prefix, which each test puts
// back as it found it.
#include "browsers/hosts_file.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "core/windows_version.h"
#include "platform/module_path.h"
#include "test_folder.h"

namespace browsers {
namespace {

using test_folder::ReadFile;
using test_folder::WriteFile;

const char kPlain[] = "# plain\r\n127.0.0.1 localhost\r\n";
const char kAds[] = "# plain\r\n127.0.0.1 localhost\r\n127.0.0.1 ads.example\r\n";

DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }
bool Exists(const std::string& path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

void RemoveFile(const std::string& path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

class HostsFile : public ::testing::Test {
  protected:
    void SetUp() override {
        hosts_ = GetHostsPath();
        hadHosts_ = Exists(hosts_);
        if (hadHosts_) {
            savedAttributes_ = Attributes(hosts_);
            savedContent_ = ReadFile(hosts_);
        }
        platform::OverrideProgramDirectory(folder_.Path());
        WriteFile(folder_.Path() + "hostsd", kPlain);
        WriteFile(folder_.Path() + "hostse", kAds);
    }
    void TearDown() override {
        platform::OverrideProgramDirectory("");
        RemoveFile(hosts_);
        RemoveDirectoryA(hosts_.c_str());
        if (hadHosts_) {
            WriteFile(hosts_, savedContent_);
            SetFileAttributesA(hosts_.c_str(), savedAttributes_);
        }
    }

    void SetHosts(const std::string& content) {
        RemoveFile(hosts_);
        WriteFile(hosts_, content);
    }
    // No temporary file is left beside the hosts file or the backup.
    void ExpectNoLeftovers() {
        EXPECT_FALSE(Exists(hosts_ + ".korvo-new"));
        EXPECT_FALSE(Exists(folder_.Path() + "mHosts.korvo-new"));
    }

    test_folder::TemporaryFolder folder_;
    std::string hosts_;
    bool hadHosts_ = false;
    DWORD savedAttributes_ = 0;
    std::string savedContent_;
};

TEST_F(HostsFile, PathAndVersionOfThePrefix) {
    char windows[MAX_PATH];
    UINT n = GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_EQ(hosts_, std::string(windows, n) + "\\system32\\drivers\\etc\\hosts");
    core::WindowsVersion version;  // the test prefix runs as Windows XP
    EXPECT_TRUE(version.IsWindowsXP());
    EXPECT_FALSE(version.IsWindows2000() || version.IsWindowsNT4() || version.IsWindows98());
}

TEST_F(HostsFile, AttributesExactlyWritableOrReadOnly) {
    SetHosts(kPlain);
    SetFileAttributesA(hosts_.c_str(), FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(SetHostsAttributes(hosts_, false));
    EXPECT_EQ(Attributes(hosts_), 38u);
    EXPECT_TRUE(SetHostsAttributes(hosts_, true));
    EXPECT_EQ(Attributes(hosts_), 39u);
    EXPECT_FALSE(SetHostsAttributes(folder_.Path() + "nothing-here", true));
}

TEST_F(HostsFile, ContainsReadsTheRealFile) {
    RemoveFile(hosts_);
    EXPECT_EQ(HostsContains("KorvoPopupKiller"), 0);  // no file
    SetHosts("");
    EXPECT_EQ(HostsContains("KorvoPopupKiller"), 0);  // empty file
    SetHosts("127.0.0.1 localhost\r\n127.0.0.1   korvopopupkiller\r\n");
    EXPECT_EQ(HostsContains("KorvoPopupKiller"), 1);
    SetFileAttributesA(hosts_.c_str(), kHostsReadOnlyAttributes);
    EXPECT_EQ(HostsContains("KorvoPopupKiller"), 1);  // read-only, hidden, system
    SetHosts("#127.0.0.1 KorvoPopupKiller\r\n");
    EXPECT_EQ(HostsContains("KorvoPopupKiller"), 0);
}

TEST_F(HostsFile, AddEntry) {
    struct Case {
        const char* before;
        bool present;  // the file holds the name already and must stay byte for byte
        const char* after;
    } cases[] = {
        {"127.0.0.1 localhost\r\n", false,
         "127.0.0.1 localhost\r\n127.0.0.1\tKorvoPopupKiller\r\n"},
        {"127.0.0.1 localhost\r\n10.0.0.5 intranet", false,
         "127.0.0.1 localhost\r\n10.0.0.5 intranet\r\n127.0.0.1\tKorvoPopupKiller\r\n"},
        {"127.0.0.1 localhost\n127.0.0.1  KORVOPOPUPKILLER\n", true, nullptr},
        {"", false, "127.0.0.1\tKorvoPopupKiller\r\n"},
    };
    for (const Case& c : cases) {
        SetHosts(c.before);
        SetFileAttributesA(hosts_.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(AddHostsEntry("127.0.0.1", "KorvoPopupKiller"), 1) << c.before;
        EXPECT_EQ(ReadFile(hosts_), c.present ? c.before : c.after) << c.before;
        if (!c.present) {
            EXPECT_EQ(Attributes(hosts_), 39u) << c.before;
        }
        ExpectNoLeftovers();
    }

    RemoveFile(hosts_);  // no hosts file at all: it is made
    EXPECT_EQ(AddHostsEntry("127.0.0.1", "KorvoPopupKiller"), 1);
    EXPECT_EQ(ReadFile(hosts_), "127.0.0.1\tKorvoPopupKiller\r\n");
    EXPECT_EQ(Attributes(hosts_), 39u);
}

TEST_F(HostsFile, AddEntryLeavesAnUnreadableHostsAlone) {
    // A folder where the hosts file should be can be neither read nor replaced.
    RemoveFile(hosts_);
    ASSERT_TRUE(CreateDirectoryA(hosts_.c_str(), nullptr));
    EXPECT_EQ(AddHostsEntry("127.0.0.1", "KorvoPopupKiller"), 0);
    EXPECT_NE(Attributes(hosts_) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    ExpectNoLeftovers();
}

TEST_F(HostsFile, BackupCopiesAndNeverEmptiesAnExistingBackup) {
    const std::string backup = folder_.Path() + "mHosts";
    SetHosts("127.0.0.1 localhost\r\n# mine\r\n");
    EXPECT_TRUE(BackupHosts());
    EXPECT_EQ(ReadFile(backup), "127.0.0.1 localhost\r\n# mine\r\n");

    SetHosts("changed\r\n");  // a later backup replaces it with the current file
    EXPECT_TRUE(BackupHosts());
    EXPECT_EQ(ReadFile(backup), "changed\r\n");

    RemoveFile(hosts_);
    EXPECT_FALSE(BackupHosts());
    EXPECT_EQ(ReadFile(backup), "changed\r\n");
    SetHosts("");
    EXPECT_FALSE(BackupHosts());
    EXPECT_EQ(ReadFile(backup), "changed\r\n");
    ExpectNoLeftovers();

    // No backup yet and no hosts file: the empty backup records that.
    RemoveFile(backup);
    RemoveFile(hosts_);
    EXPECT_TRUE(BackupHosts());
    EXPECT_TRUE(Exists(backup));
    EXPECT_EQ(ReadFile(backup), "");
}

TEST_F(HostsFile, BackupSkippedWhenProgramFolderCannotBeWritten) {
    SetHosts(kPlain);
    const std::string missingFolder = folder_.Path() + "gone\\";
    platform::OverrideProgramDirectory(missingFolder);
    EXPECT_FALSE(BackupHosts());
    EXPECT_FALSE(Exists(missingFolder + "mHosts"));
    EXPECT_EQ(ReadFile(hosts_), kPlain);
}

TEST_F(HostsFile, AdBlockingSwitchKeepsUserLines) {
    SetHosts("127.0.0.1 localhost\r\n10.0.0.5 intranet\r\n127.0.0.1\tKorvoPopupKiller\r\n");
    EXPECT_TRUE(ApplyAdBlockHostsFile(true));
    EXPECT_EQ(ReadFile(hosts_),
              "127.0.0.1 localhost\r\n10.0.0.5 intranet\r\n127.0.0.1\tKorvoPopupKiller\r\n"
              "# plain\r\n127.0.0.1 ads.example\r\n");
    EXPECT_EQ(Attributes(hosts_), 39u);
    ExpectNoLeftovers();

    EXPECT_TRUE(ApplyAdBlockHostsFile(false));
    EXPECT_EQ(ReadFile(hosts_),
              "127.0.0.1 localhost\r\n10.0.0.5 intranet\r\n127.0.0.1\tKorvoPopupKiller\r\n"
              "# plain\r\n");
    EXPECT_EQ(Attributes(hosts_), 39u);
    EXPECT_EQ(HostsContains("KorvoPopupKiller"), 1);
    EXPECT_EQ(HostsContains("ads.example"), 0);
}

TEST_F(HostsFile, AdBlockingWithoutPreparedFileChangesNothing) {
    SetHosts("127.0.0.1 localhost\r\n");
    SetFileAttributesA(hosts_.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveFile(folder_.Path() + "hostse");
    EXPECT_FALSE(ApplyAdBlockHostsFile(true));
    EXPECT_EQ(ReadFile(hosts_), "127.0.0.1 localhost\r\n");
    EXPECT_EQ(Attributes(hosts_), 39u);  // attributes restored in any case

    RemoveFile(hosts_);  // no hosts file: the prepared file's lines make a new one
    EXPECT_TRUE(ApplyAdBlockHostsFile(false));
    EXPECT_EQ(ReadFile(hosts_), kPlain);
}

}  // namespace
}  // namespace browsers
