// The platform layer under real Winsock and the real Windows calls.
#include <gtest/gtest.h>
#include <windows.h>
#include <winsock2.h>

#include <atomic>
#include <chrono>
#include <string>

#include "platform/module_path.h"
#include "platform/profile.h"
#include "platform/socket.h"
#include "platform/threads.h"
#include "test_folder.h"

namespace platform {
namespace {

const std::uint32_t kLoopback = LoopbackAddress();

class Sockets : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(InitSockets()); }
    // A socket listening on a free loopback port.
    static SocketHandle Listening(int* port) {
        SocketHandle s = OpenTcpSocket();
        EXPECT_NE(s, kInvalidSocket);
        EXPECT_EQ(BindTo(s, kLoopback, 0), 0);
        EXPECT_EQ(Listen(s), 0);
        *port = LocalPort(s);
        EXPECT_NE(*port, 0);
        return s;
    }
};

TEST_F(Sockets, LoopbackConnectionCarriesBytesBothWaysAndSeesTheClose) {
    int port = 0;
    SocketHandle server = Listening(&port);
    SocketHandle client = OpenTcpSocket();
    ASSERT_EQ(ConnectTo(client, kLoopback, port), 0);
    SocketHandle accepted = Accept(server);
    ASSERT_NE(accepted, kInvalidSocket);
    EXPECT_EQ(SetBlocking(accepted), 0);

    ASSERT_EQ(Send(client, "GET / HTTP/1.0\r\n", 16), 16);
    bool firstReadable = false, secondReadable = true;
    EXPECT_EQ(WaitReadable(accepted, client, 5000, &firstReadable, &secondReadable), 1);
    EXPECT_TRUE(firstReadable);
    EXPECT_FALSE(secondReadable);
    char buffer[64];
    ASSERT_EQ(Receive(accepted, buffer, sizeof buffer), 16);
    EXPECT_EQ(std::string(buffer, 16), "GET / HTTP/1.0\r\n");

    ASSERT_EQ(Send(accepted, "ok", 2), 2);
    EXPECT_EQ(WaitReadable(accepted, client, 5000, &firstReadable, &secondReadable), 1);
    EXPECT_FALSE(firstReadable);
    EXPECT_TRUE(secondReadable);
    EXPECT_EQ(Receive(client, buffer, sizeof buffer), 2);

    EXPECT_EQ(CloseSocket(client), 0);
    EXPECT_EQ(WaitReadable(accepted, kInvalidSocket, 5000, &firstReadable, &secondReadable), 1);
    EXPECT_TRUE(firstReadable);
    EXPECT_EQ(Receive(accepted, buffer, sizeof buffer), 0);
    CloseSocket(accepted);
    CloseSocket(server);
}

TEST_F(Sockets, WaitReadableTimesOutOnAnIdleSocket) {
    int port = 0;
    SocketHandle server = Listening(&port);
    bool firstReadable = true, secondReadable = true;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitReadable(server, kInvalidSocket, 1000, &firstReadable, &secondReadable), 0);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(firstReadable);
    EXPECT_FALSE(secondReadable);
    EXPECT_GE(waited, std::chrono::milliseconds(900));
    EXPECT_LT(waited, std::chrono::seconds(5));
    EXPECT_EQ(WaitReadable(server, kInvalidSocket, 0, &firstReadable, &secondReadable), 0);
    CloseSocket(server);
}

TEST_F(Sockets, FailuresReportWinsockNumbers) {
    int port = 0;
    SocketHandle closedPort = Listening(&port);
    CloseSocket(closedPort);

    SocketHandle s = OpenTcpSocket();
    SetLastSocketError(0);
    EXPECT_EQ(ConnectTo(s, kLoopback, port), -1);
    EXPECT_EQ(LastSocketError(), 10061);  // WSAECONNREFUSED
    CloseSocket(s);

    SocketHandle unconnected = OpenTcpSocket();
    char byte = 0;
    EXPECT_EQ(Receive(unconnected, &byte, 1), -1);
    EXPECT_EQ(LastSocketError(), 10057);  // WSAENOTCONN
    CloseSocket(unconnected);
    EXPECT_EQ(CloseSocket(unconnected), -1);
    EXPECT_EQ(LastSocketError(), 10038);  // WSAENOTSOCK

    SetLastSocketError(kWsaENoBufs);
    EXPECT_EQ(LastSocketError(), kWsaENoBufs);
}

