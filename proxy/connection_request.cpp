// The browser-facing half of a connection: requests to targets, and the server socket.
#include "platform/ascii_text.h"
#include "platform/socket.h"
#include "proxy/autoconfig_script.h"
#include "proxy/connection.h"
#include "proxy/diagnostics.h"
#include "proxy/fixed_replies.h"
#include "proxy/settings.h"

namespace proxy {

const char* RefusalReply(Refusal refusal) {
    switch (refusal) {
        case Refusal::kBadPort:
            return kSiteUnreachableReply;
        case Refusal::kLoop:
            return kLoopDetectedReply;
        default:
            return kBadRequestReply;
    }
}

void ProxyConnection::HandleBrowserData(const char* data, size_t size) {
    RequestOptions options;
    const AppSettings& settings = context_.settings;
    options.dropGzip = settings.Disabled.load(std::memory_order_relaxed) == 0;
    // Requests inside a tunnel ended here go to its site, never to a gateway.
    options.viaGateway = secure_ == SecureStage::kNone &&
                         settings.GatewayEnable.load(std::memory_order_relaxed) != 0;
    if (viaName_.empty()) viaName_ = "KorvoPopupKiller:" + std::to_string(context_.BoundPort());
    options.viaName = viaName_;
    if (ownName_.empty()) ownName_ = settings.PopupIP.Get();
    options.ownPort = context_.BoundPort();
    options.ownName = ownName_;
    pieces_.clear();
    nextPiece_ = 0;
    piecesViaGateway_ = options.viaGateway;
    if (!requests_.Feed(data, size, options, pieces_)) refusal_ = requests_.refusal();
}

bool ProxyConnection::DispatchPieces() {
    for (; nextPiece_ < pieces_.size(); ++nextPiece_) {
        const RequestReader::Piece& piece = pieces_[nextPiece_];
        if (piece.startsRequest) {
            if (MustWaitForServer(piece.target)) return true;
            if (piece.target.autoConfigScript) {
                const bool secure = context_.settings.FilterSecurePages.load() != 0;
                const bool head = platform::EqualsNoCase(piece.target.method, "head");
                const std::string reply = AutoConfigReply(context_.BoundPort(), secure, head);
                SendToBrowser(reply.data(), reply.size());
                return false;
            }
            if (!StartRequest(piece.target)) return false;
        }
        if (!piece.bytes.empty() && !SendToServer(piece.bytes)) return false;
    }
    if (refusal_ == Refusal::kNone) return true;
    if (serverSocket_ != kInvalidSocket && !responses_.Idle()) return true;
    SendToBrowser(RefusalReply(refusal_));
    return false;
}

bool ProxyConnection::MustWaitForServer(const RequestTarget& target) const {
    if (serverSocket_ == kInvalidSocket || (responses_.Idle() && toServer_.Empty())) return false;
    std::string name;
    int port = 0;
    ServerFor(target, name, port);
    return target.tunnel || target.autoConfigScript || name != serverName_ || port != serverPort_;
}

void ProxyConnection::ServerFor(const RequestTarget& target, std::string& name, int& port) const {
    const AppSettings& settings = context_.settings;
    name = piecesViaGateway_ ? settings.GatewayIP.Get() : target.host;
    port = piecesViaGateway_ ? settings.GatewayPort.load(std::memory_order_relaxed) : target.port;
}

// Opens (or keeps) the server socket for a request and tells the response side what to expect.
bool ProxyConnection::StartRequest(const RequestTarget& target) {
    host_ = target.host;
    responses_.SetHost(host_);
    if (secure_ == SecureStage::kOpen) {
        if (!OpenSecureRequest()) return false;
    } else if (!OpenServerFor(target)) {
        return false;
    }
    if (target.tunnel) {
        // A gateway answers the CONNECT itself; a tunnel served here is confirmed only now that
        // the site is reached.
        if (!piecesViaGateway_) SendToBrowser(kTunnelEstablishedReply);
        if (MayIntercept()) {
            secure_ = SecureStage::kPeeking;
            tunnelHost_ = platform::ToLowerAscii(target.host);
            tunnelPort_ = target.port;
        } else {
            responses_.StartTunnel();
        }
    } else {
        const bool oldBrowser = !platform::StartsWithNoCase(target.version, "http/1.") ||
                                platform::EqualsNoCase(target.version, "http/1.0");
        responses_.ExpectResponse(platform::EqualsNoCase(target.method, "head"), oldBrowser);
    }
    return true;
}

bool ProxyConnection::OpenServerFor(const RequestTarget& target) {
    std::string name;
    int port = 0;
    ServerFor(target, name, port);
    Diagnose("Connecting to '%s' port = %u", name.c_str(), static_cast<unsigned>(port));
    if (serverSocket_ != kInvalidSocket && (name != serverName_ || port != serverPort_)) {
        CloseServerSocket();
    }
    return serverSocket_ != kInvalidSocket || ConnectToServer(name, port);
}

bool ProxyConnection::ConnectToServer(const std::string& name, int port) {
    serverSocket_ = OpenServerSocket(name, port);
    if (serverSocket_ == kInvalidSocket) {
        SendToBrowser(kSiteUnreachableReply);
        return false;
    }
    serverName_ = name;
    serverPort_ = port;
    return true;
}

void ProxyConnection::CloseServerSocket() {
    // Bytes still unsent were for this server alone.
    toServer_ = Outgoing();
    if (serverSocket_ == kInvalidSocket) return;
    // A response still held is finished and sent before its server goes.
    responses_.ServerClosed();
    platform::CloseSocket(serverSocket_);
    serverSocket_ = kInvalidSocket;
}

SocketHandle ProxyConnection::OpenServerSocket(const std::string& name, int port) {
    if (port < 1 || port > 65535) return kInvalidSocket;
    std::uint32_t address = platform::ParseDottedAddress(name);
    if (address == platform::kNoAddress) {
        address = context_.hostNameCache.Lookup(name);
        if (address == 0) {
            address = platform::ResolveHostAddress(name);
            if (address == 0) return kInvalidSocket;
            context_.hostNameCache.Insert(name, address);
        }
    }
    // Connecting to the proxy's own port would relay every request back to itself, each on a
    // thread of its own, without end.
    const bool local = address == platform::LoopbackAddress() || address == platform::kAnyAddress;
    if (local && port == context_.BoundPort()) return kInvalidSocket;
    SocketHandle s = platform::OpenTcpSocket();
    if (s == kInvalidSocket) return kInvalidSocket;
    if (context_.settings.UseDefaultBufferSizes.load(std::memory_order_relaxed) == 0) {
        platform::SetBufferSizes(s, sendChunkSize_, receiveSize_);
    }
    if (platform::SetBlocking(s) != 0 || platform::ConnectTo(s, address, port) != 0 ||
        platform::SetNonBlocking(s) != 0) {
        platform::CloseSocket(s);
        return kInvalidSocket;
    }
    return s;
}

}  // namespace proxy
