#include <gtest/gtest.h>

#include "cleaner/cache_paths.h"

namespace cleaner {
namespace {

TEST(CleanerPaths, OnlyFoldersBelowADriveOrShareMayBeEmptied) {
    struct Case {
        const char* folder;
        bool usable;
    } cases[] = {
        {"C:\\Profiles\\x.slt\\Cache", true},
        {"C:/Opera7/profile/cache4/", true},
        {"\\\\server\\share\\cache", true},
        {"C:\\", false},
        {"C:", false},
        {"C:\\\\", false},
        {"\\\\server\\share", false},
        {"\\\\server\\share\\", false},
        {"cache4", false},
        {"\\cache4", false},
        {"", false},
        {"C:\\Opera\\..", false},
        {"C:\\Opera\\..\\Windows", false},
        {"C:\\Opera\\.\\cache", false},
        {"C:\\cache*", false},
        {"C:\\a:b", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsUsableCacheFolder(c.folder), c.usable) << c.folder;
}

TEST(CleanerPaths, InsideMeansStrictlyBelowWithoutAWayBackOut) {
    const std::string cache = "C:\\Mozilla\\Profiles\\default\\ab.slt\\Cache";
    struct Case {
        std::string path;
        bool inside;
    } cases[] = {
        {cache + "\\_CACHE_001_", true},
        {cache + "\\0\\1\\entry", true},
        {"c:\\mozilla\\profiles\\DEFAULT\\ab.slt\\cache\\x", true},
        {"C:/Mozilla/Profiles/default/ab.slt/Cache//x", true},
        {cache, false},
        {cache + "\\", false},
        {cache + "2\\x", false},  // a folder beside it whose name starts the same
        {"C:\\Mozilla\\Profiles\\default\\ab.slt\\prefs.js", false},
        {cache + "\\..\\prefs.js", false},
        {cache + "\\0\\..\\..\\prefs.js", false},
        {cache + "\\*", false},
        {"D:\\Mozilla\\Profiles\\default\\ab.slt\\Cache\\x", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsInsideFolder(cache, c.path), c.inside) << c.path;
    EXPECT_FALSE(IsInsideFolder("C:\\", "C:\\Windows\\win.ini"));
}

TEST(CleanerPaths, ProfileCachesBesidePrefsAndInTheNonRoamingTree) {
    const std::string prefs =
        "C:\\Documents and Settings\\me\\Application Data\\Mozilla\\Profiles\\default\\ab.slt\\"
        "prefs.js";
    EXPECT_EQ(ProfileCacheFolder(prefs),
              "C:\\Documents and Settings\\me\\Application Data\\Mozilla\\Profiles\\default\\"
              "ab.slt\\Cache");
    EXPECT_EQ(ProfileCacheFolder("prefs.js"), "");
    EXPECT_EQ(NonRoamingFolder(ProfileCacheFolder(prefs)),
              "C:\\Documents and Settings\\me\\Local Settings\\Application Data\\Mozilla\\"
              "Profiles\\default\\ab.slt\\Cache");
    // The last component of that name counts, and only a whole component.
    EXPECT_EQ(NonRoamingFolder("C:\\Application Data\\x\\APPLICATION DATA\\Mozilla"),
              "C:\\Application Data\\x\\Local Settings\\APPLICATION DATA\\Mozilla");
    EXPECT_EQ(NonRoamingFolder("C:\\Application Data2\\Mozilla"), "");
    EXPECT_EQ(NonRoamingFolder("C:\\Mozilla\\Profiles"), "");
    // Vista and later keep the roaming and the local tree side by side under AppData.
    EXPECT_EQ(NonRoamingFolder(
                  "C:\\Users\\me\\AppData\\Roaming\\Mozilla\\Profiles\\default\\ab.slt\\Cache"),
              "C:\\Users\\me\\AppData\\Local\\Mozilla\\Profiles\\default\\ab.slt\\Cache");
    EXPECT_EQ(NonRoamingFolder("C:\\users\\me\\appdata\\ROAMING"), "C:\\users\\me\\appdata\\Local");
    EXPECT_EQ(NonRoamingFolder("C:\\Users\\me\\AppData\\Roaming2\\Mozilla"), "");
    EXPECT_EQ(NonRoamingFolder("C:\\Users\\me\\Roaming\\Mozilla"), "");
    // A roaming folder moved into an old-style tree: the later component counts.
    EXPECT_EQ(NonRoamingFolder("D:\\AppData\\Roaming\\Application Data\\Mozilla"),
              "D:\\AppData\\Roaming\\Local Settings\\Application Data\\Mozilla");
}

TEST(CleanerPaths, FirefoxCacheIsInTheLocalTreeOrBesideAProfileKeptElsewhere) {
    EXPECT_EQ(FirefoxCacheFolder("C:\\Users\\me\\AppData\\Roaming\\Mozilla\\Firefox\\Profiles\\"
                                 "x1.default-release"),
              "C:\\Users\\me\\AppData\\Local\\Mozilla\\Firefox\\Profiles\\x1.default-release\\"
              "cache2");
    EXPECT_EQ(FirefoxCacheFolder("C:\\Documents and Settings\\me\\Application Data\\Mozilla\\"
                                 "Firefox\\Profiles\\x1.default\\"),
              "C:\\Documents and Settings\\me\\Local Settings\\Application Data\\Mozilla\\"
              "Firefox\\Profiles\\x1.default\\cache2");
    EXPECT_EQ(FirefoxCacheFolder("D:\\ff"), "D:\\ff\\cache2");
    EXPECT_EQ(FirefoxCacheFolder(""), "");
}

TEST(CleanerPaths, OperaCacheFolderFromTheUserPrefsSection) {
    struct Case {
        std::string ini, folder;
    } cases[] = {
        {"Opera Preferences version 2.0\r\n[User Prefs]\r\nLanguage=en\r\n"
         "Cache Directory4=C:\\Opera7\\profile\\cache4\\\r\n[Proxy]\r\nUse HTTP=0\r\n",
         "C:\\Opera7\\profile\\cache4\\"},
        {"[user prefs]\nCACHE DIRECTORY = D:\\cache \n", "D:\\cache"},
        {"[User Prefs]\nCache Directory4=\nCache Directory4=C:\\x\n", ""},
        // Another section's key, or a key that merely starts the same, names nothing.
        {"[Proxy]\nCache Directory4=C:\\x\n[User Prefs]\nLanguage=en\n", ""},
        {"[User Prefs]\nCache Directory Size=400\nCache Directory4=C:\\y\n", "C:\\y"},
        {"Cache Directory4=C:\\x\n", ""},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(OperaCacheFolder(c.ini), c.folder) << c.ini;
}

}  // namespace
}  // namespace cleaner
