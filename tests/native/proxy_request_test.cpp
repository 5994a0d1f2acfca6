// The proxy's relay and request side with real sockets: a client, the proxy and origin
// servers on 127.0.0.1.
#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "platform/socket.h"
#include "proxy/blocker.h"
#include "proxy/connection.h"
#include "proxy/fixed_replies.h"
#include "proxy/settings.h"
#include "test_servers.h"

namespace {

using testing_servers::Origin;
using testing_servers::RunningProxy;
using testing_servers::Socket;

const std::string kImageResponse =
    "HTTP/1.1 200 OK\r\nContent-Type: image/gif\r\nContent-Length: 6\r\n\r\nGIF89a";

class ProxyRequest : public ::testing::Test {
  protected:
    void SetUp() override {
        port_ = proxy_.Port();
        ASSERT_NE(port_, 0);
    }
    Socket Client() { return Socket::ConnectTo(port_); }
    // The entry the proxy adds to every request it forwards.
    std::string Via() const {
        return "Via: 1.1 KorvoPopupKiller:" + std::to_string(port_) + "\r\n";
    }
    // Sends one request through the proxy and returns the reply.
    std::string Fetch(const std::string& request) {
        Socket client = Client();
        client.Send(request);
        return client.ReadMessage();
    }
    std::string Url(int originPort, const std::string& path) {
        return "http://127.0.0.1:" + std::to_string(originPort) + path;
    }
    RunningProxy proxy_;
    int port_ = 0;
};

TEST_F(ProxyRequest, RewritesAbsoluteUrlToPathAndRelaysTheReplyUnchanged) {
    std::vector<std::string> requests;
    std::mutex lock;
    Origin origin(Origin::Answering(kImageResponse, &requests, &lock));
    std::string reply =
        Fetch("GET " + Url(origin.port(), "/a?q=1&r=%20") + " HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_EQ(reply, kImageResponse);
    std::lock_guard<std::mutex> guard(lock);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0], "GET /a?q=1&r=%20 HTTP/1.1\r\nHost: 127.0.0.1:" +
                               std::to_string(origin.port()) + "\r\n" + Via() + "\r\n");
}

TEST_F(ProxyRequest, KeepAliveReusesTheServerSocketPerHostAndPort) {
    Origin first(Origin::Answering(kImageResponse));
    Origin second(Origin::Answering(kImageResponse));
    Socket client = Client();
    for (const Origin* origin : {&first, &first, &second, &second}) {
        client.Send("GET " + Url(origin->port(), "/img") + " HTTP/1.1\r\nHost: x\r\n\r\n");
        EXPECT_EQ(client.ReadMessage(), kImageResponse);
    }
    EXPECT_EQ(first.connections(), 1);
    EXPECT_EQ(second.connections(), 1);
}

// Bodies that pass unchanged may go from socket to socket past the relay, and a quiet connection
// gives its buffers back: neither may move the framing. A large image and a page sent by the
// server in one go, then after a pause longer than the quiet spell a page again, each arrive
// exactly, the pages with the script.
TEST_F(ProxyRequest, LargePassedBodiesAndQuietSpellsKeepTheResponsesInStep) {
    proxy_.settings.PopupCheckEnabled = 1;
    proxy::SetBlockerScript(proxy_.context(), "[S]");
    std::string image(3 * 1024 * 1024 + 17, '\0');
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i * 7 + i / 4096);
    const std::string imageResponse =
        "HTTP/1.1 200 OK\r\nContent-Type: image/gif\r\nContent-Length: " +
        std::to_string(image.size()) + "\r\n\r\n" + image;
    const std::string pageHeader = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: ";
    const std::string page = pageHeader + "6\r\n\r\n<html>";
    const std::string injectedPage = pageHeader + "9\r\n\r\n[S]<html>";
    Origin origin([&](Socket& s) {
        const std::string requests = s.ReadUntil(
            [](const std::string& b) { return b.find("\r\n\r\n") != b.rfind("\r\n\r\n"); }, 3000);
        if (requests.empty() || !s.Send(imageResponse + page)) return;
        if (!s.ReadMessage(3000).empty()) s.Send(page);
    });
    Socket client = Client();
    const std::string get = " HTTP/1.1\r\nHost: x\r\n\r\n";
    client.Send("GET " + Url(origin.port(), "/big.gif") + get + "GET " + Url(origin.port(), "/") +
                get);
    const std::string expected = imageResponse + injectedPage;
    const std::string both =
        client.ReadUntil([&](const std::string& b) { return b.size() >= expected.size(); }, 10000);
    EXPECT_TRUE(both == expected) << both.size() << " bytes of " << expected.size();
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    client.Send("GET " + Url(origin.port(), "/") + get);
    EXPECT_EQ(client.ReadMessage(), injectedPage);
    EXPECT_EQ(origin.connections(), 1);
}

