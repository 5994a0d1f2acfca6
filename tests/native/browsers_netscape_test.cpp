#include <gtest/gtest.h>

#include <string>

#include "browsers/netscape.h"

namespace browsers {
namespace {

const char kHttp[] = "user_pref(\"network.proxy.http\", \"KorvoPopupKiller\");";
const char kPort[] = "user_pref(\"network.proxy.http_port\", 8100);";
const char kType[] = "user_pref(\"network.proxy.type\", 1);";

TEST(BrowsersNetscapePrefs, UsesProxyOnlyWithAllThreePreferences) {
    const std::string head = "# Mozilla User Preferences\r\n\r\n";
    struct Case {
        const char* what;
        std::string prefs;
        bool usesProxy;
    } cases[] = {
        {"all three, CRLF", head + kHttp + "\r\n" + kPort + "\r\n" + kType + "\r\n", true},
        {"all three in another order, LF", std::string(kType) + "\n" + kHttp + "\n" + kPort + "\n",
         true},
        {"another host",
         head + "user_pref(\"network.proxy.http\", \"proxy.example\");\r\n" + kPort + "\r\n" +
             kType + "\r\n",
         false},
        {"another port",
         head + kHttp + "\r\nuser_pref(\"network.proxy.http_port\", 8080);\r\n" + kType, false},
        {"manual proxy not selected",
         head + kHttp + "\r\n" + kPort + "\r\nuser_pref(\"network.proxy.type\", 0);\r\n", false},
        {"type missing", head + kHttp + "\r\n" + kPort + "\r\n", false},
        {"empty file", "", false},
    };
    for (const Case& c : cases) EXPECT_EQ(PrefsUseProxy(c.prefs), c.usesProxy) << c.what;
}

TEST(BrowsersNetscapePrefs, SettingRemovesOnlyTheFirstHttpLine) {
    const std::string prefs =
        "user_pref(\"browser.startup.homepage\", \"about:blank\");\r\n"
        "user_pref(\"network.proxy.http\", \"old.example\");\r\n"
        "user_pref(\"network.proxy.http_port\", 3128);\r\n"
        "user_pref(\"network.proxy.http\", \"second.example\");\n"
        "user_pref(\"network.proxy.type\", 1);";
    EXPECT_EQ(RemoveFirstProxyHttpLine(prefs),
              "user_pref(\"browser.startup.homepage\", \"about:blank\");\r\n"
              "user_pref(\"network.proxy.http_port\", 3128);\r\n"
              "user_pref(\"network.proxy.http\", \"second.example\");\n"
              "user_pref(\"network.proxy.type\", 1);");
    const std::string withoutHttp = "user_pref(\"network.proxy.http_port\", 3128);\r\n";
    EXPECT_EQ(RemoveFirstProxyHttpLine(withoutHttp), withoutHttp);
}

TEST(BrowsersNetscapeUserJs, ProxyLinesAreReplacedOrAddedAndOtherLinesKept) {
    const PreferenceLines set = SetProxyPreferenceLines("KorvoPopupKiller", "8100");
    EXPECT_EQ(set[0], kHttp);
    EXPECT_EQ(set[1], kPort);
    EXPECT_EQ(set[2], kType);
    struct Case {
        const char* what;
        std::string userJs;
        std::string expected;
    } cases[] = {
        {"missing file: the three lines, the last without a break", "",
         std::string(kHttp) + "\r\n" + kPort + "\r\n" + kType},
        {"other preferences stay, proxy lines replaced in place",
         "user_pref(\"a\", 1);\r\n"
         "user_pref(\"network.proxy.http\", \"old\");\r\n"
         "// comment\r\n"
         "user_pref(\"network.proxy.type\", 0);\r\n"
         "user_pref(\"network.proxy.http_port\", 3128);\r\n"
         "user_pref(\"b\", \"x\");",
         std::string("user_pref(\"a\", 1);\r\n") + kHttp + "\r\n// comment\r\n" + kType + "\r\n" +
             kPort + "\r\nuser_pref(\"b\", \"x\");"},
        {"missing proxy lines appended after a last line without a break",
         "user_pref(\"a\", 1);\nuser_pref(\"network.proxy.http_port\", 1);",
         std::string("user_pref(\"a\", 1);\n") + kPort + "\n" + kHttp + "\n" + kType + "\n"},
        {"a later duplicate would override, so it goes",
         "user_pref(\"network.proxy.http\", \"a\");\n user_pref( \"network.proxy.http\", "
         "\"b\");\n" +
             std::string(kPort) + "\n" + kType + "\n",
         std::string(kHttp) + "\n" + kPort + "\n" + kType + "\n"},
        {"similar names are other preferences", "user_pref(\"network.proxy.http_portx\", 1);\r\n",
         "user_pref(\"network.proxy.http_portx\", 1);\r\n" + std::string(kHttp) + "\r\n" + kPort +
             "\r\n" + kType + "\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ApplyPreferenceLines(c.userJs, set, "\r\n"), c.expected) << c.what;
    }
    EXPECT_EQ(ApplyPreferenceLines(std::string(kHttp) + "\n" + kPort + "\n" + kType,
                                   ResetProxyPreferenceLines(), "\r\n"),
              "user_pref(\"network.proxy.http\", \"\");\n"
              "user_pref(\"network.proxy.http_port\", 0);\n"
              "user_pref(\"network.proxy.type\", 0);");
}

TEST(BrowsersNetscapeUserJs, PreferenceNameOfALine) {
    EXPECT_EQ(PreferenceName("user_pref(\"network.proxy.http\", \"x\");"), "network.proxy.http");
    EXPECT_EQ(PreferenceName("\t user_pref( \"a.b\" , 1);"), "a.b");
    EXPECT_EQ(PreferenceName("// user_pref(\"a.b\", 1);"), "");
    EXPECT_EQ(PreferenceName("user_pref(\"unterminated"), "");
    EXPECT_EQ(PreferenceName(""), "");
}

std::string DirectoryRecord(const std::string& path) {
    return std::string("directory", 10) + path + std::string(1, '\0');
}

TEST(BrowsersNetscapeRegistryDat, TakesSaltedFoldersOutsideTheDefaultFolder) {
    const std::string mozilla = "C:\\Documents and Settings\\joe\\Application Data\\Mozilla\\";
    const std::string profiles = DefaultProfileFolder(mozilla);
    const std::string outside = "D:\\Moz\\work\\ab12cd34.slt";
    const std::string inside = profiles + "default\\xy98zz00.slt";
    const std::string bytes = std::string("\x76\x02\x1c\0", 4) + "junk" + DirectoryRecord(inside) +
                              "x" + DirectoryRecord(outside) +
                              DirectoryRecord("D:\\Moz\\plain\\folder") +
                              DirectoryRecord("nobackslash.slt") + DirectoryRecord("\\one.slt") +
                              std::string("directory") + "E:\\no\\zero\\after.slt";
    std::vector<RegistryDatProfile> found = ScanRegistryDat(bytes, profiles);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].name, "work");
    EXPECT_EQ(found[0].directory, outside);
}

TEST(BrowsersNetscapeRegistryDat, IgnoresOverlongAndUnterminatedStrings) {
    const std::string prefix = "D:\\p\\name\\";
    const std::string fits = prefix + std::string(259 - prefix.size() - 4, 'a') + ".slt";
    const std::string overlong = prefix + std::string(260 - prefix.size() - 4, 'b') + ".slt";
    ASSERT_EQ(fits.size(), 259u);
    ASSERT_EQ(overlong.size(), 260u);
    std::vector<RegistryDatProfile> found =
        ScanRegistryDat(DirectoryRecord(overlong) + DirectoryRecord(fits), "C:\\x\\Profiles\\");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].directory, fits);
    EXPECT_EQ(found[0].name, "name");
    // The scan goes on after a taken string, so a record right behind it is found too.
    EXPECT_EQ(ScanRegistryDat(DirectoryRecord(fits) + DirectoryRecord(fits), "").size(), 2u);
    EXPECT_TRUE(ScanRegistryDat(std::string("directory", 10) + fits, "").empty());
    EXPECT_TRUE(ScanRegistryDat("", "").empty());
}

