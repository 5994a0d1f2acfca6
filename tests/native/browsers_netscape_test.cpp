#include <gtest/gtest.h>

#include "browsers/netscape.h"

namespace browsers {
namespace {

const std::string kHttp = "user_pref(\"network.proxy.http\", \"KorvoPopupKiller\");";
const std::string kPort = "user_pref(\"network.proxy.http_port\", 8100);";
const std::string kType = "user_pref(\"network.proxy.type\", 1);";

TEST(BrowsersNetscapePrefs, UsesProxyOnlyWithAllThreePreferences) {
    const std::string otherHost = "user_pref(\"network.proxy.http\", \"proxy.example\");";
    const std::string otherPort = "user_pref(\"network.proxy.http_port\", 8080);";
    const std::string direct = "user_pref(\"network.proxy.type\", 0);";
    EXPECT_TRUE(PrefsUseProxy("# Mozilla\r\n" + kType + "\r\n" + kHttp + "\r\n" + kPort));
    EXPECT_FALSE(PrefsUseProxy(otherHost + "\n" + kPort + "\n" + kType));
    EXPECT_FALSE(PrefsUseProxy(kHttp + "\n" + otherPort + "\n" + kType));
    EXPECT_FALSE(PrefsUseProxy(kHttp + "\n" + kPort + "\n" + direct));
    EXPECT_FALSE(PrefsUseProxy(kHttp + "\n" + kPort));
}

TEST(BrowsersNetscapePrefs, SettingRemovesOnlyTheFirstHttpLine) {
    const std::string rest = "user_pref(\"network.proxy.http_port\", 3128);\r\n" + kHttp + "\n";
    EXPECT_EQ(
        RemoveFirstProxyHttpLine("// x\r\nuser_pref(\"network.proxy.http\", \"old\");\r\n" + rest),
        "// x\r\n" + rest);
    EXPECT_EQ(RemoveFirstProxyHttpLine("user_pref(\"network.proxy.http_port\", 1);"),
              "user_pref(\"network.proxy.http_port\", 1);");
}

TEST(BrowsersNetscapeUserJs, ProxyLinesAreReplacedOrAddedAndOtherLinesKept) {
    const PreferenceLines set = SetProxyPreferenceLines("KorvoPopupKiller", "8100");
    struct Case {
        std::string userJs, expected;
    } cases[] = {
        {"", kHttp + "\r\n" + kPort + "\r\n" + kType},
        {"user_pref(\"a\", 1);\r\nuser_pref(\"network.proxy.http\", \"old\");\r\n// c\r\n"
         "user_pref(\"network.proxy.type\", 0);\r\nuser_pref(\"network.proxy.http_port\", 1);",
         "user_pref(\"a\", 1);\r\n" + kHttp + "\r\n// c\r\n" + kType + "\r\n" + kPort},
        {"user_pref(\"a\", 1);\nuser_pref(\"network.proxy.http_port\", 1);",
         "user_pref(\"a\", 1);\n" + kPort + "\n" + kHttp + "\n" + kType + "\n"},
        // A later line for the same preference would win, so it goes.
        {"user_pref(\"network.proxy.http\", \"a\");\n user_pref( \"network.proxy.http\", "
         "\"b\");\n" +
             kPort + "\n" + kType + "\n",
         kHttp + "\n" + kPort + "\n" + kType + "\n"},
        {"user_pref(\"network.proxy.http_portx\", 1);\r\n",
         "user_pref(\"network.proxy.http_portx\", 1);\r\n" + kHttp + "\r\n" + kPort + "\r\n" +
             kType + "\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(ApplyPreferenceLines(c.userJs, set, "\r\n"), c.expected);
    EXPECT_EQ(ApplyPreferenceLines(kHttp + "\n" + kPort + "\n" + kType, ResetProxyPreferenceLines(),
                                   "\r\n"),
              "user_pref(\"network.proxy.http\", \"\");\nuser_pref(\"network.proxy.http_port\", "
              "0);\nuser_pref(\"network.proxy.type\", 0);");
}

const std::string kSsl = "user_pref(\"network.proxy.ssl\", \"KorvoPopupKiller\");";
const std::string kSslPort = "user_pref(\"network.proxy.ssl_port\", 8100);";

// The live check reads prefs.js as the browser writes it: in its own order, with the https lines
// when secure pages were on at the set and without them when they were off.
TEST(BrowsersNetscapePrefs, UsesProxyWithOrWithoutTheHttpsLines) {
    EXPECT_TRUE(PrefsUseProxy(kHttp + "\n" + kPort + "\n" + kSsl + "\n" + kSslPort + "\n" + kType));
    EXPECT_TRUE(PrefsUseProxy(kSsl + "\n" + kHttp + "\n" + kSslPort + "\n" + kPort + "\n" + kType));
    EXPECT_FALSE(PrefsUseProxy(kSsl + "\n" + kSslPort + "\n" + kType));
}

TEST(BrowsersNetscapeUserJs, SecurePagesAddTheHttpsLinesAndTheResetTakesThemBack) {
    const std::string own = "user_pref(\"browser.startup.homepage\", \"about:blank\");\r\n";
    struct Case {
        std::string userJs, set;
        bool ownHttpsLines = false;  // replaced by the set, so not there after the reset
    } cases[] = {
        {"", kHttp + "\r\n" + kPort + "\r\n" + kType + "\r\n" + kSsl + "\r\n" + kSslPort + "\r\n" +
                 kEnterpriseRootsLine},
        // Another https proxy and a "false" of the user's own are replaced.
        {own + "user_pref(\"network.proxy.ssl\", \"corp\");\r\n"
               "user_pref(\"security.enterprise_roots.enabled\", false);\r\n",
         own + kSsl + "\r\n" + kEnterpriseRootsLine + "\r\n" + kHttp + "\r\n" + kPort + "\r\n" +
             kType + "\r\n" + kSslPort + "\r\n",
         true},
        {own, own + kHttp + "\r\n" + kPort + "\r\n" + kType + "\r\n" + kSsl + "\r\n" + kSslPort +
                  "\r\n" + kEnterpriseRootsLine + "\r\n"},
    };
    for (const Case& c : cases) {
        const std::string set = SetProxyUserJs(c.userJs, "KorvoPopupKiller", "8100", true, "\r\n");
        EXPECT_EQ(set, c.set);
        EXPECT_EQ(SetProxyUserJs(set, "KorvoPopupKiller", "8100", true, "\r\n"), set);
        const std::string reset = ResetProxyUserJs(set, "\r\n");
        EXPECT_EQ(reset.find("network.proxy.ssl"), std::string::npos) << reset;
        EXPECT_EQ(reset.find("enterprise_roots"), std::string::npos) << reset;
        if (!c.ownHttpsLines) {
            EXPECT_EQ(reset, ResetProxyUserJs(c.userJs, "\r\n"));
        }
    }
    // Reset after a set with the http lines already there gives the file back byte for byte.
    const std::string direct =
        own +
        "user_pref(\"network.proxy.http\", \"\");\r\nuser_pref(\"network.proxy."
        "http_port\", 0);\r\nuser_pref(\"network.proxy.type\", 0);\r\n";
    EXPECT_EQ(
        ResetProxyUserJs(SetProxyUserJs(direct, "KorvoPopupKiller", "8100", true, "\n"), "\n"),
        direct);
    // Off, no https line and no enterprise roots line is written.
    EXPECT_EQ(SetProxyUserJs(own, "KorvoPopupKiller", "8100", false, "\r\n"),
              own + kHttp + "\r\n" + kPort + "\r\n" + kType + "\r\n");
}

TEST(BrowsersNetscapeUserJs, TheUsersOwnEnterpriseRootsLineStays) {
    const std::string mine = "user_pref(\"security.enterprise_roots.enabled\",  true );\n";
    const std::string set = SetProxyUserJs(mine, "KorvoPopupKiller", "8100", true, "\n");
    EXPECT_EQ(set,
              mine + kHttp + "\n" + kPort + "\n" + kType + "\n" + kSsl + "\n" + kSslPort + "\n");
    EXPECT_EQ(ResetProxyUserJs(set, "\n").find(mine), 0u);
}

// The https lines come out only where they name the proxy; another https proxy, its port and
// unrelated lines stay as they are.
TEST(BrowsersNetscapePrefs, RemovingTheHttpsLinesTakesOnlyTheProxysOwn) {
    const std::string other =
        "user_pref(\"network.proxy.ssl\", \"corp\");\r\n"
        "user_pref(\"network.proxy.ssl_port\", 8100);\r\n";
    EXPECT_EQ(RemoveProxySslLines(other), other);
    EXPECT_EQ(RemoveProxySslLines("# prefs\r\n" + kSsl + "\r\n" + kHttp + "\r\n" + kSslPort),
              "# prefs\r\n" + kHttp);
    EXPECT_EQ(RemoveProxySslLines(kSsl + "\nuser_pref(\"network.proxy.ssl_port\", 3128);\n"),
              "user_pref(\"network.proxy.ssl_port\", 3128);\n");
    EXPECT_EQ(RemoveProxySslLines("user_pref(\"network.proxy.ssl\",\"KorvoPopupKiller\") ;\n"), "");
    EXPECT_EQ(PreferenceValue("user_pref(\"a,b\", \"x, y\");"), "\"x, y\"");
    EXPECT_EQ(PreferenceValue("pref(\"a\", 1);"), "");
}

std::string DirectoryRecord(const std::string& path) {
    return std::string("directory", 10) + path + std::string(1, '\0');
}

TEST(BrowsersNetscapeRegistryDat, TakesSaltedFoldersOutsideTheDefaultFolder) {
    const std::string profiles = "C:\\Moz\\Profiles\\";
    const std::string outside = "D:\\Moz\\work\\ab12cd34.slt";
    const std::string fits = "D:\\p\\name\\" + std::string(245, 'a') + ".slt";  // 259 bytes
    const std::string overlong = "D:\\p\\long\\" + std::string(246, 'a') + ".slt";
    const std::string bytes = std::string("\x76\x02\x1c\0junk", 8) +
                              DirectoryRecord(profiles + "default\\xy98zz00.slt") + "x" +
                              DirectoryRecord(outside) + DirectoryRecord("D:\\Moz\\plain\\dir") +
                              DirectoryRecord("one\\x.slt") + DirectoryRecord(overlong) +
                              DirectoryRecord(fits) + std::string("directory", 10) + outside;
    std::vector<RegistryDatProfile> found = ScanRegistryDat(bytes, profiles);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].name, "work");
    EXPECT_EQ(found[0].directory, outside);
    EXPECT_EQ(found[1].name, "name");
    EXPECT_EQ(found[1].directory.size(), 259u);
}

TEST(BrowsersNetscapeRegistryDat, MozillaFolderForEachWindowsFamily) {
    EXPECT_EQ(MozillaFolder(WindowsFamily::kNt5, "C:\\WINDOWS", "joe"),
              "C:\\Documents and Settings\\joe\\Application Data\\Mozilla\\");
    EXPECT_EQ(MozillaFolder(WindowsFamily::kWin9x, "C:\\WINDOWS", "joe"),
              "C:\\WINDOWS\\Application Data\\Mozilla\\");
    EXPECT_EQ(MozillaFolder(WindowsFamily::kNt4, "D:\\WINNT\\", "joe"),
              "D:\\WINNT\\Profiles\\joe\\Application Data\\Mozilla\\");
    EXPECT_EQ(MozillaFolder(WindowsFamily::kUnknown, "C:\\WINDOWS", "joe"), "");
    // Vista to 11: the roaming application data folder, wherever the user's profile lies.
    EXPECT_EQ(MozillaFolder(WindowsFamily::kNt6, "C:\\Windows", "joe",
                            "E:\\Users\\joe\\AppData\\Roaming\\"),
              "E:\\Users\\joe\\AppData\\Roaming\\Mozilla\\");
    EXPECT_EQ(MozillaFolder(WindowsFamily::kNt6, "C:\\Windows", "joe", ""), "");
}

}  // namespace
}  // namespace browsers
