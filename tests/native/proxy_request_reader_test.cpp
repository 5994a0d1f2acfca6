// The request side as a function of bytes: request lines, and the reader that cuts a browser's
// stream into rewritten requests whatever reads it arrives in.
#include <gtest/gtest.h>

#include "proxy/connection.h"
#include "proxy/fixed_replies.h"
#include "proxy/http_request.h"
#include "request_pieces.h"

namespace {

using proxy::Refusal;
using proxy::RequestReader;

TEST(RequestLine, NamesTheTargetOrTheRefusal) {
    struct Case {
        const char* line;
        Refusal refusal;
        bool tunnel = false;
        const char* host = "";
        int port = 0;
        const char* path = "";
    } cases[] = {
        {"GET http://a.test/x?q=1 HTTP/1.1\r\n", Refusal::kNone, false, "a.test", 80, "/x?q=1"},
        {"get HTTP://A.test:8080/ HTTP/1.0\r\n", Refusal::kNone, false, "A.test", 8080, "/"},
        {"GET https://a.test:443/s HTTP/1.1\r\n", Refusal::kNone, false, "a.test", 443, "/s"},
        {"GET http://a.test:/x HTTP/1.1\r\n", Refusal::kNone, false, "a.test", 80, "/x"},
        {"GET http://a.test:65535/ HTTP/1.1\r\n", Refusal::kNone, false, "a.test", 65535, "/"},
        {"GET /only/a/path HTTP/1.1\r\n", Refusal::kNone, false, "", 80, "/only/a/path"},
        {"CONNECT a.test:443 HTTP/1.1\r\n", Refusal::kNone, true, "a.test", 443, ""},
        {"connect a.test:8443 HTTP/1.1\r\n", Refusal::kNone, true, "a.test", 8443, ""},
        // Ports that name no site never wrap round to one that does.
        {"GET http://a.test:0/ HTTP/1.1\r\n", Refusal::kBadPort},
        {"GET http://a.test:65536/ HTTP/1.1\r\n", Refusal::kBadPort},
        {"GET http://a.test:4294967376/ HTTP/1.1\r\n", Refusal::kBadPort},
        {"GET http://a.test:80x/ HTTP/1.1\r\n", Refusal::kBadPort},
        {"GET http://a.test:-80/ HTTP/1.1\r\n", Refusal::kBadPort},
        {"CONNECT a.test:4294967739 HTTP/1.1\r\n", Refusal::kBadPort},
        {"CONNECT a.test:0 HTTP/1.1\r\n", Refusal::kBadPort},
        {"CONNECT a.test HTTP/1.1\r\n", Refusal::kBadRequest},
        {"CONNECT :443 HTTP/1.1\r\n", Refusal::kBadRequest},
        {"GET http://a.test HTTP/1.1\r\n", Refusal::kBadRequest},
        {"GET http:///x HTTP/1.1\r\n", Refusal::kBadRequest},
        {"GET http://a.test/a b HTTP/1.1\r\n", Refusal::kBadRequest},
        {"GET ftp://a.test/ HTTP/1.1\r\n", Refusal::kBadRequest},
        {"GARBAGE\r\n", Refusal::kBadRequest},
    };
    for (const Case& c : cases) {
        const proxy::RequestTarget target = proxy::ParseRequestLine(c.line);
        EXPECT_EQ(target.refusal, c.refusal) << c.line;
        if (c.refusal != Refusal::kNone) continue;
        EXPECT_EQ(target.tunnel, c.tunnel) << c.line;
        EXPECT_EQ(target.host, c.host) << c.line;
        EXPECT_EQ(target.port, c.port) << c.line;
        EXPECT_EQ(target.path, c.path) << c.line;
    }
}

using request_test::Outcome;

Outcome ReadInPieces(const std::string& bytes, const std::vector<size_t>& cuts,
                     const proxy::RequestOptions& options) {
    RequestReader reader;
    return request_test::ReadInPieces(reader, bytes, cuts, options);
}

Outcome ReadInPieces(const std::string& bytes, const std::vector<size_t>& cuts,
                     bool viaGateway = false, std::string_view viaName = {}) {
    proxy::RequestOptions options;
    options.viaGateway = viaGateway;
    options.viaName = viaName;
    return ReadInPieces(bytes, cuts, options);
}

std::string Repeat(const std::string& text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) all += text;
    return all;
}

