// Starting and stopping the listener.
#include <gtest/gtest.h>

#include "proxy/connection.h"
#include "proxy/listener.h"
#include "proxy/settings.h"
#include "test_servers.h"

namespace proxy {
namespace {

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
    ASSERT_EQ(listener.StartListener(), 1);
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
    EXPECT_EQ(listener.StartListener(), 0);
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

}  // namespace
}  // namespace proxy
