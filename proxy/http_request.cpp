#include "proxy/http_request.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "platform/ascii_text.h"
#include "proxy/autoconfig_script.h"

namespace proxy {
namespace {

// Splits host[:port]; an empty port means defaultPort. False when the port names no site.
bool SplitHostAndPort(std::string_view authority, int defaultPort, std::string& host, int& port) {
    const size_t colon = authority.rfind(':');
    host.assign(authority.substr(0, colon));
    port = defaultPort;
    if (colon == std::string_view::npos || colon + 1 == authority.size()) return true;
    port = ParsePort(std::string(authority.substr(colon + 1)));
    return port != 0;
}

// The last line of a header also carries the blank line; edits need it as a line of its own.
void EndLikeOtherLines(HeaderLines& lines) {
    std::string& last = lines.back();
    while (last.size() > 1 && (last.back() == '\r' || last.back() == '\n')) last.pop_back();
    last += "\r\n";
}

// The forwarded Host agrees with the target: the received one is replaced, a missing one added,
// any further one dropped.
void SetHostField(HeaderLines& lines, const std::string& value) {
    std::string line;
    line.reserve(value.size() + 8);
    line.append("Host: ").append(value).append("\r\n");
    const size_t first = FindField(lines, "host");
    if (first == std::string::npos) {
        lines.insert(lines.begin() + 1, line);
        return;
    }
    lines[first] = line;
    for (size_t i = first + 1; i < lines.size();) {
        if (FieldNameIs(lines[i], "host")) {
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
}

// True when a Via field names receivedBy (any case) as one of the proxies the message passed.
bool ViaNames(const HeaderLines& lines, std::string_view receivedBy) {
    for (size_t i = FindField(lines, "via"); i != std::string::npos;
         i = FindField(lines, "via", i + 1)) {
        for (const std::string& entry : SplitFields(FieldValue(lines[i]), ",")) {
            const std::vector<std::string> parts = SplitFields(entry, " \t");
            if (parts.size() >= 2 && platform::EqualsNoCase(parts[1], receivedBy)) return true;
        }
    }
    return false;
}

// Removes the fields meant for this proxy alone: its own, and those the browser's Connection
// fields name. Upgrade stays, since the site must see it for a protocol switch; so do the fields
// that frame the message and Host, whose removal would change how the site reads it.
void RemoveHopByHopFields(HeaderLines& lines) {
    std::vector<std::string> named;
    for (size_t i = FindField(lines, "connection"); i != std::string::npos;
         i = FindField(lines, "connection", i + 1)) {
        for (std::string& name : SplitFields(FieldValue(lines[i]), ", \t")) {
            named.push_back(platform::ToLowerAscii(name));
        }
    }
    for (const std::string& name : named) {
        if (name != "upgrade" && name != "connection" && name != "content-length" &&
            name != "transfer-encoding" && name != "host") {
            RemoveFields(lines, name.c_str());
        }
    }
    for (const char* name : {"proxy-authorization", "proxy-connection", "keep-alive", "te"}) {
        RemoveFields(lines, name);
    }
}

void AddVia(HeaderLines& lines, std::string_view viaName) {
    if (viaName.empty()) return;
    std::string line;
    line.reserve(viaName.size() + 11);
    line.append("Via: 1.1 ").append(viaName).append("\r\n");
    lines.push_back(std::move(line));
}

bool NamesThisProxy(const std::string& host, int port, const RequestOptions& options) {
    if (options.ownPort == 0 || port != options.ownPort) return false;
    return host == "127.0.0.1" ||
           (!options.ownName.empty() && platform::EqualsNoCase(host, std::string(options.ownName)));
}

// A GET or HEAD for the proxy's script, addressed to the proxy itself; sets the target's host
// and port to the proxy's. The Host field decides for a bare path.
bool AsksForOwnScript(RequestTarget& target, const HeaderLines& lines,
                      const RequestOptions& options) {
    if (target.tunnel || target.secure || !IsAutoConfigScriptPath(target.path)) return false;
    if (!platform::EqualsNoCase(target.method, "get") &&
        !platform::EqualsNoCase(target.method, "head")) {
        return false;
    }
    std::string host = target.host;
    int port = target.port;
    if (host.empty()) {
        const size_t field = FindField(lines, "host");
        if (field == std::string::npos ||
            !SplitHostAndPort(FieldValue(lines[field]), 80, host, port)) {
            return false;
        }
    }
    if (!NamesThisProxy(host, port, options)) return false;
    target.host = host;
    target.port = port;
    return true;
}

}  // namespace

int ParsePort(const std::string& text) {
    if (text.empty() || text.size() > 5) return 0;
    const std::int64_t value = DecimalValue(text);
    return value >= 1 && value <= 65535 ? static_cast<int>(value) : 0;
}

std::string HostFieldValue(const std::string& host, int port, bool secure) {
    return port == (secure ? 443 : 80) ? host : host + ":" + std::to_string(port);
}

RequestTarget ParseRequestLine(const std::string& line) {
    RequestTarget target;
    std::vector<std::string> fields = SplitFields(line, " \r\n");
    if (fields.size() != 3) {
        target.refusal = Refusal::kBadRequest;
        return target;
    }
    target.method = std::move(fields[0]);
    target.version = std::move(fields[2]);
    std::string_view url = fields[1];
    if (platform::EqualsNoCase(target.method, "connect")) {
        target.tunnel = true;
        const size_t colon = url.rfind(':');
        if (colon == std::string_view::npos || colon == 0) {
            target.refusal = Refusal::kBadRequest;
            return target;
        }
        target.host.assign(url.substr(0, colon));
        target.port = ParsePort(std::string(url.substr(colon + 1)));
        if (target.port == 0) target.refusal = Refusal::kBadPort;
        return target;
    }
    if (platform::StartsWithNoCase(url, "http://")) {
        url.remove_prefix(7);
    } else if (platform::StartsWithNoCase(url, "https://")) {
        url.remove_prefix(8);
        target.secure = true;
    } else if (url[0] == '/') {
        target.path = std::move(fields[1]);
        return target;
    } else {
        target.refusal = Refusal::kBadRequest;
        return target;
    }
    const size_t slash = url.find('/');
    if (slash == std::string_view::npos || slash == 0) {
        target.refusal = Refusal::kBadRequest;
        return target;
    }
    target.path.assign(url.substr(slash));
    if (!SplitHostAndPort(url.substr(0, slash), target.secure ? 443 : 80, target.host,
                          target.port)) {
        target.refusal = Refusal::kBadPort;
    } else if (target.host.empty()) {
        target.refusal = Refusal::kBadRequest;
    }
    return target;
}

void RequestReader::ServeOrigin(const std::string& host, int port) {
    originHost_ = platform::ToLowerAscii(host);
    originPort_ = port;
    lastHost_ = originHost_;
    lastPort_ = port;
    state_ = State::kHeader;
    pending_.clear();
    scannedTo_ = 0;
}

bool RequestReader::NamesOrigin(const RequestTarget& target, const HeaderLines& lines) const {
    if (target.tunnel) return false;
    if (!target.host.empty() &&
        (!target.secure || !platform::EqualsNoCase(target.host, originHost_) ||
         target.port != originPort_)) {
        return false;
    }
    for (size_t i = FindField(lines, "host"); i != std::string::npos;
         i = FindField(lines, "host", i + 1)) {
        std::string host;
        int port = 0;
        if (!SplitHostAndPort(FieldValue(lines[i]), 443, host, port) ||
            !platform::EqualsNoCase(host, originHost_) || port != originPort_) {
            return false;
        }
    }
    return true;
}

bool RequestReader::Refuse(Refusal why) {
    state_ = State::kRefused;
    refusal_ = why;
    pending_.clear();
    return false;
}

void RequestReader::AppendBody(std::vector<Piece>& out, const char* data, size_t size) {
    if (size == 0) return;
    if (out.empty()) out.emplace_back();
    out.back().bytes.append(data, size);
}

bool RequestReader::Feed(const char* data, size_t size, const RequestOptions& options,
                         std::vector<Piece>& out) {
    while (size > 0) {
        size_t take = size;
        switch (state_) {
            case State::kRefused:
                return false;
            case State::kHeader:
                if (!ReadHeader(data, size, options, out)) return false;
                continue;
            case State::kTunnel:
                break;
            case State::kLengthBody:
                take = static_cast<size_t>(std::min<std::uint64_t>(size, remaining_));
                remaining_ -= take;
                if (remaining_ == 0) state_ = State::kHeader;
                break;
            case State::kChunkedBody: {
                const ChunkDecoder::Status status = chunks_.Decode(data, size, nullptr, &take);
                if (status == ChunkDecoder::Status::kMalformed) return Refuse(Refusal::kBadRequest);
                if (status == ChunkDecoder::Status::kDone) state_ = State::kHeader;
                break;
            }
        }
        AppendBody(out, data, take);
        data += take;
        size -= take;
    }
    return true;
}

// Collects header bytes; once the header is whole, starts its request and leaves data and size
// at the bytes after it. Bytes beyond the header limit are never kept.
bool RequestReader::ReadHeader(const char*& data, size_t& size, const RequestOptions& options,
                               std::vector<Piece>& out) {
    if (pending_.empty()) {
        SkipLineBreaks(data, size);
        if (size == 0) return true;
    }
    const size_t prior = pending_.size();
    const size_t room = kMaxHeaderBytes + 1 - prior;
    pending_.append(data, std::min(size, room));
    // The search resumes where the last one stopped, so a header that trickles in is not read
    // again from its start at every read.
    const size_t end = HeaderEnd(pending_, scannedTo_);
    if (end == std::string::npos) {
        if (pending_.size() > kMaxHeaderBytes) return Refuse(Refusal::kBadRequest);
        scannedTo_ = HeaderSearchResumePoint(pending_);
        data += size;
        size = 0;
        return true;
    }
    scannedTo_ = 0;
    if (end > kMaxHeaderBytes) return Refuse(Refusal::kBadRequest);
    data += end - prior;
    size -= end - prior;
    pending_.resize(end);
    std::string header;
    header.swap(pending_);
    return StartRequest(header, options, out);
}

bool RequestReader::StartRequest(std::string& header, const RequestOptions& options,
                                 std::vector<Piece>& out) {
    HeaderLines& lines = lines_;
    // The header ends where HeaderEnd found its end; a split that disagrees met stray carriage
    // returns in the blank line.
    const bool whole = SplitHeader(header, lines, options.dropGzip, nullptr);
    if (!whole || lines.empty() || HasBareCarriageReturn(lines) ||
        CheckFieldLines(lines) != FieldSyntax::kGood) {
        return Refuse(Refusal::kBadRequest);
    }
    RequestTarget target = ParseRequestLine(lines[0]);
    if (target.refusal != Refusal::kNone) return Refuse(target.refusal);
    if (!originHost_.empty()) {
        if (!NamesOrigin(target, lines)) return Refuse(Refusal::kBadRequest);
        target.host = originHost_;
        target.port = originPort_;
        target.secure = true;
    } else if (target.secure && !options.viaGateway) {
        return Refuse(Refusal::kBadRequest);
    }
    if (!options.viaName.empty() && ViaNames(lines, options.viaName)) {
        return Refuse(Refusal::kLoop);
    }
    if (AsksForOwnScript(target, lines, options)) {
        const BodyFraming framing = ReadBodyFraming(lines);
        if (framing.kind != BodyKind::kNone &&
            (framing.kind != BodyKind::kLength || framing.length != 0)) {
            return Refuse(Refusal::kBadRequest);
        }
        target.autoConfigScript = true;
        Piece piece;
        piece.startsRequest = true;
        piece.target = std::move(target);
        out.push_back(std::move(piece));
        state_ = State::kHeader;
        return true;
    }
    if (target.host.empty()) {
        // A bare path names the host of the previous request on this connection.
        if (lastHost_.empty()) return Refuse(Refusal::kBadRequest);
        target.host = lastHost_;
        target.port = lastPort_;
    }
    lastHost_ = target.host;
    lastPort_ = target.port;

    Piece piece;
    piece.startsRequest = true;
    if (target.tunnel) {
        state_ = State::kTunnel;
        // A gateway gets the CONNECT header as it came, with our Via; a tunnel served here
        // sends nothing.
        if (options.viaGateway) {
            EndLikeOtherLines(lines);
            AddVia(lines, options.viaName);
            piece.bytes = JoinHeader(lines);
        }
        piece.target = std::move(target);
        out.push_back(std::move(piece));
        return true;
    }
    const BodyFraming framing = ReadBodyFraming(lines);
    if (framing.kind == BodyKind::kInvalid || framing.kind == BodyKind::kUntilClose) {
        return Refuse(Refusal::kBadRequest);
    }
    EndLikeOtherLines(lines);
    if (!options.viaGateway) {
        std::string& requestLine = lines[0];
        requestLine.clear();
        requestLine.reserve(target.method.size() + target.path.size() + target.version.size() + 4);
        requestLine.append(target.method).append(" ").append(target.path).append(" ");
        requestLine.append(target.version).append("\r\n");
    }
    if (!options.viaGateway) RemoveHopByHopFields(lines);
    SetHostField(lines, HostFieldValue(target.host, target.port, !originHost_.empty()));
    if (framing.lengthIgnored) RemoveFields(lines, "content-length");
    AddVia(lines, options.viaName);
    piece.bytes = JoinHeader(lines);
    piece.target = std::move(target);
    out.push_back(std::move(piece));

    state_ = State::kHeader;
    if (framing.kind == BodyKind::kLength && framing.length > 0) {
        state_ = State::kLengthBody;
        remaining_ = framing.length;
    } else if (framing.kind == BodyKind::kChunked) {
        state_ = State::kChunkedBody;
        chunks_.Reset();
    }
    return true;
}

}  // namespace proxy
