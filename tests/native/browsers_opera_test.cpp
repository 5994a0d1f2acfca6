#include <gtest/gtest.h>

#include <set>
#include <string>

#include "browsers/opera.h"

namespace browsers {
namespace {

TEST(BrowsersOperaIni, SettingEditsTheKeysInPlace) {
    struct Case {
        const char* what;
        std::string ini;
        std::string expected;
    } cases[] = {
        {"both keys replaced where they stand, CRLF kept",
         "[User Prefs]\r\nName=x\r\n\r\n[Proxy]\r\nHTTP Server=old.example:3128\r\n"
         "HTTPS Server=\r\nUse HTTP=0\r\nUse HTTPS=0\r\n\r\n[Cache]\r\nSize=4000\r\n",
         "[User Prefs]\r\nName=x\r\n\r\n[Proxy]\r\nHTTP Server=KorvoPopupKiller:8100\r\n"
         "HTTPS Server=\r\nUse HTTP=1\r\nUse HTTPS=0\r\n\r\n[Cache]\r\nSize=4000\r\n"},
        {"no [Proxy]: the block is appended, beginning with a line break", "[User Prefs]\nName=x\n",
         "[User Prefs]\nName=x\n\n[Proxy]\nUse HTTP=1\nHTTP Server=KorvoPopupKiller:8100\n"},
        {"no [Proxy] and no break at the end: the last line keeps its text",
         "[User Prefs]\r\nName=x",
         "[User Prefs]\r\nName=x\r\n\r\n[Proxy]\r\nUse HTTP=1\r\n"
         "HTTP Server=KorvoPopupKiller:8100\r\n"},
        {"a [Proxy] without the keys gets them below its heading", "[Proxy]\r\nFTP Server=\r\n",
         "[Proxy]\r\nUse HTTP=1\r\nHTTP Server=KorvoPopupKiller:8100\r\nFTP Server=\r\n"},
        {"a [Proxy] with one key gets the other", "[Proxy]\nUse HTTP=1\n[Other]\n",
         "[Proxy]\nHTTP Server=KorvoPopupKiller:8100\nUse HTTP=1\n[Other]\n"},
        {"only the first line of each key changes",
         "[Proxy]\nUse HTTP=0\nHTTP Server=a:1\nUse HTTP=0\nHTTP Server=b:2\n",
         "[Proxy]\nUse HTTP=1\nHTTP Server=KorvoPopupKiller:8100\nUse HTTP=0\nHTTP Server=b:2\n"},
        {"already set: unchanged", "[Proxy]\r\nUse HTTP=1\r\nHTTP Server=KorvoPopupKiller:8100\r\n",
         "[Proxy]\r\nUse HTTP=1\r\nHTTP Server=KorvoPopupKiller:8100\r\n"},
        {"an empty file gets the block with the fallback break", "",
         "\r\n[Proxy]\r\nUse HTTP=1\r\nHTTP Server=KorvoPopupKiller:8100\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SetOperaProxyText(c.ini, "KorvoPopupKiller", "8100", "\r\n"), c.expected)
            << c.what;
        EXPECT_TRUE(IniTextUsesProxy(SetOperaProxyText(c.ini, "KorvoPopupKiller", "8100", "\n")))
            << c.what;
    }
}

TEST(BrowsersOperaIni, ResettingLeavesTheKeyAloneAndAddsNothing) {
    EXPECT_EQ(ResetOperaProxyText("[Proxy]\r\nHTTP Server=KorvoPopupKiller:8100\r\nUse HTTPS=1\r\n"
                                  "Use HTTP=1\r\nUse HTTP=1\r\n"),
              "[Proxy]\r\nHTTP Server\r\nUse HTTPS=1\r\nUse HTTP=0\r\nUse HTTP=1\r\n");
    EXPECT_EQ(ResetOperaProxyText("[User Prefs]\nName=x"), "[User Prefs]\nName=x");
    EXPECT_FALSE(IniTextUsesProxy(ResetOperaProxyText(
        SetOperaProxyText("[Proxy]\nUse HTTP=0\n", "KorvoPopupKiller", "8100", "\n"))));
}

TEST(BrowsersOperaIni, UsesProxyNeedsBothLines) {
    EXPECT_TRUE(IniTextUsesProxy("Use HTTP=1\nHTTP Server=KorvoPopupKiller:8100\n"));
    EXPECT_FALSE(IniTextUsesProxy("Use HTTP=0\nHTTP Server=KorvoPopupKiller:8100\n"));
    EXPECT_FALSE(IniTextUsesProxy("Use HTTP=1\nHTTP Server=KorvoPopupKiller:8080\n"));
    EXPECT_FALSE(IniTextUsesProxy("Use HTTPS=1\nHTTPS Server=KorvoPopupKiller:8100\n"));
}

// A system whose file searches find exactly the listed paths.
OperaSystem FakeSystem(WindowsFamily family, std::set<std::string> files,
                       const std::string& multiUser) {
    OperaSystem system;
    system.family = family;
    system.windowsDirectory = "C:\\WINDOWS";
    system.userName = "joe";
    system.fileExists = [files](const std::string& path) { return files.count(path) > 0; };
    system.readMultiUser = [multiUser](const std::string& path) {
        return path == "D:\\Opera7\\OperaDef6.ini" ? multiUser : "2";
    };
    return system;
}

TEST(BrowsersOperaLocator, FindsEachVersionsFileByInstallationKind) {
    const std::string single = "D:\\Opera7\\profile\\opera6.ini";
    const std::string xpUser =
        "C:\\Documents and Settings\\joe\\Application Data\\Opera\\Opera7\\profile\\opera6.ini";
    const std::string win9xUser =
        "C:\\WINDOWS\\Application Data\\Opera\\Opera7\\profile\\opera6.ini";
    const std::string opera6 = "C:\\Program Files\\Opera6\\opera6.ini";
    OperaRegistryValues values;
    values.keyOpened = true;
    values.lastCommandLine = "C:\\Program Files\\Opera6\\Opera.exe";
    values.lastDirectory2 = "D:\\Opera7";
    struct Case {
        const char* what;
        WindowsFamily family;
        std::set<std::string> files;
        std::string multiUser;
        int result;
        std::string opera7Path;
    } cases[] = {
        {"single user", WindowsFamily::kNt5, {opera6, single}, "0", kOperaFilesFound, single},
        {"multi user on XP",
         WindowsFamily::kNt5,
         {opera6, xpUser, single},
         "1",
         kOperaFilesFound,
         xpUser},
        {"multi user on NT 4",
         WindowsFamily::kNt4,
         {opera6, xpUser},
         "1",
         kOperaFilesFound,
         xpUser},
        {"multi user on 98",
         WindowsFamily::kWin9x,
         {opera6, win9xUser},
         "1",
         kOperaFilesFound,
         win9xUser},
        {"no Multi User key: the program folder's file stands in",
         WindowsFamily::kNt5,
         {opera6, single},
         "2",
         kOperaFilesFound,
         single},
        {"multi user without a per-user file",
         WindowsFamily::kNt5,
         {opera6, single},
         "1",
         kOpera7FileMissing,
         xpUser},
        {"Opera 6 file missing", WindowsFamily::kNt5, {single}, "0", kOpera6FileMissing, single},
        {"both missing", WindowsFamily::kNt5, {}, "0", kBothFilesMissing, single},
    };
    for (const Case& c : cases) {
        OperaSettings opera(true, true);
        EXPECT_EQ(opera.LocateFrom(values, FakeSystem(c.family, c.files, c.multiUser)), c.result)
            << c.what;
        EXPECT_EQ(opera.opera7IniPath, c.opera7Path) << c.what;
        EXPECT_EQ(opera.opera6IniPath, opera6) << c.what;
        EXPECT_EQ(opera.operaDef6IniPath, "D:\\Opera7\\OperaDef6.ini") << c.what;
    }
}

TEST(BrowsersOperaLocator, MissingKeyOrValuesGiveFour) {
    const OperaSystem system =
        FakeSystem(WindowsFamily::kNt5, {"D:\\Opera7\\profile\\opera6.ini"}, "0");
    OperaRegistryValues noKey;
    EXPECT_EQ(OperaSettings(true, false).LocateFrom(noKey, system), kOperaKeyMissing);

    OperaRegistryValues empty;
    empty.keyOpened = true;
    EXPECT_EQ(OperaSettings(true, false).LocateFrom(empty, system), kOperaKeyMissing);
    EXPECT_EQ(OperaSettings(false, true).LocateFrom(empty, system), kOperaKeyMissing);
    // A version that is not wanted needs no values.
    EXPECT_EQ(OperaSettings(false, false).LocateFrom(empty, system), kOperaFilesFound);

    // Without "Last Directory2" the folder of "Last CommandLine v2" is Opera 7's folder.
    OperaRegistryValues v2;
    v2.keyOpened = true;
    v2.lastCommandLineV2 = "D:\\Opera7\\Opera.exe";
    OperaSettings opera(false, true);
    EXPECT_EQ(opera.LocateFrom(v2, system), kOperaFilesFound);
    EXPECT_EQ(opera.opera7IniPath, "D:\\Opera7\\profile\\opera6.ini");
}

TEST(BrowsersOperaLocator, PathPieces) {
    EXPECT_EQ(FolderWithBackslash("C:\\Opera\\Opera.exe"), "C:\\Opera\\");
    EXPECT_EQ(FolderWithBackslash("Opera.exe"), "");
    OperaRegistryValues values;
    values.lastDirectory2 = "D:\\Opera7\\";
    EXPECT_EQ(Opera7ProgramFolder(values), std::optional<std::string>("D:\\Opera7"));
    const OperaSystem system = FakeSystem(WindowsFamily::kUnknown, {}, "1");
    EXPECT_EQ(Opera7IniPath("1", "D:\\Opera7", system), "");
    EXPECT_EQ(Opera7IniPath("0", "D:\\Opera7\\", system), "D:\\Opera7\\profile\\opera6.ini");
}

}  // namespace
}  // namespace browsers
