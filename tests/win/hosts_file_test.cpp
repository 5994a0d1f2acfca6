// The hosts file operations on the real hosts file of the test prefix, put back after each test.
#include "browsers/hosts_file.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "core/windows_version.h"
#include "platform/module_path.h"
#include "proxy/run_time_files.h"
#include "test_folder.h"

namespace browsers {
namespace {

using test_folder::ReadFile;

const char kPlain[] = "# plain\r\n127.0.0.1 localhost\r\n";
const char kEntry[] = "127.0.0.1\tKorvoPopupKiller\r\n";

DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }
bool Exists(const std::string& path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }
void Remove(const std::string& path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
    RemoveDirectoryA(path.c_str());
}

class HostsFile : public ::testing::Test {
  protected:
    void SetUp() override {
        if (Exists(hosts_)) saved_ = ReadFile(hosts_);
        platform::OverrideProgramDirectory(folder_.Path());
        test_folder::WriteFile(folder_.Path() + "hostsd", kPlain);
        test_folder::WriteFile(folder_.Path() + "hostse",
                               std::string(kPlain) + "127.0.0.1 ads.example\r\n");
    }
    void TearDown() override {
        platform::OverrideProgramDirectory("");
        Remove(hosts_);
        test_folder::WriteFile(hosts_, saved_);
    }
    void SetHosts(const std::string& content) {
        Remove(hosts_);
        test_folder::WriteFile(hosts_, content);
    }
    // The file ends read-only, and no temporary file is left beside it or the backup.
    void ExpectWrittenCleanly() {
        EXPECT_EQ(Attributes(hosts_), kHostsReadOnlyAttributes);
        EXPECT_FALSE(Exists(hosts_ + ".korvo-new") || Exists(Backup() + ".korvo-new"));
    }
    std::string Backup() const { return folder_.Path() + "mHosts"; }