struct ReaderCase {
    const char* name;
    std::string bytes;
    std::string stream;
    Refusal refusal = Refusal::kNone;
};

// Every case gives the same outcome in one read, in two reads split anywhere, and byte by byte.
TEST(RequestReader, FramesRewritesAndRefusesTheSameWhateverTheReads) {
    // The body below reads like a request to another host; it is only ever body.
    const std::string smuggled = "GET http://b.test/secret HTTP/1.1\r\nHost: intranet\r\n\r\n";
    const std::string body62 = smuggled + std::string(62 - smuggled.size(), 'x');
    const std::vector<ReaderCase> cases = {
        {"the URL decides the target and the Host",
         "GET http://a.test:81/p?q HTTP/1.1\r\nHost: evil.test\r\nX: 1\r\nhost: two\r\n\r\n",
         "<a.test:81>GET /p?q HTTP/1.1\r\nHost: a.test:81\r\nX: 1\r\n\r\n"},
        {"a missing Host is added", "GET http://a.test/ HTTP/1.0\n\n",
         "<a.test:80>GET / HTTP/1.0\r\nHost: a.test\r\n\r\n"},
        {"a body in a later read is body, whatever it reads like",
         "PUT http://a.test/upload HTTP/1.1\r\nContent-Length: 62\r\n\r\n" + body62,
         "<a.test:80>PUT /upload HTTP/1.1\r\nHost: a.test\r\nContent-Length: 62\r\n\r\n" + body62},
        {"a chunked body is body too, and the next request follows it",
         "POST http://a.test/ HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n"
         "35\r\n" +
             smuggled + "\r\n0\r\n\r\nGET http://c.test/n HTTP/1.1\r\n\r\n",
         "<a.test:80>POST / HTTP/1.1\r\nHost: a.test\r\nTransfer-Encoding: chunked\r\n\r\n35\r\n" +
             smuggled + "\r\n0\r\n\r\n<c.test:80>GET /n HTTP/1.1\r\nHost: c.test\r\n\r\n"},
        {"any method is framed by its own header",
         "BREW http://a.test/pot HTTP/1.1\r\nContent-Length: 3\r\n\r\nabcGET /x HTTP/1.1\r\n\r\n",
         "<a.test:80>BREW /pot HTTP/1.1\r\nHost: a.test\r\nContent-Length: 3\r\n\r\nabc"
         "<a.test:80>GET /x HTTP/1.1\r\nHost: a.test\r\n\r\n"},
        {"pipelined requests are each rewritten, in order",
         "GET http://a.test/r1 HTTP/1.1\r\n\r\nGET http://a.test/r2 HTTP/1.1\r\n\r\n\r\n"
         "HEAD http://b.test:8/r3 HTTP/1.1\r\nHost: b\r\n\r\n",
         "<a.test:80>GET /r1 HTTP/1.1\r\nHost: a.test\r\n\r\n<a.test:80>GET /r2 HTTP/1.1\r\n"
         "Host: a.test\r\n\r\n<b.test:8>HEAD /r3 HTTP/1.1\r\nHost: b.test:8\r\n\r\n"},
        {"a URL that holds accept-encoding keeps its request line",
         "GET http://a.test/accept-encoding:gzip HTTP/1.1\r\nAccept-Encoding: gzip\r\n\r\n",
         "<a.test:80>GET /accept-encoding:gzip HTTP/1.1\r\nHost: a.test\r\n\r\n"},
        {"a length beside chunked coding is dropped",
         "POST http://a.test/ HTTP/1.1\r\nContent-Length: 4\r\nTransfer-Encoding: chunked\r\n\r\n"
         "0\r\n\r\n",
         "<a.test:80>POST / HTTP/1.1\r\nHost: a.test\r\nTransfer-Encoding: chunked\r\n\r\n"
         "0\r\n\r\n"},
        {"a tunnel passes everything after its header",
         "CONNECT a.test:443 HTTP/1.1\r\nHost: a.test\r\n\r\nGET http://b.test/ HTTP/1.1\r\n\r\n",
         "<a.test:443 tunnel>GET http://b.test/ HTTP/1.1\r\n\r\n"},
        {"a bare carriage return is refused", "GET http://a.test/ HTTP/1.1\r\nX: a\rb\r\n\r\n", "",
         Refusal::kBadRequest},
        {"so is one in the blank line", "GET http://a.test/ HTTP/1.1\r\nX: a\r\n\r\r\n", "",
         Refusal::kBadRequest},
        {"a second request that is bad is refused after the first",
         "GET http://a.test/ HTTP/1.1\r\n\r\nGET http://a.test:99999/ HTTP/1.1\r\n\r\n",
         "<a.test:80>GET / HTTP/1.1\r\nHost: a.test\r\n\r\n", Refusal::kBadPort},
        {"a length that is no number is refused",
         "POST http://a.test/ HTTP/1.1\r\nContent-Length: 0x10\r\n\r\n", "", Refusal::kBadRequest},
        {"two lengths are refused",
         "POST http://a.test/ HTTP/1.1\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\n", "",
         Refusal::kBadRequest},
        {"a coding other than chunked cannot be framed",
         "POST http://a.test/ HTTP/1.1\r\nTransfer-Encoding: gzip\r\n\r\n", "",
         Refusal::kBadRequest},
        {"a first request with only a path is refused", "GET /x HTTP/1.1\r\nHost: a\r\n\r\n", "",
         Refusal::kBadRequest},
        // Headers that peers could read in different ways are never forwarded.
        {"a folded line is refused", "GET http://a.test/ HTTP/1.1\r\nX: a\r\n b\r\n\r\n", "",
         Refusal::kBadRequest},
        {"so is a blank before the first field",
         "GET http://a.test/ HTTP/1.1\r\n\tHost: b.test\r\n\r\n", "", Refusal::kBadRequest},
        {"so is a blank before a colon",
         "POST http://a.test/ HTTP/1.1\r\nTransfer-Encoding : chunked\r\n\r\n0\r\n\r\n", "",
         Refusal::kBadRequest},
        {"or a tab", "POST http://a.test/ HTTP/1.1\r\nContent-Length\t: 3\r\n\r\nabc", "",
         Refusal::kBadRequest},
        {"so is a line that is no field", "GET http://a.test/ HTTP/1.1\r\nno colon\r\n\r\n", "",
         Refusal::kBadRequest},
        {"or one with a NUL",
         "GET http://a.test/ HTTP/1.1\r\nX: a" + std::string(1, '\0') + "b\r\n\r\n", "",
         Refusal::kBadRequest},
        {"chunked must be the last coding, identity or not",
         "POST http://a.test/ HTTP/1.1\r\nTransfer-Encoding: chunked, identity\r\n\r\n0\r\n\r\n",
         "", Refusal::kBadRequest},
        {"an identity before it counts for nothing",
         "POST http://a.test/ HTTP/1.1\r\nTransfer-Encoding: identity, chunked\r\n\r\n0\r\n\r\n",
         "<a.test:80>POST / HTTP/1.1\r\nHost: a.test\r\nTransfer-Encoding: identity, chunked\r\n"
         "\r\n0\r\n\r\n"},
        {"a length given twice alike is that length",
         "POST http://a.test/ HTTP/1.1\r\nContent-Length: 2, 2\r\n\r\nabGET /n HTTP/1.1\r\n\r\n",
         "<a.test:80>POST / HTTP/1.1\r\nHost: a.test\r\nContent-Length: 2, 2\r\n\r\nab"
         "<a.test:80>GET /n HTTP/1.1\r\nHost: a.test\r\n\r\n"},
        {"an https URL is never fetched in plain text",
         "GET https://a.test/account HTTP/1.1\r\nCookie: s=1\r\n\r\n", "", Refusal::kBadRequest},
        // What is meant for the proxy stays with it.
        {"the proxy's own fields and those Connection names never reach the site",
         "GET http://a.test/ HTTP/1.1\r\nProxy-Authorization: Basic dTpw\r\n"
         "Proxy-Connection: keep-alive\r\nKeep-Alive: 300\r\nTE: trailers\r\n"
         "Connection: X-Hop, TE, Upgrade\r\nX-Hop: secret\r\nUpgrade: websocket\r\nX: 1\r\n\r\n",
         "<a.test:80>GET / HTTP/1.1\r\nHost: a.test\r\nConnection: X-Hop, TE, Upgrade\r\n"
         "Upgrade: websocket\r\nX: 1\r\n\r\n"},
        {"a Connection that names the framing or the host changes neither",
         "POST http://a.test/ HTTP/1.1\r\nConnection: content-length, host\r\nHost: a.test\r\n"
         "Content-Length: 3\r\n\r\nabcGET /n HTTP/1.1\r\n\r\n",
         "<a.test:80>POST / HTTP/1.1\r\nConnection: content-length, host\r\nHost: a.test\r\n"
         "Content-Length: 3\r\n\r\nabc<a.test:80>GET /n HTTP/1.1\r\nHost: a.test\r\n\r\n"},
    };
    for (const ReaderCase& c : cases) {
        const Outcome expected{c.stream, c.refusal};
        EXPECT_EQ(ReadInPieces(c.bytes, {}).stream, c.stream) << c.name;
        EXPECT_EQ(ReadInPieces(c.bytes, {}).refusal, c.refusal) << c.name;
        for (size_t cut = 1; cut < c.bytes.size(); ++cut) {
            ASSERT_TRUE(ReadInPieces(c.bytes, {cut}) == expected) << c.name << ", cut at " << cut;
        }
        std::vector<size_t> everyByte;
        for (size_t cut = 1; cut < c.bytes.size(); ++cut) everyByte.push_back(cut);
        EXPECT_TRUE(ReadInPieces(c.bytes, everyByte) == expected) << c.name << ", byte by byte";
    }
}

