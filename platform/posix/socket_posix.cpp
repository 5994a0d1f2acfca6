#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/socket.h"

namespace platform {
namespace {

// Winsock numbers for the errno values a socket call can leave.
int ToWinsockError(int error) {
    switch (error) {
        case 0:
            return 0;
        case EINTR:
            return 10004;
        case EBADF:
            return 10009;
        case EACCES:
            return 10013;
        case EFAULT:
            return 10014;
        case EINVAL:
            return 10022;
        case EMFILE:
            return 10024;
        case EAGAIN:
            return 10035;
        case EINPROGRESS:
            return 10036;
        case EALREADY:
            return 10037;
        case ENOTSOCK:
            return 10038;
        case EDESTADDRREQ:
            return 10039;
        case EMSGSIZE:
            return 10040;
        case EPROTOTYPE:
            return 10041;
        case ENOPROTOOPT:
            return 10042;
        case EPROTONOSUPPORT:
            return 10043;
        case EOPNOTSUPP:
            return 10045;
        case EAFNOSUPPORT:
            return 10047;
        case EADDRINUSE:
            return 10048;
        case EADDRNOTAVAIL:
            return 10049;
        case ENETDOWN:
            return 10050;
        case ENETUNREACH:
            return 10051;
        case ENETRESET:
            return 10052;
        case ECONNABORTED:
            return 10053;
        case ECONNRESET:
            return 10054;
        case ENOBUFS:
            return kWsaENoBufs;
        case ENOMEM:
            return kWsaENoBufs;
        case EISCONN:
            return 10056;
        case ENOTCONN:
            return 10057;
        case EPIPE:
            return 10058;
        case ETIMEDOUT:
            return 10060;
        case ECONNREFUSED:
            return 10061;
        case EHOSTUNREACH:
            return 10065;
        default:
            return error;
    }
}

thread_local int lastError = 0;

int Fail() {
    lastError = ToWinsockError(errno);
    return -1;
}

int Check(int result) { return result < 0 ? Fail() : result; }

bool SetIntOption(SocketHandle s, int level, int name, int value) {
    return Check(::setsockopt(static_cast<int>(s), level, name, &value, sizeof value)) == 0;
}

bool GetIntOption(SocketHandle s, int level, int name, int* value) {
    socklen_t size = sizeof *value;
    return Check(::getsockopt(static_cast<int>(s), level, name, value, &size)) == 0;
}

}  // namespace

bool InitSockets() { return true; }

std::uint32_t LoopbackAddress() { return htonl(INADDR_LOOPBACK); }

int LastSocketError() { return lastError; }

void SetLastSocketError(int wsaError) { lastError = wsaError; }

SocketHandle OpenTcpSocket() {
    int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    return s < 0 ? Fail() : s;
}

int CloseSocket(SocketHandle s) { return Check(::close(static_cast<int>(s))) < 0 ? -1 : 0; }

void ShutdownAndClose(SocketHandle s) {
    ::shutdown(static_cast<int>(s), SHUT_RDWR);
    ::close(static_cast<int>(s));
}

void Shutdown(SocketHandle s) { ::shutdown(static_cast<int>(s), SHUT_RDWR); }

void ShutdownSending(SocketHandle s) { ::shutdown(static_cast<int>(s), SHUT_WR); }

int SetBlocking(SocketHandle s) {
    int off = 0;
    return Check(::ioctl(static_cast<int>(s), FIONBIO, &off)) < 0 ? -1 : 0;
}

int SetNonBlocking(SocketHandle s) {
    int on = 1;
    return Check(::ioctl(static_cast<int>(s), FIONBIO, &on)) < 0 ? -1 : 0;
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

// Linux never lets a second socket take a bound port without SO_REUSEPORT, so plain reuse is
// already exclusive.
bool SetReuseAddress(SocketHandle s) { return SetIntOption(s, SOL_SOCKET, SO_REUSEADDR, 1); }

int Receive(SocketHandle s, char* buffer, int len) {
    ssize_t n;
    do {
        n = ::recv(static_cast<int>(s), buffer, static_cast<size_t>(len), 0);
    } while (n < 0 && errno == EINTR);
    return n < 0 ? Fail() : static_cast<int>(n);
}

int Send(SocketHandle s, const char* bytes, int len) {
    ssize_t n;
    do {
        n = ::send(static_cast<int>(s), bytes, static_cast<size_t>(len), MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    return n < 0 ? Fail() : static_cast<int>(n);
}

int SendPair(SocketHandle s, const char* first, int firstLen, const char* second, int secondLen) {
    iovec parts[2] = {{const_cast<char*>(first), static_cast<size_t>(firstLen)},
                      {const_cast<char*>(second), static_cast<size_t>(secondLen)}};
    msghdr message{};
    message.msg_iov = parts;
    message.msg_iovlen = 2;
    ssize_t n;
    do {
        n = ::sendmsg(static_cast<int>(s), &message, MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    return n < 0 ? Fail() : static_cast<int>(n);
}

bool SocketForwarder::Supported() { return true; }

int SocketForwarder::Take(SocketHandle from, int maxBytes) {
    if (held_ > 0 || maxBytes <= 0) return 0;
    if (pipe_[0] < 0) {
        // Out of descriptors the pipe cannot be made: the caller copies instead.
        if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
            pipe_[0] = pipe_[1] = -1;
            return 0;
        }
        // A larger pipe moves more per call; the default size stays when the system refuses.
        ::fcntl(pipe_[1], F_SETPIPE_SZ, 256 * 1024);
    }
    ssize_t taken;
    do {
        taken = ::splice(static_cast<int>(from), nullptr, pipe_[1], nullptr,
                         static_cast<size_t>(maxBytes), SPLICE_F_MOVE | SPLICE_F_NONBLOCK);
    } while (taken < 0 && errno == EINTR);
    if (taken <= 0) return 0;
    held_ = static_cast<int>(taken);
    return held_;
}

int SocketForwarder::Give(SocketHandle to) {
    if (held_ == 0) return 0;
    // A splice cannot say MSG_NOSIGNAL: SIGPIPE is held back for this thread while the bytes go
    // out, and one raised by a closed browser is taken off again.
    sigset_t pipeSignal, previous;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    int given = 0;
    int error = 0;
    while (held_ > 0) {
        const ssize_t out = ::splice(pipe_[0], nullptr, static_cast<int>(to), nullptr,
                                     static_cast<size_t>(held_), SPLICE_F_MOVE | SPLICE_F_NONBLOCK);
        if (out < 0 && errno == EINTR) continue;
        if (out < 0 && errno == EAGAIN) break;
        if (out <= 0) {
            error = out < 0 ? errno : EPIPE;
            break;
        }
        held_ -= static_cast<int>(out);
        given += static_cast<int>(out);
    }
    if (error == EPIPE) {
        const timespec noWait{0, 0};
        sigtimedwait(&pipeSignal, nullptr, &noWait);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (error != 0) {
        // The held bytes can reach nobody now.
        Drop();
        errno = error;
        return Fail();
    }
    return given;
}

void SocketForwarder::Release() {
    if (held_ == 0) Drop();
}

void SocketForwarder::Drop() {
    held_ = 0;
    if (pipe_[0] < 0) return;
    ::close(pipe_[0]);
    ::close(pipe_[1]);
    pipe_[0] = pipe_[1] = -1;
}

namespace {
sockaddr_in Ipv4(std::uint32_t address, int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = address;
    return a;
}
}  // namespace

int BindTo(SocketHandle s, std::uint32_t address, int port) {
    sockaddr_in a = Ipv4(address, port);
    return Check(::bind(static_cast<int>(s), reinterpret_cast<sockaddr*>(&a), sizeof a)) < 0 ? -1
                                                                                             : 0;
}

int Listen(SocketHandle s) { return Check(::listen(static_cast<int>(s), SOMAXCONN)) < 0 ? -1 : 0; }

int ConnectTo(SocketHandle s, std::uint32_t address, int port) {
    sockaddr_in a = Ipv4(address, port);
    int result;
    do {
        result = ::connect(static_cast<int>(s), reinterpret_cast<sockaddr*>(&a), sizeof a);
    } while (result < 0 && errno == EINTR);
    return Check(result) < 0 ? -1 : 0;
}

int LocalPort(SocketHandle s) {
    sockaddr_in a{};
    socklen_t size = sizeof a;
    if (::getsockname(static_cast<int>(s), reinterpret_cast<sockaddr*>(&a), &size) != 0) return 0;
    return ntohs(a.sin_port);
}

SocketHandle Accept(SocketHandle listening) {
    sockaddr_in peer{};
    socklen_t size = sizeof peer;
    int s = ::accept4(static_cast<int>(listening), reinterpret_cast<sockaddr*>(&peer), &size,
                      SOCK_CLOEXEC);
    return s < 0 ? Fail() : s;
}

int WaitReadable(SocketHandle first, SocketHandle second, int timeoutMs, bool* firstReadable,
                 bool* secondReadable) {
    pollfd fds[2] = {{static_cast<int>(first), POLLIN, 0}, {static_cast<int>(second), POLLIN, 0}};
    nfds_t count = second == kInvalidSocket ? 1 : 2;
    if (timeoutMs < 0) timeoutMs = -1;
    int n;
    do {
        n = ::poll(fds, count, timeoutMs);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return Fail();
    // A hang-up or error counts as readable: the following recv reports it.
    const short ready = POLLIN | POLLHUP | POLLERR | POLLNVAL;
    *firstReadable = (fds[0].revents & ready) != 0;
    *secondReadable = count == 2 && (fds[1].revents & ready) != 0;
    return n;
}

int WaitSockets(SocketWait* waits, int count, int timeoutMs) {
    pollfd fds[2];
    SocketWait* polled[2];
    nfds_t n = 0;
    for (int i = 0; i < count; ++i) {
        SocketWait& w = waits[i];
        w.readable = w.writable = w.failed = false;
        if (w.socket == kInvalidSocket || n == 2) continue;
        const short events = static_cast<short>((w.read ? POLLIN : 0) | (w.write ? POLLOUT : 0));
        fds[n] = {static_cast<int>(w.socket), events, 0};
        polled[n++] = &w;
    }
    int ready;
    do {
        ready = ::poll(fds, n, timeoutMs < 0 ? -1 : timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready < 0) return Fail();
    // A hang-up or error lets the next receive or send report it.
    const short failure = POLLHUP | POLLERR | POLLNVAL;
    for (nfds_t i = 0; i < n; ++i) {
        SocketWait& w = *polled[i];
        const short got = fds[i].revents;
        w.failed = (got & failure) != 0;
        w.readable = w.read && (got & (POLLIN | failure)) != 0;
        w.writable = w.write && (got & (POLLOUT | failure)) != 0;
    }
    return ready;
}

bool PollReadable(SocketHandle s, int timeoutMs) {
    pollfd p{static_cast<int>(s), POLLIN, 0};
    int n;
    do {
        n = ::poll(&p, 1, timeoutMs);
    } while (n < 0 && errno == EINTR);
    return n > 0 && (p.revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) != 0;
}

std::uint32_t ParseDottedAddress(const std::string& name) { return ::inet_addr(name.c_str()); }

std::uint32_t ResolveHostAddress(const std::string& name) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    if (::getaddrinfo(name.c_str(), nullptr, &hints, &result) != 0 || result == nullptr) {
        lastError = 11001;  // WSAHOST_NOT_FOUND
        return 0;
    }
    std::uint32_t address = reinterpret_cast<sockaddr_in*>(result->ai_addr)->sin_addr.s_addr;
    ::freeaddrinfo(result);
    return address;
}

}  // namespace platform
