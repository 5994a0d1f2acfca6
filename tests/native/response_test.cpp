// The response side: the pure pieces (chunk decoder, header edits, body checks) and the
// response relay, fed read by read as a server would.
#include <gtest/gtest.h>

#include <memory>

#include "proxy/blocker.h"
#include "proxy/context.h"
#include "proxy/fixed_replies.h"
#include "proxy/response_body.h"
#include "proxy/response_relay.h"
#include "proxy/settings.h"

namespace {

using proxy::ChunkDecoder;
using Status = ChunkDecoder::Status;
using namespace std::string_literals;

// ---- Chunk decoder ----

struct ChunkCase {
    const char* name;
    std::string raw;
    Status status;
    std::string decoded;
    size_t end;  // End() once done, when the raw bytes come in one read
};

constexpr size_t kAll = std::string::npos;

// The raw bytes arrive in pieces of every size from 1 up; the outcome must not depend on where
// the reads split.
TEST(ChunkDecoder, DecodesTheSameWhateverTheReadBoundaries) {
    const std::string body = "5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n";
    const std::vector<ChunkCase> cases = {
        {"plain", body, Status::kDone, "hello world", kAll},
        {"extensions and upper-case hex", "A;name=v\r\n0123456789\r\n0;x\r\n\r\n", Status::kDone,
         "0123456789", kAll},
        {"bare line feeds", "3\nabc\n0\n\n", Status::kDone, "abc", kAll},
        {"trailer fields are dropped", "3\r\nabc\r\n0\r\nX-Sum: 1\r\nY: 2\r\n\r\n", Status::kDone,
         "abc", kAll},
        {"the next reply stays", "1\r\na\r\n0\r\n\r\nHTTP/1.1", Status::kDone, "a", 11},
        {"leading zeros are no overflow", "00000000000000000000003\r\nabc\r\n0\r\n\r\n",
         Status::kDone, "abc", kAll},
        {"data still coming", "5\r\nhel", Status::kNeedMore, "hel", 0},
        {"last chunk missing", "5\r\nhello\r\n", Status::kNeedMore, "hello", 0},
        {"size that is no number", "zz\r\nhello", Status::kMalformed, "", 0},
        {"size with junk after it", "5x\r\nhello", Status::kMalformed, "", 0},
        {"size that overflows", "1ffffffffffffffff\r\nhello", Status::kMalformed, "", 0},
        {"zero byte for a size", "3\r\nabc\r\n\0\r\n"s, Status::kMalformed, "abc", 0},
        {"data not followed by a line break", "3\r\nabcX\r\n0\r\n\r\n", Status::kMalformed, "abc",
         0},
        {"data followed by a carriage return alone", "3\r\nabc\rX0\r\n\r\n", Status::kMalformed,
         "abc", 0},
        {"a short chunk cannot be read as a longer one", "5\r\nabc\r\n0\r\n\r\n",
         Status::kMalformed, "abc\r\n", 0},
    };
    for (const ChunkCase& c : cases) {
        for (size_t step = 1; step <= c.raw.size(); ++step) {
            ChunkDecoder decoder;
            std::string decoded;
            Status status = Status::kNeedMore;
            size_t end = 0;
            for (size_t at = 0; at < c.raw.size() && status == Status::kNeedMore; at += step) {
                const size_t n = std::min(step, c.raw.size() - at);
                size_t used = 0;
                status = decoder.Decode(c.raw.data() + at, n, &decoded, &used);
                end = at + used;
            }
            EXPECT_EQ(status, c.status) << c.name << ", reads of " << step;
            EXPECT_EQ(decoded, c.decoded) << c.name << ", reads of " << step;
            if (c.status == Status::kDone) {
                EXPECT_EQ(end, c.end == kAll ? c.raw.size() : c.end) << c.name << ", " << step;
            }
        }
    }
}

TEST(ChunkDecoder, BoundsSizeLinesAndTrailers) {
    ChunkDecoder decoder;
    std::string decoded;
    size_t used = 0;
    const std::string longLine = "1;" + std::string(ChunkDecoder::kMaxSizeLine, 'e');
    EXPECT_EQ(decoder.Decode(longLine.data(), longLine.size(), &decoded, &used),
              Status::kMalformed);
    decoder.Reset();
    const std::string trailer = "0\r\n" + std::string(ChunkDecoder::kMaxTrailer - 2, 't');
    EXPECT_EQ(decoder.Decode(trailer.data(), trailer.size(), &decoded, &used), Status::kNeedMore);
    EXPECT_TRUE(decoder.SawLastChunk());
    EXPECT_EQ(decoder.Decode("tt", 2, &decoded, &used), Status::kMalformed);
}

// Which requests were HEAD is answered in the order they were sent, also while a long pipeline
// keeps the queue from ever running empty.
TEST(AwaitedResponses, KeepTheirOrderThroughALongPipeline) {
    proxy::AwaitedResponses awaited;
    size_t sent = 0, answered = 0;
    const auto isHead = [](size_t request) { return request % 3 == 0; };
    for (int round = 0; round < 500; ++round) {
        for (int i = 0; i < 3; ++i) awaited.Push(isHead(sent++));
        for (int i = 0; i < 2; ++i) {
            ASSERT_FALSE(awaited.Empty());
            ASSERT_EQ(awaited.Front(), isHead(answered++)) << "answer " << answered;
            awaited.Pop();
        }
    }
    while (!awaited.Empty()) {
        ASSERT_EQ(awaited.Front(), isHead(answered++));
        awaited.Pop();
    }
    EXPECT_EQ(answered, sent);
}

TEST(ResponseHeader, LengthEditsKeepOneLengthAndTheLineBreaks) {
    proxy::HeaderLines lines = {"HTTP/1.1 200 OK\r\n", "X-Original-Content-Length: 20\r\n",
                                "content-LENGTH: 12\r\n", "Content-Length: 1\n\n"};
    EXPECT_TRUE(proxy::SetContentLength(lines, 5000000000ull));
    EXPECT_EQ(
        proxy::JoinHeader(lines),
        "HTTP/1.1 200 OK\r\nX-Original-Content-Length: 20\r\nContent-Length: 5000000000\r\n\r\n");
    proxy::HeaderLines bare = {"HTTP/1.0 200 OK\n", "Server: x\n\n"};
    EXPECT_FALSE(proxy::SetContentLength(bare, 7));

    lines = {"HTTP/1.1 200 OK\r\n", "Content-Length: 999\r\n", "Transfer-Encoding: chunked\r\n",
             "Server: s\r\n", "Transfer-Encoding: chunked\r\n\r\n"};
    proxy::MarkDechunked(lines, 16);
    EXPECT_EQ(proxy::JoinHeader(lines),
              "HTTP/1.1 200 OK\r\nContent-Length: 16\r\nServer: s\r\n\r\n");
}

TEST(ResponseHeader, CodingsThatBlockRewriting) {
    const std::vector<std::pair<std::string, bool>> cases = {
        {"Content-Encoding: gzip\r\n", true},      {"content-encoding:  Deflate \r\n", true},
        {"Content-Encoding: identity\r\n", false}, {"Content-Encoding:\r\n", false},
        {"Transfer-Encoding: chunked\r\n", false}, {"Transfer-Encoding: gzip, chunked\r\n", true},
        {"X-Content-Encoding: gzip\r\n", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(proxy::HasBodyCoding({"HTTP/1.1 200 OK\r\n", c.first, "\r\n"}), c.second)
            << c.first;
    }
}

// ---- The connection's response handling ----

// The response side alone: the test plays the server by handing it reads, and collects what
// would reach the browser.
class Connection {
  public:
    explicit Connection(proxy::ProxyContext& context, bool headRequest = false)
        : relay_(context,
                 [this](const char* bytes, size_t size) { delivered_.append(bytes, size); }) {
        for (int i = 0; i < 10; ++i) relay_.ExpectResponse(headRequest);
    }
    // One read from the server; false when the relay ends the connection.
    bool ServerSends(const std::string& bytes) { return relay_.Feed(bytes.data(), bytes.size()); }
    void ServerCloses() { relay_.ServerClosed(); }
    // What reached the browser since the last call.
    std::string Delivered() {
        std::string bytes;
        bytes.swap(delivered_);
        return bytes;
    }

  private:
    std::string delivered_;
    proxy::ResponseRelay relay_;
};

// A proxy's settings and context of the test's own: the check on, no sound, the script "[S]".
class ResponseHandling : public ::testing::Test {
  protected:
    void SetUp() override {
        settings_.PlayWave = 0;
        proxy::SetBlockerScript(context_, "[S]");
    }
    proxy::AppSettings settings_;
    proxy::ProxyContext context_{settings_};
};

std::string Header(const std::string& fields) { return "HTTP/1.1 200 OK\r\n" + fields + "\r\n"; }

const std::string kSame = "(same)";

struct Step {
    std::string read;       // bytes from the server; empty = the server closes
    std::string delivered;  // what the browser has received after it; kSame = the read as it is
};

struct FlowCase {
    const char* name;
    std::vector<Step> steps;
    bool headRequest = false;
};

TEST_F(ResponseHandling, DeliversEachResponseAsItsKindRequires) {
    const std::string html = "Content-Type: text/html\r\n";
    const std::string chunkedHtml = Header(html + "Transfer-Encoding: chunked\r\n");
    const std::string chunkedGif =
        Header("Content-Type: image/gif\r\nTransfer-Encoding: chunked\r\n");
    const std::string page6 = Header(html + "Content-Length: 6\r\n") + "<html>";
    const std::string page6Injected = Header(html + "Content-Length: 9\r\n") + "[S]<html>";
    const std::vector<FlowCase> cases = {
        {"a held page goes once, complete, with its new length",
         {{Header(html + "Content-Length: 26\r\n") + "<html>", ""},
          {"<body>", ""},
          {"</body></html>",
           Header(html + "Content-Length: 29\r\n") + "[S]<html><body></body></html>"}}},
        {"the script goes after the doctype",
         {{Header(html + "Content-Length: 30\r\n") + "<!DOCTYPE html>\n<html>x</html>",
           Header(html + "Content-Length: 33\r\n") + "<!DOCTYPE html>[S]\n<html>x</html>"}}},
        {"a page without length is held until the server closes",
         {{Header(html) + "<html>a", ""},
          {"</html>", ""},
          {"", Header(html) + "[S]<html>a</html>"}}},
        {"a chunked page arrives in chunks of the proxy's own, its trailer dropped, the next reply "
         "after it",
         {{chunkedHtml + "6\r\n<html>\r\n", ""},
          {"7\r\n</html>\r\n0\r\nX-Sum: 1\r\n\r\nHTTP/1.1 304 Not Modified\r\n\r\n",
           chunkedHtml + "10\r\n[S]<html></html>\r\n0\r\n\r\nHTTP/1.1 304 Not Modified\r\n\r\n"}}},
        {"a chunked image passes still chunked",
         {{chunkedGif + "3\r\nGIF\r\n", kSame}, {"0\r\n\r\n", kSame}}},
        {"a chunk size that does not parse passes the rest unchanged",
         {{chunkedHtml + "4\r\n<htm\r\nzz\r\nl>", kSame}, {"more", kSame}}},
        {"a chunked page cut off mid-chunk goes as it came, without a length",
         {{chunkedHtml + "6\r\n<ht", ""}, {"", chunkedHtml + "6\r\n<ht"}}},
        {"a page cut off before its length goes unchanged",
         {{Header(html + "Content-Length: 100\r\n") + "<html>abc", ""},
          {"", Header(html + "Content-Length: 100\r\n") + "<html>abc"}}},
        {"an answer to HEAD ends with its header",
         {{Header(html + "Content-Length: 1000\r\n"), kSame},
          {Header(html + "Content-Length: 0\r\n"), kSame}},
         true},
        {"100 Continue and the reply after it in one read",
         {{"HTTP/1.1 100 Continue\r\n\r\n" + page6,
           "HTTP/1.1 100 Continue\r\n\r\n" + page6Injected}}},
        {"204 and 304 end with their header",
         {{"HTTP/1.1 204 No Content\r\nContent-Type: text/html\r\n\r\n", kSame},
          {"HTTP/1.1 304 Not Modified\r\nContent-Type: text/html\r\nContent-Length: 40\r\n\r\n",
           kSame}}},
        {"a redirect page passes at once",
         {{"HTTP/1.1 302 Found\r\nContent-Type: text/html\r\nContent-Length: 13\r\n\r\n<html>",
           kSame}}},
        {"a compressed page passes unchanged",
         {{Header(html + "Content-Encoding: gzip\r\nContent-Length: 10\r\n") + "<html>xxxx",
           kSame}}},
        {"a page that looks binary passes unchanged, also when its header came alone",
         {{Header(html + "Content-Length: 8\r\n"), ""},
          {"<html>\0x"s, Header(html + "Content-Length: 8\r\n") + "<html>\0x"s}}},
        {"accented Latin-1 text is still a page",
         {{Header(html + "Content-Length: 17\r\n") + "<html>caf\xE9</", ""},
          {"html>", Header(html + "Content-Length: 20\r\n") + "[S]<html>caf\xE9</html>"}}},
        {"two pages in one read both get the script",
         {{page6 + page6, page6Injected + page6Injected}}},
        {"a header over 64 KiB without end gets the 502 reply",
         {{"HTTP/1.1 200 OK\r\nX: " + std::string(70000, 'a'),
           std::string(proxy::kBadGatewayReply)}}},
        {"so does one with a NUL in a field",
         {{"HTTP/1.1 200 OK\r\nX: a\0b\r\nContent-Length: 0\r\n\r\n"s,
           std::string(proxy::kBadGatewayReply)}}},
        {"or a bare carriage return",
         {{"HTTP/1.1 200 OK\r\nX: a\rb\r\nContent-Length: 0\r\n\r\n",
           std::string(proxy::kBadGatewayReply)}}},
        {"a blank before a colon is taken out and the field is read",
         {{Header("Content-Type : text/html\r\nContent-Length : 6\r\n") + "<html>",
           page6Injected}}},
        {"a folded field is joined to the one before it",
         {{Header("X-Long: a\r\n  b\r\nContent-Length: 2\r\n") + "ok",
           Header("X-Long: a b\r\nContent-Length: 2\r\n") + "ok"}}},
        {"a range of a page passes as the site sent it",
         {{"HTTP/1.1 206 Partial Content\r\nContent-Type: text/html\r\nContent-Range: bytes "
           "0-5/9\r\n"
           "Content-Length: 6\r\n\r\n<html>",
           kSame}}},
        {"so does a page sent as a download",
         {{Header(html +
                  "Content-Disposition: attachment; filename=a.html\r\nContent-Length: 6\r\n") +
               "<html>",
           kSame}}},
        {"plain text that starts like a page is held and gets the script",
         {{Header("Content-Type: text/plain\r\nContent-Length: 6\r\n") + "<html>",
           Header("Content-Type: text/plain\r\nContent-Length: 9\r\n") + "[S]<html>"}}},
        {"other plain text, a stream among them, passes at once",
         {{Header("Content-Type: text/plain\r\n") + "data: 1\n<html>", kSame}, {"more", kSame}}},
        {"and so does plain text the site forbids sniffing",
         {{Header("Content-Type: text/plain\r\nX-Content-Type-Options: nosniff\r\n"
                  "Content-Length: 6\r\n") +
               "<html>",
           kSame}}},
        {"an event stream is never held",
         {{Header("Content-Type: text/event-stream\r\n") + "data: <body>\n\n", kSame},
          {"data: 2\n\n", kSame}}},
        {"an XHTML page is left well-formed",
         {{Header("Content-Type: application/xhtml+xml\r\nContent-Length: 6\r\n") + "<html>",
           kSame}}},
        {"a server that stops before the blank line",
         {{"HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n", ""},
          {"", std::string(proxy::kBadGatewayReply)}}},
        {"a page without any header", {{" <html>hi</html>", ""}, {"", "[S] <html>hi</html>"}}},
    };
    for (const FlowCase& c : cases) {
        Connection connection(context_, c.headRequest);
        for (size_t i = 0; i < c.steps.size(); ++i) {
            const Step& step = c.steps[i];
            if (step.read.empty()) {
                connection.ServerCloses();
            } else {
                connection.ServerSends(step.read);
            }
            EXPECT_EQ(connection.Delivered(), step.delivered == kSame ? step.read : step.delivered)
                << c.name << ", step " << i;
        }
    }
}

// A page with a policy header and meta tag reaches the browser with the script's hash in the
// header and a length that counts the script; the meta tag, which applies only to what follows
// it, and the report-only header stay as they came.
TEST_F(ResponseHandling, PolicyPagesGetTheScriptHashAndTheirLength) {
    proxy::SetBlockerScript(context_, "<script>alert(1)</script>");
    const std::string hash = "'sha256-bhHHL3z2vDgxUt0W3dWQOrprscmda2Y5pLsLg4GF+pI='";
    const std::string fields =
        "Content-Type: text/html\r\nContent-Security-Policy-Report-Only: script-src 'none'\r\n";
    const std::string body =
        "<html><meta http-equiv=content-security-policy content=\"default-src 'self'\"></html>";
    Connection connection(context_);
    connection.ServerSends(Header(fields + "Content-Security-Policy: script-src 'self'\r\n" +
                                  "Content-Length: " + std::to_string(body.size()) + "\r\n") +
                           body);
    const std::string injected = "<script>alert(1)</script>" + body;
    EXPECT_EQ(connection.Delivered(),
              Header(fields + "Content-Security-Policy: script-src 'self' " + hash + "\r\n" +
                     "Content-Length: " + std::to_string(injected.size()) + "\r\n") +
                  injected);
}

// Past 8 MiB a page held whole (its first bytes did not decide it) is sent as it stands and the
// rest passes through; afterwards the connection reads the next reply normally.
TEST_F(ResponseHandling, HeldBodiesStopGrowingAtTheLimit) {
    const size_t bodySize = proxy::kMaxHeldBodyBytes + 300000;
    const std::string piece = std::string(65530, 'p') + "<html>";
    for (bool chunked : {false, true}) {
        Connection connection(context_);
        std::string sent =
            Header("Content-Type: text/html\r\n" +
                   (chunked ? "Transfer-Encoding: chunked\r\n"s
                            : "Content-Length: " + std::to_string(bodySize) + "\r\n"));
        connection.ServerSends(sent);
        for (size_t body = 0; body < bodySize; body += piece.size()) {
            const std::string part =
                chunked ? "10000\r\n" + piece + "\r\n" : piece.substr(0, bodySize - body);
            sent += part;
            connection.ServerSends(part);
        }
        // The reply after it is filtered again.
        const std::string next =
            chunked ? "0\r\n\r\n"
                    : Header("Content-Type: text/html\r\nContent-Length: 6\r\n") + "<html>";
        connection.ServerSends(next);
        connection.ServerCloses();
        const std::string received = connection.Delivered();
        const std::string expected =
            sent + (chunked
                        ? next
                        : Header("Content-Type: text/html\r\nContent-Length: 9\r\n") + "[S]<html>");
        EXPECT_EQ(received.size(), expected.size()) << "chunked " << chunked;
        EXPECT_TRUE(received == expected) << "chunked " << chunked;
    }
    EXPECT_EQ(context_.heldResponseBytes.load(), 0);
}

// Framing the proxy cannot read the same way as every browser would ends the connection with
// the 502 reply; framing it can read keeps the next response in step.
TEST_F(ResponseHandling, FramingIsReadByFieldNameAndOnlyOneWay) {
    struct Case {
        const char* name;
        std::string read;
        std::string delivered;
        bool goesOn = true;
    };
    const std::string html = "Content-Type: text/html\r\n";
    const std::string gif = "Content-Type: image/gif\r\n";
    const std::string next = "HTTP/1.1 304 Not Modified\r\n\r\n";
    const std::string injected6 = "[S]<html>";
    const std::vector<Case> cases = {
        {"a field that only ends in Content-Length is not the length",
         Header(html + "X-Original-Content-Length: 20\r\nContent-Length: 6\r\n") + "<html>" + next,
         Header(html + "X-Original-Content-Length: 20\r\nContent-Length: 9\r\n") + injected6 +
             next},
        {"blanks around the value", Header(html + "Content-Length:\t 6 \t\r\n") + "<html>" + next,
         Header(html + "Content-Length: 9\r\n") + injected6 + next},
        {"one length twice leaves one after injection",
         Header(html + "Content-Length: 6\r\nContent-Length: 6\r\n") + "<html>" + next,
         Header(html + "Content-Length: 9\r\n") + injected6 + next},
        {"a signed length", Header(html + "Content-Length: +6\r\n") + "<html>",
         proxy::kBadGatewayReply, false},
        {"a hex length", Header(gif + "Content-Length: 0x6\r\n") + "GIF89a",
         proxy::kBadGatewayReply, false},
        {"two lengths", Header(gif + "Content-Length: 6\r\nContent-Length: 60\r\n") + "GIF89a",
         proxy::kBadGatewayReply, false},
        {"a length too large to hold",
         Header(gif + "Content-Length: 99999999999999999999\r\n") + "GIF89a",
         proxy::kBadGatewayReply, false},
        {"a status line that is no status line", "HTTP/1.1 2000 OK\r\n\r\n",
         proxy::kBadGatewayReply, false},
        {"a status line without a version", "HTTP/ 200 OK\r\n\r\n", proxy::kBadGatewayReply, false},
        {"a reply without header after a reply", "HTTP/1.1 304 Not Modified\r\n\r\n<html>",
         "HTTP/1.1 304 Not Modified\r\n\r\n" + std::string(proxy::kBadGatewayReply), false},
        {"chunked named twice is chunked",
         Header(html + "Transfer-Encoding: chunked\r\nTransfer-Encoding: chunked\r\n") +
             "6\r\n<html>\r\n0\r\n\r\n" + next,
         Header(html + "Transfer-Encoding: chunked\r\n") + "9\r\n" + injected6 + "\r\n0\r\n\r\n" +
             next},
        {"identity with chunked is chunked",
         Header(html + "Transfer-Encoding: identity\r\nContent-Length: 3\r\n"
                       "Transfer-Encoding: chunked\r\n") +
             "6\r\n<html>\r\n0\r\n\r\n" + next,
         Header(html + "Transfer-Encoding: chunked\r\n") + "9\r\n" + injected6 + "\r\n0\r\n\r\n" +
             next},
        {"a passed response with both fields loses the length",
         Header(gif + "Content-Length: 3\r\nTransfer-Encoding: chunked\r\n") +
             "6\r\nGIF89a\r\n0\r\n\r\n" + next,
         Header(gif + "Transfer-Encoding: chunked\r\n") + "6\r\nGIF89a\r\n0\r\n\r\n" + next},
        {"a chunk whose data runs past its size passes raw under the original header",
         Header(html + "Transfer-Encoding: chunked\r\n") + "3\r\n<html>\r\n0\r\n\r\n",
         Header(html + "Transfer-Encoding: chunked\r\n") + "3\r\n<html>\r\n0\r\n\r\n"},
    };
    for (const Case& c : cases) {
        Connection connection(context_);
        EXPECT_EQ(connection.ServerSends(c.read), c.goesOn) << c.name;
        EXPECT_EQ(connection.Delivered(), c.delivered) << c.name;
    }
}

// Several responses of every kind, fed in one read, in two reads split anywhere, and byte by
// byte: the browser receives the same bytes every time.
TEST_F(ResponseHandling, TheSameBytesGiveTheSameResultWhateverTheReads) {
    const std::string html = "Content-Type: text/html\r\n";
    const std::string text34(34, 't');
    const std::string binary34 = "\0"s + std::string(33, 'b');
    const std::string stream =
        Header(html + "Content-Length: 40\r\n") + "<html>" + text34 + "\r\n" +
        Header("Content-Type: image/gif\r\nContent-Length: 7\r\n") + "GIF\0\1\2\3"s +
        "HTTP/1.1 100 Continue\r\n\r\n" + Header(html + "Transfer-Encoding: chunked\r\n") +
        "6\r\n<html>\r\n7\r\n</html>\r\n0\r\n\r\n\r\n\r\n" +
        Header(html + "Content-Length: 40\r\n") + "<html>" + binary34 +
        "HTTP/1.1 304 Not Modified\r\n\r\n" +
        Header("Content-Type: image/gif\r\nTransfer-Encoding: chunked\r\n") +
        "3\r\nGIF\r\n0\r\n\r\n" + Header(html + "Content-Length: 6\r\n") + "<html>" +
        Header("Content-Type: text/plain\r\nContent-Length : 4\r\n") + "abcd";
    const std::string expected =
        Header(html + "Content-Length: 43\r\n") + "[S]<html>" + text34 +
        Header("Content-Type: image/gif\r\nContent-Length: 7\r\n") + "GIF\0\1\2\3"s +
        "HTTP/1.1 100 Continue\r\n\r\n" + Header(html + "Transfer-Encoding: chunked\r\n") +
        "10\r\n[S]<html></html>\r\n0\r\n\r\n" + Header(html + "Content-Length: 40\r\n") + "<html>" +
        binary34 + "HTTP/1.1 304 Not Modified\r\n\r\n" +
        Header("Content-Type: image/gif\r\nTransfer-Encoding: chunked\r\n") +
        "3\r\nGIF\r\n0\r\n\r\n" + Header(html + "Content-Length: 9\r\n") + "[S]<html>" +
        Header("Content-Type: text/plain\r\nContent-Length: 4\r\n") + "abcd";
    {
        Connection connection(context_);
        connection.ServerSends(stream);
        ASSERT_EQ(connection.Delivered(), expected);
    }
    for (size_t cut = 1; cut < stream.size(); ++cut) {
        Connection connection(context_);
        connection.ServerSends(stream.substr(0, cut));
        connection.ServerSends(stream.substr(cut));
        ASSERT_EQ(connection.Delivered(), expected) << "cut at " << cut;
    }
    Connection connection(context_);
    for (char c : stream) connection.ServerSends(std::string(1, c));
    EXPECT_EQ(connection.Delivered(), expected);
}

// The header limit is one limit: the same bytes are refused whether they come in one read or
// in many.
TEST_F(ResponseHandling, OneHeaderLimitWhateverTheReads) {
    const std::string under =
        "HTTP/1.1 200 OK\r\nX: " + std::string(proxy::kMaxHeaderBytes - 60, 'a') +
        "\r\nContent-Length: 2\r\n\r\nok";
    const std::string over =
        "HTTP/1.1 200 OK\r\nX: " + std::string(proxy::kMaxHeaderBytes + 30, 'a') +
        "\r\nContent-Length: 2\r\n\r\nok";
    // Each is sent in two reads cut at the given place (0: one read).
    const auto send = [this](const std::string& bytes, size_t cut) {
        Connection connection(context_);
        cut = std::min(cut, bytes.size());
        if (cut > 0) connection.ServerSends(bytes.substr(0, cut));
        connection.ServerSends(bytes.substr(cut));
        return connection.Delivered();
    };
    for (size_t cut : {size_t{0}, size_t{10}, size_t{40000}, proxy::kMaxHeaderBytes - 5,
                       proxy::kMaxHeaderBytes + 10}) {
        EXPECT_EQ(send(under, cut), under) << "cut at " << cut;
        EXPECT_EQ(send(over, cut), proxy::kBadGatewayReply) << "cut at " << cut;
    }
}

// A response that no request asked for cannot be matched to one: the connection ends and the
// browser gets none of it.
TEST_F(ResponseHandling, AResponseNoRequestAskedForEndsTheConnection) {
    std::string delivered;
    proxy::ResponseRelay relay(
        context_, [&](const char* bytes, size_t size) { delivered.append(bytes, size); });
    const std::string page = Header("Content-Type: text/html\r\nContent-Length: 6\r\n") + "<html>";
    EXPECT_FALSE(relay.Feed(page.data(), page.size()));
    EXPECT_EQ(delivered, "");

    proxy::ResponseRelay asked(
        context_, [&](const char* bytes, size_t size) { delivered.append(bytes, size); });
    asked.ExpectResponse(false);
    const std::string image = Header("Content-Type: image/gif\r\nContent-Length: 3\r\n") + "GIF";
    const std::string two = image + image;
    EXPECT_FALSE(asked.Feed(two.data(), two.size()));
    EXPECT_EQ(delivered, image);
}

// Pages held at once by all connections together stay within the total; past it a page passes
// as it comes, and what was held is given back when the pages end.
TEST_F(ResponseHandling, HeldPagesAreBoundedInTotal) {
    const size_t pageSize = 5 * 1024 * 1024;
    const int fitting = static_cast<int>(proxy::kMaxHeldTotalBytes / pageSize);
    const std::string header = Header(
        "Content-Type: text/html\r\nContent-Length: " + std::to_string(pageSize + 1) + "\r\n");
    // Pages that their first bytes do not decide, so they are held whole.
    const std::string body = std::string(pageSize - 6, 'h') + "<html>";
    std::vector<std::unique_ptr<Connection>> connections;
    for (int i = 0; i <= fitting; ++i) {
        connections.push_back(std::make_unique<Connection>(context_));
        connections.back()->ServerSends(header + body);
        const std::string now = connections.back()->Delivered();
        if (i < fitting) {
            EXPECT_EQ(now, "") << "page " << i;
        } else {
            EXPECT_EQ(now, header + body) << "page " << i;
        }
    }
    EXPECT_LE(context_.heldResponseBytes.load(), proxy::kMaxHeldTotalBytes);
    for (auto& connection : connections) connection->ServerSends(">");
    EXPECT_EQ(context_.heldResponseBytes.load(), 0);
    // Room again: the next page is held and filtered.
    Connection later(context_);
    later.ServerSends(Header("Content-Type: text/html\r\nContent-Length: 6\r\n") + "<html>");
    EXPECT_EQ(later.Delivered(),
              Header("Content-Type: text/html\r\nContent-Length: 9\r\n") + "[S]<html>");
}

}  // namespace
