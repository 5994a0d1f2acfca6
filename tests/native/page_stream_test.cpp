// Pages reach the browser as they arrive: the response relay decides a page from its first
// bytes and streams the rest, giving what holding the whole page would give; and through a real
// proxy, a page sent slowly reaches the browser before its server has sent all of it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "proxy/blocker.h"
#include "proxy/page_injection.h"
#include "proxy/response_body.h"
#include "proxy/response_relay.h"
#include "proxy/settings.h"
#include "test_servers.h"

namespace {

using namespace std::string_literals;

enum class Framing { kLength, kChunked, kClose };

const char* Name(Framing framing) {
    return framing == Framing::kLength    ? "length"
           : framing == Framing::kChunked ? "chunked"
                                          : "close";
}

// The body of a chunked message at the front of bytes, decoded; *ended tells whether its last
// chunk came.
std::string Dechunk(const std::string& bytes, bool* ended) {
    std::string decoded;
    size_t pos = 0;
    *ended = false;
    for (;;) {
        const size_t lineEnd = bytes.find("\r\n", pos);
        if (lineEnd == std::string::npos) return decoded;
        const size_t size = std::stoul(bytes.substr(pos, lineEnd - pos), nullptr, 16);
        pos = lineEnd + 2;
        if (size == 0) {
            *ended = bytes.compare(pos, 2, "\r\n") == 0;
            return decoded;
        }
        decoded.append(bytes, pos, std::min(size, bytes.size() - pos));
        pos += size + 2;
        if (pos > bytes.size()) return decoded;
    }
}

std::string Chunk(const std::string& data) {
    char size[24];
    std::snprintf(size, sizeof size, "%zx\r\n", data.size());
    return size + data + "\r\n";
}

// The body as the origin frames it; chunked in chunks of chunkSize bytes.
std::string Framed(const std::string& body, Framing framing, size_t chunkSize = 700) {
    if (framing != Framing::kChunked) return body;
    std::string framed;
    for (size_t at = 0; at < body.size(); at += chunkSize)
        framed += Chunk(body.substr(at, chunkSize));
    return framed + "0\r\n\r\n";
}

std::string HeaderFor(Framing framing, size_t length) {
    const std::string start = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n";
    if (framing == Framing::kLength) {
        return start + "Content-Length: " + std::to_string(length) + "\r\n\r\n";
    }
    return start + (framing == Framing::kChunked ? "Transfer-Encoding: chunked\r\n\r\n" : "\r\n");
}

class PageStream : public ::testing::Test {
  protected:
    void SetUp() override {
        settings_.PlayWave = 1;
        proxy::SetBlockerScript(context_, "<script>guard()</script>");
    }

    // What holding the whole page gives: the blocker in front of a text page, the rest as it was.
    std::string HeldResult(const std::string& body) {
        std::string page = body;
        if (!proxy::LooksBinary(page.data(), page.size())) {
            proxy::InjectBlocker(context_, page, proxy::kClassHtml | proxy::kClassHeld);
        }
        return page;
    }

    // The browser's bytes for the server's, fed in reads cut at cuts (and the server closing
    // after them for kClose). *goesOn: no read ended the connection.
    std::string Relay(const std::string& server, const std::vector<size_t>& cuts, bool close,
                      bool* goesOn = nullptr, bool oldBrowser = false) {
        std::string delivered;
        proxy::ResponseRelay relay(
            context_, [&](const char* bytes, size_t size) { delivered.append(bytes, size); });
        relay.ExpectResponse(false, oldBrowser);
        size_t from = 0;
        bool ok = true;
        for (size_t cut : cuts) {
            if (ok && cut > from) ok = relay.Feed(server.data() + from, cut - from);
            from = cut;
        }
        if (ok && from < server.size()) ok = relay.Feed(server.data() + from, server.size() - from);
        if (ok && close) relay.ServerClosed();
        if (goesOn != nullptr) *goesOn = ok;
        return delivered;
    }

