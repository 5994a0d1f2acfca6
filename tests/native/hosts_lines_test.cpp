// Hosts file line handling: the host field, the lookup, appending the entry, switching the
// prepared files, and the shipped data files.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "browsers/hosts_file.h"
#include "core/app_state.h"
#include "platform/profile.h"

namespace {

using browsers::AppendHostsEntry;
using browsers::HostField;
using browsers::HostsTextContains;
using browsers::SplitHostsLines;
using browsers::SwitchPreparedHosts;

std::string RepoFile(const std::string& relative) {
    std::string here = __FILE__;
    return here.substr(0, here.rfind("tests/native/")) + relative;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

TEST(HostsLines, HostFieldOfLine) {
    struct Case {
        const char* line;
        const char* field;
    } cases[] = {
        {"127.0.0.1\tKorvoPopupKiller", "KorvoPopupKiller"},
        {"  127.0.0.1    localhost   # loopback", "localhost"},
        {"127.0.0.1 a.example b.example", "a.example"},  // only the first name
        {"# 127.0.0.1 KorvoPopupKiller", ""},            // commented out
        {"127.0.0.1 #KorvoPopupKiller", ""},             // name commented out
        {"127.0.0.1#KorvoPopupKiller", ""},              // "#" ends the address
        {"127.0.0.1", ""},
        {"", ""},
        {"   \t ", ""},
        {"127.0.0.1 host#tail", "host#tail"},  // a "#" inside the name is part of it
    };
    for (const Case& c : cases) EXPECT_EQ(HostField(c.line), c.field) << "line: " << c.line;

    std::string longName(300, 'n');
    EXPECT_EQ(HostField("127.0.0.1 " + longName).size(), browsers::kMaxHostFieldLength);
}

TEST(HostsLines, SplitDropsCarriageReturnsAndBreaksLongLines) {
    EXPECT_EQ(SplitHostsLines("a\r\nb\nc"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(SplitHostsLines("a\n\nb\n"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_TRUE(SplitHostsLines("").empty());
    auto lines = SplitHostsLines(std::string(520, 'x') + "tail\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), 520u);
    EXPECT_EQ(lines[1], "tail");
}

TEST(HostsLines, ContainsName) {
    struct Case {
        const char* content;
        bool found;
    } cases[] = {
        {"127.0.0.1 KorvoPopupKiller\r\n", true},
        {"127.0.0.1\t \t korvopopupkiller\n", true},  // any case, any white space
        {"127.0.0.1 localhost\r\n10.0.0.1 KORVOPOPUPKILLER", true},
        {"127.0.0.1 myKorvoPopupKillerHost\n", true},  // contained in a longer name
        {"# 127.0.0.1 KorvoPopupKiller\n", false},
        {"127.0.0.1 localhost # KorvoPopupKiller\n", false},  // only in a comment
        {"KorvoPopupKiller\n", false},                        // an address field only
        {"127.0.0.1 Korvo\n", false},
        {"", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HostsTextContains(c.content, "KorvoPopupKiller"), c.found)
            << "content: " << c.content;
    }
    // A name cut off across the 520-character line limit is not found.
    std::string split = "127.0.0.1 " + std::string(505, 'x') + "KorvoPopupKiller\n";
    EXPECT_TRUE(HostsTextContains("127.0.0.1 " + std::string(200, 'x') + "KorvoPopupKiller",
                                  "KorvoPopupKiller"));
    EXPECT_FALSE(HostsTextContains(split, "KorvoPopupKiller"));
}

TEST(HostsLines, AppendedEntryNeverGluedToLastLine) {
    struct Case {
        const char* content;
        const char* expected;
    } cases[] = {
        {"", "127.0.0.1\tKorvoPopupKiller\r\n"},
        {"127.0.0.1 localhost\r\n", "127.0.0.1 localhost\r\n127.0.0.1\tKorvoPopupKiller\r\n"},
        {"127.0.0.1 localhost\n", "127.0.0.1 localhost\n127.0.0.1\tKorvoPopupKiller\r\n"},
        {"127.0.0.1 localhost", "127.0.0.1 localhost\r\n127.0.0.1\tKorvoPopupKiller\r\n"},
        {"# only a comment", "# only a comment\r\n127.0.0.1\tKorvoPopupKiller\r\n"},
    };
    for (const Case& c : cases) {
        std::string result = AppendHostsEntry(c.content, "127.0.0.1", "KorvoPopupKiller");
        EXPECT_EQ(result, c.expected) << "content: " << c.content;
        EXPECT_TRUE(HostsTextContains(result, "KorvoPopupKiller"));
    }
}

TEST(HostsLines, PathByPlatform) {
    EXPECT_EQ(browsers::HostsPathFor("C:\\WINDOWS", 2),
              "C:\\WINDOWS\\system32\\drivers\\etc\\hosts");
    EXPECT_EQ(browsers::HostsPathFor("C:\\WINDOWS", 1), "C:\\WINDOWS\\hosts");
}

const char kPlain[] = "# plain\r\n127.0.0.1 localhost\r\n";
const char kAds[] =
    "# blocking\r\n127.0.0.1 localhost\r\n127.0.0.1 ads.example\r\n"
    "127.0.0.1 track.example\r\n";

TEST(HostsLines, SwitchingKeepsUserLinesAndEntry) {
    const std::string user =
        "127.0.0.1       localhost\r\n10.1.2.3 intranet\r\n127.0.0.1\tKorvoPopupKiller";

    const std::string on = SwitchPreparedHosts(user, kAds, kPlain);
    EXPECT_EQ(on,
              "127.0.0.1       localhost\r\n10.1.2.3 intranet\r\n127.0.0.1\tKorvoPopupKiller\r\n"
              "# blocking\r\n127.0.0.1 ads.example\r\n127.0.0.1 track.example\r\n");
    // Switching on again changes nothing.
    EXPECT_EQ(SwitchPreparedHosts(on, kAds, kPlain), on);

    const std::string off = SwitchPreparedHosts(on, kPlain, kAds);
    EXPECT_EQ(off,
              "127.0.0.1       localhost\r\n10.1.2.3 intranet\r\n127.0.0.1\tKorvoPopupKiller\r\n"
              "# plain\r\n");
    EXPECT_FALSE(HostsTextContains(off, "ads.example"));
    EXPECT_TRUE(HostsTextContains(off, "KorvoPopupKiller"));
    EXPECT_EQ(SwitchPreparedHosts(off, kPlain, kAds), off);
}

TEST(HostsLines, SwitchingMatchesLinesLooselyAndStartsEmptyFiles) {
    // An ad line written with other white space and letter case is still the prepared one.
    EXPECT_EQ(SwitchPreparedHosts("127.0.0.1\t\tADS.example  \nmine\n", kPlain, kAds),
              "mine\n# plain\r\n127.0.0.1 localhost\r\n");
    // No hosts file yet: the target's lines.
    EXPECT_EQ(SwitchPreparedHosts("", kAds, kPlain), kAds);
    // Lines of the user's file that only look alike stay.
    EXPECT_EQ(SwitchPreparedHosts("127.0.0.1 ads.example.org\n", kPlain, kAds),
              "127.0.0.1 ads.example.org\n# plain\r\n127.0.0.1 localhost\r\n");
}

TEST(HostsLines, ManualInstructionsJoinFiveTexts) {
    core::AppState saved = core::appState;
    core::appState.installPath = "/nonexistent-korvo-folder";
    EXPECT_EQ(browsers::HostsManualInstructions(),
              "Error, Can't write to the hosts file, the program may not run correctly"
              "To perform it manually, go to your windows directory open the "
              "..\\[system folder]\\drivers\\etc\\"
              "open the file with name HOSTS in any text editor"
              "finally add the following line at the end of the file"
              "127.0.0.1\tKorvoPopupKiller");
    core::appState = saved;
}

TEST(HostsLines, ShippedPreparedFiles) {
    const std::string plain = ReadFile(RepoFile("data/hostsd"));
    const std::string ads = ReadFile(RepoFile("data/hostse"));
    ASSERT_FALSE(plain.empty());
    ASSERT_FALSE(ads.empty());
    for (const std::string* content : {&plain, &ads}) {
        EXPECT_TRUE(HostsTextContains(*content, "localhost"));
        EXPECT_FALSE(HostsTextContains(*content, "KorvoPopupKiller"));
        EXPECT_EQ(content->back(), '\n');
    }
    size_t adLines = 0;
    for (const std::string& line : SplitHostsLines(ads)) {
        std::string field = HostField(line);
        if (field.empty() || field == "localhost") continue;
        ++adLines;
        EXPECT_EQ(line.compare(0, 10, "127.0.0.1 "), 0) << line;
    }
    EXPECT_GT(adLines, 100u);
    // Switching a plain file on and off again gives it back.
    EXPECT_EQ(SwitchPreparedHosts(SwitchPreparedHosts(plain, ads, plain), plain, ads), plain);
}

}  // namespace
