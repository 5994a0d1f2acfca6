#include "proxy/connection.h"

#include <algorithm>
#include <memory>

#include "proxy/listener.h"
#include "proxy/diagnostics.h"
#include "proxy/settings.h"

namespace proxy {

std::atomic<int> LiveConnections{0};

int RelayBufferSize() {
    if (appSettings.UseDefaultBufferSizes.load(std::memory_order_relaxed) != 0) {
        return std::max({SystemSendBufferSize.load(), SystemReceiveBufferSize.load(), 256});
    }
    return std::max(appSettings.BufferSize.load(std::memory_order_relaxed), 1);
}

void BackOffBufferSize() {
    std::int32_t old = appSettings.BufferSize.load(std::memory_order_relaxed);
    appSettings.BufferSize.store(old - 1024 >= 2048 ? old - 1024 : 2048, std::memory_order_relaxed);
}

ProxyConnection::ProxyConnection(SocketHandle browserSocket) : browserSocket_(browserSocket) {
    ++LiveConnections;
}

ProxyConnection::~ProxyConnection() {
    CloseConnection();
    --LiveConnections;
    Diagnose("Closing connection: %s", host_.c_str());
}

void ProxyConnection::Run() {
    const int size = RelayBufferSize();
    sendChunkSize_ = receiveSize_ = size;
    // Left uninitialised: pages that no read reaches never become resident.
    std::unique_ptr<char[]> relayBuffer(new (std::nothrow) char[static_cast<size_t>(size)]);
    if (!relayBuffer) return;
    RelayLoop(relayBuffer.get());
    CloseConnection();
}

void ProxyConnection::RelayLoop(char* relayBuffer) {
    if (appSettings.UseDefaultBufferSizes.load(std::memory_order_relaxed) == 0) {
        platform::SetBufferSizes(browserSocket_, sendChunkSize_, receiveSize_);
    }
    platform::SetNoDelay(browserSocket_);
    ResetResponse();
    while (ListeningSocket.load(std::memory_order_relaxed) != kInvalidSocket) {
        const int timeout = appSettings.UseDefaultTimeOut.load(std::memory_order_relaxed) != 0
                                ? -1
                                : appSettings.ConnectionTimeOut.load(std::memory_order_relaxed);
        bool browserReadable = false, serverReadable = false;
        const SocketHandle waitedServer = serverSocket_;
        if (platform::WaitReadable(browserSocket_, serverSocket_, timeout, &browserReadable,
                                   &serverReadable) < 0) {
            break;
        }
        if (browserReadable) {
            int n = platform::Receive(browserSocket_, relayBuffer, receiveSize_);
            if (n > 0) requestBuffer_.append(relayBuffer, static_cast<size_t>(n));
            if (HandleBrowserData() == 0) break;
            if (n <= 0) {
                platform::CloseSocket(browserSocket_);
                browserSocket_ = kInvalidSocket;
                break;
            }
        }
        // A request may have replaced the server socket; its readiness is not known yet.
        if (serverSocket_ != kInvalidSocket && serverReadable && serverSocket_ == waitedServer) {
            int n = platform::Receive(serverSocket_, relayBuffer, receiveSize_);
            RequestState = 1;
            if (n > 0) responseBuffer_.append(relayBuffer, static_cast<size_t>(n));
            if (!responseBuffer_.empty()) HandleResponseData();
            if (n <= 0) break;
        }
    }
}

size_t ProxyConnection::SendAll(SocketHandle socket, std::string& bytes) {
    if (socket == kInvalidSocket || bytes.empty()) return 0;
    const size_t total = bytes.size();
    size_t sent = 0;
    while (sent < total) {
        const int n = static_cast<int>(
            std::min(total - sent, static_cast<size_t>(std::max(sendChunkSize_, 1))));
        const int result = platform::Send(socket, bytes.data() + sent, n);
        if (result < 1) {
            if (platform::LastSocketError() == platform::kWsaENoBufs) BackOffBufferSize();
            // The unsent bytes stay for a later send; the front is removed once, not per chunk.
            bytes.erase(0, sent);
            return sent;
        }
        sent += static_cast<size_t>(result);
    }
    bytes.clear();
    return sent;
}

void ProxyConnection::CloseConnection() {
    if (serverSocket_ != kInvalidSocket) FinishResponse();
    if (serverSocket_ != kInvalidSocket) platform::CloseSocket(serverSocket_);
    if (browserSocket_ != kInvalidSocket) platform::CloseSocket(browserSocket_);
    serverSocket_ = browserSocket_ = kInvalidSocket;
}

}  // namespace proxy