TEST(RequestReader, RefusesHeadersOverTheLimitHoweverTheyAreSplit) {
    const std::string start = "GET http://a.test/ HTTP/1.1\r\n";
    // 10,000 short lines: over the limit in a single read.
    const std::string many = start + Repeat("X-Line: 123456789\r\n", 10000) + "\r\n";
    const std::string justUnder =
        start + "X: " + std::string(proxy::kMaxHeaderBytes - start.size() - 7, 'f') + "\r\n\r\n";
    ASSERT_EQ(justUnder.size(), proxy::kMaxHeaderBytes);
    const std::string justOver = start + "Y" + justUnder.substr(start.size());
    for (const std::vector<size_t>& cuts : std::vector<std::vector<size_t>>{
             {}, {1}, {100}, {65535}, {65536}, {65537}, {30000, 65536}}) {
        EXPECT_EQ(ReadInPieces(many, cuts).refusal, Refusal::kBadRequest);
        EXPECT_EQ(ReadInPieces(justOver, cuts).refusal, Refusal::kBadRequest);
        EXPECT_EQ(ReadInPieces(justUnder, cuts).refusal, Refusal::kNone);
    }
}

TEST(RequestReader, ABadChunkInARequestBodyEndsIt) {
    const std::string bytes =
        "POST http://a.test/ HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nabc\r\n";
    for (size_t cut = 1; cut < bytes.size(); ++cut) {
        EXPECT_EQ(ReadInPieces(bytes, {cut}).refusal, Refusal::kBadRequest) << cut;
    }
}

