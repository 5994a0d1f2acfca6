// The browser-facing half of a connection: requests to targets, and the server socket.
#include "platform/ascii_text.h"
#include "platform/socket.h"
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

bool ProxyConnection::HandleBrowserData(const char* data, size_t size) {
    RequestOptions options;
    const AppSettings& settings = context_.settings;
    options.dropGzip = settings.Disabled.load(std::memory_order_relaxed) == 0;
    options.viaGateway = settings.GatewayEnable.load(std::memory_order_relaxed) != 0;
    if (viaName_.empty()) viaName_ = "KorvoPopupKiller:" + std::to_string(context_.BoundPort());
    options.viaName = viaName_;
    pieces_.clear();
    const bool accepted = requests_.Feed(data, size, options, pieces_);
    for (const RequestReader::Piece& piece : pieces_) {
        if (piece.startsRequest && !StartRequest(piece.target, options.viaGateway)) return false;
        if (!piece.bytes.empty() &&
            !SendAll(serverSocket_, piece.bytes.data(), piece.bytes.size())) {
            return false;
        }
    }
    if (!accepted) SendToBrowser(RefusalReply(requests_.refusal()));
    return accepted;
}

// Opens (or keeps) the server socket for a request and tells the response side what to expect.
bool ProxyConnection::StartRequest(const RequestTarget& target, bool viaGateway) {
    host_ = target.host;
    responses_.SetHost(host_);
    const AppSettings& settings = context_.settings;
    const std::string name = viaGateway ? settings.GatewayIP.Get() : target.host;
    const int port =
        viaGateway ? settings.GatewayPort.load(std::memory_order_relaxed) : target.port;
    Diagnose("Connecting to '%s' port = %u", name.c_str(), static_cast<unsigned>(port));
    LeaveServerUnlessAt(name, port);
    if (serverSocket_ == kInvalidSocket && !ConnectToServer(name, port)) return false;
    if (target.tunnel) {
        // A gateway answers the CONNECT itself; a tunnel served here is confirmed only now that
        // the site is reached.
        if (!viaGateway) SendToBrowser(kTunnelEstablishedReply);
        responses_.StartTunnel();
    } else {
        const bool oldBrowser = !platform::StartsWithNoCase(target.version, "http/1.") ||
                                platform::EqualsNoCase(target.version, "http/1.0");
        responses_.ExpectResponse(platform::EqualsNoCase(target.method, "head"), oldBrowser);
    }
    return true;
}

void ProxyConnection::LeaveServerUnlessAt(const std::string& name, int port) {
    if (serverSocket_ == kInvalidSocket || (name == serverName_ && port == serverPort_)) return;
    CloseServerSocket();
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
    if (platform::SetBlocking(s) != 0 || platform::ConnectTo(s, address, port) != 0) {
        platform::CloseSocket(s);
        return kInvalidSocket;
    }
    return s;
}

}  // namespace proxy