TEST(BrowsersNetscapeFolders, MozillaFolderForEachWindowsFamily) {
    EXPECT_EQ(MozillaFolder(WindowsFamily::kNt5, "C:\\WINDOWS", "joe"),
              "C:\\Documents and Settings\\joe\\Application Data\\Mozilla\\");
    EXPECT_EQ(MozillaFolder(WindowsFamily::kWin9x, "C:\\WINDOWS", "joe"),
              "C:\\WINDOWS\\Application Data\\Mozilla\\");
    EXPECT_EQ(MozillaFolder(WindowsFamily::kNt4, "D:\\WINNT\\", "joe"),
              "D:\\WINNT\\Profiles\\joe\\Application Data\\Mozilla\\");
    EXPECT_EQ(MozillaFolder(WindowsFamily::kUnknown, "C:\\WINDOWS", "joe"), "");
    EXPECT_EQ(DefaultProfileFolder("C:\\M\\"), "C:\\M\\Profiles\\");
    EXPECT_EQ(DefaultProfileFolder(""), "");
}

TEST(BrowsersNetscapeProfiles, CountsForEachMode) {
    NetscapeProfiles list;
    list.profiles.resize(3);
    list.profiles[0].isDisabled = 1;
    list.CountProfiles(ListMode::kReset);
    EXPECT_EQ(list.profileCount, 3);
    EXPECT_EQ(list.disabledFlags, (std::vector<int>{1, 0, 0}));
    EXPECT_EQ(list.disabledCount, 1);
    EXPECT_EQ(list.configuredCount, 2);
    list.CountProfiles(ListMode::kUninstall);
    EXPECT_EQ(list.configuredCount, 1);
}

}  // namespace
}  // namespace browsers
