#include <gtest/gtest.h>

#include "browsers/internet_explorer.h"
#include "proxy/settings.h"

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
        {{"", "absent", {}, "absent", {}, "absent", "", ""},
         "ProxyServer delete",
         "ProxyEnable delete",
         "ProxyHttp1.1 delete"},
        // The user's own proxy, as Internet Explorer writes it.
        {{"gw:3128", "1", one, "4", {0, 0, 0, 0}, "4", "", ""},
         "ProxyServer write 1 67773a3331323800",
         "ProxyEnable write 4 01000000",
         "ProxyHttp1.1 write 4 00000000"},
        // Unusual types and sizes come back as they were, an empty string included.
        {{"%PROXY%", "2", {1}, "3", {}, "3", "", ""},
         "ProxyServer write 2 2550524f58592500",
         "ProxyEnable write 3 01",
         "ProxyHttp1.1 write 3 "},
        {{"", "1", one, "3", {}, "absent", "", ""},
         "ProxyServer write 1 00",
         "ProxyEnable write 3 01000000",
         "ProxyHttp1.1 delete"},
        // An earlier version's file: only "Proxy" and "ProxyEnable".
        {{"old:1", "", one, "", {}, "", "", ""},
         "ProxyServer write 1 6f6c643a3100",
         "ProxyEnable write 4 01000000",
         "ProxyHttp1.1 leave"},
        {{"", "", {1, 0}, "", {}, "", "", ""},
         "ProxyServer write 1 00",
         "ProxyEnable write 3 0100",
         "ProxyHttp1.1 leave"},
        // What could not be read or saved as a string is left alone.
        {{"x", "unread", one, "4x", one, "-1", "", ""},
         "ProxyServer leave",
         "ProxyEnable leave",
         "ProxyHttp1.1 leave"},
        {{"x", "4", one, "12345678901", one, "unread", "", ""},
         "ProxyServer leave",
         "ProxyEnable leave",
         "ProxyHttp1.1 leave"},
    };
    for (const Case& c : cases) {
        const std::vector<IeValueRestore> steps = PlanInternetExplorerRestore(c.saved);
        ASSERT_EQ(steps.size(), 4u);
        EXPECT_EQ(StepText(steps[0]), c.server) << &c - cases;
        EXPECT_EQ(StepText(steps[1]), c.enable) << &c - cases;
        EXPECT_EQ(StepText(steps[2]), c.http11) << &c - cases;
        EXPECT_EQ(StepText(steps[3]), "AutoConfigURL leave") << &c - cases;
    }
}

// The user's own automatic configuration script comes back; one that did not exist goes; a
// file of an earlier version, which never saved it, leaves whatever is there.
TEST(BrowsersIeRestore, PutsBackTheAutomaticConfigurationAddress) {
    struct Case {
        std::string url, type, step;
    } cases[] = {
        {"", "absent", "AutoConfigURL delete"},
        {"http://wpad/p.pac", "1", "AutoConfigURL write 1 687474703a2f2f777061642f702e70616300"},
        {"%U%", "2", "AutoConfigURL write 2 25552500"},
        {"http://wpad/p.pac", "", "AutoConfigURL leave"},
        {"x", "4", "AutoConfigURL leave"},
        {"x", "unread", "AutoConfigURL leave"},
    };
    for (const Case& c : cases) {
        SavedInternetExplorerValues saved{"", "absent", {}, "absent", {}, "absent", c.url, c.type};
        const std::vector<IeValueRestore> steps = PlanInternetExplorerRestore(saved);
        ASSERT_EQ(steps.size(), 4u);
        EXPECT_EQ(StepText(steps[3]), c.step) << c.url << " " << c.type;
    }
}

TEST(BrowsersIeServerText, NamesHttpAloneOrWithHttpsAsTheSystemWritesThem) {
    EXPECT_STREQ(IeProxyServerText(false), "http=KorvoPopupKiller:8100");
    EXPECT_STREQ(IeProxyServerText(true), "http=KorvoPopupKiller:8100;https=KorvoPopupKiller:8100");
    for (const char* ours : {kIeProxyServer, kIeSecureProxyServer}) {
        EXPECT_TRUE(IsIeProxyServerText(ours)) << ours;
    }
    for (const char* other : {"https=KorvoPopupKiller:8100", "http=KorvoPopupKiller:8100;",
                              "https=KorvoPopupKiller:8100;http=KorvoPopupKiller:8100",
                              "http=KorvoPopupKiller:8100 https=KorvoPopupKiller:8100",
                              "http=KorvoPopupKiller:8100;https=KorvoPopupKiller:8100;ftp=x:21",
                              "KorvoPopupKiller:8100", ""}) {
        EXPECT_FALSE(IsIeProxyServerText(other)) << other;
    }
}

// A reset takes out the proxy's entries and keeps what the user has for other protocols.
TEST(BrowsersIeServerText, WithoutTheProxysEntriesTheUsersOthersStay) {
    struct Case {
        const char* server;
        const char* kept;
        bool removed;
    } cases[] = {
        {"http=KorvoPopupKiller:8100", "", true},
        {"http=KorvoPopupKiller:8100;https=KorvoPopupKiller:8100", "", true},
        {"ftp=files.example:21;http=KorvoPopupKiller:8100;https=KorvoPopupKiller:8100;socks=s:1080",
         "ftp=files.example:21;socks=s:1080", true},
        {"HTTPS=korvopopupkiller:8100 ftp=f:21", "ftp=f:21", true},
        {"http=proxy.example:3128;https=proxy.example:3128",
         "http=proxy.example:3128;https=proxy.example:3128", false},
        {"http=KorvoPopupKiller:8101", "http=KorvoPopupKiller:8101", false},
        {"proxy.example:3128", "proxy.example:3128", false},
        {"", "", false},
    };
    for (const Case& c : cases) {
        bool removed = !c.removed;
        EXPECT_EQ(WithoutIeProxyEntries(c.server, &removed), c.kept) << c.server;
        EXPECT_EQ(removed, c.removed) << c.server;
    }
}

