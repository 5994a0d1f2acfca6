// Starting and stopping the listener, and what each listener keeps to itself.
#include <gtest/gtest.h>

#include "proxy/blocker.h"
#include "proxy/diagnostics.h"
#include "proxy/fixed_replies.h"
#include "proxy/listener.h"
#include "proxy/settings.h"
#include "test_servers.h"

namespace proxy {
namespace {

using testing_servers::Origin;
using testing_servers::RunningProxy;
using testing_servers::Socket;

std::vector<std::string> diagnostics;
std::mutex diagnosticsLock;
void Collect(const std::string& text) {
    std::lock_guard<std::mutex> guard(diagnosticsLock);
    diagnostics.push_back(text);
}

TEST(Listener, ListensOnLoopbackOnlyAndStopsIdleConnections) {
    AppSettings settings;
    settings.PopupPort = 0;
    settings.UseDefaultTimeOut = 0;
    settings.ConnectionTimeOut = 1;
    ProxyListener listener(settings);
    const std::atomic<int>& live = listener.context().liveConnections;
    ASSERT_TRUE(listener.StartListener());
    const int port = listener.BoundPort();
    ASSERT_NE(port, 0);

    // Another loopback address reaches this machine too, but not a listener bound to 127.0.0.1
    // alone (one bound to every address would answer).
    platform::SocketHandle other = platform::OpenTcpSocket();
    EXPECT_NE(platform::ConnectTo(other, platform::ParseDottedAddress("127.0.0.2"), port), 0);
    platform::CloseSocket(other);

    Socket idle = Socket::ConnectTo(port);
    ASSERT_TRUE(idle.valid());
    for (int i = 0; i < 50 && live.load() == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(live.load(), 1);
    listener.StopListener();
    // The idle connection notices the stop within its one-second wait.
    EXPECT_EQ(idle.ReadUntilClosed(3000), "");
    for (int i = 0; i < 30 && live.load() != 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_EQ(live.load(), 0);
    EXPECT_FALSE(Socket::ConnectTo(port).valid());
}

TEST(Listener, PortInUseIsReportedAndNothingListens) {
    testing_servers::Listener holder;
    AppSettings settings;
    settings.PopupPort = holder.port();
    SetDiagnosticSink(Collect);
    ProxyListener listener(settings);
    EXPECT_FALSE(listener.StartListener());
    SetDiagnosticSink(nullptr);
    {
        std::lock_guard<std::mutex> guard(diagnosticsLock);
        ASSERT_FALSE(diagnostics.empty());
        EXPECT_EQ(diagnostics.back().rfind("Error creating blocking socket.\n\n", 0), 0u)
            << diagnostics.back();
    }
    listener.StopListener();
}

// Out of threads or memory for one connection: that connection is closed at once and the proxy
// goes on answering the next ones.
TEST(Listener, AConnectionThreadThatCannotStartCostsOnlyItsConnection) {
    Origin origin(Origin::Answering("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"));
    RunningProxy proxy;
    const int port = proxy.Port();
    ASSERT_NE(port, 0);
    static std::atomic<int> starts{0};
    starts = 0;
    proxy.context().startConnectionThread = [](platform::ThreadEntry entry, void* argument,
                                               bool highest) {
        return ++starts % 2 == 0 && platform::StartDetachedThread(entry, argument, highest);
    };
    const std::string request = "GET http://127.0.0.1:" + std::to_string(origin.port()) +
                                "/ HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    for (int i = 0; i < 6; ++i) {
        Socket client = Socket::ConnectTo(port);
        ASSERT_TRUE(client.valid()) << i;
        client.Send(request);
        const auto start = std::chrono::steady_clock::now();
        const std::string reply = client.ReadMessage(3000);
        if (i % 2 == 0) {
            EXPECT_EQ(reply, "") << i;
            EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << i;
        } else {
            EXPECT_NE(reply.find("\r\n\r\nok"), std::string::npos) << i << ": " << reply;
        }
    }
    EXPECT_EQ(starts.load(), 6);
}

// Past the thread limit a connection gets the busy reply and is closed, no thread started; once
// a thread ends the next connection is served again.
TEST(Listener, ConnectionsBeyondTheThreadLimitGetTheBusyReply) {
    Origin origin(Origin::Answering("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"));
    RunningProxy proxy;
    const int port = proxy.Port();
    ASSERT_NE(port, 0);
    const std::atomic<int>& threads = proxy.context().connectionThreads;
    proxy.context().connectionThreadLimit = 2;
    auto waitForThreads = [&](int count) {
        for (int i = 0; i < 100 && threads.load() != count; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return threads.load();
    };
    std::vector<Socket> idle;
    for (int i = 0; i < 2; ++i) idle.push_back(Socket::ConnectTo(port));
    ASSERT_EQ(waitForThreads(2), 2);
    const std::string request = "GET http://127.0.0.1:" + std::to_string(origin.port()) +
                                "/ HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    for (int i = 0; i < 3; ++i) {
        Socket extra = Socket::ConnectTo(port);
        if (i == 2) extra.Send(request);
        EXPECT_EQ(extra.ReadUntilClosed(3000), kBusyReply) << i;
    }
    EXPECT_EQ(threads.load(), 2);
    idle[0].Close();
    ASSERT_EQ(waitForThreads(1), 1);
    Socket next = Socket::ConnectTo(port);
    next.Send(request);
    EXPECT_NE(next.ReadMessage(3000).find("\r\n\r\nok"), std::string::npos);
}

// Two proxies in one process share nothing: each serves its own settings and blocker script,
// resolves through its own host-name cache, counts its own connections and stops alone.
TEST(Listener, TwoListenersInOneProcessKeepTheirOwnState) {
    const std::string header = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: ";
    Origin origin(Origin::Answering(header + "6\r\n\r\n<html>"));
    RunningProxy first, second;
    ASSERT_NE(first.Port(), 0);
    ASSERT_NE(second.Port(), 0);
    ASSERT_NE(first.Port(), second.Port());
    for (RunningProxy* proxy : {&first, &second}) {
        proxy->settings.PlayWave = 0;
        proxy->settings.DNSCacheDisable = 0;
    }
    SetBlockerScript(first.context(), "[1]");
    SetBlockerScript(second.context(), "[2]");
    second.settings.PopupCheckEnabled = 0;
    auto fetch = [&](const RunningProxy& proxy, const std::string& host) {
        Socket client = Socket::ConnectTo(proxy.Port());
        client.Send("GET http://" + host + ":" + std::to_string(origin.port()) +
                    "/ HTTP/1.1\r\n\r\n");
        return client.ReadMessage();
    };

    EXPECT_EQ(fetch(first, "localhost"), header + "9\r\n\r\n[1]<html>");
    EXPECT_EQ(first.context().connectionsStarted.load(), 1);
    EXPECT_EQ(second.context().connectionsStarted.load(), 0);
    EXPECT_EQ(first.context().hostNameCache.Lookup("localhost"), platform::LoopbackAddress());
    EXPECT_EQ(second.context().hostNameCache.Lookup("localhost"), 0u);
    EXPECT_EQ(fetch(second, "127.0.0.1"), header + "6\r\n\r\n<html>");
    second.settings.PopupCheckEnabled = 1;
    EXPECT_EQ(fetch(second, "127.0.0.1"), header + "9\r\n\r\n[2]<html>");
    EXPECT_EQ(second.context().hostNameCache.Lookup("localhost"), 0u);

    Socket idle = Socket::ConnectTo(first.Port());
    for (int i = 0; i < 50 && first.context().liveConnections.load() == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    // The second proxy's connections end once their browsers closed, which may take a moment.
    for (int i = 0; i < 50 && second.context().liveConnections.load() != 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(first.context().liveConnections.load(), 1);
    EXPECT_EQ(second.context().liveConnections.load(), 0);

    const int firstPort = first.Port();
    first.listener.StopListener();
    EXPECT_FALSE(Socket::ConnectTo(firstPort).valid());
    EXPECT_EQ(fetch(second, "127.0.0.1"), header + "9\r\n\r\n[2]<html>");
}

// A program that ends shuts its connections down, even idle ones with no wait limit, and every
// proxy thread has returned before it goes on.
TEST(Listener, EndConnectionsReturnsOnceEveryThreadHasEnded) {
    AppSettings settings;
    settings.PopupPort = 0;
    settings.UseDefaultTimeOut = 1;
    ProxyListener listener(settings);
    const std::atomic<int>& live = listener.context().liveConnections;
    ASSERT_TRUE(listener.StartListener());
    Socket idle = Socket::ConnectTo(listener.BoundPort());
    Socket halfRequest = Socket::ConnectTo(listener.BoundPort());
    halfRequest.Send("GET http://127.0.0.1/ HTTP/1.1\r\n");
    for (int i = 0; i < 50 && live.load() < 2; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_EQ(live.load(), 2);
    // Counted is not yet waiting: a connection thread that finds the listener gone before its
    // first wait ends at once. Past its first wait, and the quiet spell (250 ms) after which it
    // gives its buffers back, it waits without a limit.
    std::this_thread::sleep_for(std::chrono::milliseconds(750));
    listener.StopListener();
    EXPECT_EQ(live.load(), 2);  // without a wait limit nothing wakes them
    EXPECT_TRUE(listener.EndConnections(3000));
    EXPECT_EQ(live.load(), 0);
    EXPECT_EQ(idle.ReadUntilClosed(1000), "");
    EXPECT_EQ(halfRequest.ReadUntilClosed(1000), "");
}

}  // namespace
}  // namespace proxy