    test_folder::TemporaryFolder folder_;
    const std::string hosts_ = GetHostsPath();
    std::string saved_;
};

TEST_F(HostsFile, PathAndAttributes) {
    // Both test levels, Windows XP and Windows 10, are of the NT family and keep it there.
    const core::WindowsVersion version;
    EXPECT_TRUE(version.IsWindowsXP() || version.IsWindowsVistaOrLater());
    EXPECT_NE(hosts_.find(":\\windows\\system32\\drivers\\etc\\hosts"), std::string::npos);
    SetHosts(kPlain);
    SetFileAttributesA(hosts_.c_str(), FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(SetHostsAttributes(hosts_, false));
    EXPECT_EQ(Attributes(hosts_), 38u);
    EXPECT_TRUE(SetHostsAttributes(hosts_, true));
    EXPECT_EQ(Attributes(hosts_), 39u);
    EXPECT_EQ(HostsContains("localhost"), 1);  // read-only, hidden and system still read
}

TEST_F(HostsFile, AddEntry) {
    const std::pair<std::string, std::string> cases[] = {
        {"10.0.0.5 intranet", "10.0.0.5 intranet\r\n" + std::string(kEntry)},
        {"127.0.0.1  KORVOPOPUPKILLER\n", "127.0.0.1  KORVOPOPUPKILLER\n"},  // left alone
    };
    for (const auto& c : cases) {
        SetHosts(c.first);
        EXPECT_EQ(AddHostsEntry("127.0.0.1", "KorvoPopupKiller"), 1) << c.first;
        EXPECT_EQ(ReadFile(hosts_), c.second) << c.first;
    }
    Remove(hosts_);
    EXPECT_EQ(HostsContains("KorvoPopupKiller"), 0);
    EXPECT_EQ(AddHostsEntry("127.0.0.1", "KorvoPopupKiller"), 1);
    EXPECT_EQ(ReadFile(hosts_), kEntry);
    ExpectWrittenCleanly();

    // A hosts path that cannot be read is never overwritten.
    Remove(hosts_);
    ASSERT_TRUE(CreateDirectoryA(hosts_.c_str(), nullptr));
    EXPECT_EQ(AddHostsEntry("127.0.0.1", "KorvoPopupKiller"), 0);
    EXPECT_NE(Attributes(hosts_) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST_F(HostsFile, BackupNeverEmptiesAnExistingCopy) {
    SetHosts("# mine\r\n");
    EXPECT_TRUE(BackupHosts());
    EXPECT_EQ(ReadFile(Backup()), "# mine\r\n");
    SetHosts("");
    EXPECT_FALSE(BackupHosts());
    Remove(hosts_);
    EXPECT_FALSE(BackupHosts());
    EXPECT_EQ(ReadFile(Backup()), "# mine\r\n");
    EXPECT_FALSE(Exists(Backup() + ".korvo-new"));
    Remove(Backup());
    EXPECT_TRUE(BackupHosts());  // no hosts file and no copy yet: an empty copy records it
    EXPECT_EQ(ReadFile(Backup()), "");

    SetHosts(kPlain);  // a program folder that cannot be written is passed over
    platform::OverrideProgramDirectory(folder_.Path() + "gone\\");
    EXPECT_FALSE(BackupHosts());
    EXPECT_EQ(ReadFile(hosts_), kPlain);
}

TEST_F(HostsFile, AdBlockingSwitchKeepsUserLines) {
    const std::string user = "127.0.0.1 localhost\r\n10.0.0.5 intranet\r\n" + std::string(kEntry);
    SetHosts(user);
    EXPECT_EQ(ApplyAdBlockHostsFile(true), HostsSwitch::kSwitched);
    EXPECT_EQ(ReadFile(hosts_), user + "# plain\r\n127.0.0.1 ads.example\r\n");
    ExpectWrittenCleanly();
    EXPECT_EQ(ApplyAdBlockHostsFile(false), HostsSwitch::kSwitched);
    EXPECT_EQ(ReadFile(hosts_), user + "# plain\r\n");
    ExpectWrittenCleanly();

    Remove(folder_.Path() + "hostse");  // no prepared file: nothing changes
    SetHosts(user);
    EXPECT_EQ(ApplyAdBlockHostsFile(true), HostsSwitch::kNoPreparedFile);
    EXPECT_EQ(ReadFile(hosts_), user);
    EXPECT_EQ(Attributes(hosts_), 39u);

    // A hosts file that can be read but not replaced (a folder stands where the replacement is
    // written) is told apart, so the caller can say why nothing changed.
    const std::string blocker = hosts_ + ".korvo-new";
    ASSERT_TRUE(CreateDirectoryA(blocker.c_str(), nullptr));
    EXPECT_EQ(ApplyAdBlockHostsFile(false), HostsSwitch::kNotWritten);
    RemoveDirectoryA(blocker.c_str());
    EXPECT_EQ(ReadFile(hosts_), user);
    EXPECT_EQ(Attributes(hosts_), 39u);
}

// With the program folder not writable the backup goes to the user's folder, and the hosts
// restore takes it from there, removing every copy of it.
TEST_F(HostsFile, BackupInTheUsersFolder) {
    test_folder::TemporaryFolder user;
    const proxy::RunTimeFiles files(folder_.Path(), user.Path() + "files\\", false);
    const std::string users = "10.0.0.5 intranet\r\n";
    SetHosts(users);
    EXPECT_TRUE(BackupHosts(files));
    EXPECT_EQ(ReadFile(user.Path() + "files\\mHosts"), users);
    EXPECT_FALSE(Exists(Backup()));

    SetHosts(users + kEntry + "127.0.0.1 localhost\r\n");
    test_folder::WriteFile(Backup(), "# stale copy of an earlier run\r\n");
    const std::string program = folder_.Path().substr(0, folder_.Path().size() - 1);
    EXPECT_TRUE(RemoveProgramHostsEntries(program, user.Path() + "files", "KorvoPopupKiller"));
    // localhost was not in the user's copy, so it came from a prepared file and goes.
    EXPECT_EQ(ReadFile(hosts_), users);
    EXPECT_FALSE(Exists(user.Path() + "files\\mHosts"));
    EXPECT_FALSE(Exists(Backup()));
}

}  // namespace
}  // namespace browsers
