// The browser's side of the wire as pure functions of bytes: the request line, and a reader that
// cuts a stream of requests into rewritten headers and bodies, whatever reads they arrive in.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "proxy/http_header.h"
#include "proxy/response_body.h"

namespace proxy {

// Why a request is refused: the 400 reply for a header that cannot be used, the 404 reply for a
// port that names no site, the 508 reply for a request that has already passed this proxy.
enum class Refusal { kNone, kBadRequest, kBadPort, kLoop };

// Where a request goes, from its request line.
struct RequestTarget {
    Refusal refusal = Refusal::kNone;
    bool tunnel = false;  // CONNECT host:port
    bool secure = false;  // an absolute https:// URL
    // The proxy's own automatic configuration script, answered by the proxy: host and port are
    // the proxy's, the reader passes no bytes of it on.
    bool autoConfigScript = false;
    std::string method, path, version;
    std::string host;  // empty for a bare path: the previous request's host is meant
    int port = 80;
};

// A request line "METHOD URL VERSION": an absolute http:// or https:// URL (its path from the
// first slash after the host; port 80 or 443 when none is given), a bare path, or for CONNECT
// host:port.
RequestTarget ParseRequestLine(const std::string& line);

// Port number of decimal text in 1..65535, else 0.
int ParsePort(const std::string& text);

// The Host field value that names host and port (":80" left out, or ":443" inside a tunnel to a
// secure site that this proxy ends).
std::string HostFieldValue(const std::string& host, int port, bool secure = false);

// What the reader does with the headers it passes.
struct RequestOptions {
    bool dropGzip = true;     // drop Accept-Encoding fields that name gzip
    bool viaGateway = false;  // the request line keeps its absolute URL for the gateway
    // How this proxy names itself in Via ("host:port" of its listening socket). Each forwarded
    // request gets "Via: 1.1 <viaName>", and one that already names it is refused as a loop.
    // Empty: no Via is added or checked.
    std::string_view viaName;
    // The proxy's own address, where it serves its automatic configuration script: 127.0.0.1 or
    // ownName (any case) with ownPort. 0: the script is never recognised.
    int ownPort = 0;
    std::string_view ownName;
};

// Cuts the bytes a browser sends into requests. Each request's own framing (Content-Length or a
// chunked body) decides which bytes are its body; the next header starts after it. A header that
// cannot be read the same way by every peer is refused with kBadRequest: a folded line, a blank
// before the first field or before a colon, a line that is no field, a NUL or a bare CR, a
// Transfer-Encoding whose last coding is not chunked. So is an https:// URL, which this proxy
// would fetch in plain text, unless a gateway takes it. Without a gateway, the fields meant for
// the proxy (Proxy-Authorization, Proxy-Connection, Keep-Alive, TE and those the Connection
// fields name) never reach the site. A GET or HEAD for the proxy's own script, in origin form
// with a Host naming the proxy or as an absolute URL to it, becomes a piece marked
// autoConfigScript, without bytes; such a request with a body is refused.
class RequestReader {
  public:
    // A run of bytes for the server. A piece that starts a request carries its target and its
    // rewritten header; the others carry body bytes of the request before them.
    struct Piece {
        bool startsRequest = false;
        RequestTarget target;
        std::string bytes;
    };

    // Reads the next bytes and appends the pieces they complete. Returns false once a request is
    // refused (refusal() says how); the pieces before it stay valid.
    bool Feed(const char* data, size_t size, const RequestOptions& options,
              std::vector<Piece>& out);
    Refusal refusal() const { return refusal_; }
    // The connection switched protocols: every later byte passes unchanged, as in a tunnel.
    void StartTunnel() { state_ = State::kTunnel; }
    // The bytes that follow come through a tunnel to host:port that this proxy ends itself (a
    // secure site): requests name their path, or an https:// URL of that site; their site is
    // host:port, and one whose URL or Host field names another site is refused, as is CONNECT.
    void ServeOrigin(const std::string& host, int port);
    // Between requests, gives back the memory its buffers kept from earlier ones.
    void ReleaseIdleMemory() {
        if (pending_.empty()) std::string().swap(pending_);
        HeaderLines().swap(lines_);
    }

  private:
    enum class State { kHeader, kLengthBody, kChunkedBody, kTunnel, kRefused };

    bool ReadHeader(const char*& data, size_t& size, const RequestOptions& options,
                    std::vector<Piece>& out);
    bool StartRequest(std::string& header, const RequestOptions& options, std::vector<Piece>& out);
    bool Refuse(Refusal why);
    // Whether a request read after ServeOrigin is for the origin: its URL and Host fields.
    bool NamesOrigin(const RequestTarget& target, const HeaderLines& lines) const;
    static void AppendBody(std::vector<Piece>& out, const char* data, size_t size);

    State state_ = State::kHeader;
    Refusal refusal_ = Refusal::kNone;
    std::string pending_;   // the start of a header whose end has not arrived
    size_t scannedTo_ = 0;  // pending_ holds no header end that starts before this offset
    HeaderLines lines_;     // the lines of the header being rewritten, kept for the next one
    std::uint64_t remaining_ = 0;
    ChunkDecoder chunks_;
    std::string lastHost_;
    int lastPort_ = 80;
    std::string originHost_;  // set by ServeOrigin
    int originPort_ = 0;
};

}  // namespace proxy
