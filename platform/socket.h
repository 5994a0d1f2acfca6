// Socket shim: the BSD socket calls the proxy needs, with the same observable behaviour on
// Windows (Winsock) and elsewhere. Errors are always reported as Winsock error numbers, so the
// proxy's error texts are the same on every platform.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// SOCKET on Windows, a descriptor elsewhere; kInvalidSocket (-1) when absent.
using SocketHandle = std::intptr_t;
constexpr SocketHandle kInvalidSocket = -1;

// Winsock error numbers the proxy tests for.
constexpr int kWsaENoBufs = 10055;

// What ParseDottedAddress returns for a text that is not a dotted IPv4 address.
constexpr std::uint32_t kNoAddress = 0xFFFFFFFFu;

// 0.0.0.0: every address of this machine.
constexpr std::uint32_t kAnyAddress = 0;

// 127.0.0.1 in network order.
std::uint32_t LoopbackAddress();

// Starts Winsock (a no-op elsewhere). Returns false when sockets are unusable.
bool InitSockets();

// The calling thread's last socket error as a Winsock number (0 = none).
int LastSocketError();
void SetLastSocketError(int wsaError);

SocketHandle OpenTcpSocket();
// Returns 0 on success, -1 on failure (error in LastSocketError).
int CloseSocket(SocketHandle s);
// Wakes a thread blocked in accept or recv on the socket, then closes it.
void ShutdownAndClose(SocketHandle s);
// Ends both directions of a connection without closing the handle: its owner's waits return and
// its reads see the end.
void Shutdown(SocketHandle s);
// Ends only the sending direction (a half close): the peer reads the end, replies still arrive.
void ShutdownSending(SocketHandle s);
// FIONBIO 0. Returns 0 on success.
int SetBlocking(SocketHandle s);

// The system's send and receive buffer sizes of a socket; false when they cannot be read.
bool GetBufferSizes(SocketHandle s, int* sendBytes, int* receiveBytes);
// Sets both buffer sizes; false when the system refused either.
bool SetBufferSizes(SocketHandle s, int sendBytes, int receiveBytes);
// Sends small writes at once instead of collecting them (no Nagle delay).
bool SetNoDelay(SocketHandle s);
// Lets a listener bind its port again while old connections linger. On Windows the port is also
// claimed for exclusive use, so no other program can bind it while the socket is open.
bool SetReuseAddress(SocketHandle s);

// recv/send of at most len bytes: the count, 0 when the peer closed, -1 on error. Sending never
// raises SIGPIPE.
int Receive(SocketHandle s, char* buffer, int len);
int Send(SocketHandle s, const char* bytes, int len);
// One send of first then second (either may be empty): the count sent, -1 on error.
int SendPair(SocketHandle s, const char* first, int firstLen, const char* second, int secondLen);

// Moves bytes from one socket to another inside the system, without copying them through the
// program, where the system can (Linux: splice through a pipe kept by the object).
class SocketForwarder {
  public:
    SocketForwarder() = default;
    ~SocketForwarder() { Release(); }
    SocketForwarder(const SocketForwarder&) = delete;
    SocketForwarder& operator=(const SocketForwarder&) = delete;

    static bool Supported();
    // Up to maxBytes of what `from` has ready go all to `to`: the count moved, 0 when `from` has
    // closed, -1 on failure of either socket.
    int Move(SocketHandle from, SocketHandle to, int maxBytes);
    // Gives back what the object holds (the pipe); the next Move takes it again.
    void Release();

  private:
    int pipe_[2] = {-1, -1};
};

// bind, listen and connect for IPv4; address in network order. Return 0 on success, -1 on
// failure (error in LastSocketError).
int BindTo(SocketHandle s, std::uint32_t address, int port);
// Listens with the deepest queue of pending connections the system allows.
int Listen(SocketHandle s);
int ConnectTo(SocketHandle s, std::uint32_t address, int port);
// The local port a socket is bound to, 0 when unknown.
int LocalPort(SocketHandle s);

SocketHandle Accept(SocketHandle listening);

// Waits until one of the sockets is readable. `second` may be kInvalidSocket. timeoutMs < 0
// waits without limit. Returns >0 when something is readable (flags set), 0 on time-out, -1 on
// failure. Works for any descriptor value.
int WaitReadable(SocketHandle first, SocketHandle second, int timeoutMs, bool* firstReadable,
                 bool* secondReadable);
// Whether the socket becomes readable (data, a close or an error) within timeoutMs; 0 only looks.
bool PollReadable(SocketHandle s, int timeoutMs);

// IPv4 address (network order) of a dotted address, or kNoAddress.
std::uint32_t ParseDottedAddress(const std::string& name);
// First IPv4 address of a host name (network order), 0 when it cannot be resolved.
std::uint32_t ResolveHostAddress(const std::string& name);

}  // namespace platform
