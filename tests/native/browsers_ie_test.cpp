#include <gtest/gtest.h>

#include "browsers/internet_explorer.h"

namespace browsers {
namespace {

// A connection value: flags at 8, proxy length at 12 (as given), the proxy string from 16.
std::string ConnectionValue(unsigned flags, const std::string& proxy, int length = -1,
                            const std::string& tail = std::string("\x05\0\0\0local", 9)) {
    unsigned n = length < 0 ? static_cast<unsigned>(proxy.size()) : static_cast<unsigned>(length);
    std::string value(16, '\0');
    for (int i = 0; i < 4; ++i) {
        value[8 + i] = static_cast<char>(flags >> (8 * i));
        value[12 + i] = static_cast<char>(n >> (8 * i));
    }
    return value + proxy + tail;
}

TEST(BrowsersIeConnectionValue, UsesProxyOnlyWithDirectPlusProxyAndTheExactServer) {
    const std::string ours = kIeProxyServer;
    const int size = static_cast<int>(ours.size());
    struct Case {
        std::string value;
        bool usesProxy;
    } cases[] = {
        {ConnectionValue(3, ours), true},
        {ConnectionValue(0x103, ours), true},  // only the flags' low byte counts
        {ConnectionValue(2, ours), false},
        {ConnectionValue(7, ours), false},
        {ConnectionValue(3, "http=proxy.example:8080"), false},
        {ConnectionValue(3, "http=korvopopupkiller:8100"), false},
        {ConnectionValue(3, ours + ";ftp=x:21"), false},
        {ConnectionValue(3, ours, size + 0x100), true},  // only the length's low byte counts
        {ConnectionValue(3, ours, 10), false},
        {ConnectionValue(3, ours + std::string(1, '\0'), size + 1), true},
        {ConnectionValue(3, ours, 200, ""), false},  // length beyond the value
        {std::string("\0\0\0\0\0\0\0\0\x03", 9), false},
        {"", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ConnectionValueUsesProxy(c.value), c.usesProxy) << &c - cases;
    }
}

}  // namespace
}  // namespace browsers