// A port held for reuse is the listener's alone: another socket asking to share it is refused.
TEST_F(Sockets, ReusedAddressCannotBeTakenBySharingIt) {
    SocketHandle held = OpenTcpSocket();
    ASSERT_TRUE(SetReuseAddress(held));
    ASSERT_EQ(BindTo(held, kLoopback, 0), 0);
    ASSERT_EQ(Listen(held), 0);
    SocketHandle intruder = OpenTcpSocket();
    BOOL on = TRUE;
    ::setsockopt(static_cast<SOCKET>(intruder), SOL_SOCKET, SO_REUSEADDR,
                 reinterpret_cast<const char*>(&on), sizeof on);
    EXPECT_EQ(BindTo(intruder, kLoopback, LocalPort(held)), -1);
    EXPECT_EQ(LastSocketError(), 10013);  // WSAEACCES: the port is held exclusively
    CloseSocket(intruder);
    CloseSocket(held);
}

TEST_F(Sockets, OptionsAndPollsWorkOnAConnection) {
    int port = 0;
    SocketHandle server = Listening(&port);
    SocketHandle a = OpenTcpSocket();
    ASSERT_EQ(ConnectTo(a, kLoopback, port), 0);
    SocketHandle b = Accept(server);
    ASSERT_NE(b, kInvalidSocket);
    CloseSocket(server);
    EXPECT_TRUE(SetNoDelay(a));
    EXPECT_TRUE(SetBufferSizes(a, 16384, 16384));
    int sendBytes = 0, receiveBytes = 0;
    EXPECT_TRUE(GetBufferSizes(a, &sendBytes, &receiveBytes));
    EXPECT_GE(sendBytes, 16384);
    EXPECT_FALSE(PollReadable(b, 0));
    ASSERT_EQ(Send(a, "x", 1), 1);
    EXPECT_TRUE(PollReadable(b, 2000));
    char byte = 0;
    EXPECT_EQ(Receive(b, &byte, 1), 1);
    CloseSocket(a);
    CloseSocket(b);
}

TEST_F(Sockets, AddressesParseAndResolve) {
    EXPECT_EQ(ParseDottedAddress("127.0.0.1"), kLoopback);
    EXPECT_EQ(ParseDottedAddress("localhost"), kNoAddress);
    EXPECT_EQ(ResolveHostAddress("127.0.0.1"), kLoopback);
    EXPECT_EQ(ResolveHostAddress("localhost"), kLoopback);
}

class Profiles : public ::testing::Test {
  protected:
    std::string File() const { return folder_.Path() + "test.ini"; }
    test_folder::TemporaryFolder folder_;
};

TEST_F(Profiles, ReadsThroughABufferOfTheGivenSize) {
    test_folder::WriteFile(File(), "[Main]\r\nName=abcdef\r\nCount=12x\r\n");
    EXPECT_EQ(ReadProfileText("Main", "Name", "-", File(), 260), "abcdef");
    EXPECT_EQ(ReadProfileText("main", "NAME", "-", File(), 4), "abc");
    EXPECT_EQ(ReadProfileText("Main", "Name", "-", File(), 0), "");
    EXPECT_EQ(ReadProfileText("Main", "Other", "fallback", File(), 260), "fallback");
    EXPECT_EQ(ReadProfileText("Main", "Name", "-", File() + ".none", 260), "-");
    EXPECT_EQ(ReadProfileInt("Main", "Count", 5, File()), 12);
    EXPECT_EQ(ReadProfileInt("Main", "Other", 5, File()), 5);
}

