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