    proxy::AppSettings settings_;
    proxy::ProxyContext context_{settings_};
};

// Every page of the table, in each framing, gives the browser the held page's result: with its
// length grown by the inserted bytes, in chunks of the proxy's own, or up to the close; and the
// same bytes however the server's bytes are split into reads.
TEST_F(PageStream, StreamedPagesGiveTheHeldResultWhateverTheReads) {
    const std::string filler(20000, 'f');
    struct Page {
        const char* name;
        std::string body;
    };
    const std::vector<Page> pages = {
        {"declarations and a head tag",
         "<?xml version=\"1.0\"?>\n<!DOCTYPE html>\n<html><head><title>t</title></head><body>" +
             filler + "</body></html>"},
        {"byte order mark", "\xEF\xBB\xBF<!doctype html><html><head></head>" + filler},
        {"blanks before an unfinished-looking doctype", "  \n<!DOCTYPE html>  <html><head>x"},
        {"script tag early in a fragment", "<div>news</div><script>run()</script><p>more</p>"},
        {"script tag late in a fragment, past the window",
         "<div>" + filler + "</div><script>run()</script>"},
        {"a quoted script first, a page tag later",
         "<p>a</p>\"<script>\" in a string, then <body><head>" + filler},
        {"no head tag: held whole", "<html><title>x</title>" + filler + "<HEAD>late"},
        {"an upper-case head tag only", "<HTML><HEAD><TITLE>x</TITLE></HEAD><BODY>hi</BODY>"},
        {"no page at all", "just some text with <b>bold</b> words in it, nothing more"},
        {"binary start", "\x01\x02<html><head>binary</head>" + std::string(40, 'b')},
        {"short page", "<html>"},
    };
    for (const Page& page : pages) {
        const std::string expected = HeldResult(page.body);
        for (Framing framing : {Framing::kLength, Framing::kChunked, Framing::kClose}) {
            const std::string header = HeaderFor(framing, page.body.size());
            const std::string server = header + Framed(page.body, framing);
            const bool close = framing == Framing::kClose;
            const std::string whole = Relay(server, {}, close);
            const std::string what = std::string(page.name) + ", " + Name(framing);
            const size_t bodyAt = whole.find("\r\n\r\n") + 4;
            ASSERT_NE(bodyAt, std::string::npos + 4) << what;
            const std::string sentHeader = whole.substr(0, bodyAt);
            if (framing == Framing::kChunked && expected != page.body &&
                sentHeader.find("chunked") != std::string::npos) {
                bool ended = false;
                EXPECT_EQ(Dechunk(whole.substr(bodyAt), &ended), expected) << what;
                EXPECT_TRUE(ended) << what;
            } else if (framing == Framing::kChunked && expected == page.body) {
                EXPECT_EQ(whole, server) << what;
            } else if (framing == Framing::kChunked) {
                // Held whole: it goes with a length, as before.
                EXPECT_EQ(whole, HeaderFor(Framing::kLength, expected.size()) + expected) << what;
            } else {
                EXPECT_EQ(whole, HeaderFor(framing, expected.size()) + expected) << what;
            }
            // Cuts everywhere near the start, where the decisions are made, then more sparsely.
            for (size_t cut = 1; cut < server.size(); cut += cut < 600 ? 1 : 997) {
                ASSERT_EQ(Relay(server, {cut}, close), whole) << what << ", cut at " << cut;
            }
            std::vector<size_t> small;
            for (size_t cut = 1; cut < server.size(); cut += 1 + cut % 13) small.push_back(cut);
            ASSERT_EQ(Relay(server, small, close), whole) << what << ", small reads";
            EXPECT_EQ(context_.heldResponseBytes.load(), 0) << what;
        }
    }
}

// A bad chunk before anything went out passes raw under the original header; one after the page
// began to go out ends the connection without the last chunk, so the page reads as cut off.
TEST_F(PageStream, ABadChunkPassesRawOrCutsThePageOff) {
    const std::string header = HeaderFor(Framing::kChunked, 0);
    const std::string early = header + "4\r\n<p>x\r\nzz\r\nmore";
    bool goesOn = false;
    EXPECT_EQ(Relay(early, {}, false, &goesOn), early);
    EXPECT_TRUE(goesOn);

    const std::string page = "<!DOCTYPE html><html><head><title>page</title></head>";
    const std::string late = header + Chunk(page) + "5\r\nabcdefgh\r\n0\r\n\r\n";
    const std::string delivered = Relay(late, {}, false, &goesOn);
    EXPECT_FALSE(goesOn);
    bool ended = true;
    EXPECT_EQ(Dechunk(delivered.substr(delivered.find("\r\n\r\n") + 4), &ended), HeldResult(page));
    EXPECT_FALSE(ended);
}

// A browser speaking HTTP/1.0 cannot read chunks: it gets the page whole, with its length.
TEST_F(PageStream, AnOldBrowserGetsAChunkedPageWithALength) {
    const std::string body = "<html><head><title>old</title></head><body>hello</body></html>";
    const std::string server = HeaderFor(Framing::kChunked, 0) + Framed(body, Framing::kChunked, 9);
    const std::string expected = HeldResult(body);
    EXPECT_EQ(Relay(server, {}, false, nullptr, true),
              HeaderFor(Framing::kLength, expected.size()) + expected);
}

// Once a page is decided the proxy holds none of it: its buffers and their count go back while
// the rest of the page still streams.
TEST_F(PageStream, ADecidedPageHoldsNothing) {
    std::string delivered;
    proxy::ResponseRelay relay(
        context_, [&](const char* bytes, size_t size) { delivered.append(bytes, size); });
    for (Framing framing : {Framing::kLength, Framing::kChunked}) {
        relay.ExpectResponse(false);
        const std::string body = "<html><head>" + std::string(1 << 20, 'x');
        const std::string server = HeaderFor(framing, body.size()) + Framed(body, framing, 4096);
        size_t at = 0;
        for (; at < 8192; at += 512) relay.Feed(server.data() + at, 512);
        EXPECT_EQ(context_.heldResponseBytes.load(), 0) << Name(framing);
        EXPECT_GT(delivered.size(), 4096u) << Name(framing);
        relay.Feed(server.data() + at, server.size() - at);
        EXPECT_TRUE(relay.Idle()) << Name(framing);
    }
}

// The page decision reads only as far as it must, and never changes as more bytes come.
TEST(PageStart, DecidesFromTheFirstBytesAsTheWholeBodyWould) {
    using Verdict = proxy::PageStart::Verdict;
    const std::vector<std::string> bodies = {
        "<!DOCTYPE html><html><head>x</head>",
        "\xEF\xBB\xBF<?xml v?><!doctype x><body>",
        "<p>'<script>' then <html> later",
        "<div><script>x</script>",
        "<HTML><HEAD>x",
        "<html><head>",
        "plain words",
        "<!doctype never closed <html>",
    };
    for (const std::string& body : bodies) {
        for (bool sound : {false, true}) {
            const proxy::PageStart whole = proxy::ReadPageStart(body, true, sound);
            ASSERT_NE(whole.verdict, Verdict::kUndecided) << body;
            for (size_t n = 0; n <= body.size(); ++n) {
                const proxy::PageStart start =
                    proxy::ReadPageStart(body.substr(0, n), false, sound);
                if (start.verdict == Verdict::kUndecided) continue;
                EXPECT_EQ(start.verdict, whole.verdict) << body << " at " << n;
                EXPECT_EQ(start.scriptAt, whole.scriptAt) << body << " at " << n;
                EXPECT_EQ(start.soundAt, whole.soundAt) << body << " at " << n;
            }
        }
    }
    EXPECT_EQ(proxy::ReadPageStart("<!DOCTYPE html><html>", false, false).verdict, Verdict::kPage);
    EXPECT_EQ(proxy::ReadPageStart("<!DOCTYP", false, false).verdict, Verdict::kUndecided);
    EXPECT_EQ(proxy::ReadPageStart("<html><HEAD>x", false, true).verdict, Verdict::kUndecided);
}

// ---- Through a real proxy ----

// The origin sends the page's first piece, then waits (up to two seconds) for the browser to
// see it before it sends the rest in pieces: the browser gets its first bytes before the last
// piece leaves the origin, and in the end the whole page as holding it would give.
TEST_F(PageStream, ASlowPageReachesTheBrowserBeforeItsServerHasSentItAll) {
    using testing_servers::Origin;
    using testing_servers::RunningProxy;
    using testing_servers::Socket;
    const std::vector<std::string> pieces = {
        "<!DOCTYPE html><html><head><title>slow</title></head><body>", "<p>one</p>", "<p>two</p>",
        "</body></html>"};
    std::string body;
    for (const std::string& piece : pieces) body += piece;
    for (Framing framing : {Framing::kLength, Framing::kChunked, Framing::kClose}) {
        RunningProxy proxy;
        ASSERT_NE(proxy.Port(), 0);
        proxy::SetBlockerScript(proxy.context(), "<script>guard()</script>");
        const std::string expected = [&] {
            std::string page = body;
            proxy::InjectBlocker(proxy.context(), page, proxy::kClassHtml | proxy::kClassHeld);
            return page;
        }();
        std::atomic<bool> browserSawStart{false};
        std::atomic<bool> sawStartBeforeLast{false};
        Origin origin([&](Socket& s) {
            if (s.ReadMessage(3000).empty()) return;
            s.Send(HeaderFor(framing, body.size()));
            for (size_t i = 0; i < pieces.size(); ++i) {
                if (i + 1 == pieces.size()) {
                    const auto deadline =
                        std::chrono::steady_clock::now() + std::chrono::seconds(2);
                    while (!browserSawStart && std::chrono::steady_clock::now() < deadline) {
                        std::this_thread::sleep_for(std::chrono::milliseconds(5));
                    }
                    sawStartBeforeLast = browserSawStart.load();
                }
                s.Send(framing == Framing::kChunked ? Chunk(pieces[i]) : pieces[i]);
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            if (framing == Framing::kChunked) s.Send("0\r\n\r\n");
            // A page without length ends with the close; the others leave the connection open.
            if (framing != Framing::kClose) s.ReadUntilClosed(2000);
        });
        Socket client = Socket::ConnectTo(proxy.Port());
        client.Send("GET http://127.0.0.1:" + std::to_string(origin.port()) +
                    "/slow HTTP/1.1\r\nHost: x\r\n\r\n");
        const std::string start = client.ReadUntil(
            [](const std::string& b) { return b.find("guard()") != std::string::npos; }, 3000);
        browserSawStart = true;
        std::string received = start;
        const auto complete = [&](const std::string& b) {
            if (framing == Framing::kChunked) return b.find("\r\n0\r\n\r\n") != std::string::npos;
            return framing == Framing::kLength && Socket::MessageComplete(b);
        };
        while (!complete(received)) {
            std::string more;
            if (!client.ReadSome(&more, 3000) || more.empty()) break;
            received += more;
        }
        EXPECT_TRUE(sawStartBeforeLast) << Name(framing);
        const size_t bodyAt = received.find("\r\n\r\n") + 4;
        std::string delivered = received.substr(bodyAt);
        if (framing == Framing::kChunked) {
            bool ended = false;
            delivered = Dechunk(delivered, &ended);
            EXPECT_TRUE(ended);
        }
        EXPECT_EQ(delivered, expected) << Name(framing);
    }
}

}  // namespace
