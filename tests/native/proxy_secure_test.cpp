// The proxy's side of secure sites as functions of bytes: requests read inside a tunnel the proxy
// ends itself, and the page a site that cannot be trusted is answered with.
#include <gtest/gtest.h>

#include "proxy/http_request.h"
#include "proxy/secure_error_page.h"
#include "request_pieces.h"

namespace {

using platform::TlsFailure;
using proxy::Refusal;
using proxy::RequestReader;
using request_test::Outcome;

// Reads bytes after ServeOrigin(a.test:443) in reads that end at cuts; each request start shows
// as <host:port>.
Outcome ReadInside(const std::string& bytes, const std::vector<size_t>& cuts) {
    RequestReader reader;
    reader.ServeOrigin("A.Test", 443);
    proxy::RequestOptions options;
    options.viaName = "KorvoPopupKiller:8100";
    return request_test::ReadInPieces(reader, bytes, cuts, options);
}

TEST(RequestsInsideASecureTunnel, GoToItsSiteAndNoOtherWhateverTheReads) {
    const char* via = "Via: 1.1 KorvoPopupKiller:8100\r\n";
    const struct {
        const char* name;
        std::string bytes;
        std::string stream;
        Refusal refusal = Refusal::kNone;
    } cases[] = {
        {"a path with the site's Host, keep-alive",
         "GET /a HTTP/1.1\r\nHost: a.test\r\n\r\nGET /b?q HTTP/1.1\r\nHost: A.TEST:443\r\n\r\n",
         std::string("<a.test:443>GET /a HTTP/1.1\r\nHost: a.test\r\n") + via + "\r\n" +
             "<a.test:443>GET /b?q HTTP/1.1\r\nHost: a.test\r\n" + via + "\r\n"},
        {"a missing Host is the site's", "GET / HTTP/1.0\r\n\r\n",
         std::string("<a.test:443>GET / HTTP/1.0\r\nHost: a.test\r\n") + via + "\r\n"},
        {"an https URL of the site itself", "GET https://a.test/x HTTP/1.1\r\nHost: a.test\r\n\r\n",
         std::string("<a.test:443>GET /x HTTP/1.1\r\nHost: a.test\r\n") + via + "\r\n"},
        {"a body stays body", "POST /p HTTP/1.1\r\nHost: a.test\r\nContent-Length: 4\r\n\r\nGET ",
         std::string("<a.test:443>POST /p HTTP/1.1\r\nHost: a.test\r\nContent-Length: 4\r\n") +
             via + "\r\nGET "},
        {"a Host of another site", "GET / HTTP/1.1\r\nHost: b.test\r\n\r\n", "",
         Refusal::kBadRequest},
        {"a Host of another port", "GET / HTTP/1.1\r\nHost: a.test:8443\r\n\r\n", "",
         Refusal::kBadRequest},
        {"a second Host of another site", "GET / HTTP/1.1\r\nHost: a.test\r\nHost: b.test\r\n\r\n",
         "", Refusal::kBadRequest},
        {"a URL of another site", "GET https://b.test/ HTTP/1.1\r\nHost: a.test\r\n\r\n", "",
         Refusal::kBadRequest},
        {"a plain http URL", "GET http://a.test/ HTTP/1.1\r\nHost: a.test\r\n\r\n", "",
         Refusal::kBadRequest},
        {"a CONNECT inside", "CONNECT b.test:443 HTTP/1.1\r\nHost: b.test:443\r\n\r\n", "",
         Refusal::kBadRequest},
    };
    for (const auto& c : cases) {
        const Outcome whole = ReadInside(c.bytes, {});
        EXPECT_EQ(whole.stream, c.stream) << c.name;
        EXPECT_EQ(whole.refusal, c.refusal) << c.name;
        for (size_t cut = 1; cut < c.bytes.size(); ++cut) {
            EXPECT_EQ(ReadInside(c.bytes, {cut}), whole) << c.name << " cut at " << cut;
        }
        std::vector<size_t> everyByte;
        for (size_t i = 1; i < c.bytes.size(); ++i) everyByte.push_back(i);
        EXPECT_EQ(ReadInside(c.bytes, everyByte), whole) << c.name << " byte by byte";
    }
}

TEST(SecureErrorPage, IsACompleteReplyNamingTheHostAndTheReason) {
    proxy::SecurePageTexts texts;
    texts.Set(proxy::SecureText::kWrongHost, "Falscher <Name> & so");
    const std::string reply = proxy::SecureErrorReply(texts, "a.test<b", TlsFailure::kWrongHost);
    const size_t bodyAt = reply.find("\r\n\r\n") + 4;
    const std::string header = reply.substr(0, bodyAt);
    EXPECT_EQ(header.rfind("HTTP/1.1 502 ", 0), 0u);
    EXPECT_NE(header.find("Connection: close\r\n"), std::string::npos);
    EXPECT_NE(header.find("Content-Length: " + std::to_string(reply.size() - bodyAt) + "\r\n"),
              std::string::npos);
    const std::string body = reply.substr(bodyAt);
    EXPECT_NE(body.find("<b>a.test&lt;b</b>"), std::string::npos);
    EXPECT_NE(body.find("Falscher &lt;Name&gt; &amp; so"), std::string::npos);
    EXPECT_NE(body.find(proxy::SecurePageTexts::Default(proxy::SecureText::kNothingShown)),
              std::string::npos);

    const std::pair<TlsFailure, proxy::SecureText> reasons[] = {
        {TlsFailure::kExpired, proxy::SecureText::kExpired},
        {TlsFailure::kSelfSigned, proxy::SecureText::kSelfSigned},
        {TlsFailure::kUnknownIssuer, proxy::SecureText::kUnknownIssuer},
        {TlsFailure::kOldProtocol, proxy::SecureText::kOldProtocol},
        {TlsFailure::kPeerRefused, proxy::SecureText::kHandshakeFailed},
    };
    for (const auto& [failure, text] : reasons) {
        EXPECT_NE(proxy::SecureErrorReply(texts, "a.test", failure)
                      .find(proxy::SecurePageTexts::Default(text)),
                  std::string::npos);
    }
}

}  // namespace
