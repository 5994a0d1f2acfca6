// Non-blocking sockets and the wait on reading and writing under real Winsock: the relay counts on
// a call that cannot proceed failing with kWsaEWouldBlock, and on the wait telling when it can.
#include <gtest/gtest.h>

#include <string>

#include "platform/socket.h"

namespace platform {
namespace {

TEST(SocketWaits, NonBlockingCallsReturnAtOnceAndTheWaitSaysWhenTheyCanProceed) {
    ASSERT_TRUE(InitSockets());
    SocketHandle listening = OpenTcpSocket();
    ASSERT_EQ(BindTo(listening, LoopbackAddress(), 0), 0);
    ASSERT_EQ(Listen(listening), 0);
    SocketHandle client = OpenTcpSocket();
    ASSERT_EQ(ConnectTo(client, LoopbackAddress(), LocalPort(listening)), 0);
    SocketHandle accepted = Accept(listening);
    ASSERT_NE(accepted, kInvalidSocket);
    ASSERT_EQ(SetNonBlocking(accepted), 0);

    char buffer[4096];
    EXPECT_EQ(Receive(accepted, buffer, sizeof buffer), -1);
    EXPECT_EQ(LastSocketError(), kWsaEWouldBlock);

    // An entry without a socket is not waited for.
    SocketWait waits[2];
    waits[0].socket = accepted;
    waits[0].read = waits[0].write = true;
    EXPECT_EQ(WaitSockets(waits, 2, 5000), 1);
    EXPECT_FALSE(waits[0].readable);
    EXPECT_TRUE(waits[0].writable);
    EXPECT_FALSE(waits[0].failed);
    EXPECT_FALSE(waits[1].readable || waits[1].writable || waits[1].failed);

    ASSERT_EQ(Send(client, "abc", 3), 3);
    waits[0].write = false;
    EXPECT_EQ(WaitSockets(waits, 1, 5000), 1);
    EXPECT_TRUE(waits[0].readable);
    EXPECT_EQ(Receive(accepted, buffer, sizeof buffer), 3);

    // A peer that reads nothing: sends take what fits, then fail at once, and the wait for room
    // times out.
    const std::string block(sizeof buffer, 'x');
    int result = 0;
    for (int i = 0; i < 64 * 1024 && result >= 0; ++i) {
        result = Send(accepted, block.data(), static_cast<int>(block.size()));
    }
    EXPECT_EQ(result, -1);
    EXPECT_EQ(LastSocketError(), kWsaEWouldBlock);
    waits[0].read = false;
    waits[0].write = true;
    EXPECT_EQ(WaitSockets(waits, 1, 200), 0);
    EXPECT_FALSE(waits[0].writable);

    CloseSocket(client);
    CloseSocket(accepted);
    CloseSocket(listening);
}

}  // namespace
}  // namespace platform
