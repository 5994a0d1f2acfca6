// The relay between a browser and its sites with real sockets on 127.0.0.1: answers in the order
// of the requests whatever site each comes from, both directions at once, a browser that has
// gone, and bodies when the process has no descriptor to spare. Every wait is bounded; a relay
// that hangs shows as bytes that did not arrive.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "platform/socket.h"
#include "proxy/autoconfig_script.h"
#include "proxy/fixed_replies.h"
#include "test_servers.h"

namespace {

using testing_servers::Origin;
using testing_servers::RunningProxy;
using testing_servers::Socket;

// A body whose bytes differ from place to place, so that a cut or a shift shows.
std::string Pattern(size_t size, char salt) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + i / 4096 + salt);
    return bytes;
}

std::string ImageResponse(const std::string& body) {
    return "HTTP/1.1 200 OK\r\nContent-Type: image/gif\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body;
}

void WaitFor(const std::atomic<bool>& flag, int timeoutMs) {
    for (int waited = 0; !flag && waited < timeoutMs; waited += 10) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

class ProxyRelay : public ::testing::Test {
  protected:
    void SetUp() override {
        port_ = proxy_.Port();
        ASSERT_NE(port_, 0);
    }
    Socket Client() { return Socket::ConnectTo(port_); }
    static std::string Get(int originPort, const std::string& path) {
        return "GET http://127.0.0.1:" + std::to_string(originPort) + path +
               " HTTP/1.1\r\nHost: x\r\n\r\n";
    }
    // What arrives until size bytes are there, the peer closes, or timeoutMs passes.
    static std::string ReadSize(Socket& s, size_t size, int timeoutMs = 10000) {
        return s.ReadUntil([&](const std::string& b) { return b.size() >= size; }, timeoutMs);
    }
    RunningProxy proxy_;
    int port_ = 0;
};

// Pipelined in one write: a request for a site whose answer is still arriving, then one for
// another site, a refused one, one for a site that cannot be reached, or one for the proxy's own
// automatic configuration script. The first answer comes whole, and only then what the second
// request gets.
TEST_F(ProxyRelay, AnswersFollowTheRequestsWhateverSiteEachGoesTo) {
    const std::string first = ImageResponse(Pattern(300000, 'a'));
    const std::string second = ImageResponse("second");
    Origin slow([&](Socket& s) {
        if (s.ReadMessage(3000).empty()) return;
        s.Send(first.substr(0, 1000));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        s.Send(first.substr(1000));
        std::string rest;
        s.ReadSome(&rest, 3000);
    });
    Origin other(Origin::Answering(second));
    int closedPort;
    {
        testing_servers::Listener unused;
        closedPort = unused.port();
    }
    const std::vector<std::pair<std::string, std::string>> cases = {
        {Get(other.port(), "/b"), second},
        {"GARBAGE\r\n\r\n", proxy::kBadRequestReply},
        {Get(closedPort, "/"), proxy::kSiteUnreachableReply},
        // The proxy's own script, answered by the proxy itself.
        {"GET /korvo-proxy.pac HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port_) + "\r\n\r\n",
         proxy::AutoConfigReply(port_, true, false)},
    };
    for (const auto& c : cases) {
        Socket client = Client();
        client.Send(Get(slow.port(), "/a") + c.first);
        const std::string expected = first + c.second;
        const std::string got = ReadSize(client, expected.size());
        EXPECT_TRUE(got == expected) << c.first << got.size() << " bytes of " << expected.size();
    }
    EXPECT_EQ(other.connections(), 1);
}

// A site that answers a large upload before reading it, with a large body: the answer reaches
// the browser while the upload still flows, and the upload reaches the site whole.
TEST_F(ProxyRelay, AnUploadAnsweredEarlyFlowsBothWaysAtOnce) {
    const std::string answer = ImageResponse(Pattern(8 << 20, 'r'));
    const std::string upload = Pattern(8 << 20, 'u');
    std::atomic<size_t> uploaded{0};
    std::atomic<bool> siteDone{false};
    Origin origin([&](Socket& s) {
        const std::string head =
            s.ReadUntil([](const std::string& b) { return b.find("\r\n\r\n") != b.npos; }, 3000);
        const size_t end = head.find("\r\n\r\n");
        if (end != std::string::npos && s.SendWithin(answer, 20000)) {
            size_t body = head.size() - end - 4;
            while (body < upload.size()) {
                std::string more;
                if (!s.ReadSome(&more, 3000) || more.empty()) break;
                body += more.size();
            }
            uploaded = body;
        }
        siteDone = true;
    });
    Socket client = Client();
    std::atomic<bool> sent{false};
    std::thread sender([&] {
        sent = client.SendWithin("POST http://127.0.0.1:" + std::to_string(origin.port()) +
                                     "/upload HTTP/1.1\r\nContent-Length: " +
                                     std::to_string(upload.size()) + "\r\n\r\n" + upload,
                                 20000);
    });
    const std::string got = ReadSize(client, answer.size(), 20000);
    sender.join();
    EXPECT_TRUE(got == answer) << got.size() << " bytes of " << answer.size();
    EXPECT_TRUE(sent);
    WaitFor(siteDone, 5000);
    EXPECT_EQ(uploaded.load(), upload.size());
}

// A browser that stopped sending, then closed while a long answer was still coming: the next
// bytes the proxy gives it are answered with a reset, and the proxy leaves the site at once,
// though the site sends nothing more. Bodies moved past the relay and bodies it copies alike.
TEST_F(ProxyRelay, ABrowserThatHasGoneEndsItsConnectionAtOnce) {
    const std::string header = "HTTP/1.1 200 OK\r\nContent-Type: image/gif\r\n";
    const std::string firstPart = Pattern(100000, 'f');
    const std::string laterPart = Pattern(1000, 'l');
    struct Case {
        const char* name;
        std::string start, later;
    };
    const std::vector<Case> cases = {
        {"length", header + "Content-Length: 10000000\r\n\r\n" + firstPart, laterPart},
        {"chunked", header + "Transfer-Encoding: chunked\r\n\r\n186a0\r\n" + firstPart + "\r\n",
         "3e8\r\n" + laterPart + "\r\n"},
    };
    for (const Case& c : cases) {
        std::atomic<bool> browserGone{false}, siteDone{false}, siteLeft{false};
        Origin origin([&](Socket& s) {
            if (!s.ReadMessage(3000).empty() && s.Send(c.start)) {
                WaitFor(browserGone, 3000);
                s.Send(c.later);
                std::string rest;
                siteLeft = !s.ReadSome(&rest, 3000);
            }
            siteDone = true;
        });
        Socket client = Client();
        client.Send(Get(origin.port(), "/stream"));
        platform::ShutdownSending(client.fd());
        EXPECT_EQ(ReadSize(client, c.start.size()).size(), c.start.size()) << c.name;
        client.Close();
        browserGone = true;
        WaitFor(siteDone, 5000);
        EXPECT_TRUE(siteLeft) << c.name;
    }
}

// Near the descriptor limit the pipe that moves bodies past the relay cannot be made: the body
// is copied instead, whole.
TEST_F(ProxyRelay, BodiesPassWholeWhenNoDescriptorIsLeft) {
    const std::string response = ImageResponse(Pattern(1 << 20, 'i'));
    std::atomic<bool> asked{false}, limited{false};
    Origin origin([&](Socket& s) {
        if (s.ReadMessage(3000).empty()) return;
        asked = true;
        WaitFor(limited, 5000);
        s.SendWithin(response, 10000);
        std::string rest;
        s.ReadSome(&rest, 3000);
    });
    Socket client = Client();
    client.Send(Get(origin.port(), "/image.gif"));
    WaitFor(asked, 5000);
    ASSERT_TRUE(asked);
    // Every descriptor below the lowest free one is taken: with the limit there, none can be
    // made in this process, as under a low `ulimit -n` with all of them in use.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    const int lowestFree = dup(0);
    ASSERT_GE(lowestFree, 0);
    close(lowestFree);
    rlimit low = saved;
    low.rlim_cur = static_cast<rlim_t>(lowestFree);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    limited = true;
    const std::string got = ReadSize(client, response.size());
    setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_TRUE(got == response) << got.size() << " bytes of " << response.size();
}

}  // namespace