TEST(RequestReader, ThroughAGatewayTheRequestLineStaysAndHostStillAgrees) {
    EXPECT_EQ(ReadInPieces("GET http://a.test:8080/x HTTP/1.1\r\nHost: b\r\n\r\n", {}, true).stream,
              "<a.test:8080>GET http://a.test:8080/x HTTP/1.1\r\nHost: a.test:8080\r\n\r\n");
    EXPECT_EQ(ReadInPieces("CONNECT a.test:443 HTTP/1.1\r\n\r\nhello", {}, true).stream,
              "<a.test:443 tunnel>CONNECT a.test:443 HTTP/1.1\r\n\r\nhello");
    // The gateway fetches an https URL itself, and its credentials are for it.
    EXPECT_EQ(
        ReadInPieces("GET https://a.test/s HTTP/1.1\r\nProxy-Authorization: Basic dTpw\r\n\r\n", {},
                     true)
            .stream,
        "<a.test:443>GET https://a.test/s HTTP/1.1\r\nHost: a.test:443\r\n"
        "Proxy-Authorization: Basic dTpw\r\n\r\n");
}

// Each forwarded request names this proxy in Via; one that has passed it already is going round
// in a loop (two proxies set as each other's gateway) and is refused before it costs a thread.
TEST(RequestReader, ViaNamesThisProxyAndALoopIsRefused) {
    const std::string_view self = "KorvoPopupKiller:8100";
    EXPECT_EQ(ReadInPieces("GET http://a.test/ HTTP/1.1\r\nVia: 1.0 cache.example (Squid)\r\n\r\n",
                           {}, false, self)
                  .stream,
              "<a.test:80>GET / HTTP/1.1\r\nHost: a.test\r\nVia: 1.0 cache.example (Squid)\r\n"
              "Via: 1.1 KorvoPopupKiller:8100\r\n\r\n");
    EXPECT_EQ(
        ReadInPieces("CONNECT a.test:443 HTTP/1.1\r\n\r\n", {}, true, self).stream,
        "<a.test:443 tunnel>CONNECT a.test:443 HTTP/1.1\r\nVia: 1.1 KorvoPopupKiller:8100\r\n\r\n");
    // Another instance on another port is another proxy.
    EXPECT_EQ(ReadInPieces("GET http://a.test/ HTTP/1.1\r\nVia: 1.1 KorvoPopupKiller:8101\r\n\r\n",
                           {}, false, self)
                  .refusal,
              Refusal::kNone);
    for (const char* looped :
         {"GET http://a.test/ HTTP/1.1\r\nVia: 1.1 korvopopupkiller:8100\r\n\r\n",
          "GET http://a.test/ HTTP/1.1\r\nVia: 1.0 a, 1.1 KorvoPopupKiller:8100, 1.1 b\r\n\r\n",
          "CONNECT a.test:443 HTTP/1.1\r\nVia: 1.1 KorvoPopupKiller:8100\r\n\r\n"}) {
        EXPECT_EQ(ReadInPieces(looped, {}, true, self).refusal, Refusal::kLoop) << looped;
    }
}

