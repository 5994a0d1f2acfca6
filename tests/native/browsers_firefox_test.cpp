// Firefox's profiles.ini and installs.ini as today's Firefox writes them, and as older ones did.
#include <gtest/gtest.h>

#include "browsers/firefox_profiles.h"

namespace browsers {
namespace {

std::string Listed(const std::vector<FirefoxProfile>& profiles) {
    std::string text;
    for (const FirefoxProfile& p : profiles) {
        text += "[" + FirefoxEntryName(p) + " = " + p.folder + "]";
    }
    return text;
}

TEST(BrowsersFirefoxProfiles, FolderAndDefaultAsFirefoxReadsThem) {
    const std::string base = "C:\\Users\\joe\\AppData\\Roaming\\Mozilla\\Firefox";
    // Since Firefox 67 each installation names its default, in installs.ini and again in an
    // Install section of profiles.ini; the older Default=1 then no longer decides.
    const std::string today =
        "[Install308046B0AF4A39CB]\r\nDefault=Profiles/abcd1234.default-release\r\nLocked=1\r\n\r\n"
        "[Profile1]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/wxyz9876.default\r\n"
        "Default=1\r\n\r\n"
        "[Profile0]\r\nName=default-release\r\nIsRelative=1\r\n"
        "Path=Profiles/abcd1234.default-release\r\n\r\n"
        "[General]\r\nStartWithLastProfile=1\r\nVersion=2\r\n";
    EXPECT_EQ(Listed(FirefoxProfilesFrom(today, "", base)),
              "[Firefox: default = " + base +
                  "\\Profiles\\wxyz9876.default]"
                  "[Firefox: default-release (default) = " +
                  base + "\\Profiles\\abcd1234.default-release]");
    // installs.ini wins over profiles.ini's own Install section.
    const std::string installs = "[308046B0AF4A39CB]\nDefault=Profiles/wxyz9876.default\n";
    EXPECT_EQ(Listed(FirefoxProfilesFrom(today, installs, base)),
              "[Firefox: default (default) = " + base +
                  "\\Profiles\\wxyz9876.default]"
                  "[Firefox: default-release = " +
                  base + "\\Profiles\\abcd1234.default-release]");

    // An older Firefox: Default=1 marks it; a profile kept elsewhere has an absolute path; keys
    // in any case, line feeds alone, a trailing slash, a section without a path skipped.
    const std::string older =
        "[General]\nStartWithLastProfile=1\n\n[Profile0]\nname = Work\nisrelative=0\n"
        "PATH=D:\\Profiles\\work\\\nDefault=1\n\n[Profile1]\nName=Broken\nIsRelative=1\n";
    EXPECT_EQ(Listed(FirefoxProfilesFrom(older, "", base + "\\")),
              "[Firefox: Work (default) = D:\\Profiles\\work]");
    EXPECT_TRUE(FirefoxProfilesFrom("", "", base).empty());
}

}  // namespace
}  // namespace browsers
