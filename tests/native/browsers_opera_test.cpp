#include <gtest/gtest.h>

#include <set>

#include "browsers/opera.h"

namespace browsers {
namespace {

const std::string kServer = "HTTP Server=KorvoPopupKiller:8100";

TEST(BrowsersOperaIni, SettingEditsTheKeysInPlace) {
    struct Case {
        std::string ini, expected;
    } cases[] = {
        {"[User]\r\nName=x\r\n\r\n[Proxy]\r\nHTTP Server=old:3128\r\nHTTPS Server=\r\n"
         "Use HTTP=0\r\nUse HTTPS=0\r\n",
         "[User]\r\nName=x\r\n\r\n[Proxy]\r\n" + kServer +
             "\r\nHTTPS Server=\r\n"
             "Use HTTP=1\r\nUse HTTPS=0\r\n"},
        {"[User]\nName=x\n", "[User]\nName=x\n\n[Proxy]\nUse HTTP=1\n" + kServer + "\n"},
        {"[User]\r\nName=x",
         "[User]\r\nName=x\r\n\r\n[Proxy]\r\nUse HTTP=1\r\n" + kServer + "\r\n"},
        {"", "\r\n[Proxy]\r\nUse HTTP=1\r\n" + kServer + "\r\n"},
        // A [Proxy] section that lacks a key gets it below its heading.
        {"[Proxy]\r\nFTP Server=\r\n",
         "[Proxy]\r\nUse HTTP=1\r\n" + kServer + "\r\nFTP Server=\r\n"},
        {"[Proxy]\nUse HTTP=1\n[Other]\n", "[Proxy]\n" + kServer + "\nUse HTTP=1\n[Other]\n"},
        {"[Proxy]\nUse HTTP=0\nHTTP Server=a:1\nUse HTTP=0\nHTTP Server=b:2",
         "[Proxy]\nUse HTTP=1\n" + kServer + "\nUse HTTP=0\nHTTP Server=b:2"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SetOperaProxyText(c.ini, "KorvoPopupKiller", "8100", "\r\n"), c.expected);
        EXPECT_TRUE(IniTextUsesProxy(c.expected));
        EXPECT_FALSE(IniTextUsesProxy(ResetOperaProxyText(c.expected)));
    }
}

// A heading in another letter case or keys before the heading are found: setting again changes
// nothing, and no second section is added.
TEST(BrowsersOperaIni, SettingTwiceGivesTheFileOfSettingOnce) {
    struct Case {
        std::string ini, once;
    } cases[] = {
        {"[proxy]\r\nUse HTTP=0\r\n", "[proxy]\r\n" + kServer + "\r\nUse HTTP=1\r\n"},
        {"[PROXY] \nFTP Server=\n", "[PROXY] \nUse HTTP=1\n" + kServer + "\nFTP Server=\n"},
        {"Use HTTP=0\nHTTP Server=a:1\n[Proxy]\nFTP Server=\n",
         "Use HTTP=1\n" + kServer + "\n[Proxy]\nFTP Server=\n"},
        {"Use HTTP=0\n[User]\nName=x\n[proxy]\n",
         "Use HTTP=1\n[User]\nName=x\n[proxy]\n" + kServer + "\n"},
        {"[User]\nUse HTTP=1\nHTTP Server=a:1\n",
         "[User]\nUse HTTP=1\n" + kServer + "\n\n[Proxy]\nUse HTTP=1\n" + kServer + "\n"},
    };
    for (const Case& c : cases) {
        const std::string once = SetOperaProxyText(c.ini, "KorvoPopupKiller", "8100", "\r\n");
        EXPECT_EQ(once, c.once) << c.ini;
        EXPECT_EQ(SetOperaProxyText(once, "KorvoPopupKiller", "8100", "\r\n"), once) << c.ini;
        EXPECT_TRUE(IniTextUsesProxy(once));
    }
}

TEST(BrowsersOperaIni, ResettingLeavesTheKeyAloneAndAddsNothing) {
    EXPECT_EQ(ResetOperaProxyText("[Proxy]\r\n" + kServer +
                                  "\r\nUse HTTPS=1\r\nUse HTTP=1\r\n"
                                  "Use HTTP=1"),
              "[Proxy]\r\nHTTP Server\r\nUse HTTPS=1\r\nUse HTTP=0\r\nUse HTTP=1");
    EXPECT_EQ(ResetOperaProxyText("[User]\nName=x"), "[User]\nName=x");
    EXPECT_FALSE(IniTextUsesProxy("Use HTTP=1\nHTTP Server=KorvoPopupKiller:8080\n"));
    EXPECT_FALSE(IniTextUsesProxy("Use HTTPS=1\nHTTPS Server=KorvoPopupKiller:8100\n"));
}

const std::string kSecureServer = "HTTPS Server=KorvoPopupKiller:8100";

// With secure pages, the https pair is set beside the http pair; the live check takes the file
// with or without it, and the reset takes back both pairs but no secure proxy of the user's own.
TEST(BrowsersOperaIni, SecurePagesSetBothPairsAndResetTakesBoth) {
    const auto set = [](const std::string& ini) {
        return SetOperaProxyText(ini, "KorvoPopupKiller", "8100", "\r\n", true);
    };
    struct Case {
        std::string ini, once, reset;
    } cases[] = {
        // Opera's own file: every key there, the secure ones after the plain ones.
        {"[Proxy]\r\nHTTP Server=\r\nHTTPS Server=\r\nUse HTTP=0\r\nUse HTTPS=0\r\n",
         "[Proxy]\r\n" + kServer + "\r\n" + kSecureServer + "\r\nUse HTTP=1\r\nUse HTTPS=1\r\n",
         "[Proxy]\r\nHTTP Server\r\nHTTPS Server\r\nUse HTTP=0\r\nUse HTTPS=0\r\n"},
        // The secure keys first: neither is taken for a plain one.
        {"[Proxy]\nUse HTTPS=0\nHTTPS Server\nUse HTTP=0\nHTTP Server\n",
         "[Proxy]\nUse HTTPS=1\n" + kSecureServer + "\nUse HTTP=1\n" + kServer + "\n",
         "[Proxy]\nUse HTTPS=0\nHTTPS Server\nUse HTTP=0\nHTTP Server\n"},
        {"[User]\nName=x\n",
         "[User]\nName=x\n\n[Proxy]\nUse HTTP=1\n" + kServer + "\nUse HTTPS=1\n" + kSecureServer +
             "\n",
         "[User]\nName=x\n\n[Proxy]\nUse HTTP=0\nHTTP Server\nUse HTTPS=0\nHTTPS Server\n"},
        {"[Proxy]\r\nHTTP Server=a:1\r\n",
         "[Proxy]\r\nUse HTTP=1\r\nUse HTTPS=1\r\n" + kSecureServer + "\r\n" + kServer + "\r\n",
         "[Proxy]\r\nUse HTTP=0\r\nUse HTTPS=0\r\nHTTPS Server\r\nHTTP Server\r\n"},
    };
    for (const Case& c : cases) {
        const std::string once = set(c.ini);
        EXPECT_EQ(once, c.once) << c.ini;
        EXPECT_EQ(set(once), once) << c.ini;
        EXPECT_TRUE(IniTextUsesProxy(once));
        EXPECT_EQ(ResetOperaProxyText(once), c.reset) << c.ini;
        EXPECT_FALSE(IniTextUsesProxy(c.reset));
    }
    // Off, the secure keys are not touched, whatever they hold.
    EXPECT_EQ(SetOperaProxyText("[Proxy]\nUse HTTPS=1\nHTTPS Server=own:443\n", "KorvoPopupKiller",
                                "8100", "\n", false),
              "[Proxy]\nUse HTTP=1\n" + kServer + "\nUse HTTPS=1\nHTTPS Server=own:443\n");
    EXPECT_EQ(
        ResetOperaProxyText("Use HTTP=1\n" + kServer + "\nUse HTTPS=1\nHTTPS Server=own:443\n"),
        "Use HTTP=0\nHTTP Server\nUse HTTPS=1\nHTTPS Server=own:443\n");
    EXPECT_TRUE(IniTextUsesProxy("Use HTTPS=1\n" + kSecureServer + "\nUse HTTP=1\n" + kServer));
}

// A system whose file searches find exactly the listed paths.
OperaSystem FakeSystem(WindowsFamily family, std::set<std::string> files, std::string multiUser) {
    OperaSystem system;
    system.family = family;
    system.windowsDirectory = "C:\\WINDOWS";
    system.userName = "joe";
    system.appData = "E:\\Users\\joe\\AppData\\Roaming";
    system.fileExists = [files](const std::string& path) { return files.count(path) > 0; };
    system.readMultiUser = [multiUser](const std::string& path) {
        return path == "D:\\Opera7\\OperaDef6.ini" ? multiUser : "2";
    };
    return system;
}

TEST(BrowsersOperaLocator, FindsEachVersionsFileByInstallationKind) {
    const std::string single = "D:\\Opera7\\profile\\opera6.ini";
    const std::string nt =
        "C:\\Documents and Settings\\joe\\Application Data\\Opera\\Opera7\\profile\\opera6.ini";
    const std::string win9x = "C:\\WINDOWS\\Application Data\\Opera\\Opera7\\profile\\opera6.ini";
    const std::string opera6 = "C:\\Opera6\\opera6.ini";
    const std::string vista =
        "E:\\Users\\joe\\AppData\\Roaming\\Opera\\Opera7\\profile\\opera6.ini";
    struct Case {
        WindowsFamily family;
        std::set<std::string> files;
        std::string multiUser;
        int result;
        std::string opera7Path;
    } cases[] = {
        {WindowsFamily::kNt5, {opera6, single}, "0", kOperaFilesFound, single},
        {WindowsFamily::kNt5, {opera6, nt, single}, "1", kOperaFilesFound, nt},
        {WindowsFamily::kNt4, {opera6, nt}, "1", kOperaFilesFound, nt},
        {WindowsFamily::kWin9x, {opera6, win9x}, "1", kOperaFilesFound, win9x},
        {WindowsFamily::kNt6, {opera6, vista}, "1", kOperaFilesFound, vista},
        {WindowsFamily::kNt5, {opera6, single}, "2", kOperaFilesFound, single},
        {WindowsFamily::kNt5, {opera6, single}, "1", kOpera7FileMissing, nt},
        {WindowsFamily::kNt5, {single}, "0", kOpera6FileMissing, single},
        {WindowsFamily::kNt5, {}, "0", kBothFilesMissing, single},
    };
    OperaRegistryValues values;
    values.keyOpened = true;
    values.lastCommandLine = "C:\\Opera6\\Opera.exe";
    values.lastDirectory2 = "D:\\Opera7\\";
    for (const Case& c : cases) {
        OperaSettings opera(true, true);
        EXPECT_EQ(opera.LocateFrom(values, FakeSystem(c.family, c.files, c.multiUser)), c.result);
        EXPECT_EQ(opera.opera7IniPath, c.opera7Path);
        EXPECT_EQ(opera.opera6IniPath, opera6);
        EXPECT_EQ(opera.operaDef6IniPath, "D:\\Opera7\\OperaDef6.ini");
    }
}

TEST(BrowsersOperaLocator, MissingKeyOrValuesGiveFour) {
    const OperaSystem system =
        FakeSystem(WindowsFamily::kNt5, {"D:\\Opera7\\profile\\opera6.ini"}, "0");
    OperaRegistryValues values;
    EXPECT_EQ(OperaSettings(false, false).LocateFrom(values, system), kOperaKeyMissing);
    values.keyOpened = true;
    EXPECT_EQ(OperaSettings(true, false).LocateFrom(values, system), kOperaKeyMissing);
    EXPECT_EQ(OperaSettings(false, true).LocateFrom(values, system), kOperaKeyMissing);
    // Without "Last Directory2" the folder of "Last CommandLine v2" is Opera 7's folder.
    values.lastCommandLineV2 = "D:\\Opera7\\Opera.exe";
    OperaSettings opera(false, true);
    EXPECT_EQ(opera.LocateFrom(values, system), kOperaFilesFound);
    EXPECT_EQ(opera.opera7IniPath, "D:\\Opera7\\profile\\opera6.ini");
}

}  // namespace
}  // namespace browsers
