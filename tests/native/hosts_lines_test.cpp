// Hosts file lines: the lookup, the appended entry, the ad-blocking switch, taking the program's
// lines out again, and the shipped prepared files.
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

TEST(HostsLines, ManualInstructionsJoinFiveTextsInOrder) {
    // The texts themselves are checked against the language file with the other texts; here each
    // text stands as its id, marked when it came without an English default.
    const std::string joined = HostsManualInstructions([](const core::LanguageText& text) {
        return "[" + std::string(text.id) + (*text.defaultText == '\0' ? " without default]" : "]");
    });
    EXPECT_EQ(joined, "[6005][6006][6007][6008][6009]");
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

// Taking the program's lines out: the proxy's entry always, a prepared file's line only when
// the user's earlier file did not have it, localhost only when that file is known; the rest byte
// for byte, and nothing added.
TEST(HostsLines, ProgramLinesTakenOut) {
    const std::vector<std::string> prepared = {
        "# Korvo\r\n127.0.0.1 localhost\r\n# Ads\r\n127.0.0.1 ads.example\r\n"
        "127.0.0.1 ads2.example\r\n",
        "# Korvo\r\n127.0.0.1 localhost\r\n"};
    const std::string entry = "127.0.0.1\tKorvoPopupKiller\r\n";
    const std::string ads =
        "# Korvo\r\n# Ads\r\n127.0.0.1 ads.example\r\n127.0.0.1 ads2.example\r\n";
    struct Case {
        std::string current, backup, expected;
    } cases[] = {
        // The user's earlier lines and a line added since stay, line feeds and all.
        {"127.0.0.1 localhost\n10.0.0.1 nas\n" + entry + ads + "10.0.0.2 printer\n",
         "127.0.0.1 localhost\n10.0.0.1 nas\n",
         "127.0.0.1 localhost\n10.0.0.1 nas\n10.0.0.2 printer\n"},
        // An ad server the user blocked before stays, however it is spaced.
        {"127.0.0.1\tads.example\r\n" + entry + "# Ads\r\n127.0.0.1 ads2.example\r\n",
         "127.0.0.1    ADS.example\r\n", "127.0.0.1\tads.example\r\n"},
        // No backup: every prepared line goes except localhost; look-alikes stay.
        {"127.0.0.1 localhost\r\n" + ads + "127.0.0.1 ads.example.org\r\n# Ads too\r\n", "",
         "127.0.0.1 localhost\r\n127.0.0.1 ads.example.org\r\n# Ads too\r\n"},
        // The entry in any case and spacing; a commented-out or longer name is the user's.
        {"127.0.0.1   KORVOPOPUPKILLER  \r\n# 127.0.0.1 KorvoPopupKiller\r\n"
         "127.0.0.1 KorvoPopupKillerHost\r\n",
         "", "# 127.0.0.1 KorvoPopupKiller\r\n127.0.0.1 KorvoPopupKillerHost\r\n"},
        // A last line without a break, taken out or kept.
        {"10.0.0.1 nas\r\n127.0.0.1\tKorvoPopupKiller", "", "10.0.0.1 nas\r\n"},
        {entry + "10.0.0.1 nas", "", "10.0.0.1 nas"},
        // Nothing of the program's: unchanged, even empty or blank.
        {"", "", ""},
        {"\r\n\n \t\r\n", "", "\r\n\n \t\r\n"},
        // Nothing but the program's lines: what is left, even nothing; no line is made up.
        {entry, "", ""},
        {"\n# Ads\n127.0.0.1 KorvoPopupKiller\n\n", "", "\n\n"},
        // A user's file with localhost only commented out gets no localhost line of the
        // prepared files; one that had the line keeps it, however it was spaced.
        {"# 127.0.0.1 localhost\r\n# Korvo\r\n127.0.0.1 localhost\r\n" + entry,
         "# 127.0.0.1 localhost\r\n", "# 127.0.0.1 localhost\r\n"},
        {"127.0.0.1 LOCALHOST\r\n# Korvo\r\n" + entry, "127.0.0.1\tlocalhost\r\n",
         "127.0.0.1 LOCALHOST\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RemoveProgramHostsLines(c.current, c.backup, prepared, "KorvoPopupKiller"),
                  c.expected)
            << c.current;
    }
}

// The user's file through the program's whole life with the shipped prepared files: entry
// added, ad blocking switched on and off (or off first), a line of the user's added since;
// uninstalling gives back the user's file with that line, whichever way ad blocking was left, also
// when that file had its localhost line commented out.
TEST(HostsLines, UninstallGivesBackTheUsersFile) {
    const std::string plain = ReadShipped("hostsd"), ads = ReadShipped("hostse");
    const std::string added = "10.1.1.2 backup-nas\r\n";
    for (const std::string users : {"127.0.0.1 localhost\r\n10.1.1.1\tfileserver # office\r\n",
                                    "# 127.0.0.1 localhost\r\n10.1.1.1\tfileserver\r\n"}) {
        const std::string withEntry = AppendHostsEntry(users, "127.0.0.1", "KorvoPopupKiller");
        const std::string adsOn = SwitchPreparedHosts(withEntry, ads, plain) + added;
        const std::string adsOff = SwitchPreparedHosts(adsOn, plain, ads);
        const std::string plainFirst =
            SwitchPreparedHosts(SwitchPreparedHosts(withEntry, plain, ads), ads, plain) + added;
        for (const std::string& current : {adsOn, adsOff, plainFirst}) {
            EXPECT_EQ(RemoveProgramHostsLines(current, users, {ads, plain}, "KorvoPopupKiller"),
                      users + added)
                << users << current;
        }
    }
}

// The elevated run is told its job on its command line: each command reads back as itself, and
// nothing else (the ordinary start above all) is taken for one.
TEST(HostsLines, ElevatedRunCommandLine) {
    for (HostsCommand command :
         {HostsCommand::kAddEntry, HostsCommand::kAdsOn, HostsCommand::kAdsOff}) {
        HostsCommand read =
            command == HostsCommand::kAdsOn ? HostsCommand::kAdsOff : HostsCommand::kAdsOn;
        ASSERT_TRUE(ParseHostsCommand(" " + HostsCommandArguments(command) + " ", &read));
        EXPECT_EQ(read, command);
    }
    HostsCommand unchanged = HostsCommand::kAddEntry;
    for (const char* line : {"", "  ", "/hosts", "/hosts ", "/hosts ads", "/hosts ads-on-x",
                             "/HOSTS entry", "x /hosts entry"}) {
        EXPECT_FALSE(ParseHostsCommand(line, &unchanged)) << line;
    }
    EXPECT_EQ(HostsCommandArguments(HostsCommand::kAdsOn), "/hosts ads-on");
}

}  // namespace
}  // namespace browsers
