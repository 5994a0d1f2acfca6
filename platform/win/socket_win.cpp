#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>

#include "platform/socket.h"

namespace platform {
namespace {

bool SetIntOption(SocketHandle s, int level, int name, int value) {
    return ::setsockopt(static_cast<SOCKET>(s), level, name, reinterpret_cast<const char*>(&value),
                        sizeof value) == 0;
}

bool GetIntOption(SocketHandle s, int level, int name, int* value) {
    int size = sizeof *value;
    return ::getsockopt(static_cast<SOCKET>(s), level, name, reinterpret_cast<char*>(value),
                        &size) == 0;
}

}  // namespace

bool InitSockets() {
    WSADATA data;
    return WSAStartup(MAKEWORD(1, 1), &data) == 0;
}

int LastSocketError() { return WSAGetLastError(); }

void SetLastSocketError(int wsaError) { WSASetLastError(wsaError); }

std::uint32_t LoopbackAddress() { return htonl(INADDR_LOOPBACK); }

SocketHandle OpenTcpSocket() {
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    return s == INVALID_SOCKET ? kInvalidSocket : static_cast<SocketHandle>(s);
}

int CloseSocket(SocketHandle s) { return ::closesocket(static_cast<SOCKET>(s)) == 0 ? 0 : -1; }

void ShutdownAndClose(SocketHandle s) { ::closesocket(static_cast<SOCKET>(s)); }

void Shutdown(SocketHandle s) { ::shutdown(static_cast<SOCKET>(s), SD_BOTH); }

void ShutdownSending(SocketHandle s) { ::shutdown(static_cast<SOCKET>(s), SD_SEND); }

int SetBlocking(SocketHandle s) {
    u_long off = 0;
    return ::ioctlsocket(static_cast<SOCKET>(s), FIONBIO, &off) == 0 ? 0 : -1;
}

int SetNonBlocking(SocketHandle s) {
    u_long on = 1;
    return ::ioctlsocket(static_cast<SOCKET>(s), FIONBIO, &on) == 0 ? 0 : -1;
}

bool GetBufferSizes(SocketHandle s, int* sendBytes, int* receiveBytes) {
    return GetIntOption(s, SOL_SOCKET, SO_SNDBUF, sendBytes) &&
           GetIntOption(s, SOL_SOCKET, SO_RCVBUF, receiveBytes);
}

bool SetBufferSizes(SocketHandle s, int sendBytes, int receiveBytes) {
    const bool sendSet = SetIntOption(s, SOL_SOCKET, SO_SNDBUF, sendBytes);
    return SetIntOption(s, SOL_SOCKET, SO_RCVBUF, receiveBytes) && sendSet;
}

bool SetNoDelay(SocketHandle s) { return SetIntOption(s, IPPROTO_TCP, TCP_NODELAY, 1); }

// SO_REUSEADDR on Windows would let any other program bind the same port and take connections
// meant for this one; exclusive use forbids that. Binding over lingering connections needs no
// option here.
bool SetReuseAddress(SocketHandle s) { return SetIntOption(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, 1); }

int Receive(SocketHandle s, char* buffer, int len) {
    int n = ::recv(static_cast<SOCKET>(s), buffer, len, 0);
    return n == SOCKET_ERROR ? -1 : n;
}

int Send(SocketHandle s, const char* bytes, int len) {
    int n = ::send(static_cast<SOCKET>(s), bytes, len, 0);
    return n == SOCKET_ERROR ? -1 : n;
}

int SendPair(SocketHandle s, const char* first, int firstLen, const char* second, int secondLen) {
    WSABUF parts[2] = {{static_cast<ULONG>(firstLen), const_cast<char*>(first)},
                       {static_cast<ULONG>(secondLen), const_cast<char*>(second)}};
    DWORD sent = 0;
    if (::WSASend(static_cast<SOCKET>(s), parts, 2, &sent, 0, nullptr, nullptr) == SOCKET_ERROR) {
        return -1;
    }
    return static_cast<int>(sent);
}

// Windows has no in-system move between two sockets; the relay copies.
bool SocketForwarder::Supported() { return false; }

int SocketForwarder::Take(SocketHandle, int) { return 0; }

int SocketForwarder::Give(SocketHandle) { return 0; }

void SocketForwarder::Release() {}

void SocketForwarder::Drop() {}

namespace {
sockaddr_in Ipv4(std::uint32_t address, int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<u_short>(port));
    a.sin_addr.s_addr = address;
    return a;
}
}  // namespace

