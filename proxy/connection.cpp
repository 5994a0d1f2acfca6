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

void ProxyConnection::Outgoing::Consume(size_t size) {
    sent_ += size;
    if (sent_ == bytes_.size()) {
        bytes_.clear();
        sent_ = 0;
    }
}

void ProxyConnection::Outgoing::Release() {
    if (Empty()) std::string().swap(bytes_);
}

char* ProxyConnection::RelayBuffer() {
    return relayBuffer_.Take(static_cast<size_t>(receiveSize_));
}

bool ProxyConnection::TakeUnchangedBytes() {
    const std::uint64_t ahead = responses_.UnchangedBytesAhead();
    if (ahead == 0 || !platform::SocketForwarder::Supported() || OwesBrowser() || browserSession_ ||
        serverSession_) {
        return false;
    }
    const int n = forwarder_.Take(serverSocket_,
                                  static_cast<int>(std::min<std::uint64_t>(ahead, kMoveBlock)));
    if (n <= 0) return false;
    responses_.PassedAround(static_cast<size_t>(n));
    return true;
}

void ProxyConnection::ReleaseBuffers() {
    forwarder_.Release();
    relayBuffer_.Release();
    toBrowser_.Release();
    toServer_.Release();
    if (!PiecesWaiting()) std::vector<RequestReader::Piece>().swap(pieces_);
    requests_.ReleaseIdleMemory();
    responses_.ReleaseIdleMemory();
}

void ProxyConnection::RelayLoop() {
    if (context_.settings.UseDefaultBufferSizes.load(std::memory_order_relaxed) == 0) {
        platform::SetBufferSizes(browserSocket_, sendChunkSize_, receiveSize_);
    }
    platform::SetNoDelay(browserSocket_);
    if (platform::SetNonBlocking(browserSocket_) != 0) return;
    while (context_.listeningSocket.load(std::memory_order_relaxed) != kInvalidSocket) {
        Ready ready;
        if (!Wait(ready)) break;
        // A reset or hung-up browser takes nothing more: its server is left at once. One that
        // ends its handshake with us is read first, for the alert that says why.
        if (ready.browserFailed) {
            if (secure_ == SecureStage::kHandshake) ReadBrowser();
            break;
        }
        if (ready.browserReadable && !ReadBrowser()) break;
        if (ready.serverReadable && serverSocket_ != kInvalidSocket) ReadServer();
        if (!closing_ && !DispatchPieces()) BeginClosing();
        if (!closing_ && !FlushToServer()) BeginClosing();
        FlushToBrowser();
        if (browserFailed_) break;
        // The browser is done sending; it still gets the responses it asked for.
        if (!closing_ && !browserSending_ && !PiecesWaiting() &&
            (serverSocket_ == kInvalidSocket || responses_.Idle())) {
            BeginClosing();
        }
        if (closing_ && !OwesBrowser()) break;
    }
}

bool ProxyConnection::ReadBrowser() {
    char* const buffer = RelayBuffer();
    if (buffer == nullptr) return false;
    const int n = platform::Receive(browserSocket_, buffer, receiveSize_);
    if (n < 0) return platform::LastSocketError() == platform::kWsaEWouldBlock;
    if (n == 0) {
        browserSending_ = false;
    } else if (browserSession_) {
        return ReceiveFromBrowserSession(buffer, static_cast<size_t>(n));
    } else {
        HandleBrowserData(buffer, static_cast<size_t>(n));
    }
    return true;
}

void ProxyConnection::ReadServer() {
    // A site that speaks first is no TLS server: the tunnel stays a plain one.
    if (secure_ == SecureStage::kPeeking && !TunnelAsIs()) {
        BeginClosing();
        return;
    }
    if (TakeUnchangedBytes()) return;
    char* const buffer = RelayBuffer();
    if (buffer == nullptr) {
        BeginClosing();
        return;
    }
    const int n = platform::Receive(serverSocket_, buffer, receiveSize_);
    if (n < 0 && platform::LastSocketError() == platform::kWsaEWouldBlock) return;
    if (n > 0 && serverSession_) {
        ReceiveFromServerSession(buffer, static_cast<size_t>(n));
        return;
    }
    if (n <= 0 || !responses_.Feed(buffer, static_cast<size_t>(n))) {
        BeginClosing();
        return;
    }
    // After a switch of protocols the browser's bytes are no requests any more.
    if (responses_.Tunneling()) requests_.StartTunnel();
}

bool ProxyConnection::Wait(Ready& ready) {
    const AppSettings& settings = context_.settings;
    const int timeoutMs = settings.UseDefaultTimeOut.load(std::memory_order_relaxed) != 0
                              ? -1
                              : settings.ConnectionTimeOut.load(std::memory_order_relaxed) * 1000;
    // After a quiet spell the connection gives its buffers back, so that thousands of idle
    // keep-alive connections stay cheap; the next read takes a buffer again.
    if (relayBuffer_.Held() && (timeoutMs < 0 || timeoutMs > kQuietMs)) {
        const int found = WaitFor(kQuietMs, ready);
        if (found != 0) return found > 0;
        ReleaseBuffers();
    }
    return WaitFor(timeoutMs, ready) >= 0;
}

