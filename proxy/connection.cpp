#include "proxy/connection.h"

#include <algorithm>

#include "proxy/diagnostics.h"
#include "proxy/settings.h"

namespace proxy {

int RelayBufferSize(const ProxyContext& context) {
    const AppSettings& settings = context.settings;
    if (settings.UseDefaultBufferSizes.load(std::memory_order_relaxed) != 0) {
        return std::max(
            {context.systemSendBufferSize.load(), context.systemReceiveBufferSize.load(), 256});
    }
    return std::max(settings.BufferSize.load(std::memory_order_relaxed), 1);
}

void BackOffBufferSize(AppSettings& settings) {
    std::int32_t old = settings.BufferSize.load(std::memory_order_relaxed);
    settings.BufferSize.store(old - 1024 >= 2048 ? old - 1024 : 2048, std::memory_order_relaxed);
}

ProxyConnection::ProxyConnection(ProxyContext& context, SocketHandle browserSocket)
    : context_(context),
      browserSocket_(browserSocket),
      responses_(context, [this](const char* bytes, size_t size) { SendToBrowser(bytes, size); }) {
    context_.openSockets.Add(browserSocket_);
    ++context_.liveConnections;
}

ProxyConnection::~ProxyConnection() {
    CloseConnection();
    --context_.liveConnections;
    Diagnose("Closing connection: %s", host_.c_str());
}

void ProxyConnection::Run() {
    sendChunkSize_ = receiveSize_ = RelayBufferSize(context_);
    RelayLoop();
    CloseConnection();
}

char* ProxyConnection::RelayBuffer() {
    return relayBuffer_.Take(static_cast<size_t>(receiveSize_));
}

ProxyConnection::Moved ProxyConnection::MoveUnchangedBytes() {
    const std::uint64_t ahead = responses_.UnchangedBytesAhead();
    if (ahead == 0 || !platform::SocketForwarder::Supported()) return Moved::kNo;
    FlushToBrowser();
    if (browserFailed_) return Moved::kEnded;
    const int n = forwarder_.Move(serverSocket_, browserSocket_,
                                  static_cast<int>(std::min<std::uint64_t>(ahead, kMoveBlock)));
    // The server closed or a side failed: the connection ends, as after a failed read.
    if (n <= 0) return Moved::kEnded;
    responses_.PassedAround(static_cast<size_t>(n));
    return Moved::kYes;
}

void ProxyConnection::ReleaseBuffers() {
    forwarder_.Release();
    relayBuffer_.Release();
    std::string().swap(toBrowser_);
    std::vector<RequestReader::Piece>().swap(pieces_);
    requests_.ReleaseIdleMemory();
    responses_.ReleaseIdleMemory();
}

void ProxyConnection::RelayLoop() {
    if (context_.settings.UseDefaultBufferSizes.load(std::memory_order_relaxed) == 0) {
        platform::SetBufferSizes(browserSocket_, sendChunkSize_, receiveSize_);
    }
    platform::SetNoDelay(browserSocket_);
    while (context_.listeningSocket.load(std::memory_order_relaxed) != kInvalidSocket) {
        bool browserReadable = false, serverReadable = false;
        const SocketHandle waitedServer = serverSocket_;
        if (!Wait(browserReadable, serverReadable)) break;
        char* const relayBuffer = browserReadable || serverReadable ? RelayBuffer() : nullptr;
        if ((browserReadable || serverReadable) && relayBuffer == nullptr) break;
        if (browserReadable) {
            const int n = platform::Receive(browserSocket_, relayBuffer, receiveSize_);
            if (n < 0) break;
            if (n == 0) {
                // The browser is done sending; it still gets the responses it asked for.
                browserSending_ = false;
            } else if (!HandleBrowserData(relayBuffer, static_cast<size_t>(n))) {
                break;
            }
        }
        // A request may have replaced the server socket; its readiness is not known yet.
        if (serverReadable && serverSocket_ != kInvalidSocket && serverSocket_ == waitedServer) {
            const Moved moved = MoveUnchangedBytes();
            if (moved == Moved::kEnded) break;
            if (moved == Moved::kNo) {
                const int n = platform::Receive(serverSocket_, relayBuffer, receiveSize_);
                if (n <= 0) break;
                if (!responses_.Feed(relayBuffer, static_cast<size_t>(n))) break;
                // After a switch of protocols the browser's bytes are no requests any more.
                if (responses_.Tunneling()) requests_.StartTunnel();
            }
        }
        FlushToBrowser();
        if (browserFailed_) break;
        if (!browserSending_ && (serverSocket_ == kInvalidSocket || responses_.Idle())) break;
    }
}

bool ProxyConnection::Wait(bool& browserReadable, bool& serverReadable) {
    const AppSettings& settings = context_.settings;
    const int timeoutMs = settings.UseDefaultTimeOut.load(std::memory_order_relaxed) != 0
                              ? -1
                              : settings.ConnectionTimeOut.load(std::memory_order_relaxed) * 1000;
    // After a quiet spell the connection gives its buffers back, so that thousands of idle
    // keep-alive connections stay cheap; the next read takes a buffer again.
    if (relayBuffer_.Held() && (timeoutMs < 0 || timeoutMs > kQuietMs)) {
        const int ready = WaitFor(kQuietMs, browserReadable, serverReadable);
        if (ready != 0) return ready > 0;
        ReleaseBuffers();
    }
    return WaitFor(timeoutMs, browserReadable, serverReadable) >= 0;
}

int ProxyConnection::WaitFor(int timeoutMs, bool& browserReadable, bool& serverReadable) {
    if (browserSending_) {
        return platform::WaitReadable(browserSocket_, serverSocket_, timeoutMs, &browserReadable,
                                      &serverReadable);
    }
    bool unused = false;
    return platform::WaitReadable(serverSocket_, kInvalidSocket, timeoutMs, &serverReadable,
                                  &unused);
}

bool ProxyConnection::SendAll(SocketHandle socket, const char* first, size_t firstSize,
                              const char* second, size_t secondSize) {
    if (socket == kInvalidSocket) return false;
    const size_t block = static_cast<size_t>(std::max(sendChunkSize_, 1));
    while (firstSize + secondSize > 0) {
        const size_t fromFirst = std::min(firstSize, block);
        const size_t fromSecond = std::min(secondSize, block - fromFirst);
        const int result = fromSecond == 0
                               ? platform::Send(socket, first, static_cast<int>(fromFirst))
                               : platform::SendPair(socket, first, static_cast<int>(fromFirst),
                                                    second, static_cast<int>(fromSecond));
        if (result < 1) {
            if (platform::LastSocketError() == platform::kWsaENoBufs)
                BackOffBufferSize(context_.settings);
            return false;
        }
        size_t sent = static_cast<size_t>(result);
        const size_t offFirst = std::min(sent, firstSize);
        first += offFirst;
        firstSize -= offFirst;
        sent -= offFirst;
        second += sent;
        secondSize -= sent;
    }
    return true;
}

void ProxyConnection::SendToBrowser(const char* bytes, size_t size) {
    if (browserFailed_ || size == 0) return;
    if (toBrowser_.size() + size <= kGatherLimit) {
        toBrowser_.append(bytes, size);
        return;
    }
    if (!SendAll(browserSocket_, toBrowser_.data(), toBrowser_.size(), bytes, size)) {
        browserFailed_ = true;
    }
    toBrowser_.clear();
}

void ProxyConnection::FlushToBrowser() {
    if (toBrowser_.empty()) return;
    if (!browserFailed_ && !SendAll(browserSocket_, toBrowser_.data(), toBrowser_.size())) {
        browserFailed_ = true;
    }
    toBrowser_.clear();
}

void ProxyConnection::CloseConnection() {
    CloseServerSocket();
    FlushToBrowser();
    if (browserSocket_ != kInvalidSocket) {
        // Out of the open sockets first: once closed, its number may be another's.
        context_.openSockets.Remove(browserSocket_);
        platform::CloseSocket(browserSocket_);
    }
    browserSocket_ = kInvalidSocket;
}

}  // namespace proxy