int BindTo(SocketHandle s, std::uint32_t address, int port) {
    sockaddr_in a = Ipv4(address, port);
    return ::bind(static_cast<SOCKET>(s), reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 ? 0 : -1;
}

int Listen(SocketHandle s) { return ::listen(static_cast<SOCKET>(s), SOMAXCONN) == 0 ? 0 : -1; }

int ConnectTo(SocketHandle s, std::uint32_t address, int port) {
    sockaddr_in a = Ipv4(address, port);
    return ::connect(static_cast<SOCKET>(s), reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 ? 0
                                                                                             : -1;
}

int LocalPort(SocketHandle s) {
    sockaddr_in a{};
    int size = sizeof a;
    if (::getsockname(static_cast<SOCKET>(s), reinterpret_cast<sockaddr*>(&a), &size) != 0)
        return 0;
    return ntohs(a.sin_port);
}

SocketHandle Accept(SocketHandle listening) {
    sockaddr_in peer{};
    int size = sizeof peer;
    SOCKET s = ::accept(static_cast<SOCKET>(listening), reinterpret_cast<sockaddr*>(&peer), &size);
    return s == INVALID_SOCKET ? kInvalidSocket : static_cast<SocketHandle>(s);
}

int WaitReadable(SocketHandle first, SocketHandle second, int timeoutMs, bool* firstReadable,
                 bool* secondReadable) {
    fd_set readSet;
    FD_ZERO(&readSet);
    FD_SET(static_cast<SOCKET>(first), &readSet);
    if (second != kInvalidSocket) FD_SET(static_cast<SOCKET>(second), &readSet);
    timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    int n = ::select(0, &readSet, nullptr, nullptr, timeoutMs < 0 ? nullptr : &limit);
    if (n == SOCKET_ERROR) return -1;
    *firstReadable = FD_ISSET(static_cast<SOCKET>(first), &readSet) != 0;
    *secondReadable =
        second != kInvalidSocket && FD_ISSET(static_cast<SOCKET>(second), &readSet) != 0;
    return n;
}

int WaitSockets(SocketWait* waits, int count, int timeoutMs) {
    fd_set readSet, writeSet, failSet;
    FD_ZERO(&readSet);
    FD_ZERO(&writeSet);
    FD_ZERO(&failSet);
    bool any = false;
    for (int i = 0; i < count; ++i) {
        SocketWait& w = waits[i];
        w.readable = w.writable = w.failed = false;
        if (w.socket == kInvalidSocket) continue;
        const SOCKET s = static_cast<SOCKET>(w.socket);
        if (w.read) FD_SET(s, &readSet);
        if (w.write) FD_SET(s, &writeSet);
        FD_SET(s, &failSet);
        any = true;
    }
    // select refuses to wait on no socket at all.
    if (!any) {
        if (timeoutMs > 0) ::Sleep(static_cast<DWORD>(timeoutMs));
        return 0;
    }
    timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    const int n = ::select(0, &readSet, &writeSet, &failSet, timeoutMs < 0 ? nullptr : &limit);
    if (n == SOCKET_ERROR) return -1;
    for (int i = 0; i < count; ++i) {
        SocketWait& w = waits[i];
        if (w.socket == kInvalidSocket) continue;
        const SOCKET s = static_cast<SOCKET>(w.socket);
        w.readable = w.read && FD_ISSET(s, &readSet) != 0;
        w.writable = w.write && FD_ISSET(s, &writeSet) != 0;
        w.failed = FD_ISSET(s, &failSet) != 0;
    }
    return n;
}

bool PollReadable(SocketHandle s, int timeoutMs) {
    fd_set readSet;
    FD_ZERO(&readSet);
    FD_SET(static_cast<SOCKET>(s), &readSet);
    timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    return ::select(0, &readSet, nullptr, nullptr, &limit) > 0;
}

std::uint32_t ParseDottedAddress(const std::string& name) { return ::inet_addr(name.c_str()); }

std::uint32_t ResolveHostAddress(const std::string& name) {
    // Winsock keeps gethostbyname's result per thread.
    hostent* host = ::gethostbyname(name.c_str());
    if (host == nullptr || host->h_addr_list[0] == nullptr) return 0;
    std::uint32_t address;
    memcpy(&address, host->h_addr_list[0], sizeof address);
    return address;
}

}  // namespace platform
