// The browser-facing half of a connection: request headers, the target, the server socket.
#include <cstring>

#include "platform/socket.h"
#include "proxy/connection.h"
#include "proxy/dns_cache.h"
#include "proxy/diagnostics.h"
#include "proxy/settings.h"

namespace proxy {

const char kBadRequestReply[] = "HTTP/1.0 400 Invalid header received from browser\n\n";
const char kTunnelEstablishedReply[] =
    "HTTP/1.0 200 Connection established\r\nProxy-agent: QX-Proxy/1.0\r\n\r\n";
const char kSiteUnreachableReply[] =
    "HTTP/1.0 404 Error connecting to site\r\nPragma: no-cache\r\nContent-Type: "
    "text/html\r\n<html>\r\n<head>\r\nSite does not exist.\r\n</head></html>\r\n\r\n";

namespace {

// Methods after which the connection stays in request-header mode; any other method passes
// the browser's bytes through until the server answers.
const char* const kKnownMethods[] = {"GET", "HEAD", "PUT", "DELETE"};

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    return ToLower(text.substr(0, std::strlen(prefix))) == prefix;
}

std::string ToUpper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

}  // namespace

int ProxyConnection::HandleBrowserData() {
    if (IsTunnel) RequestState = 2;
    if (RequestState == 1) {
        if (!HeaderComplete(requestBuffer_)) {
            if (requestBuffer_.size() <= kMaxHeaderBytes) return 1;
            platform::Send(browserSocket_, kBadRequestReply, sizeof kBadRequestReply - 1);
            return 0;
        }
        if (HandleRequestHeader() == 0) return 0;
        ResetResponse();
        if (ConnectToSite() == 0) return 0;
    }
    SendAll(serverSocket_, requestBuffer_);
    return 1;
}

void ProxyConnection::ParseRequestLine(const std::string& line) {
    requestLine_ = line;
    hostAndPort_.clear();
    std::vector<std::string> fields = SplitFields(line, " \r\n");
    if (fields.size() == 3) {
        if (ToLower(fields[0]) == "connect") {
            IsTunnel = true;
            method_ = fields[0];
            hostAndPort_ = fields[1];
            version_ = fields[2];
        } else {
            IsTunnel = false;
            method_ = fields[0];
            url_ = fields[1];
            version_ = fields[2];
            if (StartsWithNoCase(url_, "http://")) {
                url_.erase(0, 7);
            } else if (StartsWithNoCase(url_, "https://")) {
                url_.erase(0, 8);
            } else if (url_[0] == '/') {
                // A bare path names the host of the previous request on this connection.
                path_ = url_;
                url_.clear();
            } else {
                url_.clear();
            }
            size_t slash = url_.find('/');
            if (slash != std::string::npos) {
                path_ = url_.substr(slash);
                hostAndPort_ = url_.substr(0, slash);
            }
        }
    }
    if (!hostAndPort_.empty()) {
        std::vector<std::string> parts = SplitFields(hostAndPort_, ":");
        if (!parts.empty()) {
            port_ = 80;
            host_ = parts[0];
        }
        if (parts.size() == 2) port_ = static_cast<int>(LeadingNumber(parts[1], 0));
    }
}

int ProxyConnection::HandleRequestHeader() {
    const bool dropGzip = appSettings.Disabled.load(std::memory_order_relaxed) == 0 && !IsTunnel;
    const bool ended = SplitHeader(requestBuffer_, requestHeaderLines_, dropGzip, nullptr);
    if (!requestHeaderLines_.empty()) ParseRequestLine(requestHeaderLines_[0]);
    if (!ended || requestLine_.empty() || host_.empty()) {
        platform::Send(browserSocket_, kBadRequestReply, sizeof kBadRequestReply - 1);
        return 0;
    }
    if (appSettings.GatewayEnable.load(std::memory_order_relaxed) == 0 && !IsTunnel) {
        requestHeaderLines_[0] = method_ + " " + path_ + " " + version_ + "\r\n";
    }
    const std::string start = ToUpper(requestHeaderLines_[0].substr(0, 9));
    bool known = false;
    for (const char* word : kKnownMethods) known = known || start.find(word) != std::string::npos;
    if (!known) RequestState = 2;
    isHeadRequest_ = ToUpper(method_) == "HEAD";
    return 1;
}

int ProxyConnection::ConnectToSite() {
    if (!lastHost_.empty() && (lastHost_ != host_ || lastPort_ != port_) &&
        serverSocket_ != kInvalidSocket) {
        platform::CloseSocket(serverSocket_);
        serverSocket_ = kInvalidSocket;
    }
    lastHost_ = host_;
    lastPort_ = port_;
    std::string target = host_;
    int targetPort = port_;
    const bool viaGateway = appSettings.GatewayEnable.load(std::memory_order_relaxed) != 0;
    if (viaGateway) {
        target = appSettings.GatewayIP.Get();
        targetPort = appSettings.GatewayPort.load(std::memory_order_relaxed);
    }
    if (IsTunnel) ResponseState = 2;
    if (viaGateway || !IsTunnel) {
        // The rewritten header, then whatever followed it (a request body, say).
        requestBuffer_.insert(0, JoinHeader(requestHeaderLines_));
    } else {
        // A tunnel served here: the browser is told at once; bytes that came after the CONNECT
        // header stay in the request buffer for the site.
        ResponseState = 2;
        IsTunnel = true;
        std::string reply = kTunnelEstablishedReply;
        SendAll(browserSocket_, reply);
        requestHeaderLines_.clear();
    }
    Diagnose("Connecting to '%s' port = %u", target.c_str(), static_cast<unsigned>(targetPort));
    if (serverSocket_ == kInvalidSocket) {
        serverSocket_ = OpenServerSocket(target, targetPort);
        if (serverSocket_ == kInvalidSocket) {
            responseBuffer_ = kSiteUnreachableReply;
            SendAll(browserSocket_, responseBuffer_);
            CloseConnection();
            return 0;
        }
    }
    return 1;
}

SocketHandle ProxyConnection::OpenServerSocket(const std::string& name, int port) {
    if (port < 1 || port > 65535) return kInvalidSocket;
    std::uint32_t address = platform::ParseDottedAddress(name);
    if (address == platform::kNoAddress) {
        address = dnsCache.Lookup(name);
        if (address == 0) {
            address = platform::ResolveHostAddress(name);
            if (address == 0) return kInvalidSocket;
            dnsCache.Insert(name, address);
        }
    }
    SocketHandle s = platform::OpenTcpSocket();
    if (s == kInvalidSocket) return kInvalidSocket;
    if (appSettings.UseDefaultBufferSizes.load(std::memory_order_relaxed) == 0) {
        platform::SetBufferSizes(s, sendChunkSize_, receiveSize_);
    }
    if (platform::SetBlocking(s) != 0 || platform::ConnectTo(s, address, port) != 0) {
        platform::CloseSocket(s);
        return kInvalidSocket;
    }
    return s;
}

}  // namespace proxy