TEST_F(Profiles, WriteReplacesTheFileKeepingWhatElseItHolds) {
    test_folder::WriteFile(File(), "; note\r\n[Other]\r\nA=1\r\n[Main]\r\nB=2\r\n");
    EXPECT_TRUE(WriteProfileText("Main", "B", "3", File()));
    EXPECT_TRUE(WriteProfileText("Main", "C", "4", File()));
    EXPECT_TRUE(WriteProfileText("New", "D", "5", File()));
    const std::string text = test_folder::ReadFile(File());
    EXPECT_EQ(text.rfind("; note\r\n[Other]\r\nA=1\r\n[Main]\r\nB=3\r\nC=4\r\n", 0), 0u) << text;
    EXPECT_NE(text.find("[New]\r\nD=5\r\n"), std::string::npos) << text;
    EXPECT_EQ(ReadProfileText("Main", "B", "", File(), 260), "3");

    // The copy that was edited is gone: the folder holds the file alone.
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder_.Path() + "*.*").c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    int files = 0;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++files;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    EXPECT_EQ(files, 1);
}

TEST_F(Profiles, WriteFailsWithoutTouchingAnUnwritableFile) {
    EXPECT_TRUE(WriteProfileText("Main", "A", "1", File()));
    EXPECT_EQ(test_folder::ReadFile(File()), "[Main]\r\nA=1\r\n");

    ASSERT_TRUE(SetFileAttributesA(File().c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(WriteProfileText("Main", "A", "2", File()));
    EXPECT_EQ(test_folder::ReadFile(File()), "[Main]\r\nA=1\r\n");
    EXPECT_EQ(GetFileAttributesA((File() + ".korvo-tmp").c_str()), INVALID_FILE_ATTRIBUTES);
    SetFileAttributesA(File().c_str(), FILE_ATTRIBUTE_NORMAL);

    EXPECT_FALSE(WriteProfileText("Main", "A", "1", folder_.Path() + "missing\\test.ini"));
    ASSERT_TRUE(CreateDirectoryA((folder_.Path() + "folder.ini").c_str(), nullptr));
    EXPECT_FALSE(WriteProfileText("Main", "A", "1", folder_.Path() + "folder.ini"));
}

TEST(ProgramDirectory, IsTheProgramFolderUnlessOverridden) {
    // The folder holds this very program, and a folder name ends in its separator.
    const std::string folder = ProgramDirectory();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '\\');
    EXPECT_NE(GetFileAttributesA((folder + "korvo_win_tests.exe").c_str()), INVALID_FILE_ATTRIBUTES)
        << folder;
    OverrideProgramDirectory("C:\\Korvo");
    EXPECT_EQ(ProgramDirectory(), "C:\\Korvo\\");
    OverrideProgramDirectory("");
    EXPECT_EQ(ProgramDirectory(), folder);
}

struct ThreadReport {
    std::atomic<int> priority{THREAD_PRIORITY_ERROR_RETURN};
    std::atomic<bool> ran{false};
};

void ReportPriority(void* argument) {
    auto* report = static_cast<ThreadReport*>(argument);
    report->priority = GetThreadPriority(GetCurrentThread());
    report->ran = true;
}

TEST(Threads, DetachedThreadRunsWithTheAskedPriority) {
    for (bool highest : {true, false}) {
        ThreadReport report;
        ASSERT_TRUE(StartDetachedThread(ReportPriority, &report, highest));
        for (int i = 0; i < 500 && !report.ran; ++i) SleepMilliseconds(10);
        ASSERT_TRUE(report.ran);
        EXPECT_EQ(report.priority, highest ? THREAD_PRIORITY_HIGHEST : THREAD_PRIORITY_NORMAL);
    }
}

}  // namespace
}  // namespace platform
