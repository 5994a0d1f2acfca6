// The pure pieces of the application core: the pop-up count, the Windows version tests and the
// shipped English language file.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "core/blocked_count.h"
#include "core/windows_version.h"

namespace {

TEST(CoreBlockedCount, NextCountFromText) {
    const std::pair<std::string, std::string> cases[] = {
        {"0", "1"},
        {"41", "42"},
        {"1999", "2000"},
        {"", "1"},
        {"abc", "1"},
        {"-5", "1"},
        {" 5", "1"},
        {"12abc", "13"},
        {"007", "8"},
        {"000", "1"},
        {"99999999999999999999", "100000000000000000000"},  // past 64 bits
        {std::string(259, '9'), "1" + std::string(259, '0')},
    };
    for (const auto& c : cases) EXPECT_EQ(core::NextBlockedCount(c.first), c.second) << c.first;
}

TEST(CoreWindowsVersion, TheFamilyTestsOverGivenVersions) {
    // platform, major, minor, then the answers of 95, 98, Me, NT4, 2000, XP, Vista or later.
    struct Case {
        unsigned long platform, major, minor;
        const char* expected;
    } cases[] = {
        {1, 4, 0, "1000000"}, {1, 4, 10, "0100000"}, {1, 4, 90, "0010000"}, {1, 4, 3, "0000000"},
        {2, 4, 0, "0001000"}, {2, 5, 0, "0000100"},  {2, 5, 1, "0000010"},  {2, 5, 2, "0000010"},
        {2, 6, 0, "0000001"}, {2, 6, 2, "0000001"},  {2, 10, 0, "0000001"}, {2, 3, 51, "0000000"},
        {0, 4, 0, "0000000"},
    };
    for (const Case& c : cases) {
        core::OsVersion v;
        v.platformId = c.platform;
        v.majorVersion = c.major;
        v.minorVersion = c.minor;
        core::WindowsVersion w(v);
        std::string answers;
        for (bool b : {w.IsWindows95(), w.IsWindows98(), w.IsWindowsMe(), w.IsWindowsNT4(),
                       w.IsWindows2000(), w.IsWindowsXP(), w.IsWindowsVistaOrLater()}) {
            answers += b ? '1' : '0';
        }
        EXPECT_EQ(answers, c.expected) << c.platform << " " << c.major << "." << c.minor;
    }
}

TEST(CoreShippedLanguage, EnglishFileHoldsTheSameTextsInBothSections) {
    std::string here = __FILE__;
    std::ifstream in(here.substr(0, here.rfind("tests/native/")) + "data/Language/English.ini",
                     std::ios::binary);
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t main = file.find("[KorvoPopupKiller]\r\n"),
                 wizard = file.find("[KorvoPopuKiller]\r\n");
    ASSERT_TRUE(main != std::string::npos && wizard != std::string::npos);
    EXPECT_EQ(file.substr(main + 20, wizard - main - 22), file.substr(wizard + 19));
    for (const char* line :
         {"\r\n99990=Korvo Popup Killer\r\n", "\r\n6009=#127.0.0.1\tKorvoPopupKiller\r\n",
          "\r\n11002=Options\r\n", "\r\n9007=\" Always On Top\"\r\n"}) {
        EXPECT_NE(file.find(line), std::string::npos) << line;
    }
}

}  // namespace