TEST_F(ProxyRequest, RequestBodiesArriveWholeEvenASingleByte) {
    std::vector<std::string> requests;
    std::mutex lock;
    Origin origin(Origin::Answering(kImageResponse, &requests, &lock));
    {
        // One byte of body in the same packet as the header.
        Socket client = Client();
        client.Send("POST " + Url(origin.port(), "/p") + " HTTP/1.1\r\nContent-Length: 1\r\n\r\nZ");
        EXPECT_EQ(client.ReadMessage(), kImageResponse);
    }
    {
        // A body that follows in pieces.
        std::string body(200000, 'b');
        Socket client = Client();
        client.Send("POST " + Url(origin.port(), "/q") + " HTTP/1.1\r\nContent-Length: " +
                    std::to_string(body.size()) + "\r\n\r\n" + body.substr(0, 10));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        client.Send(body.substr(10));
        EXPECT_EQ(client.ReadMessage(), kImageResponse);
    }
    std::lock_guard<std::mutex> guard(lock);
    ASSERT_EQ(requests.size(), 2u);
    const std::string host = "Host: 127.0.0.1:" + std::to_string(origin.port()) + "\r\n";
    EXPECT_EQ(requests[0],
              "POST /p HTTP/1.1\r\n" + host + "Content-Length: 1\r\n" + Via() + "\r\nZ");
    EXPECT_EQ(
        requests[1].size(),
        ("POST /q HTTP/1.1\r\n" + host + "Content-Length: 200000\r\n" + Via() + "\r\n").size() +
            200000);
}

TEST_F(ProxyRequest, DropsOnlyGzipAcceptEncodingUnlessDisabled) {
    std::vector<std::string> requests;
    std::mutex lock;
    Origin origin(Origin::Answering(kImageResponse, &requests, &lock));
    const std::string host = "Host: 127.0.0.1:" + std::to_string(origin.port()) + "\r\n";
    const std::string fields =
        " HTTP/1.1\r\n" + host + "Accept-Encoding: gzip, deflate\r\nAccept-Encoding: deflate\r\n";
    const std::string headers = fields + "\r\n";
    Fetch("GET " + Url(origin.port(), "/") + headers);
    proxy_.settings.Disabled = 1;
    Fetch("GET " + Url(origin.port(), "/") + headers);
    std::lock_guard<std::mutex> guard(lock);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0],
              "GET / HTTP/1.1\r\n" + host + "Accept-Encoding: deflate\r\n" + Via() + "\r\n");
    EXPECT_EQ(requests[1], "GET /" + fields + Via() + "\r\n");
}

TEST_F(ProxyRequest, UnusableRequestsGetTheBadRequestReplyAndTheConnectionEnds) {
    const std::string badRequest = proxy::kBadRequestReply;
    for (const std::string& request : {
             std::string("GET /only/a/path HTTP/1.1\r\nHost: x\r\n\r\n"),
             std::string("GET http://127.0.0.1/a b HTTP/1.1\r\n\r\n"),
             std::string("GET http://127.0.0.1 HTTP/1.1\r\n\r\n"),
             std::string("GARBAGE\r\n\r\n"),
         }) {
        Socket client = Client();
        client.Send(request);
        EXPECT_EQ(client.ReadUntilClosed(), badRequest) << request;
    }
}

TEST_F(ProxyRequest, HeaderOverSixtyFourKiBIsRefused) {
    Origin origin(Origin::Answering(kImageResponse));
    Socket client = Client();
    client.Send("GET " + Url(origin.port(), "/") + " HTTP/1.1\r\n");
    std::string filler = "X-Filler: " + std::string(1000, 'f') + "\r\n";
    for (int i = 0; i < 70; ++i) client.Send(filler);
    EXPECT_EQ(client.ReadUntilClosed(), proxy::kBadRequestReply);
    EXPECT_EQ(origin.connections(), 0);
}

TEST_F(ProxyRequest, UnreachableSiteGetsTheNotFoundReply) {
    int closedPort;
    {
        testing_servers::Listener unused;
        closedPort = unused.port();
    }
    Socket client = Client();
    client.Send("GET " + Url(closedPort, "/") + " HTTP/1.1\r\n\r\n");
    EXPECT_EQ(client.ReadUntilClosed(), proxy::kSiteUnreachableReply);
}

