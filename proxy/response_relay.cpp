#include "proxy/response_relay.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "platform/ascii_text.h"
#include "proxy/content_policy.h"
#include "proxy/diagnostics.h"
#include "proxy/fixed_replies.h"
#include "proxy/page_injection.h"
#include "proxy/settings.h"

namespace proxy {

namespace {

// True while bytes can still be the start of a status line.
bool MayStartStatusLine(std::string_view bytes) {
    static const char kName[] = "http/";
    const size_t n = std::min<size_t>(bytes.size(), 5);
    for (size_t i = 0; i < n; ++i) {
        if (platform::LowerAscii(bytes[i]) != kName[i]) return false;
    }
    return true;
}

// The first byte of a page without header that is not blank or high; '\0' while there is none.
// Such a page is taken for HTML when it is "<".
char FirstMark(std::string_view body) {
    for (char ch : body) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if ((c >= 1 && c <= 32) || c >= 128) continue;
        return c == 0 ? '\1' : ch;
    }
    return '\0';
}

std::string ChunkSizeLine(std::uint64_t size) {
    char line[24];
    std::snprintf(line, sizeof line, "%llx\r\n", static_cast<unsigned long long>(size));
    return line;
}

bool HasNul(const HeaderLines& lines) {
    for (const std::string& line : lines) {
        if (line.find('\0') != std::string::npos) return true;
    }
    return false;
}

// A folded field line continues the field before it: RFC 9112 lets a proxy put a space in
// place of the fold before it forwards the response.
void UnfoldLines(HeaderLines& lines) {
    for (size_t i = 2; i < lines.size();) {
        const std::string& line = lines[i];
        if (line.empty() || (line[0] != ' ' && line[0] != '\t')) {
            ++i;
            continue;
        }
        std::string& previous = lines[i - 1];
        while (!previous.empty() && (previous.back() == '\n' || previous.back() == '\r')) {
            previous.pop_back();
        }
        const size_t text = line.find_first_not_of(" \t");
        previous += ' ';
        previous.append(line, text == std::string::npos ? line.size() : text, std::string::npos);
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

bool FieldStartsWith(const HeaderLines& lines, const char* name, const char* start) {
    for (size_t i = FindField(lines, name); i != std::string::npos;
         i = FindField(lines, name, i + 1)) {
        if (platform::StartsWithNoCase(FieldValue(lines[i]), start)) return true;
    }
    return false;
}

bool IsAttachment(const HeaderLines& lines) {
    return FieldStartsWith(lines, "content-disposition", "attachment");
}

bool ForbidsSniffing(const HeaderLines& lines) {
    return FieldStartsWith(lines, "x-content-type-options", "nosniff");
}

}  // namespace

ResponseRelay::ResponseRelay(ProxyContext& context, Sender toBrowser)
    : context_(context), send_(std::move(toBrowser)) {}

ResponseRelay::~ResponseRelay() { Release(); }

bool ResponseRelay::FilteringOn() const {
    return context_.settings.Disabled.load(std::memory_order_relaxed) == 0;
}

void ResponseRelay::StartTunnel() {
    if (!header_.empty()) Send(header_);
    header_.clear();
    state_ = State::kTunnel;
}

bool ResponseRelay::Feed(const char* data, size_t size) {
    while (size > 0) {
        switch (state_) {
            case State::kFailed:
                return false;
            case State::kTunnel:
                send_(data, size);
                return true;
            case State::kHeader:
                if (!ReadHeader(data, size)) return false;
                break;
            case State::kBody:
                ReadBody(data, size);
                break;
        }
    }
    return state_ != State::kFailed;
}

void ResponseRelay::ReleaseIdleMemory() {
    if (state_ != State::kHeader || !header_.empty()) return;
    std::string().swap(header_);
    HeaderLines().swap(lines_);
}

std::uint64_t ResponseRelay::UnchangedBytesAhead() const {
    constexpr std::uint64_t kUnlimited = std::numeric_limits<std::uint64_t>::max();
    if (state_ == State::kTunnel) return kUnlimited;
    if (state_ != State::kBody || held_) return 0;
    if (framing_ == Framing::kLength) return remaining_;
    return framing_ == Framing::kUntilClose ? kUnlimited : 0;
}

void ResponseRelay::PassedAround(size_t size) {
    if (state_ != State::kBody || framing_ != Framing::kLength) return;
    remaining_ -= std::min<std::uint64_t>(size, remaining_);
    if (remaining_ == 0) FinishBody();
}

// Collects header bytes; once the header is whole, begins its response and leaves data and size
// at the bytes after it.
bool ResponseRelay::ReadHeader(const char*& data, size_t& size) {
    if (header_.empty()) {
        SkipLineBreaks(data, size);
        if (size == 0) return true;
    }
    const size_t prior = header_.size();
    size_t take = size;
    if (prior == 0 && MayStartStatusLine(std::string_view(data, size))) {
        // Usually a whole header comes in one read: only it is copied, not the body after it.
        const size_t end = HeaderEnd(data, size);
        if (end != std::string::npos) take = end;
    }
    header_.append(data, take);
    if (!MayStartStatusLine(header_)) {
        // Only the first reply of a server may come without a header; later it means the server
        // fell out of step.
        if (answered_) return Fail();
        data += size;
        size = 0;
        BeginHeaderless();
        return true;
    }
    // The search resumes where the last one stopped, so a header that trickles in is not read
    // again from its start at every read.
    const size_t end = HeaderEnd(header_, scannedTo_);
    if (end == std::string::npos || end > kMaxHeaderBytes) {
        // A header longer than the limit, however its bytes arrive, is no response to pass on.
        if (header_.size() > kMaxHeaderBytes) return Fail();
        scannedTo_ = HeaderSearchResumePoint(header_);
        data += size;
        size = 0;
        return true;
    }
    data += end - prior;
    size -= end - prior;
    header_.resize(end);
    scannedTo_ = 0;
    return BeginResponse();
}

// Takes the complete header off and decides how its body travels.
bool ResponseRelay::BeginResponse() {
    ResponseInfo info;
    const bool whole = SplitHeader(header_, lines_, FilteringOn(), &info);
    header_.clear();
    answered_ = true;
    // A response to no request cannot be matched to one: the server is out of step.
    if (awaited_.Empty()) return Drop();
    if (!whole || lines_.empty() || !IsStatusLine(lines_[0])) return Fail();
    const int status = StatusCodeOf(lines_[0]);
    if (status < 100) return Fail();
    // Bytes a browser would read differently from the proxy never reach it.
    if (HasBareCarriageReturn(lines_) || HasNul(lines_)) return Fail();
    UnfoldLines(lines_);
    if (status == 101) {
        // The connection changes protocol: everything after the header passes through.
        SendHeader();
        state_ = State::kTunnel;
        return true;
    }
    if (status < 200) {
        // An interim reply: the final one follows.
        SendHeader();
        return true;
    }
    const bool headRequest = awaited_.Front();
    const bool oldBrowser = awaitedOldBrowser_.Front();
    awaited_.Pop();
    awaitedOldBrowser_.Pop();
    if (headRequest || IsBodylessStatus(status)) {
        SendHeader();
        return true;
    }
    const BodyFraming framing = ReadBodyFraming(lines_);
    if (framing.kind == BodyKind::kInvalid) return Fail();
    // A length beside a transfer coding means nothing and must not reach the browser.
    if (framing.lengthIgnored) RemoveFields(lines_, "content-length");
    class_ = info.contentClass;
    contentTypeLine_ = info.contentTypeLine;
    // Redirects, errors, bodies in a coding the proxy cannot edit, ranges of a file and downloads
    // are never rewritten.
    if (status >= 300 || status == 206 || HasBodyCoding(lines_) || IsAttachment(lines_)) {
        class_ = kClassPass;
    }
    // Plain text is a page only where a browser may take it for one: not when the site forbids
    // sniffing.
    if (class_ == kClassHeld && ForbidsSniffing(lines_)) class_ = kClassPass;
    held_ = (class_ & kClassHeld) != 0;
    headerless_ = false;
    binaryChecked_ = false;
    streamed_ = false;
    length_ = remaining_ = framing.length;
    framing_ = framing.kind == BodyKind::kLength    ? Framing::kLength
               : framing.kind == BodyKind::kChunked ? Framing::kChunked
                                                    : Framing::kUntilClose;
    whole_ = held_ && oldBrowser && framing_ == Framing::kChunked;
    chunks_.Reset();
    state_ = State::kBody;
    if (held_) Decide(false);
    if (!held_) SendHeader();
    if (framing_ == Framing::kLength && remaining_ == 0) FinishBody();
    return true;
}

// A server that sends a page without any header: the page runs to the close.
void ResponseRelay::BeginHeaderless() {
    lines_.clear();
    headerless_ = true;
    binaryChecked_ = false;
    streamed_ = false;
    whole_ = false;
    class_ = kClassHtml | kClassHeld;
    held_ = true;
    framing_ = Framing::kUntilClose;
    state_ = State::kBody;
    answered_ = true;
    if (Reserve(body_, header_.size())) {
        body_ += header_;
        CheckBinary();
        Decide(false);
    } else {
        held_ = false;
        Send(header_);
    }
    header_.clear();
}

// Plain text is held only while it may still be a page that a browser sniffs as HTML: its first
// byte that is not blank must be "<". Anything else (a text file, a stream of events) passes at
// once.
void ResponseRelay::CheckPlainText() {
    if (!held_ || (class_ & kClassHtml) != 0 || headerless_) return;
    const std::string& text = framing_ == Framing::kChunked ? decoded_ : body_;
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return;
    if (text[first] != '<') StopHolding();
}

void ResponseRelay::ReadBody(const char*& data, size_t& size) {
    size_t take = size;
    bool ended = false;
    if (framing_ == Framing::kLength) {
        take = static_cast<size_t>(std::min<std::uint64_t>(size, remaining_));
        remaining_ -= take;
        ended = remaining_ == 0;
    } else if (framing_ == Framing::kChunked) {
        const size_t decodedRoom = whole_ ? size : kPageWindowBytes - decoded_.size();
        if (held_ && !Reserve(decoded_, std::min(size, decodedRoom))) StopHolding();
        // While a page is decided, decoding stops at each chunk's end and at the window's end.
        const ChunkDecoder::Status status =
            held_ && !whole_
                ? chunks_.DecodeToChunkEnd(data, size, decoded_, kPageWindowBytes, &take)
                : chunks_.Decode(data, size, held_ ? &decoded_ : nullptr, &take);
        if (status == ChunkDecoder::Status::kMalformed) {
            if (streamed_) {
                // Part of the page went out: the browser must see it cut off, not whole.
                Drop();
                return;
            }
            // A bad chunk: the bytes pass as they came, under the original header, to the close.
            StopHolding();
            framing_ = Framing::kUntilClose;
            take = size;
        }
        ended = status == ChunkDecoder::Status::kDone;
    }
    if (held_ && (body_.size() + take > kMaxHeldBodyBytes || !Reserve(body_, take))) {
        // Too large to hold, alone or with the other connections' pages.
        StopHolding();
    }
    if (held_) {
        body_.append(data, take);
        CheckBinary();
        CheckPlainText();
        Decide(ended);
    } else {
        send_(data, take);
    }
    data += take;
    size -= take;
    if (ended) FinishBody();
}

void ResponseRelay::Decide(bool complete) {
    if (!held_ || whole_) return;
    const bool chunked = framing_ == Framing::kChunked;
    const std::string& text = chunked ? decoded_ : body_;
    // A chunked page is decided between chunks (or at the window's end), so the chunks it goes
    // out in are the same whatever reads they came in.
    if (chunked && !complete && !chunks_.AtChunkStart() && text.size() < kPageWindowBytes) return;
    complete = complete && text.size() <= kPageWindowBytes;
    const std::string_view start(text.data(), std::min(text.size(), kPageWindowBytes));
    const bool windowFull = !complete && start.size() == kPageWindowBytes;
    if (headerless_) {
        const char mark = FirstMark(start);
        if (mark != '<' && (mark != '\0' || complete)) {
            StopHolding();
            return;
        }
        if (mark == '\0') {
            whole_ = windowFull;
            return;
        }
    }
    BlockerPlan plan = PlanBlocker(context_, start, class_, complete);
    if (plan.verdict == BlockerPlan::Verdict::kInject && !binaryChecked_) {
        // The first 32 bytes say whether it is text at all.
        if (!complete) return;
        if (LooksBinary(start.data(), start.size()))
            plan.verdict = BlockerPlan::Verdict::kUnchanged;
    }
    switch (plan.verdict) {
        case BlockerPlan::Verdict::kUndecided:
            whole_ = windowFull;
            break;
        case BlockerPlan::Verdict::kUnchanged:
            StopHolding();
            break;
        case BlockerPlan::Verdict::kInject:
            SendInjectedStart(plan, complete);
            break;
    }
}

// The header with room for the inserted bytes, then the page so far with the blocker in it; the
// rest of the page passes as it comes.
void ResponseRelay::SendInjectedStart(const BlockerPlan& plan, bool complete) {
    const bool chunked = framing_ == Framing::kChunked;
    const std::string& text = chunked ? decoded_ : body_;
    AllowScriptSourcesInHeader(lines_, plan.blocker->hashSources);
    if (framing_ == Framing::kLength) SetContentLength(lines_, length_ + plan.InsertedBytes());
    if (chunked) MarkChunked(lines_);
    SendHeader();
    Diagnose("HTTP Response data from %s.  %s", host_.c_str(), contentTypeLine_.c_str());
    if (chunked) {
        Send(ChunkSizeLine(text.size() + plan.InsertedBytes()));
        SendPage(text, plan);
        Send("\r\n");
        if (complete) {
            Send("0\r\n\r\n");
        } else if (chunks_.DataRemaining() > 0) {
            // Decided inside a chunk: its rest goes as a chunk of its own.
            Send(ChunkSizeLine(chunks_.DataRemaining()));
        }
    } else {
        SendPage(text, plan);
    }
    held_ = false;
    streamed_ = true;
    FreeBuffers();
}

void ResponseRelay::SendPage(const std::string& text, const BlockerPlan& plan) {
    send_(text.data(), plan.scriptAt);
    Send(plan.blocker->script);
    if (plan.soundAt == std::string::npos) {
        send_(text.data() + plan.scriptAt, text.size() - plan.scriptAt);
        return;
    }
    send_(text.data() + plan.scriptAt, plan.soundAt - plan.scriptAt);
    Send(kSoundElement);
    send_(text.data() + plan.soundAt, text.size() - plan.soundAt);
}

// The body is complete: a page still held is decided on all of it and goes with its header.
void ResponseRelay::FinishBody() {
    Decide(true);
    if (held_) {
        const bool chunked = framing_ == Framing::kChunked;
        const std::string& text = chunked ? decoded_ : body_;
        BlockerPlan plan;
        if (FilteringOn() && !LooksBinary(text.data(), text.size()) &&
            (!headerless_ || FirstMark(text) == '<')) {
            plan = PlanBlocker(context_, text, class_, true);
        }
        const bool inject = plan.verdict == BlockerPlan::Verdict::kInject;
        if (inject) AllowScriptSourcesInHeader(lines_, plan.blocker->hashSources);
        if (chunked) {
            MarkDechunked(lines_, text.size() + plan.InsertedBytes());
        } else if (inject) {
            SetContentLength(lines_, text.size() + plan.InsertedBytes());
        }
        SendHeader();
        Diagnose("HTTP Response data from %s.  %s", host_.c_str(), contentTypeLine_.c_str());
        if (inject) {
            SendPage(text, plan);
        } else {
            Send(text);
        }
    }
    EndResponse();
}

void ResponseRelay::EndResponse() {
    FreeBuffers();
    lines_.clear();
    contentTypeLine_.clear();
    held_ = false;
    whole_ = false;
    streamed_ = false;
    headerless_ = false;
    state_ = State::kHeader;
}

void ResponseRelay::ServerClosed() {
    if (state_ == State::kHeader && !header_.empty()) {
        // Cut off inside its header: never passed on as a complete response.
        Send(kBadGatewayReply);
    } else if (state_ == State::kBody && held_) {
        if (framing_ == Framing::kUntilClose ||
            (framing_ == Framing::kChunked && chunks_.SawLastChunk())) {
            // Only the close (or the end of the trailer) was missing: the body is whole.
            FinishBody();
        } else {
            // Cut off before its end: the browser gets what came, as it came, unfiltered.
            SendHeader();
            Send(body_);
        }
    }
    header_.clear();
    awaited_.Clear();
    awaitedOldBrowser_.Clear();
    answered_ = false;
    if (state_ != State::kFailed) EndResponse();
}

bool ResponseRelay::Fail() {
    Send(kBadGatewayReply);
    return Drop();
}

bool ResponseRelay::Drop() {
    EndResponse();
    scannedTo_ = 0;
    state_ = State::kFailed;
    return false;
}

bool ResponseRelay::Hold(size_t more) {
    const std::int64_t n = static_cast<std::int64_t>(more);
    if (context_.heldResponseBytes.fetch_add(n) + n > kMaxHeldTotalBytes) {
        context_.heldResponseBytes.fetch_sub(n);
        return false;
    }
    heldCounted_ += n;
    return true;
}

bool ResponseRelay::Reserve(std::string& buffer, size_t more) {
    const size_t need = buffer.size() + more;
    const size_t capacity = buffer.capacity();
    if (need <= capacity) return true;
    const size_t target = std::max(need, std::min(capacity * 2, kMaxHeldBodyBytes));
    if (!Hold(target - capacity)) return false;
    buffer.reserve(target);
    // An allocator that gives more than was asked for is counted at what it gave.
    const std::int64_t extra = static_cast<std::int64_t>(buffer.capacity() - target);
    context_.heldResponseBytes.fetch_add(extra);
    heldCounted_ += extra;
    return true;
}

void ResponseRelay::FreeBuffers() {
    std::string().swap(body_);
    std::string().swap(decoded_);
    Release();
}

void ResponseRelay::Release() {
    context_.heldResponseBytes.fetch_sub(heldCounted_);
    heldCounted_ = 0;
}

void ResponseRelay::StopHolding() {
    if (!held_) return;
    held_ = false;
    class_ = kClassPass;
    SendHeader();
    Send(body_);
    FreeBuffers();
}

// A page whose first 32 bytes look binary is no page: it passes as it comes. Decided once 32
// bytes are held (or at the end), so the reads they came in do not matter.
void ResponseRelay::CheckBinary() {
    if (binaryChecked_) return;
    const std::string& text = framing_ == Framing::kChunked ? decoded_ : body_;
    if (text.size() < 32) return;
    binaryChecked_ = true;
    if (LooksBinary(text.data(), text.size())) StopHolding();
}

void ResponseRelay::SendHeader() {
    if (lines_.empty()) return;
    Send(JoinHeader(lines_));
    Diagnose("HTTP Response header from %s", host_.c_str());
    lines_.clear();
}

}  // namespace proxy
