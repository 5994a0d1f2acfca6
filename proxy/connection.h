// One browser connection: the relay loop between the browser socket and the server socket,
// with the request side (connection_request.cpp) and the response side
// (connection_response.cpp).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/socket.h"
#include "proxy/http_header.h"
#include "proxy/response_body.h"

namespace proxy {

using platform::SocketHandle;
using platform::kInvalidSocket;

// ProxyConnection objects alive.
extern std::atomic<int> LiveConnections;

// Fixed replies of the proxy, sent as they stand.
extern const char kBadRequestReply[];
extern const char kTunnelEstablishedReply[];
extern const char kSiteUnreachableReply[];

class ProxyConnection {
public:
    // Takes ownership of the accepted browser socket.
    explicit ProxyConnection(SocketHandle browserSocket);
    virtual ~ProxyConnection();
    ProxyConnection(const ProxyConnection&) = delete;
    ProxyConnection& operator=(const ProxyConnection&) = delete;

    // Sizes the relay buffer, runs RelayLoop, then CloseConnection.
    void Run();

    // Relay side.
    void RelayLoop(char* relayBuffer);
    // Sends bytes in chunks of at most sendChunkSize_; returns the count sent and removes it
    // from bytes. A failed send leaves the rest in bytes (and backs BufferSize off on
    // WSAENOBUFS).
    size_t SendAll(SocketHandle socket, std::string& bytes);
    // Flushes a pending response and closes both sockets.
    void CloseConnection();

    // Request side. Each returns 0 when the connection must end, else 1.
    int HandleBrowserData();
    void ParseRequestLine(const std::string& line);
    int HandleRequestHeader();
    int ConnectToSite();
    // A socket connected to name:port, or kInvalidSocket.
    SocketHandle OpenServerSocket(const std::string& name, int port);

    // Response side.
    void ResetResponse();
    // 1 when the response buffer held a complete header, now cut off into the header lines.
    int ParseResponseHeader();
    void HandleResponseData();
    void Dechunk();
    void FinishResponse();
    void SendResponseHeader();

protected:
    std::string responseBuffer_;
    std::string requestBuffer_;
    HeaderLines requestHeaderLines_;
    HeaderLines responseHeaderLines_;
    std::string requestLine_;
    bool IsTunnel = false;
    std::string method_, url_, version_, hostAndPort_, path_;
    int port_ = 80;
    std::string host_;
    int ResponseState = 1;  // 1 = expecting a response header, 2 = in a body
    int RequestState = 1;   // 1 = expecting a request header, 2 = passing browser bytes
    std::uint16_t ContentClass = 0;
    SocketHandle serverSocket_ = kInvalidSocket;
    SocketHandle browserSocket_;
    int StatusCode = 0;
    std::int64_t ContentLength = -1;
    std::int64_t BodyBytesSent = 0;
    bool IsChunked = false;
    std::string decodedBody_;
    HeaderLines savedHeaderLines_;
    int sendChunkSize_ = 256;
    int receiveSize_ = 256;
    std::string contentTypeLine_;
    std::string lastHost_;
    int lastPort_ = 0;
    bool firstBodyCheck_ = true;
    bool isHeadRequest_ = false;   // the current request's method is HEAD: its response has no body

    // Response side state (connection_response.cpp).
    ChunkDecoder chunkDecoder_;  // decodes a held chunked body; its raw bytes stay in the buffer
    std::string nextResponse_;   // bytes that came after the end of the current response

private:
    // Response side steps (connection_response.cpp).
    bool BeginResponse();
    void ApplyResponseRules();
    bool HandleResponseBody();
    void CompleteDechunkedBody(size_t rawEnd);
    void PassChunkedBodyAsItStands();
    void ReadHeaderAtClose();
};

// Relay size from the settings: the larger system buffer (at least 256) with
// UseDefaultBufferSizes, else BufferSize (at least 1).
int RelayBufferSize();

// Lowers BufferSize by 1024 after a send failed for lack of buffer space, not below 2048.
void BackOffBufferSize();

}  // namespace proxy