// A browser set to the proxy's automatic configuration script asks the proxy itself for it, in
// origin form; the proxy answers it and passes nothing on. Anything else with a bare path still
// needs an earlier request's host.
TEST(RequestReader, RecognisesARequestForTheProxysOwnScriptWhateverTheReads) {
    proxy::RequestOptions options;
    options.ownPort = 8100;
    options.ownName = "KorvoPopupKiller";
    options.viaName = "KorvoPopupKiller:8100";
    const std::vector<ReaderCase> cases = {
        {"origin form with the loopback address",
         "GET /korvo-proxy.pac HTTP/1.1\r\nHost: 127.0.0.1:8100\r\nAccept: */*\r\n\r\n",
         "<127.0.0.1:8100 script>"},
        {"with the proxy's name in any case, and a query",
         "GET /korvo-proxy.pac?v=2 HTTP/1.1\r\nHost: korvopopupkiller:8100\r\n\r\n",
         "<korvopopupkiller:8100 script>"},
        {"HEAD, and an empty length",
         "HEAD /korvo-proxy.pac HTTP/1.0\r\nHost: 127.0.0.1:8100\r\n"
         "Content-Length: 0\r\n\r\n",
         "<127.0.0.1:8100 script>"},
        {"an absolute URL to the proxy itself",
         "GET http://127.0.0.1:8100/korvo-proxy.pac HTTP/1.1\r\nHost: x\r\n\r\n",
         "<127.0.0.1:8100 script>"},
        {"a site's file of that name is the site's",
         "GET http://a.test/korvo-proxy.pac HTTP/1.1\r\n\r\n",
         "<a.test:80>GET /korvo-proxy.pac HTTP/1.1\r\nHost: a.test\r\n"
         "Via: 1.1 KorvoPopupKiller:8100\r\n\r\n"},
        {"and so is one after a site's request on the same connection",
         "GET http://a.test/ HTTP/1.1\r\n\r\nGET /korvo-proxy.pac HTTP/1.1\r\nHost: a.test\r\n\r\n",
         "<a.test:80>GET / HTTP/1.1\r\nHost: a.test\r\nVia: 1.1 KorvoPopupKiller:8100\r\n\r\n"
         "<a.test:80>GET /korvo-proxy.pac HTTP/1.1\r\nHost: a.test\r\n"
         "Via: 1.1 KorvoPopupKiller:8100\r\n\r\n"},
        {"another port is not this proxy",
         "GET /korvo-proxy.pac HTTP/1.1\r\nHost: 127.0.0.1:8101\r\n\r\n", "", Refusal::kBadRequest},
        {"a Host without the port is not this proxy",
         "GET /korvo-proxy.pac HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n", "", Refusal::kBadRequest},
        {"another path is no script",
         "GET /korvo-proxy.pacx HTTP/1.1\r\nHost: 127.0.0.1:8100\r\n\r\n", "",
         Refusal::kBadRequest},
        {"a request for the script with a body is refused",
         "POST /korvo-proxy.pac HTTP/1.1\r\nHost: 127.0.0.1:8100\r\nContent-Length: 2\r\n\r\nab",
         "", Refusal::kBadRequest},
        {"so is a GET with one",
         "GET /korvo-proxy.pac HTTP/1.1\r\nHost: 127.0.0.1:8100\r\nContent-Length: 2\r\n\r\nab", "",
         Refusal::kBadRequest},
    };
    for (const ReaderCase& c : cases) {
        const Outcome expected{c.stream, c.refusal};
        EXPECT_TRUE(ReadInPieces(c.bytes, {}, options) == expected) << c.name;
        for (size_t cut = 1; cut < c.bytes.size(); ++cut) {
            ASSERT_TRUE(ReadInPieces(c.bytes, {cut}, options) == expected)
                << c.name << ", cut at " << cut;
        }
    }
    // A gateway never gets it: the script is this proxy's.
    options.viaGateway = true;
    EXPECT_EQ(
        ReadInPieces("GET http://127.0.0.1:8100/korvo-proxy.pac HTTP/1.1\r\n\r\n", {}, options)
            .stream,
        "<127.0.0.1:8100 script>");
    // Without the proxy's own address the script is never recognised.
    EXPECT_EQ(
        ReadInPieces("GET /korvo-proxy.pac HTTP/1.1\r\nHost: 127.0.0.1:8100\r\n\r\n", {}).refusal,
        Refusal::kBadRequest);
}

