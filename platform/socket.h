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
constexpr int kWsaEWouldBlock = 10035;  // a non-blocking call that cannot proceed now
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
// FIONBIO 1: a send or receive that cannot proceed at once fails with kWsaEWouldBlock (a send
// that can take part of its bytes takes them and returns the count). Returns 0 on success.
int SetNonBlocking(SocketHandle s);

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
// program, where the system can (Linux: splice through a pipe kept by the object). Nothing here
// waits: both sockets are non-blocking, and bytes taken but not yet given stay in the object.
class SocketForwarder {
  public:
    SocketForwarder() = default;
    ~SocketForwarder() { Drop(); }
    SocketForwarder(const SocketForwarder&) = delete;
    SocketForwarder& operator=(const SocketForwarder&) = delete;

    static bool Supported();
    // Takes up to maxBytes of what `from` has ready; only while the object holds nothing. The
    // count taken, or 0 when nothing was: nothing ready, `from` closed or failed, or the system
    // has no pipe to give (near the descriptor limit). After 0 the caller reads `from` itself,
    // which tells it which, so no byte is ever lost to this path.
    int Take(SocketHandle from, int maxBytes);
    // Sends what the object holds to `to`, as much as `to` takes now: the count sent (0 when it
    // takes nothing now), -1 when `to` failed, in which case the held bytes are dropped.
    int Give(SocketHandle to);
    // Bytes taken and not given yet.
    int Held() const { return held_; }
    // Gives back the pipe when the object holds nothing; the next Take makes it again.
    void Release();

  private:
    void Drop();

    int pipe_[2] = {-1, -1};
    int held_ = 0;
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

// One socket of WaitSockets: what it is waited for, and what it became.
struct SocketWait {
    SocketHandle socket = kInvalidSocket;  // kInvalidSocket: this entry is not waited for
    bool read = false;                     // wait for data (or the peer's end) to read
    bool write = false;                    // wait for room to send
    // Asked read: a receive proceeds now (it may report the end or an error).
    bool readable = false;
    // Asked write: a send proceeds now (it may report an error).
    bool writable = false;
    // The connection failed or hung up (a reset peer, a shut-down socket). Reported even when
    // neither read nor write is asked, where the system can (poll; Winsock's select reports it
    // only through a read or a send).
    bool failed = false;
};
// Waits until one of count entries (at most 2) is ready as asked or has failed. timeoutMs < 0 waits
// without limit. Returns >0 when something is ready (flags set), 0 on time-out, -1 on failure.
int WaitSockets(SocketWait* waits, int count, int timeoutMs);

// IPv4 address (network order) of a dotted address, or kNoAddress.
std::uint32_t ParseDottedAddress(const std::string& name);
// First IPv4 address of a host name (network order), 0 when it cannot be resolved.
std::uint32_t ResolveHostAddress(const std::string& name);

}  // namespace platform