TEST_F(ProxyRequest, ConnectOpensATunnelAndEarlyBytesReachTheSite) {
    // An echo server stands for the TLS site.
    Origin echo([](Socket& s) {
        for (int i = 0; i < 100; ++i) {
            std::string bytes;
            if (!s.ReadSome(&bytes, 3000) || bytes.empty()) return;
            s.Send(bytes);
        }
    });
    Socket client = Client();
    client.Send("CONNECT 127.0.0.1:" + std::to_string(echo.port()) +
                " HTTP/1.1\r\nHost: x\r\n\r\nEARLY");
    const std::string established =
        "HTTP/1.0 200 Connection established\r\nProxy-agent: QX-Proxy/1.0\r\n\r\n";
    std::string reply =
        client.ReadUntil([&](const std::string& b) { return b.size() >= established.size() + 5; });
    EXPECT_EQ(reply, established + "EARLY");
    std::string binary("\x16\x03\x01\0\r\n\r\nGET / HTTP/1.1\r\n\r\n", 24);
    client.Send(binary);
    EXPECT_EQ(client.ReadUntil([&](const std::string& b) { return b.size() >= binary.size(); }),
              binary);
}

TEST_F(ProxyRequest, GatewayGetsTheRequestLineUnchanged) {
    std::vector<std::string> requests;
    std::mutex lock;
    Origin gateway(Origin::Answering(kImageResponse, &requests, &lock));
    proxy_.settings.GatewayEnable = 1;
    proxy_.settings.GatewayIP.Set("127.0.0.1");
    proxy_.settings.GatewayPort = gateway.port();
    EXPECT_EQ(Fetch("GET http://site.invalid:8080/x HTTP/1.1\r\n\r\n"), kImageResponse);
    std::lock_guard<std::mutex> guard(lock);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(
        requests[0],
        "GET http://site.invalid:8080/x HTTP/1.1\r\nHost: site.invalid:8080\r\n" + Via() + "\r\n");
}

// After 101 the connection carries another protocol (a WebSocket on a plain http page): bytes
// go both ways unchanged, the browser's no longer read as requests.
TEST_F(ProxyRequest, AfterASwitchOfProtocolsBytesGoBothWays) {
    const std::string switched =
        "HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n\r\n";
    Origin origin([&](Socket& s) {
        s.ReadUntil([](const std::string& b) { return b.find("\r\n\r\n") != std::string::npos; });
        s.Send(switched);
        // Echoes frames back with a mark, until the browser's last one.
        std::string got;
        while (got.find("bye") == std::string::npos) {
            const std::string more =
                s.ReadUntil([](const std::string& b) { return !b.empty(); }, 2000);
            if (more.empty()) return;
            got += more;
            s.Send("echo:" + more);
        }
    });
    Socket client = Client();
    client.Send("GET " + Url(origin.port(), "/ws") +
                " HTTP/1.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n\r\n");
    EXPECT_EQ(client.ReadUntil([&](const std::string& b) { return b.size() >= switched.size(); }),
              switched);
    client.Send("\x81\x05hello GET / HTTP/1.1\r\n\r\n");
    EXPECT_EQ(client.ReadUntil(
                  [](const std::string& b) { return b.find("\r\n\r\n") != std::string::npos; }),
              "echo:\x81\x05hello GET / HTTP/1.1\r\n\r\n");
    client.Send("bye");
    EXPECT_EQ(
        client.ReadUntil([](const std::string& b) { return b.find("bye") != std::string::npos; }),
        "echo:bye");
}

TEST_F(ProxyRequest, BrowserClosingEndsTheConnection) {
    std::atomic<bool> serverSawClose{false};
    Origin origin([&](Socket& s) {
        s.ReadMessage(3000);
        s.Send("HTTP/1.1 200 OK\r\nContent-Type: image/gif\r\nContent-Length: 100000000\r\n\r\n");
        std::string chunk(65536, 'x');
        for (int i = 0; i < 1000 && s.Send(chunk); ++i) {
        }
        serverSawClose = true;
    });
    {
        Socket client = Client();
        client.Send("GET " + Url(origin.port(), "/big") + " HTTP/1.1\r\n\r\n");
        std::string some;
        client.ReadSome(&some, 2000);
        EXPECT_FALSE(some.empty());
    }
    for (int i = 0; i < 50 && !serverSawClose; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_TRUE(serverSawClose);
}

// The body of a request that arrives after its header is the body, never a request of its own.
TEST_F(ProxyRequest, ALateBodyThatReadsLikeARequestReachesOnlyItsOwnSite) {
    std::vector<std::string> requests;
    std::mutex lock;
    Origin upload(Origin::Answering(kImageResponse, &requests, &lock));
    Origin secret(Origin::Answering("HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\nSECRET"));
    const std::string smuggled =
        "GET " + Url(secret.port(), "/secret") + " HTTP/1.1\r\nHost: intranet\r\n\r\n";
    Socket client = Client();
    client.Send("PUT " + Url(upload.port(), "/upload") +
                " HTTP/1.1\r\nContent-Length: " + std::to_string(smuggled.size()) + "\r\n\r\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    client.Send(smuggled);
    EXPECT_EQ(client.ReadMessage(), kImageResponse);
    std::string more;
    client.ReadSome(&more, 200);
    EXPECT_EQ(more, "");
    EXPECT_EQ(secret.connections(), 0);
    std::lock_guard<std::mutex> guard(lock);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].substr(requests[0].size() - smuggled.size()), smuggled);
}

