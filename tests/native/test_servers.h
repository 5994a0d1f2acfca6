// Real sockets on 127.0.0.1 for the proxy tests: a scripted origin server, a client, and the
// proxy listener of each test. Every wait is bounded.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/ascii_text.h"
#include "platform/socket.h"
#include "proxy/listener.h"
#include "proxy/settings.h"

namespace testing_servers {

// A connected socket with bounded reads.
class Socket {
  public:
    using Handle = platform::SocketHandle;
    explicit Socket(Handle fd = platform::kInvalidSocket) : fd_(fd) {}
    Socket(Socket&& other) noexcept : fd_(other.fd_) { other.fd_ = platform::kInvalidSocket; }
    Socket& operator=(Socket&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    ~Socket() { Close(); }
    void Close() {
        if (fd_ != platform::kInvalidSocket) platform::CloseSocket(fd_);
        fd_ = platform::kInvalidSocket;
    }
    Handle fd() const { return fd_; }
    bool valid() const { return fd_ != platform::kInvalidSocket; }

    static Socket ConnectTo(int port) {
        Socket s(platform::OpenTcpSocket());
        if (s.valid() && platform::ConnectTo(s.fd_, platform::LoopbackAddress(), port) != 0) {
            s.Close();
        }
        return s;
    }

    bool Send(const std::string& bytes) {
        size_t sent = 0;
        while (sent < bytes.size()) {
            int n = platform::Send(fd_, bytes.data() + sent, static_cast<int>(bytes.size() - sent));
            if (n <= 0) return false;
            sent += static_cast<size_t>(n);
        }
        return true;
    }

    // Sends all of bytes unless timeoutMs passes first; false when it did not, or the peer
    // failed. For peers that may stop reading: the caller's thread never blocks for good.
    bool SendWithin(const std::string& bytes, int timeoutMs) {
        platform::SetNonBlocking(fd_);
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        size_t sent = 0;
        while (sent < bytes.size() && std::chrono::steady_clock::now() < deadline) {
            platform::SocketWait wait;
            wait.socket = fd_;
            wait.write = true;
            if (platform::WaitSockets(&wait, 1, 50) < 0) break;
            const int n =
                platform::Send(fd_, bytes.data() + sent,
                               static_cast<int>(std::min<size_t>(bytes.size() - sent, 1 << 20)));
            if (n < 0 && platform::LastSocketError() == platform::kWsaEWouldBlock) continue;
            if (n <= 0) break;
            sent += static_cast<size_t>(n);
        }
        platform::SetBlocking(fd_);
        return sent == bytes.size();
    }

    // Appends what arrives within timeoutMs to *out; false when the peer closed or failed.
    bool ReadSome(std::string* out, int timeoutMs) {
        if (!platform::PollReadable(fd_, timeoutMs)) return true;
        char buffer[65536];
        int n = platform::Receive(fd_, buffer, sizeof buffer);
        if (n <= 0) return false;
        out->append(buffer, static_cast<size_t>(n));
        return true;
    }

    // Reads until `done(bytes)` holds, the peer closes, or timeoutMs passes.
    std::string ReadUntil(const std::function<bool(const std::string&)>& done,
                          int timeoutMs = 5000) {
        std::string bytes;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!done(bytes) && std::chrono::steady_clock::now() < deadline) {
            if (!ReadSome(&bytes, 50)) break;
        }
        return bytes;
    }

    std::string ReadUntilClosed(int timeoutMs = 5000) {
        return ReadUntil([](const std::string&) { return false; }, timeoutMs);
    }

    // Reads one HTTP message: the header and, when it names one, a Content-Length body.
    std::string ReadMessage(int timeoutMs = 5000) {
        return ReadUntil([](const std::string& b) { return MessageComplete(b); }, timeoutMs);
    }

    static bool MessageComplete(const std::string& b) {
        size_t end = b.find("\r\n\r\n");
        if (end == std::string::npos) return false;
        const std::string header = platform::ToLowerAscii(b.substr(0, end));
        size_t length = header.find("content-length:");
        if (length == std::string::npos) return true;
        size_t value = std::stoul(header.substr(length + 15));
        return b.size() >= end + 4 + value;
    }

  private:
    Handle fd_;
};

// A listening socket on 127.0.0.1 with a free port.
class Listener {
  public:
    Listener() {
        fd_ = platform::OpenTcpSocket();
        platform::SetReuseAddress(fd_);
        platform::BindTo(fd_, platform::LoopbackAddress(), 0);
        platform::Listen(fd_);
        port_ = platform::LocalPort(fd_);
    }
    ~Listener() { Close(); }
    void Close() {
        if (fd_ != platform::kInvalidSocket) platform::ShutdownAndClose(fd_);
        fd_ = platform::kInvalidSocket;
    }
    int port() const { return port_; }
    // The next connection within timeoutMs, or an invalid socket.
    Socket Accept(int timeoutMs = 5000) {
        if (fd_ == platform::kInvalidSocket || !platform::PollReadable(fd_, timeoutMs)) {
            return Socket();
        }
        return Socket(platform::Accept(fd_));
    }

  private:
    platform::SocketHandle fd_ = platform::kInvalidSocket;
    int port_ = 0;
};

// An origin server: every accepted connection runs `serve` on a thread of its own.
class Origin {
  public:
    using Handler = std::function<void(Socket&)>;
    explicit Origin(Handler serve) : serve_(std::move(serve)) {
        acceptor_ = std::thread([this] {
            while (!stopping_) {
                Socket s = listener_.Accept(100);
                if (!s.valid()) continue;
                ++connections_;
                std::lock_guard<std::mutex> guard(lock_);
                workers_.emplace_back([this, s = std::move(s)]() mutable { serve_(s); });
            }
        });
    }
    ~Origin() {
        stopping_ = true;
        acceptor_.join();
        listener_.Close();
        for (std::thread& t : workers_) t.join();
    }
    int port() const { return listener_.port(); }
    int connections() const { return connections_; }

    // A handler that answers every request on a connection with `response`, recording each
    // request it read.
    static Handler Answering(std::string response, std::vector<std::string>* requests = nullptr,
                             std::mutex* requestsLock = nullptr) {
        return [=](Socket& s) {
            for (int i = 0; i < 100; ++i) {
                std::string request = s.ReadMessage(3000);
                if (request.empty()) return;
                if (requests) {
                    std::lock_guard<std::mutex> guard(*requestsLock);
                    requests->push_back(request);
                }
                if (!s.Send(response)) return;
            }
        };
    }

  private:
    Listener listener_;
    Handler serve_;
    std::atomic<bool> stopping_{false};
    std::atomic<int> connections_{0};
    std::mutex lock_;
    std::vector<std::thread> workers_;
    std::thread acceptor_;
};

// A proxy of the test's own on a free port, with settings of its own: idle connections notice a
// stop within a second. Its destruction ends its connections.
class RunningProxy {
  public:
    RunningProxy() {
        settings.PopupPort = 0;
        settings.UseDefaultTimeOut = 0;
        settings.ConnectionTimeOut = 1;
        listener.StartListener();
    }
    // 0 when it could not start.
    int Port() const { return listener.BoundPort(); }
    proxy::ProxyContext& context() { return listener.context(); }

    proxy::AppSettings settings;
    proxy::ProxyListener listener{settings};
};

}  // namespace testing_servers
