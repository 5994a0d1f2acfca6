// The automatic configuration script the proxy serves and the reply that carries it.
#include <gtest/gtest.h>

#include <string>

#include "proxy/autoconfig_script.h"

namespace {

std::string Body(const std::string& reply) { return reply.substr(reply.find("\r\n\r\n") + 4); }

std::string Header(const std::string& reply) { return reply.substr(0, reply.find("\r\n\r\n") + 2); }

TEST(AutoConfigScript, SendsHttpThroughTheProxyAndHttpsOnlyWhenSecurePagesAreFiltered) {
    const std::string proxied = "\"PROXY 127.0.0.1:8123; DIRECT\"";
    const std::string secure = proxy::AutoConfigScript(8123, true);
    const std::string plain = proxy::AutoConfigScript(8123, false);
    EXPECT_NE(secure.find("if (scheme == \"http\") return " + proxied), std::string::npos);
    EXPECT_NE(secure.find("if (scheme == \"https\") return " + proxied), std::string::npos);
    EXPECT_NE(plain.find("if (scheme == \"http\") return " + proxied), std::string::npos);
    EXPECT_NE(plain.find("if (scheme == \"https\") return \"DIRECT\""), std::string::npos);
    EXPECT_EQ(plain.find("8100"), std::string::npos);
}

TEST(AutoConfigScript, TheReplyIsCompleteNeverCachedAndEndsTheConnection) {
    for (bool secure : {false, true}) {
        const std::string reply = proxy::AutoConfigReply(8100, secure, false);
        const std::string header = Header(reply);
        EXPECT_EQ(header.rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
        EXPECT_NE(header.find("\r\nContent-Type: application/x-ns-proxy-autoconfig\r\n"),
                  std::string::npos);
        EXPECT_NE(header.find("\r\nCache-Control: no-cache, no-store\r\n"), std::string::npos);
        EXPECT_NE(header.find("\r\nConnection: close\r\n"), std::string::npos);
        EXPECT_EQ(Body(reply), proxy::AutoConfigScript(8100, secure));
        const size_t length = header.find("Content-Length: ");
        ASSERT_NE(length, std::string::npos);
        EXPECT_EQ(std::stoul(header.substr(length + 16)), Body(reply).size());
        // HEAD: the same header, no body.
        EXPECT_EQ(proxy::AutoConfigReply(8100, secure, true), header + "\r\n");
    }
}

TEST(AutoConfigScript, ItsAddressAndPath) {
    EXPECT_EQ(proxy::AutoConfigScriptUrl(8100), "http://127.0.0.1:8100/korvo-proxy.pac");
    EXPECT_TRUE(proxy::IsAutoConfigScriptPath("/korvo-proxy.pac"));
    EXPECT_TRUE(proxy::IsAutoConfigScriptPath("/korvo-proxy.pac?t=1"));
    for (const char* other : {"/korvo-proxy.pa", "/korvo-proxy.pacx", "/Korvo-Proxy.pac",
                              "/korvo-proxy.pac/", "/a/korvo-proxy.pac", ""}) {
        EXPECT_FALSE(proxy::IsAutoConfigScriptPath(other)) << other;
    }
}

}  // namespace