// Inside a secure site's tunnel that this proxy ends, the script's path is the site's, and a
// Host naming the proxy is refused like any other host.
TEST(RequestReader, InsideASecureSitesTunnelTheScriptsPathBelongsToTheSite) {
    proxy::RequestOptions options;
    options.ownPort = 8100;
    options.ownName = "KorvoPopupKiller";
    RequestReader site;
    site.ServeOrigin("a.test", 443);
    std::vector<RequestReader::Piece> pieces;
    const std::string forSite = "GET /korvo-proxy.pac HTTP/1.1\r\nHost: a.test\r\n\r\n";
    ASSERT_TRUE(site.Feed(forSite.data(), forSite.size(), options, pieces));
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_FALSE(pieces[0].target.autoConfigScript);
    EXPECT_EQ(pieces[0].target.host, "a.test");
    EXPECT_EQ(pieces[0].bytes.rfind("GET /korvo-proxy.pac HTTP/1.1\r\nHost: a.test\r\n", 0), 0u);
    RequestReader proxyNamed;
    proxyNamed.ServeOrigin("a.test", 443);
    pieces.clear();
    const std::string forProxy = "GET /korvo-proxy.pac HTTP/1.1\r\nHost: 127.0.0.1:8100\r\n\r\n";
    EXPECT_FALSE(proxyNamed.Feed(forProxy.data(), forProxy.size(), options, pieces));
    EXPECT_EQ(proxyNamed.refusal(), Refusal::kBadRequest);
    EXPECT_TRUE(pieces.empty());
}

// A browser shows a reply only when its header ends and its length is right.
TEST(FixedReplies, AreCompleteMessages) {
    for (const std::string reply :
         {proxy::kBadRequestReply, proxy::kSiteUnreachableReply, proxy::kBadGatewayReply,
          proxy::kLoopDetectedReply, proxy::kBusyReply, proxy::kTunnelEstablishedReply}) {
        const size_t end = reply.find("\r\n\r\n");
        ASSERT_NE(end, std::string::npos) << reply;
        const std::string header = reply.substr(0, end);
        const std::string body = reply.substr(end + 4);
        EXPECT_EQ(header.find('\n'), header.find("\r\n") + 1) << reply;
        const size_t length = header.find("Content-Length: ");
        if (reply == proxy::kTunnelEstablishedReply) {
            EXPECT_TRUE(body.empty());
            continue;
        }
        ASSERT_NE(length, std::string::npos) << reply;
        EXPECT_EQ(std::stoul(header.substr(length + 16)), body.size()) << reply;
    }
    EXPECT_EQ(std::string(proxy::kBadRequestReply)
                  .rfind("HTTP/1.0 400 Invalid header received from browser\r\n", 0),
              0u);
    EXPECT_EQ(std::string(proxy::kSiteUnreachableReply)
                  .rfind("HTTP/1.0 404 Error connecting to site\r\n", 0),
              0u);
    EXPECT_NE(std::string(proxy::kSiteUnreachableReply).find("Site does not exist."),
              std::string::npos);
}

}  // namespace
