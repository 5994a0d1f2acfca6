// The secure half of a connection: tunnels to secure sites that are ended here, so that their
// pages get the blocker like plain ones.
#include <algorithm>
#include <chrono>

#include "platform/ascii_text.h"
#include "platform/socket.h"
#include "proxy/client_hello.h"
#include "proxy/connection.h"
#include "proxy/diagnostics.h"
#include "proxy/fixed_replies.h"
#include "proxy/secure_error_page.h"

namespace proxy {
namespace {

using platform::TlsFailure;
using platform::TlsState;

// How long a site's handshake may take when the relay itself waits without limit.
constexpr int kDefaultHandshakeTimeoutMs = 30000;

std::int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

bool ProxyConnection::MayIntercept() const {
    return !piecesViaGateway_ &&
           context_.settings.FilterSecurePages.load(std::memory_order_relaxed) != 0 &&
           std::atomic_load(&context_.authority) != nullptr && platform::TlsServerAvailable();
}

int ProxyConnection::HandshakeTimeoutMs() const {
    const AppSettings& settings = context_.settings;
    if (settings.UseDefaultTimeOut.load(std::memory_order_relaxed) != 0) {
        return kDefaultHandshakeTimeoutMs;
    }
    return std::max(settings.ConnectionTimeOut.load(std::memory_order_relaxed), 1) * 1000;
}

bool ProxyConnection::PeekTunnel(const std::string& bytes) {
    hello_ += bytes;
    const ClientHelloPeek peek = PeekClientHello(hello_);
    if (peek.kind == ClientHelloKind::kNeedMore) return true;
    if (peek.kind == ClientHelloKind::kClientHello && ShouldIntercept(peek.serverName)) {
        return Intercept();
    }
    return TunnelAsIs();
}

bool ProxyConnection::ShouldIntercept(const std::string& serverName) const {
    // A ClientHello for another name than the CONNECT's is left alone: the leaf would be wrong.
    if (!serverName.empty() && serverName != tunnelHost_) return false;
    if (context_.tunnelHosts.Contains(tunnelHost_)) return false;
    const std::shared_ptr<const SecureExclusions> exclusions =
        std::atomic_load(&context_.secureExclusions);
    return exclusions == nullptr || !exclusions->Matches(tunnelHost_);
}

bool ProxyConnection::TunnelAsIs() {
    secure_ = SecureStage::kNone;
    responses_.StartTunnel();
    std::string first;
    first.swap(hello_);
    return first.empty() || SendToServer(first);
}

bool ProxyConnection::ReconnectAsTunnel() {
    CloseServerSocket();
    serverSession_.reset();
    if (!ConnectToServer(tunnelHost_, tunnelPort_)) return false;
    return TunnelAsIs();
}

bool ProxyConnection::Intercept() {
    Diagnose("Opening secure site '%s' port = %u", tunnelHost_.c_str(),
             static_cast<unsigned>(tunnelPort_));
    // The site first: its answer decides between its pages and the error page.
    if (!OpenSecureServer() && siteFailure_ == TlsFailure::kClientCertificate) {
        siteFailure_ = TlsFailure::kNone;
        return ReconnectAsTunnel();
    }
    const std::shared_ptr<platform::TlsAuthority> authority = std::atomic_load(&context_.authority);
    const std::shared_ptr<const platform::TlsLeaf> leaf =
        authority == nullptr ? nullptr
                             : context_.leafCache.Get(tunnelHost_, [&](const std::string& host) {
                                   return authority->IssueLeaf(host);
                               });
    if (leaf != nullptr) browserSession_ = platform::StartTlsServer(*leaf);
    if (browserSession_ == nullptr) {
        // Nothing to answer the browser with: the site's own answer, untouched, is the best left.
        if (siteFailure_ != TlsFailure::kNone) return false;
        return ReconnectAsTunnel();
    }
    secure_ = SecureStage::kHandshake;
    requests_.ServeOrigin(tunnelHost_, tunnelPort_);
    std::string first;
    first.swap(hello_);
    return ReceiveFromBrowserSession(first.data(), first.size());
}

bool ProxyConnection::OpenSecureServer() {
    std::string out;
    serverSession_ = platform::StartTlsClient(tunnelHost_, out);
    if (serverSession_ == nullptr) {
        siteFailure_ = TlsFailure::kHandshake;
        CloseServerSocket();
        return false;
    }
    const int timeoutMs = HandshakeTimeoutMs();
    const std::int64_t deadline = NowMs() + timeoutMs;
    char* const buffer = RelayBuffer();
    TlsState state = serverSession_->state();
    while (state == TlsState::kHandshake && buffer != nullptr) {
        if (!SendHandshakeToServer(out, timeoutMs)) break;
        const std::int64_t now = NowMs();
        if (now >= deadline) break;
        platform::SocketWait wait;
        wait.socket = serverSocket_;
        wait.read = true;
        if (platform::WaitSockets(&wait, 1, static_cast<int>(deadline - now)) <= 0) break;
        const int n = platform::Receive(serverSocket_, buffer, receiveSize_);
        if (n < 0 && platform::LastSocketError() == platform::kWsaEWouldBlock) continue;
        if (n <= 0) break;
        sessionPlain_.clear();
        state = serverSession_->Receive(buffer, static_cast<size_t>(n), sessionPlain_, out);
    }
    if (state == TlsState::kOpen && SendHandshakeToServer(out, timeoutMs)) return true;
    siteFailure_ = state == TlsState::kFailed ? serverSession_->failure() : TlsFailure::kHandshake;
    Diagnose("Secure site '%s' refused: %s", tunnelHost_.c_str(),
             serverSession_->failureDetail().c_str());
    serverSession_.reset();
    CloseServerSocket();
    return false;
}

bool ProxyConnection::SendHandshakeToServer(std::string& out, int timeoutMs) {
    if (!out.empty() && !SendNow(serverSocket_, toServer_, out.data(), out.size())) return false;
    out.clear();
    while (!toServer_.Empty()) {
        platform::SocketWait wait;
        wait.socket = serverSocket_;
        wait.write = true;
        if (platform::WaitSockets(&wait, 1, timeoutMs) <= 0 || !FlushToServer()) return false;
    }
    return true;
}

bool ProxyConnection::OpenSecureRequest() {
    if (siteFailure_ == TlsFailure::kNone && serverSocket_ == kInvalidSocket) {
        // The site closed its side since the last request: a new connection and handshake.
        if (!ConnectToServer(tunnelHost_, tunnelPort_)) return false;
        OpenSecureServer();
    }
    if (siteFailure_ == TlsFailure::kNone) return true;
    const std::string reply = SecureErrorReply(context_.securePageTexts, tunnelHost_, siteFailure_);
    SendToBrowser(reply.data(), reply.size());
    return false;
}

bool ProxyConnection::ReceiveFromBrowserSession(const char* data, size_t size) {
    sessionPlain_.clear();
    sessionOut_.clear();
    const TlsState state = browserSession_->Receive(data, size, sessionPlain_, sessionOut_);
    SendRawToBrowser(sessionOut_.data(), sessionOut_.size());
    if (state == TlsState::kFailed) {
        // A browser that refuses the leaf gets this host tunnelled from now on.
        if (secure_ == SecureStage::kHandshake &&
            browserSession_->failure() == TlsFailure::kPeerRefused) {
            context_.tunnelHosts.Add(tunnelHost_);
        }
        Diagnose("Secure connection for '%s' ended by the browser: %s", tunnelHost_.c_str(),
                 browserSession_->failureDetail().c_str());
        browserSession_.reset();
        return false;
    }
    if (state == TlsState::kOpen) secure_ = SecureStage::kOpen;
    if (!sessionPlain_.empty()) {
        const std::string plain = std::move(sessionPlain_);
        HandleBrowserData(plain.data(), plain.size());
        sessionPlain_ = std::move(plain);
    }
    if (state == TlsState::kClosed) browserSending_ = false;
    return true;
}

void ProxyConnection::ReceiveFromServerSession(const char* data, size_t size) {
    // Record by record, each passed on to the browser before the next is opened, so that the
    // browser decrypts one while the proxy works on the next.
    constexpr size_t kRecordBytes = 16 * 1024 + 64;
    for (size_t done = 0; done < size && !closing_;) {
        const size_t piece = std::min(kRecordBytes, size - done);
        sessionPlain_.clear();
        sessionOut_.clear();
        const TlsState state =
            serverSession_->Receive(data + done, piece, sessionPlain_, sessionOut_);
        done += piece;
        if (!sessionOut_.empty() &&
            !SendNow(serverSocket_, toServer_, sessionOut_.data(), sessionOut_.size())) {
            BeginClosing();
            return;
        }
        if (!sessionPlain_.empty() &&
            !responses_.Feed(sessionPlain_.data(), sessionPlain_.size())) {
            BeginClosing();
            return;
        }
        if (state == TlsState::kClosed || state == TlsState::kFailed) BeginClosing();
        if (done < size) FlushToBrowser();
    }
}

bool ProxyConnection::SendToServerSession(const std::string& bytes) {
    sessionOut_.clear();
    if (!serverSession_->Send(bytes.data(), bytes.size(), sessionOut_)) return false;
    return SendNow(serverSocket_, toServer_, sessionOut_.data(), sessionOut_.size());
}

void ProxyConnection::SealForBrowser() {
    if (plainToBrowser_.empty() || browserSession_ == nullptr) return;
    sessionOut_.clear();
    if (!browserSession_->Send(plainToBrowser_.data(), plainToBrowser_.size(), sessionOut_)) {
        browserFailed_ = true;
    }
    plainToBrowser_.clear();
    SendRawToBrowser(sessionOut_.data(), sessionOut_.size());
}

}  // namespace proxy
