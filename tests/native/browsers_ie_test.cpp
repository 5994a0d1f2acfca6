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

using Bytes = std::vector<unsigned char>;

// One step as text, e.g. "ProxyEnable write 4 01000000", "ProxyServer delete".
std::string StepText(const IeValueRestore& step) {
    std::string text = step.name;
    if (step.action == IeValueAction::kLeave) return text + " leave";
    if (step.action == IeValueAction::kDelete) return text + " delete";
    text += " write " + std::to_string(step.type) + " ";
    for (unsigned char byte : step.data) {
        text += "0123456789abcdef"[byte >> 4];
        text += "0123456789abcdef"[byte & 15];
    }
    return text;
}

// Values that did not exist go, the others come back with their own type and bytes; a file of
// an earlier version (no types) gives the string and a four-byte ProxyEnable as the DWORD it is.
TEST(BrowsersIeRestore, PutsBackEachValueAsItWas) {
    const Bytes one = {1, 0, 0, 0};
    struct Case {
        SavedInternetExplorerValues saved;
        std::string server, enable, http11;
    } cases[] = {
        // Nothing existed before the first install.
        {{"", "absent", {}, "absent", {}, "absent"},
         "ProxyServer delete",
         "ProxyEnable delete",
         "ProxyHttp1.1 delete"},
        // The user's own proxy, as Internet Explorer writes it.
        {{"gw:3128", "1", one, "4", {0, 0, 0, 0}, "4"},
         "ProxyServer write 1 67773a3331323800",
         "ProxyEnable write 4 01000000",
         "ProxyHttp1.1 write 4 00000000"},
        // Unusual types and sizes come back as they were, an empty string included.
        {{"%PROXY%", "2", {1}, "3", {}, "3"},
         "ProxyServer write 2 2550524f58592500",
         "ProxyEnable write 3 01",
         "ProxyHttp1.1 write 3 "},
        {{"", "1", one, "3", {}, "absent"},
         "ProxyServer write 1 00",
         "ProxyEnable write 3 01000000",
         "ProxyHttp1.1 delete"},
        // An earlier version's file: only "Proxy" and "ProxyEnable".
        {{"old:1", "", one, "", {}, ""},
         "ProxyServer write 1 6f6c643a3100",
         "ProxyEnable write 4 01000000",
         "ProxyHttp1.1 leave"},
        {{"", "", {1, 0}, "", {}, ""},
         "ProxyServer write 1 00",
         "ProxyEnable write 3 0100",
         "ProxyHttp1.1 leave"},
        // What could not be read or saved as a string is left alone.
        {{"x", "unread", one, "4x", one, "-1"},
         "ProxyServer leave",
         "ProxyEnable leave",
         "ProxyHttp1.1 leave"},
        {{"x", "4", one, "12345678901", one, "unread"},
         "ProxyServer leave",
         "ProxyEnable leave",
         "ProxyHttp1.1 leave"},
    };
    for (const Case& c : cases) {
        const std::vector<IeValueRestore> steps = PlanInternetExplorerRestore(c.saved);
        ASSERT_EQ(steps.size(), 3u);
        EXPECT_EQ(StepText(steps[0]), c.server) << &c - cases;
        EXPECT_EQ(StepText(steps[1]), c.enable) << &c - cases;
        EXPECT_EQ(StepText(steps[2]), c.http11) << &c - cases;
    }
}

}  // namespace
}  // namespace browsers