TEST(BrowsersIeScript, RecognisesTheProxysScriptOnAnyPort) {
    for (const char* ours :
         {"http://127.0.0.1:8100/korvo-proxy.pac", "HTTP://127.0.0.1:9000/korvo-proxy.pac",
          "http://127.0.0.1:1/korvo-proxy.pac"}) {
        EXPECT_TRUE(IsProxyAutoConfigUrl(ours)) << ours;
    }
    for (const char* other :
         {"http://127.0.0.1:8100/other.pac", "http://127.0.0.1/korvo-proxy.pac",
          "http://127.0.0.1:0/korvo-proxy.pac", "http://127.0.0.1:65536/korvo-proxy.pac",
          "http://127.0.0.1:+80/korvo-proxy.pac", "http://wpad.example:8100/korvo-proxy.pac",
          "http://127.0.0.1:8100/korvo-proxy.pac?x", "https://127.0.0.1:8100/korvo-proxy.pac",
          ""}) {
        EXPECT_FALSE(IsProxyAutoConfigUrl(other)) << other;
    }
}

std::string Word(std::uint32_t n) {
    std::string word(4, '\0');
    for (int i = 0; i < 4; ++i) word[i] = static_cast<char>(n >> (8 * i));
    return word;
}

// A connection value as WinINet lays it out: flags, the proxy string, the bypass list, the
// script's address, then fields this code never reads.
std::string ScriptValue(unsigned flags, const std::string& proxy, const std::string& url) {
    return std::string(8, '\1') + Word(flags) + Word(static_cast<std::uint32_t>(proxy.size())) +
           proxy + Word(5) + "local" + Word(static_cast<std::uint32_t>(url.size())) + url +
           std::string(32, '\0');
}

TEST(BrowsersIeConnectionValue, UsesTheProxyThroughItsScriptWhenTheScriptIsInUse) {
    const std::string script = "http://127.0.0.1:8100/korvo-proxy.pac";
    struct Case {
        std::string value;
        bool usesScript, usesProxy;
    } cases[] = {
        {ScriptValue(5, "", script), true, true},
        {ScriptValue(0x0d, "", script), true, true},  // with automatic detection as well
        {ScriptValue(7, kIeProxyServer, script), true, true},
        {ScriptValue(1, "", script), false, false},  // the script is stored but not in use
        {ScriptValue(3, "", script), false, false},
        {ScriptValue(5, "", "http://wpad.example/proxy.pac"), false, false},
        {ScriptValue(5, "", ""), false, false},
        {ScriptValue(3, kIeSecureProxyServer, ""), false, true},
        {ScriptValue(3, kIeProxyServer, ""), false, true},
        {ScriptValue(5, "", script).substr(0, 16 + 4 + 5 + 4 + 10), false, false},  // cut short
        {ScriptValue(5, "", script).substr(0, 20), false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ConnectionValueUsesScript(c.value), c.usesScript) << &c - cases;
        EXPECT_EQ(ConnectionValueUsesProxy(c.value), c.usesProxy) << &c - cases;
    }
    // What a reset reads back from a connection's value.
    const std::string value = ScriptValue(5, "ftp=f:21;http=KorvoPopupKiller:8100", script);
    EXPECT_EQ(ConnectionValueProxyServer(value), "ftp=f:21;http=KorvoPopupKiller:8100");
    EXPECT_EQ(ConnectionValueScriptUrl(value), script);
    EXPECT_EQ(ConnectionValueScriptUrl(value.substr(0, value.size() - 40)), "");
    EXPECT_EQ(ConnectionValueProxyServer(value.substr(0, 20)), "");
}

TEST(BrowsersIeTarget, TheScriptOnVistaAndLaterTheFixedServerBefore) {
    proxy::AppSettings settings;
    settings.PopupPort = 8100;
    for (WindowsFamily family : {WindowsFamily::kNt5, WindowsFamily::kWin9x, WindowsFamily::kNt4,
                                 WindowsFamily::kUnknown}) {
        EXPECT_FALSE(IeProxyTargetFor(settings, family).autoConfig);
    }
    IeProxyTarget target = IeProxyTargetFor(settings, WindowsFamily::kNt6);
    EXPECT_TRUE(target.autoConfig);
    EXPECT_TRUE(target.secure);
    EXPECT_EQ(target.scriptPort, 8100);
    settings.FilterSecurePages = 0;
    settings.PopupPort = 9123;
    target = IeProxyTargetFor(settings, WindowsFamily::kNt6);
    EXPECT_FALSE(target.secure);
    EXPECT_EQ(target.scriptPort, 9123);
    settings.PopupPort = 0;
    EXPECT_EQ(IeProxyTargetFor(settings, WindowsFamily::kNt6).scriptPort, 8100);
}

}  // namespace
}  // namespace browsers
