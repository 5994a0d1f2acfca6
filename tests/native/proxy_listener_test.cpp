// Starting and stopping the listener.
#include <gtest/gtest.h>
#include <ifaddrs.h>
#include <net/if.h>

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

// An IPv4 address of this machine other than loopback, or 0.
std::uint32_t OtherLocalAddress() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return 0;
    std::uint32_t found = 0;
    for (ifaddrs* i = list; i != nullptr && found == 0; i = i->ifa_next) {
        if (i->ifa_addr && i->ifa_addr->sa_family == AF_INET && !(i->ifa_flags & IFF_LOOPBACK)) {
            found = reinterpret_cast<sockaddr_in*>(i->ifa_addr)->sin_addr.s_addr;
        }
    }
    freeifaddrs(list);
    return found;
}

TEST(Listener, ListensOnLoopbackOnlyAndStopsIdleConnections) {
    appSettings.PopupPort = 0;
    appSettings.UseDefaultTimeOut = 0;
    appSettings.ConnectionTimeOut = 1;
    ProxyListener listener;
    ASSERT_EQ(listener.StartListener(), 1);
    const int port = listener.BoundPort();
    ASSERT_NE(port, 0);

    if (std::uint32_t other = OtherLocalAddress()) {
        int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        a.sin_addr.s_addr = other;
        EXPECT_NE(::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        ::close(fd);
    }

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
