// The pure pieces of the application core: the pop-up count, the Windows version tests, the
// language text conventions and the Run value.
#include <gtest/gtest.h>

#include "core/app_state.h"
#include "core/blocked_count.h"
#include "core/language.h"
#include "core/windows_version.h"

namespace {

TEST(CoreBlockedCount, NextCountFromText) {
    struct Case {
        const char* count;
        const char* next;
    } cases[] = {
        {"0", "1"},
        {"41", "42"},
        {"9", "10"},
        {"1999", "2000"},
        {"", "1"},        // empty counts as 0
        {"abc", "1"},     // no leading digit counts as 0
        {"-5", "1"},      // a sign is no digit
        {"12abc", "13"},  // only the leading digits count
        {"007", "8"},     // written back without leading zeros
        {"000", "1"},
        {" 5", "1"},                                        // leading space is no digit
        {"99999999999999999999", "100000000000000000000"},  // beyond 64 bits
    };
    for (const Case& c : cases) {
        EXPECT_EQ(core::NextBlockedCount(c.count), c.next) << "count \"" << c.count << "\"";
    }
    std::string longCount(259, '9');
    EXPECT_EQ(core::NextBlockedCount(longCount), "1" + std::string(259, '0'));
}

TEST(CoreWindowsVersion, SixTestsOverGivenVersions) {
    // Expected answers in the order 95, 98, Me, NT4, 2000, XP.
    struct Case {
        unsigned long platform, major, minor;
        const char* expected;
    } cases[] = {
        {1, 4, 0, "100000"},                         // Windows 95
        {1, 4, 10, "010000"},                        // Windows 98
        {1, 4, 90, "001000"},                        // Windows Me
        {1, 4, 3, "000000"},                         // unknown 95-family minor version
        {2, 4, 0, "000100"},                         // NT 4.0
        {2, 5, 0, "000010"},                         // Windows 2000
        {2, 5, 1, "000001"},                         // XP
        {2, 5, 2, "000001"},                         // XP x64 / Server 2003
        {2, 6, 0, "000000"},                         // Vista and later pass none
        {2, 10, 0, "000000"}, {2, 3, 51, "000000"},  // NT 3.51
        {0, 4, 0, "000000"},                         // Win32s
        {3, 5, 1, "000000"},                         // CE
    };
    for (const Case& c : cases) {
        core::OsVersion v;
        v.platformId = c.platform;
        v.majorVersion = c.major;
        v.minorVersion = c.minor;
        core::WindowsVersion w(v);
        std::string answers;
        for (bool b : {w.IsWindows95(), w.IsWindows98(), w.IsWindowsMe(), w.IsWindowsNT4(),
                       w.IsWindows2000(), w.IsWindowsXP()}) {
            answers += b ? '1' : '0';
        }
        EXPECT_EQ(answers, c.expected)
            << "platform " << c.platform << " version " << c.major << "." << c.minor;
    }
}

TEST(CoreLanguage, HashBecomesLineFeed) {
    EXPECT_EQ(core::ExpandLineBreaks("Exit#now"), "Exit\nnow");
    EXPECT_EQ(core::ExpandLineBreaks("##a#"), "\n\na\n");
    EXPECT_EQ(core::ExpandLineBreaks("no marks"), "no marks");
    EXPECT_EQ(core::ExpandLineBreaks(""), "");
}

TEST(CoreLanguage, FilePathFromInstallPathAndLanguage) {
    EXPECT_EQ(core::LanguageFilePath("C:\\Program Files\\Korvo", "English"),
              "C:\\Program Files\\Korvo\\Language\\English.ini");
    // A trailing backslash doubles; the system accepts that.
    EXPECT_EQ(core::LanguageFilePath("C:\\Korvo\\", "Deutsch"),
              "C:\\Korvo\\\\Language\\Deutsch.ini");
    // Nothing loaded yet: a path that names no file, so every lookup gives its default.
    EXPECT_EQ(core::LanguageFilePath("", ""), "\\Language\\.ini");
}

TEST(CoreLanguage, LookupsWithoutLanguageFileGiveDefaults) {
    core::AppState saved = core::appState;
    core::appState.installPath = "/nonexistent-korvo-folder";
    core::appState.language = "English";
    EXPECT_EQ(core::GetLanguageString("6003", "Really#exit?"), "Really\nexit?");
    EXPECT_EQ(core::GetWizardString("2901", "a#b"), "a\nb");
    EXPECT_EQ(core::GetDialogText(1001, "keep#mark"), "keep#mark");
    EXPECT_EQ(core::AppTitle(), "Korvo Popup Killer");
    // The 250-character buffer cuts a long default too.
    EXPECT_EQ(core::GetLanguageString("1", std::string(300, 'x')).size(), 249u);
    core::appState = saved;
}

TEST(CoreAppState, RunValueOnlyForWindowsStartMode) {
    EXPECT_EQ(core::RunValueFor("C:\\Korvo", 2), "C:\\Korvo\\KorvoPop.exe");
    for (int mode : {0, 1, 3, -1}) EXPECT_EQ(core::RunValueFor("C:\\Korvo", mode), "") << mode;
}

}  // namespace
