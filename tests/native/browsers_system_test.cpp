// Chrome and Edge found by their App Paths entries.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "browsers/system_browsers.h"

namespace browsers {
namespace {

TEST(BrowsersSystem, AppPathValueNamesTheProgramByItsFullPath) {
    const std::string chrome = "C:\\Program Files\\Google\\Chrome\\Application\\chrome.exe";
    struct Case {
        std::string value, program;
    } cases[] = {
        {chrome, chrome},
        {"  \"" + chrome + "\" ", chrome},  // quoted, as some installers write it
        {"\"" + chrome + "\"\r\n", chrome},
        {"C:\\Users\\joe\\AppData\\Local\\Google\\Chrome\\Application\\CHROME.EXE",
         "C:\\Users\\joe\\AppData\\Local\\Google\\Chrome\\Application\\CHROME.EXE"},
        {"\\\\server\\apps\\chrome.exe", "\\\\server\\apps\\chrome.exe"},
        {"chrome.exe", ""},                     // no folder: nothing to check for the file
        {"Application\\chrome.exe", ""},        // a relative path
        {"C:\\Chrome\\notchrome.exe", ""},      // another program
        {"C:\\Chrome\\chrome.exe.old", ""},     // a leftover copy
        {"C:\\Chrome\\chrome.exe --flag", ""},  // a command line is no program path
        {"C:\\Edge\\msedge.exe", ""},           // the other browser
        {"\"", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AppPathProgram(c.value, kChromeProgram), c.program) << c.value;
    }
}

TEST(BrowsersSystem, RegisteredOnlyWhenANamedProgramExists) {
    const std::string user = "C:\\Users\\joe\\AppData\\Local\\Microsoft\\Edge\\msedge.exe";
    const std::string machine = "C:\\Program Files (x86)\\Microsoft\\Edge\\msedge.exe";
    std::set<std::string> files;
    std::vector<std::string> asked;
    const auto exists = [&](const std::string& path) {
        asked.push_back(path);
        return files.count(path) != 0;
    };
    const std::vector<std::string> values = {"msedge.exe", "\"" + user + "\"", machine};
    // Entries left behind by an uninstalled browser.
    EXPECT_FALSE(ProgramRegistered(values, kEdgeProgram, exists));
    EXPECT_EQ(asked, (std::vector<std::string>{user, machine}));
    // The machine-wide program alone is enough.
    files = {machine};
    EXPECT_TRUE(ProgramRegistered(values, kEdgeProgram, exists));
    EXPECT_FALSE(ProgramRegistered({}, kEdgeProgram, exists));
    EXPECT_FALSE(ProgramRegistered(values, kChromeProgram, exists));
}

}  // namespace
}  // namespace browsers
