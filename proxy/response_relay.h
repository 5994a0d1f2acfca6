// The server's side of a connection: reads responses as they arrive, passes each on as its kind
// requires (at once; a page held only until its first bytes decide it, then sent with the blocker
// in front and streamed; a page still undecided after kPageWindowBytes held whole), and keeps in
// step with the server's framing whatever reads the bytes come in. No sockets here: what goes to
// the browser is handed to a sender.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "proxy/blocker.h"
#include "proxy/context.h"
#include "proxy/http_header.h"
#include "proxy/response_body.h"

namespace proxy {

// The requests sent and not answered yet, oldest first, as flags. A connection that never waits
// for anything allocates nothing for it (a deque would, at once).
class AwaitedResponses {
  public:
    void Push(bool flag) { flags_.push_back(flag); }
    bool Empty() const { return next_ == flags_.size(); }
    bool Front() const { return flags_[next_]; }
    void Pop() {
        ++next_;
        // Answered entries go once they are the larger part, so a long pipeline stays short.
        if (next_ == flags_.size() || (next_ > 64 && next_ * 2 > flags_.size())) {
            flags_.erase(flags_.begin(), flags_.begin() + static_cast<std::ptrdiff_t>(next_));
            next_ = 0;
        }
    }
    void Clear() {
        flags_.clear();
        next_ = 0;
    }

  private:
    std::vector<bool> flags_;
    size_t next_ = 0;
};

class ResponseRelay {
  public:
    // Hands bytes on to the browser.
    using Sender = std::function<void(const char* bytes, size_t size)>;

    // Held pages count against context's total, take its settings and its blocker script; the
    // context must outlive the relay.
    ResponseRelay(ProxyContext& context, Sender toBrowser);
    ~ResponseRelay();
    ResponseRelay(const ResponseRelay&) = delete;
    ResponseRelay& operator=(const ResponseRelay&) = delete;

    // The host named in diagnostics.
    void SetHost(const std::string& host) { host_ = host; }
    // A request went to the server; its response comes after those already awaited. The
    // response to HEAD has no body whatever its header says. A browser speaking HTTP/1.0
    // (oldBrowser) cannot read chunks: a chunked page for it is held whole and sent with a length.
    void ExpectResponse(bool headRequest, bool oldBrowser = false) {
        awaited_.Push(headRequest);
        awaitedOldBrowser_.Push(oldBrowser);
    }
    // From now on every byte passes unchanged (a tunnel).
    void StartTunnel();
    // Bytes from the server. Returns false when the connection must end: the server's framing
    // cannot be read, a header runs past the limit or holds a NUL or a bare carriage return (the
    // browser got the 502 reply), a response came that no request asked for (nothing sent), or
    // a chunk went bad after part of the page went out (the browser sees the page cut off).
    bool Feed(const char* data, size_t size);
    // The server closed: a held response is finished and sent, one cut off inside its header
    // gets the 502 reply. Afterwards no response is awaited.
    void ServerClosed();
    // How many of the server's next bytes pass on unchanged (without limit in a tunnel or a body
    // that runs to the close): the connection may move them past the relay and report them with
    // PassedAround. 0 while the relay must read them.
    std::uint64_t UnchangedBytesAhead() const;
    void PassedAround(size_t size);
    // Between responses, gives back the memory its header buffers kept from earlier ones (a
    // page's buffers go when the page ends).
    void ReleaseIdleMemory();
    // True when no response is in progress or awaited.
    bool Idle() const { return state_ == State::kHeader && header_.empty() && awaited_.Empty(); }
    // True once every byte passes unchanged: a tunnel, or a connection that switched protocols
    // (101), whose browser side must then pass unchanged too.
    bool Tunneling() const { return state_ == State::kTunnel; }

  private:
    enum class State { kHeader, kBody, kTunnel, kFailed };
    enum class Framing { kLength, kChunked, kUntilClose };

    bool ReadHeader(const char*& data, size_t& size);
    bool BeginResponse();
    void BeginHeaderless();
    void ReadBody(const char*& data, size_t& size);
    void FinishBody();
    void EndResponse();
    // The 502 reply, then the connection ends.
    bool Fail();
    // The connection ends without a word to the browser.
    bool Drop();
    void CheckPlainText();
    // Takes room for more held bytes from the context's total; false when there is none.
    bool Hold(size_t more);
    // Makes room in buffer for more bytes, its whole new capacity counted; false when the total
    // has no room for it.
    bool Reserve(std::string& buffer, size_t more);
    void Release();
    // The held bytes and their memory go; the total gets them back.
    void FreeBuffers();
    // The response stops being held: its header and the bytes so far go, the rest passes.
    void StopHolding();
    // Decides a page being held from its first bytes (complete: they are all of it): it passes,
    // goes out with the blocker and streams from then on, or is held whole.
    void Decide(bool complete);
    void SendInjectedStart(const BlockerPlan& plan, bool complete);
    // text with the plan's script and sound element in.
    void SendPage(const std::string& text, const BlockerPlan& plan);
    void CheckBinary();
    void SendHeader();
    void Send(const std::string& bytes) { send_(bytes.data(), bytes.size()); }
    void Send(const char* text) { send_(text, std::strlen(text)); }

    bool FilteringOn() const;

    ProxyContext& context_;
    Sender send_;
    std::string host_;
    AwaitedResponses awaited_;            // per request sent: was it HEAD
    AwaitedResponses awaitedOldBrowser_;  // and did it come from an HTTP/1.0 browser

    State state_ = State::kHeader;
    bool answered_ = false;  // the server has begun a reply
    std::string header_;     // header bytes whose end has not arrived
    size_t scannedTo_ = 0;   // header_ holds no header end that starts before this offset
    HeaderLines lines_;      // the current response's header, until sent
    std::uint16_t class_ = 0;
    std::string contentTypeLine_;
    Framing framing_ = Framing::kUntilClose;
    std::uint64_t length_ = 0;     // the body's length, for kLength
    std::uint64_t remaining_ = 0;  // body bytes still to come, for kLength
    ChunkDecoder chunks_;
    bool held_ = false;
    bool whole_ = false;       // held until complete, as the first bytes did not decide it
    bool streamed_ = false;    // the blocker went out in front and the rest streams
    bool headerless_ = false;  // a page that came without any header
    bool binaryChecked_ = false;
    std::string body_;     // held body bytes as they came
    std::string decoded_;  // a held chunked body, decoded
    std::int64_t heldCounted_ = 0;
};

}  // namespace proxy
