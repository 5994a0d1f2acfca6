// Starting and stopping the listener.
#include <gtest/gtest.h>

#include "proxy/connection.h"
#include "proxy/diagnostics.h"
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
    appSettings.PopupPort = 0;
    appSettings.UseDefaultTimeOut = 0;
    appSettings.ConnectionTimeOut = 1;
    ProxyListener listener;
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
    for (int i = 0; i < 50 && LiveConnections.load() == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(LiveConnections.load(), 1);
    listener.StopListener();
    // The idle connection notices the stop within its one-second wait.
    EXPECT_EQ(idle.ReadUntilClosed(3000), "");
    for (int i = 0; i < 30 && LiveConnections.load() != 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_EQ(LiveConnections.load(), 0);
    EXPECT_FALSE(Socket::ConnectTo(port).valid());
}

TEST(Listener, PortInUseIsReportedAndNothingListens) {
    testing_servers::Listener holder;
    appSettings.PopupPort = holder.port();
    SetDiagnosticSink(Collect);
    ProxyListener listener;
    EXPECT_FALSE(listener.StartListener());
    SetDiagnosticSink(nullptr);
    {
        std::lock_guard<std::mutex> guard(diagnosticsLock);
        ASSERT_FALSE(diagnostics.empty());
        EXPECT_EQ(diagnostics.back().rfind("Error creating blocking socket.\n\n", 0), 0u)
            << diagnostics.back();
    }
    listener.StopListener();
    appSettings.PopupPort = 0;
}

// Out of threads or memory for one connection: that connection is closed at once and the proxy
// goes on answering the next ones.
TEST(Listener, AConnectionThreadThatCannotStartCostsOnlyItsConnection) {
    Origin origin(Origin::Answering("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"));
    const int port = RunningProxy::Port();
    ASSERT_NE(port, 0);
    static std::atomic<int> starts{0};
    starts = 0;
    StartConnectionThread = [](platform::ThreadEntry entry, void* argument, bool highest) {
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
    StartConnectionThread = &platform::StartDetachedThread;
    EXPECT_EQ(starts.load(), 6);
}

// A program that ends shuts its connections down, even idle ones with no wait limit, and every
// proxy thread has returned before it goes on.
TEST(Listener, EndConnectionsReturnsOnceEveryThreadHasEnded) {
    appSettings.PopupPort = 0;
    appSettings.UseDefaultTimeOut = 1;
    ProxyListener listener;
    ASSERT_TRUE(listener.StartListener());
    Socket idle = Socket::ConnectTo(listener.BoundPort());
    Socket halfRequest = Socket::ConnectTo(listener.BoundPort());
    halfRequest.Send("GET http://127.0.0.1/ HTTP/1.1\r\n");
    for (int i = 0; i < 50 && LiveConnections.load() < 2; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_EQ(LiveConnections.load(), 2);
    listener.StopListener();
    EXPECT_EQ(LiveConnections.load(), 2);  // without a wait limit nothing wakes them
    EXPECT_TRUE(ProxyListener::EndConnections(3000));
    EXPECT_EQ(LiveConnections.load(), 0);
    EXPECT_EQ(idle.ReadUntilClosed(1000), "");
    EXPECT_EQ(halfRequest.ReadUntilClosed(1000), "");
    appSettings.UseDefaultTimeOut = 0;
}

}  // namespace
}  // namespace proxy