int ProxyConnection::WaitFor(int timeoutMs, Ready& ready) {
    platform::SocketWait waits[2];
    // The browser is always watched, so that its reset or hang-up is seen at once; it is read
    // only once everything it sent before has been handed on.
    waits[0].socket = browserSocket_;
    waits[0].read = browserSending_ && !closing_ && !PiecesWaiting() && toServer_.Empty();
    waits[0].write = OwesBrowser();
    // The server is read only once the browser has taken all it was given.
    const bool readServer = !OwesBrowser();
    const bool writeServer = !toServer_.Empty();
    if (serverSocket_ != kInvalidSocket && (readServer || writeServer)) {
        waits[1].socket = serverSocket_;
        waits[1].read = readServer;
        waits[1].write = writeServer;
    }
    const int n = platform::WaitSockets(waits, 2, timeoutMs);
    ready.browserReadable = waits[0].readable;
    ready.browserFailed = waits[0].failed;
    ready.serverReadable = waits[1].readable;
    return n;
}

bool ProxyConnection::SendNow(SocketHandle socket, Outgoing& out, const char* more,
                              size_t moreSize) {
    if (socket == kInvalidSocket) return false;
    const size_t block = static_cast<size_t>(std::max(sendChunkSize_, 1));
    while (!out.Empty() || moreSize > 0) {
        const size_t fromFirst = std::min(out.size(), block);
        const size_t fromSecond = std::min(moreSize, block - fromFirst);
        const int result =
            fromSecond == 0  ? platform::Send(socket, out.data(), static_cast<int>(fromFirst))
            : fromFirst == 0 ? platform::Send(socket, more, static_cast<int>(fromSecond))
                             : platform::SendPair(socket, out.data(), static_cast<int>(fromFirst),
                                                  more, static_cast<int>(fromSecond));
        if (result < 0 && platform::LastSocketError() == platform::kWsaEWouldBlock) break;
        if (result < 1) {
            if (platform::LastSocketError() == platform::kWsaENoBufs)
                BackOffBufferSize(context_.settings);
            return false;
        }
        size_t sent = static_cast<size_t>(result);
        const size_t offFirst = std::min(sent, out.size());
        out.Consume(offFirst);
        sent -= offFirst;
        more += sent;
        moreSize -= sent;
    }
    if (moreSize > 0) out.Append(more, moreSize);
    return true;
}

bool ProxyConnection::SendToServer(const std::string& bytes) {
    if (secure_ == SecureStage::kPeeking) return PeekTunnel(bytes);
    if (serverSession_) return SendToServerSession(bytes);
    return SendNow(serverSocket_, toServer_, bytes.data(), bytes.size());
}

bool ProxyConnection::FlushToServer() {
    if (toServer_.Empty()) return true;
    return SendNow(serverSocket_, toServer_);
}

void ProxyConnection::SendToBrowser(const char* bytes, size_t size) {
    if (browserSession_) {
        plainToBrowser_.append(bytes, size);
        if (plainToBrowser_.size() > kGatherLimit) SealForBrowser();
        return;
    }
    SendRawToBrowser(bytes, size);
}

void ProxyConnection::SendRawToBrowser(const char* bytes, size_t size) {
    if (browserFailed_ || size == 0) return;
    // Behind bytes still in the forwarder, or small enough to gather: they wait their turn.
    if (forwarder_.Held() > 0 || toBrowser_.size() + size <= kGatherLimit) {
        toBrowser_.Append(bytes, size);
        return;
    }
    if (!SendNow(browserSocket_, toBrowser_, bytes, size)) browserFailed_ = true;
}

void ProxyConnection::FlushToBrowser() {
    if (browserFailed_) return;
    SealForBrowser();
    if (forwarder_.Held() > 0) {
        if (forwarder_.Give(browserSocket_) < 0) {
            browserFailed_ = true;
            return;
        }
        if (forwarder_.Held() > 0) return;
    }
    if (!toBrowser_.Empty() && !SendNow(browserSocket_, toBrowser_)) browserFailed_ = true;
}

void ProxyConnection::BeginClosing() {
    CloseServerSocket();
    closing_ = true;
}

void ProxyConnection::CloseConnection() {
    CloseServerSocket();
    if (browserSession_ && browserSession_->state() == platform::TlsState::kOpen) {
        SealForBrowser();
        sessionOut_.clear();
        browserSession_->Close(sessionOut_);
        SendRawToBrowser(sessionOut_.data(), sessionOut_.size());
        browserSession_.reset();
    }
    // One last try without waiting: a connection ends here only once it has failed or stops.
    FlushToBrowser();
    if (browserSocket_ != kInvalidSocket) {
        // Out of the open sockets first: once closed, its number may be another's.
        context_.openSockets.Remove(browserSocket_);
        platform::CloseSocket(browserSocket_);
    }
    browserSocket_ = kInvalidSocket;
}

}  // namespace proxy
