#include <gtest/gtest.h>

#include <string>

#include "browsers/internet_explorer.h"

namespace browsers {
namespace {

// A connection value as WinINet stores it: version and counter, flags at 8, proxy length at 12,
// the proxy string from 16, then whatever follows.
std::string ConnectionValue(unsigned flags, const std::string& proxy, unsigned length,
                            const std::string& tail = std::string("\x05\0\0\0local", 9)) {
    std::string value(16, '\0');
    value[0] = 0x3c;
    for (int i = 0; i < 4; ++i) {
        value[8 + i] = static_cast<char>((flags >> (8 * i)) & 0xff);
        value[12 + i] = static_cast<char>((length >> (8 * i)) & 0xff);
    }
    return value + proxy + tail;
}

std::string ConnectionValue(unsigned flags, const std::string& proxy) {
    return ConnectionValue(flags, proxy, static_cast<unsigned>(proxy.size()));
}

TEST(BrowsersIeConnectionValue, UsesProxyOnlyWithDirectPlusProxyAndTheExactServer) {
    const std::string ours = kIeProxyServer;
    struct Case {
        const char* what;
        std::string value;
        bool usesProxy;
    } cases[] = {
        {"flags 3, our server", ConnectionValue(3, ours), true},
        {"only the low byte of the flags counts", ConnectionValue(0x103, ours), true},
        {"flags 2 (proxy without direct)", ConnectionValue(2, ours), false},
        {"flags 7 (with automatic configuration)", ConnectionValue(7, ours), false},
        {"flags 1 (direct)", ConnectionValue(1, ours), false},
        {"another server", ConnectionValue(3, "http=proxy.example:8080"), false},
        {"letter case differs", ConnectionValue(3, "http=korvopopupkiller:8100"), false},
        {"our server for every protocol", ConnectionValue(3, "KorvoPopupKiller:8100"), false},
        {"our server as a prefix", ConnectionValue(3, ours + ";ftp=x:21"), false},
        {"only the low byte of the length counts",
         ConnectionValue(3, ours, static_cast<unsigned>(ours.size()) + 0x100), true},
        {"length shorter than the string", ConnectionValue(3, ours, 10), false},
        {"zero inside the counted bytes ends the string",
         ConnectionValue(3, ours + std::string(1, '\0'), static_cast<unsigned>(ours.size()) + 1),
         true},
        {"length beyond the value", ConnectionValue(3, ours, 200, ""), false},
        {"value shorter than its header", std::string("\x3c\0\0\0\0\0\0\0\x03", 9), false},
        {"empty value", std::string(), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ConnectionValueUsesProxy(c.value), c.usesProxy) << c.what;
    }
}

TEST(BrowsersIeConnectionValue, LanValuesAreNotDialUpConnections) {
    EXPECT_FALSE(IsDialUpConnectionName("DefaultConnectionSettings"));
    EXPECT_FALSE(IsDialUpConnectionName("SavedLegacySettings"));
    EXPECT_TRUE(IsDialUpConnectionName("defaultconnectionsettings"));
    EXPECT_TRUE(IsDialUpConnectionName("My ISP"));
}

TEST(BrowsersIeConnectionList, MarksAndCountsForEachMode) {
    const std::vector<std::pair<std::string, bool>> found = {
        {"A", true}, {"B", false}, {"C", true}};
    struct Case {
        ListMode mode;
        std::vector<int> disabled;
        int disabledCount;
        int configuredCount;
    } cases[] = {
        {ListMode::kSet, {1, 0, 1}, 2, 0},
        {ListMode::kReset, {0, 1, 0}, 1, 2},
        {ListMode::kUninstall, {1, 0, 1}, 2, 2},
    };
    for (const Case& c : cases) {
        InternetExplorerConnections list;
        list.Fill(found, c.mode);
        ASSERT_EQ(list.connectionCount, 3u);
        EXPECT_EQ(list.disabledFlags, c.disabled);
        EXPECT_EQ(list.disabledCount, c.disabledCount);
        EXPECT_EQ(list.configuredCount, c.configuredCount);
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(list.connections[i].name, found[i].first);
            EXPECT_EQ(list.connections[i].isDisabled, c.disabled[i]);
            EXPECT_EQ(list.connections[i].isChecked, 0);
        }
    }
    InternetExplorerConnections empty;
    empty.Fill({}, ListMode::kSet);
    EXPECT_EQ(empty.connectionCount, 0u);
    EXPECT_EQ(empty.disabledCount, 0);
}

}  // namespace
}  // namespace browsers
