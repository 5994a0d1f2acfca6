// Where the run-time files are read from and written to, with the program folder writable or
// not, and the settings file kept in the user's folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/folders.h"
#include "proxy/run_time_files.h"
#include "proxy/settings.h"

namespace proxy {
namespace {

std::string Read(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class RunTimeFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/korvo-files-XXXXXX";
        root_ = mkdtemp(pattern);
        program_ = root_ + "/program/";
        user_ = root_ + "/user/";
        ::mkdir(program_.c_str(), 0755);
    }
    void TearDown() override { std::system(("rm -rf " + root_).c_str()); }
    void Write(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

    std::string root_, program_, user_;
};

TEST_F(RunTimeFilesTest, FolderWriteTest) {
    EXPECT_TRUE(platform::FolderIsWritable(program_));
    // The probe leaves nothing behind.
    EXPECT_EQ(std::system(("test -z \"$(ls -A " + program_ + ")\"").c_str()), 0);
    EXPECT_FALSE(platform::FolderIsWritable(root_ + "/missing/"));
    Write(root_ + "/plain", "x");
    EXPECT_FALSE(platform::FolderIsWritable(root_ + "/plain/"));

    EXPECT_TRUE(platform::EnsureFolder(user_));
    EXPECT_TRUE(platform::EnsureFolder(user_));  // already there
    EXPECT_FALSE(platform::EnsureFolder(root_ + "/plain"));
    EXPECT_FALSE(platform::EnsureFolder(root_ + "/missing/deeper/"));
    EXPECT_TRUE(platform::FileExists(root_ + "/plain"));
    EXPECT_FALSE(platform::FileExists(user_));
}

TEST_F(RunTimeFilesTest, WritableProgramFolderKeepsEverything) {
    Write(program_ + "KorvoINI.ini", "program");
    ::mkdir(user_.c_str(), 0755);
    Write(user_ + "KorvoINI.ini", "left from a run without rights");
    const RunTimeFiles files = RunTimeFiles::Decide(program_, user_);
    EXPECT_FALSE(files.InUserFolder());
    EXPECT_EQ(files.ReadPath("KorvoINI.ini"), program_ + "KorvoINI.ini");
    EXPECT_EQ(files.WritePath("mHosts"), program_ + "mHosts");
    EXPECT_EQ(files.UserCopy("mHosts"), user_ + "mHosts");
}

TEST_F(RunTimeFilesTest, ReadOnlyProgramFolderUsesTheUsersCopies) {
    const RunTimeFiles files(program_, user_, false);
    ASSERT_TRUE(files.InUserFolder());
    // Until the user has a copy, the program folder's serves as the default.
    EXPECT_EQ(files.ReadPath("KorvoINI.ini"), program_ + "KorvoINI.ini");
    EXPECT_EQ(files.WritePath("KorvoINI.ini"), user_ + "KorvoINI.ini");
    struct stat status;
    EXPECT_EQ(::stat(user_.c_str(), &status), 0) << "the user's folder is made for the write";
    Write(user_ + "KorvoINI.ini", "user");
    EXPECT_EQ(files.ReadPath("KorvoINI.ini"), user_ + "KorvoINI.ini");
    EXPECT_EQ(files.ReadPath("Browser.ini"), program_ + "Browser.ini");

    // Without a user folder there is nowhere else to go.
    const RunTimeFiles nowhere(program_, "", false);
    EXPECT_FALSE(nowhere.InUserFolder());
    EXPECT_EQ(nowhere.WritePath("KorvoINI.ini"), program_ + "KorvoINI.ini");
    EXPECT_EQ(nowhere.UserCopy("mHosts"), "");
}

// The settings the installation ships are the defaults; what the user saves goes to the user's
// copy, leaves the shipped file alone and is what the next start reads.
TEST_F(RunTimeFilesTest, SettingsSavedToTheUsersCopy) {
    const std::string shipped = "[KorvoPopupKiller]\nPopupPort=8100\nPlayWave=0\n";
    Write(program_ + "KorvoINI.ini", shipped);
    const RunTimeFiles files(program_, user_, false);
    AppSettings settings;
    LoadSettings(settings, files);
    EXPECT_EQ(settings.PopupPort, 8100);
    EXPECT_EQ(settings.PlayWave, 0);
    settings.BannerBlock = 1;
    SaveSettings(settings, files);
    EXPECT_EQ(Read(program_ + "KorvoINI.ini"), shipped);
    const std::string saved = Read(user_ + "KorvoINI.ini");
    EXPECT_NE(saved.find("PopupPort=8100"), std::string::npos) << saved;
    EXPECT_NE(saved.find("BannerBlock=1"), std::string::npos) << saved;

    Write(program_ + "KorvoINI.ini", "[KorvoPopupKiller]\nPopupPort=9000\n");
    AppSettings next;
    LoadSettings(next, files);
    EXPECT_EQ(next.PopupPort, 8100);
    EXPECT_EQ(next.BannerBlock, 1);
    EXPECT_EQ(next.PlayWave, 0);
}

}  // namespace
}  // namespace proxy
