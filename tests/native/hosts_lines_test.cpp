// Hosts file lines: the lookup, the appended entry, the ad-blocking switch, and
// the shipped prepared files.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "browsers/hosts_file.h"

namespace browsers {
namespace {

TEST(HostsLines, ContainsName) {
    const std::pair<std::string, bool> cases[] = {
        {"127.0.0.1 KorvoPopupKiller\r\n", true},
        {"127.0.0.1\t \t korvopopupkiller\n", true},
        {"127.0.0.1 localhost\r\n10.0.0.1 KORVOPOPUPKILLER", true},
        {"127.0.0.1 myKorvoPopupKillerHost\n", true},
        {"# 127.0.0.1 KorvoPopupKiller\n", false},
        {"127.0.0.1 localhost # KorvoPopupKiller\n", false},
        {"KorvoPopupKiller\n", false},
        {"", false},
        {"127.0.0.1#KorvoPopupKiller", false},
        {"127.0.0.1 " + std::string(200, 'x') + "KorvoPopupKiller", true},
        // A line past 520 characters goes on as the next line, which cuts the name in two.
        {"127.0.0.1 " + std::string(505, 'x') + "KorvoPopupKiller\n", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HostsTextContains(c.first, "KorvoPopupKiller"), c.second) << c.first;
    }
}

TEST(HostsLines, AppendedEntryNeverGluedToLastLine) {
    const std::string entry = "127.0.0.1\tKorvoPopupKiller\r\n";
    const std::pair<std::string, std::string> cases[] = {
        {"", entry},
        {"127.0.0.1 localhost\r\n", "127.0.0.1 localhost\r\n" + entry},
        {"127.0.0.1 localhost\n", "127.0.0.1 localhost\n" + entry},
        {"127.0.0.1 localhost", "127.0.0.1 localhost\r\n" + entry},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AppendHostsEntry(c.first, "127.0.0.1", "KorvoPopupKiller"), c.second) << c.first;
    }
}

TEST(HostsLines, PathByPlatform) {
    EXPECT_EQ(HostsPathFor("C:\\WINDOWS", 2), "C:\\WINDOWS\\system32\\drivers\\etc\\hosts");
    EXPECT_EQ(HostsPathFor("C:\\WINDOWS", 1), "C:\\WINDOWS\\hosts");
}

TEST(HostsLines, PreparedLinesMatchLoosely) {
    const char plain[] = "# plain\r\n127.0.0.1 localhost\r\n";
    const char ads[] = "# plain\r\n127.0.0.1 localhost\r\n127.0.0.1 ads.example\r\n";
    // Whatever their white space and case; look-alikes of the user's stay.
    EXPECT_EQ(SwitchPreparedHosts("127.0.0.1\t\tADS.example \nmine\n127.0.0.1 ads.example.org\n",
                                  plain, ads),
              "mine\n127.0.0.1 ads.example.org\n# plain\r\n127.0.0.1 localhost\r\n");
    EXPECT_EQ(SwitchPreparedHosts(ads, ads, plain), ads);
}

std::string IdAndDefault(const std::string& id, const std::string& text) {
    return "[" + id + "]" + text;
}

TEST(HostsLines, ManualInstructionsJoinFiveTextsInOrder) {
    EXPECT_EQ(HostsManualInstructions(IdAndDefault),
              "[6005]Error, Can't write to the hosts file, the program may not run correctly"
              "[6006]To perform it manually, go to your windows directory open the "
              "..\\[system folder]\\drivers\\etc\\[6007]open the file with name HOSTS in any "
              "text editor[6008]finally add the following line at the end of the file"
              "[6009]127.0.0.1\tKorvoPopupKiller");
}

std::string ReadShipped(const std::string& name) {
    std::string here = __FILE__;
    std::ifstream in(here.substr(0, here.rfind("tests/native/")) + "data/" + name,
                     std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

TEST(HostsLines, ShippedPreparedFiles) {
    const std::string plain = ReadShipped("hostsd"), ads = ReadShipped("hostse");
    size_t adServers = 0;
    for (const std::string& line : SplitHostsLines(ads)) {
        const std::string field = HostField(line);
        if (field.empty() || field == "localhost") continue;
        ++adServers;
        EXPECT_EQ(line.compare(0, 10, "127.0.0.1 "), 0) << line;
    }
    EXPECT_GT(adServers, 100u);
    EXPECT_TRUE(HostsTextContains(plain, "localhost"));
    EXPECT_FALSE(HostsTextContains(plain + ads, "KorvoPopupKiller"));
    // Switching a plain hosts file on and off again gives it back byte for byte.
    EXPECT_EQ(SwitchPreparedHosts(SwitchPreparedHosts(plain, ads, plain), plain, ads), plain);
}

}  // namespace
}  // namespace browsers