TEST_F(ProxyRequest, PipelinedRequestsGetTheirResponsesInOrder) {
    std::string seen;
    auto origin = std::make_unique<Origin>([&](Socket& s) {
        auto count = [](const std::string& b) {
            size_t n = 0;
            for (size_t at = b.find("\r\n\r\n"); at != std::string::npos;
                 at = b.find("\r\n\r\n", at + 4)) {
                ++n;
            }
            return n;
        };
        seen = s.ReadUntil([&](const std::string& b) { return count(b) >= 3; });
        for (int i = 1; i <= 3; ++i) {
            s.Send("HTTP/1.1 200 OK\r\nContent-Type: image/gif\r\nContent-Length: 2\r\n\r\nr" +
                   std::to_string(i));
        }
    });
    Socket client = Client();
    std::string three;
    for (const char* path : {"/r1", "/r2", "/r3"}) {
        three += "GET " + Url(origin->port(), path) + " HTTP/1.1\r\nHost: x\r\n\r\n";
    }
    client.Send(three);
    const std::string header =
        "HTTP/1.1 200 OK\r\nContent-Type: image/gif\r\nContent-Length: 2\r\n\r\n";
    const std::string all = header + "r1" + header + "r2" + header + "r3";
    EXPECT_EQ(client.ReadUntil([&](const std::string& b) { return b.size() >= all.size(); }), all);
    client.Close();
    const std::string host =
        "Host: 127.0.0.1:" + std::to_string(origin->port()) + "\r\n" + Via() + "\r\n";
    origin.reset();  // its threads are done with seen
    EXPECT_EQ(seen, "GET /r1 HTTP/1.1\r\n" + host + "GET /r2 HTTP/1.1\r\n" + host +
                        "GET /r3 HTTP/1.1\r\n" + host);
}

// A browser that shuts down its sending side after the request still gets the whole response.
TEST_F(ProxyRequest, ABrowserThatStopsSendingGetsTheWholeResponse) {
    const std::string page(300000, 'p');
    const std::string response =
        "HTTP/1.1 200 OK\r\nContent-Type: image/gif\r\nContent-Length: 300000\r\n\r\n" + page;
    Origin origin([&](Socket& s) {
        s.ReadMessage(3000);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        s.Send(response);
        // Keep-alive: the server does not close; the proxy ends once the response is through.
        std::string rest;
        s.ReadSome(&rest, 3000);
    });
    Socket client = Client();
    client.Send("GET " + Url(origin.port(), "/") + " HTTP/1.1\r\n\r\n");
    platform::ShutdownSending(client.fd());
    EXPECT_EQ(client.ReadUntilClosed(), response);
}

TEST_F(ProxyRequest, TunnelsAreConfirmedOnlyOnceTheSiteIsReached) {
    int closedPort;
    {
        testing_servers::Listener unused;
        closedPort = unused.port();
    }
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"CONNECT 127.0.0.1:" + std::to_string(closedPort) + " HTTP/1.1\r\n\r\n",
         std::string(proxy::kSiteUnreachableReply)},
        {"CONNECT 127.0.0.1:4294967376 HTTP/1.1\r\n\r\n", proxy::kSiteUnreachableReply},
        {"CONNECT 127.0.0.1 HTTP/1.1\r\n\r\n", proxy::kBadRequestReply},
        {"GET http://127.0.0.1:65616/ HTTP/1.1\r\n\r\n", proxy::kSiteUnreachableReply},
    };
    for (const auto& c : cases) {
        Socket client = Client();
        client.Send(c.first);
        EXPECT_EQ(client.ReadUntilClosed(), c.second) << c.first;
    }
}

// A gateway that is the proxy itself would relay each request back to itself without end.
TEST_F(ProxyRequest, AGatewayThatIsTheProxyItselfIsRefused) {
    proxy_.settings.GatewayEnable = 1;
    proxy_.settings.GatewayIP.Set("127.0.0.1");
    proxy_.settings.GatewayPort = port_;
    const int before = proxy_.context().liveConnections.load();
    EXPECT_EQ(Fetch("GET http://site.invalid/x HTTP/1.1\r\n\r\n"), proxy::kSiteUnreachableReply);
    EXPECT_LE(proxy_.context().liveConnections.load(), before + 1);
    proxy_.settings.GatewayEnable = 0;
    Socket client = Client();
    client.Send("GET http://127.0.0.1:" + std::to_string(port_) + "/ HTTP/1.1\r\n\r\n");
    EXPECT_EQ(client.ReadUntilClosed(), proxy::kSiteUnreachableReply);
}

}  // namespace
