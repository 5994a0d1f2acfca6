// The server-facing half of a connection: response headers, pass-through and held bodies,
// chunked decoding, and the filtering of a held page when it is complete.
#include "proxy/blocker.h"
#include "proxy/connection.h"
#include "proxy/response_body.h"
#include "proxy/diagnostics.h"
#include "proxy/settings.h"

namespace proxy {

void ProxyConnection::ResetResponse() {
    ResponseState = 1;
    BodyBytesSent = 0;
    ContentLength = -1;
    IsChunked = false;
    ContentClass = 0;
    contentTypeLine_.clear();
    firstBodyCheck_ = true;
    chunkDecoder_.Reset();
    decodedBody_.clear();
}

int ProxyConnection::ParseResponseHeader() {
    StatusCode = 0;
    if (!HeaderComplete(responseBuffer_)) return 0;
    ResponseInfo info;
    info.contentLength = ContentLength;
    info.isChunked = IsChunked;
    const bool dropGzip = appSettings.Disabled == 0 && !IsTunnel;
    if (!SplitHeader(responseBuffer_, responseHeaderLines_, dropGzip, &info)) {
        responseHeaderLines_.clear();
        return 0;
    }
    ContentClass = info.contentClass;
    ContentLength = info.contentLength;
    IsChunked = info.isChunked;
    contentTypeLine_ = info.contentTypeLine;
    if (!responseHeaderLines_.empty()) StatusCode = StatusCodeOf(responseHeaderLines_.front());
    return 1;
}

void ProxyConnection::HandleResponseData() {
    if (IsTunnel) {
        Diagnose("Received from %s (secure connection)", host_.c_str());
        SendAll(browserSocket_, responseBuffer_);
        return;
    }
    // One read may end a response and start the next (a 100 followed by the real reply, a reply
    // without body, replies to pipelined requests): go on while a response ends within it.
    // Each round consumes a header, so the loop ends.
    for (;;) {
        if (ResponseState == 1) {
            if (responseBuffer_.empty() || !BeginResponse()) return;
            if (ResponseState == 1) continue;
        }
        if (ResponseState != 2 || !HandleResponseBody()) return;
    }
}

// Takes a response header off the buffer and decides how its body travels. Returns false while
// the header is incomplete.
bool ProxyConnection::BeginResponse() {
    if (ParseResponseHeader() == 0) {
        if (responseBuffer_.size() <= kMaxHeaderBytes) return false;
        // No header end within the limit: the bytes pass on as they are.
        ContentClass = kClassPass;
        firstBodyCheck_ = false;
        ResponseState = 2;
        return true;
    }
    ResponseState = 2;
    if (StatusCode == 101) {
        // The connection changes protocol: everything after the header passes through.
        SendResponseHeader();
        ContentClass = kClassPass;
        ContentLength = -1;
        IsChunked = false;
        return true;
    }
    if (isHeadRequest_ || IsBodylessStatus(StatusCode)) {
        SendResponseHeader();
        // After 100 Continue the browser sends its request body on.
        if (StatusCode == 100) RequestState = 2;
        ResetResponse();
        return true;
    }
    ApplyResponseRules();
    if (IsChunked) {
        savedHeaderLines_.swap(responseHeaderLines_);
        responseHeaderLines_.clear();
        chunkDecoder_.Reset();
        decodedBody_.clear();
        return true;
    }
    if ((ContentClass & kClassHeld) == 0) SendResponseHeader();
    return true;
}

// Responses that are never rewritten pass through: redirects and errors, and bodies in a coding
// the proxy cannot edit. Only a held chunked body is decoded; any other passes still coded, and
// its length comes from the coding alone.
void ProxyConnection::ApplyResponseRules() {
    if (StatusCode >= 300 || StatusCode == 204) ContentClass = kClassPass;
    if (HasBodyCoding(responseHeaderLines_)) ContentClass = kClassPass;
    if (IsChunked) {
        ContentLength = -1;
        if ((ContentClass & kClassHeld) == 0) IsChunked = false;
    }
}

// Moves the body on. Returns true when the response ended and bytes after it may start the next.
bool ProxyConnection::HandleResponseBody() {
    if (IsChunked) {
        Dechunk();
        if (IsChunked) return false;
    }
    if (firstBodyCheck_ && !responseBuffer_.empty()) {
        // A page that looks binary passes through, whichever read its first bytes came in.
        if ((ContentClass & kClassHeld) != 0 && LooksBinary(responseBuffer_)) {
            ContentClass = kClassPass;
            SendResponseHeader();
        }
        firstBodyCheck_ = false;
    }
    // Bytes past the announced length belong to the next response.
    if (ContentLength != -1) {
        const bool held = (ContentClass & kClassHeld) != 0 || !responseHeaderLines_.empty();
        const std::int64_t room = held ? ContentLength : ContentLength - BodyBytesSent;
        if (room >= 0 && static_cast<std::uint64_t>(room) < responseBuffer_.size()) {
            nextResponse_.append(responseBuffer_, static_cast<size_t>(room), std::string::npos);
            responseBuffer_.resize(static_cast<size_t>(room));
        }
    }
    if ((ContentClass & kClassHeld) == 0 && responseHeaderLines_.empty()) {
        BodyBytesSent += static_cast<std::int64_t>(responseBuffer_.size());
        SendAll(browserSocket_, responseBuffer_);
    } else {
        BodyBytesSent = static_cast<std::int64_t>(responseBuffer_.size());
        if (responseBuffer_.size() > kMaxHeldBodyBytes) {
            // Too large to hold: what there is goes as it stands and the rest passes through.
            ContentClass = kClassPass;
            SendResponseHeader();
            SendAll(browserSocket_, responseBuffer_);
        }
    }
    if (ContentLength == -1 || BodyBytesSent < ContentLength) return false;
    FinishResponse();
    if (ResponseState != 1) return false;
    // Line breaks a server leaves between replies are no part of the next one.
    const size_t start = nextResponse_.find_first_not_of("\r\n");
    responseBuffer_.assign(nextResponse_, start == std::string::npos ? nextResponse_.size() : start,
                           std::string::npos);
    nextResponse_.clear();
    return true;
}

void ProxyConnection::Dechunk() {
    switch (chunkDecoder_.Decode(responseBuffer_, decodedBody_)) {
        case ChunkDecoder::Status::kNeedMore:
            if (responseBuffer_.size() > kMaxHeldBodyBytes) PassChunkedBodyAsItStands();
            return;
        case ChunkDecoder::Status::kMalformed:
            PassChunkedBodyAsItStands();
            return;
        case ChunkDecoder::Status::kDone:
            CompleteDechunkedBody(chunkDecoder_.End());
            return;
    }
}

// The last chunk arrived: the decoded body replaces the raw one and the header names its length.
void ProxyConnection::CompleteDechunkedBody(size_t rawEnd) {
    nextResponse_.append(responseBuffer_, rawEnd, std::string::npos);
    responseBuffer_.swap(decodedBody_);
    decodedBody_.clear();
    IsChunked = false;
    MarkDechunked(savedHeaderLines_, responseBuffer_.size());
    ContentLength = BodyBytesSent = static_cast<std::int64_t>(responseBuffer_.size());
    responseHeaderLines_.swap(savedHeaderLines_);
    savedHeaderLines_.clear();
}

// The chunked body cannot be decoded (or held) any further: the original header and the raw
// bytes go to the browser as they came, and the rest passes through unchanged.
void ProxyConnection::PassChunkedBodyAsItStands() {
    responseHeaderLines_.swap(savedHeaderLines_);
    savedHeaderLines_.clear();
    decodedBody_.clear();
    IsChunked = false;
    ContentClass = kClassPass;
    ContentLength = -1;
    firstBodyCheck_ = false;
    SendResponseHeader();
}

// The server stopped before a complete header: try the bytes as a header missing its blank
// line, else as a page without header.
void ProxyConnection::ReadHeaderAtClose() {
    if (responseBuffer_.find("HTTP/1.") != std::string::npos) {
        responseBuffer_ += "\r\n";
        if (ParseResponseHeader() == 1) {
            ApplyResponseRules();
            // Nothing follows the header, so there is no body to decode or to rewrite.
            if (IsChunked || isHeadRequest_ || IsBodylessStatus(StatusCode)) {
                IsChunked = false;
                ContentClass = kClassPass;
            }
            return;
        }
        responseBuffer_.resize(responseBuffer_.size() - 2);
        return;
    }
    size_t first = 0;
    while (first < responseBuffer_.size()) {
        const unsigned char c = static_cast<unsigned char>(responseBuffer_[first]);
        if (!((c >= 1 && c <= 32) || c >= 128)) break;
        ++first;
    }
    if (first < responseBuffer_.size() && responseBuffer_[first] == '<') {
        ContentClass = kClassHtml | kClassHeld;
    }
}

void ProxyConnection::FinishResponse() {
    if (browserSocket_ == kInvalidSocket) return;
    if (!responseBuffer_.empty() && ResponseState == 1) ReadHeaderAtClose();
    if (IsChunked) {
        if (chunkDecoder_.SawLastChunk()) {
            // Only the end of the trailer is missing: the body itself is whole.
            CompleteDechunkedBody(responseBuffer_.size());
        } else {
            // Cut off before its last chunk: the browser gets the truncated chunked body as it
            // came, never a length that claims it is complete.
            PassChunkedBodyAsItStands();
        }
    }
    if (!responseBuffer_.empty()) {
        const bool held = (ContentClass & kClassHeld) != 0;
        // A body shorter than its announced length is cut off; it is not rewritten either.
        const bool cutOff = ContentLength != -1 &&
                            static_cast<std::int64_t>(responseBuffer_.size()) < ContentLength;
        if (held && !cutOff && appSettings.Disabled == 0) {
            const std::string lowerBody = ToLower(responseBuffer_);
            if (InjectBlocker(responseBuffer_, lowerBody, ContentClass, &responseHeaderLines_)) {
                SetContentLength(responseHeaderLines_, responseBuffer_.size());
            }
        }
        SendResponseHeader();
        Diagnose("HTTP Response data from %s.  %s", host_.c_str(), contentTypeLine_.c_str());
        SendAll(browserSocket_, responseBuffer_);
        responseBuffer_.clear();
    } else {
        SendResponseHeader();
    }
    ResetResponse();
}

void ProxyConnection::SendResponseHeader() {
    if (responseHeaderLines_.empty()) return;
    std::string text = JoinHeader(responseHeaderLines_);
    SendAll(browserSocket_, text);
    Diagnose("HTTP Response header from %s", host_.c_str());
    responseHeaderLines_.clear();
}

}  // namespace proxy
