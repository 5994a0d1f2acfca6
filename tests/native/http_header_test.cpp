#include "proxy/http_header.h"

#include <gtest/gtest.h>

namespace proxy {
namespace {

TEST(HeaderEnd, NeedsTwoLineFeedsWithOnlyCarriageReturnsBetween) {
    struct Case {
        const char* bytes;
        bool complete;
    } cases[] = {
        {"GET / HTTP/1.0\r\n\r\n", true},
        {"GET / HTTP/1.0\n\n", true},
        {"GET / HTTP/1.0\r\n\r\r\r\n", true},
        {"GET / HTTP/1.0\r\nHost: a\r\n", false},
        {"GET / HTTP/1.0\r\n \r\n", false},
        {"", false},
        {"\n", false},
    };
    for (const Case& c : cases) {
        const std::string bytes = c.bytes;
        EXPECT_EQ(HeaderEnd(bytes.data(), bytes.size()) != std::string::npos, c.complete)
            << c.bytes;
    }
}

TEST(SplitHeader, CutsTheHeaderAndLeavesTheBody) {
    std::string bytes = "POST http://a/x HTTP/1.1\r\nHost: a\r\nContent-Length: 5\r\n\r\nhello";
    HeaderLines lines;
    ASSERT_TRUE(SplitHeader(bytes, lines, true, nullptr));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "POST http://a/x HTTP/1.1\r\n");
    EXPECT_EQ(lines[2], "Content-Length: 5\r\n\r\n");
    EXPECT_EQ(bytes, "hello");
    EXPECT_EQ(JoinHeader(lines),
              "POST http://a/x HTTP/1.1\r\nHost: a\r\nContent-Length: 5\r\n\r\n");
}

TEST(SplitHeader, DropsGzipAcceptEncodingFieldsOnlyWhenAsked) {
    const std::string request =
        "GET http://a/ HTTP/1.1\r\nAccept-Encoding: gzip, deflate\r\nX: 1\r\n\r\n";
    std::string bytes = request;
    HeaderLines lines;
    SplitHeader(bytes, lines, true, nullptr);
    EXPECT_EQ(JoinHeader(lines), "GET http://a/ HTTP/1.1\r\nX: 1\r\n\r\n");

    bytes = request;
    SplitHeader(bytes, lines, false, nullptr);
    EXPECT_EQ(JoinHeader(lines), request);

    bytes = "GET http://a/ HTTP/1.1\r\nAccept-Encoding: deflate\r\n\r\n";
    SplitHeader(bytes, lines, true, nullptr);
    EXPECT_EQ(lines.size(), 2u);

    // Only fields by their name: never the request line, never another field's value.
    const std::string unusual =
        "GET http://a/accept-encoding:gzip HTTP/1.1\r\nX-Accept-Encoding: gzip\r\n"
        "X-Note: accept-encoding: gzip\r\naccept-ENCODING:gzip\r\n\r\n";
    bytes = unusual;
    SplitHeader(bytes, lines, true, nullptr);
    EXPECT_EQ(JoinHeader(lines),
              "GET http://a/accept-encoding:gzip HTTP/1.1\r\nX-Accept-Encoding: gzip\r\n"
              "X-Note: accept-encoding: gzip\r\n\r\n");
}

TEST(SplitHeader, IncompleteHeaderStaysInTheBuffer) {
    std::string bytes = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n";
    HeaderLines lines;
    EXPECT_FALSE(SplitHeader(bytes, lines, false, nullptr));
    EXPECT_EQ(bytes, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n");
}

TEST(SplitHeader, ClassifiesResponsesByContentType) {
    struct Case {
        const char* contentType;  // nullptr: no Content-Type line
        std::uint16_t expected;
    } cases[] = {
        {"text/html", 9},
        {"text/html; charset=utf-8", 9},
        {"text/plain", 8},
        {"text/plain; charset=utf-8", 8},
        // Other text passes as it comes: style sheets, event streams, tables.
        {"text/css", 4},
        {"text/event-stream", 4},
        {"text/csv", 4},
        {"text/javascript", 10},
        {"application/x-javascript", 10},
        {"application/javascript", 10},
        {"image/gif", 4},
        {"text/x-component", 4},
        // XML documents pass: a script in front of the root element breaks them.
        {"application/xhtml+xml", 4},
        {"text/xml", 4},
        {"image/svg+xml", 4},
        {"application/octet-stream", 4},
        {nullptr, 9},
    };
    for (const Case& c : cases) {
        std::string bytes = "HTTP/1.1 200 OK\r\n";
        if (c.contentType) bytes += std::string("Content-Type: ") + c.contentType + "\r\n";
        bytes += "Content-Length: 12\r\n\r\n";
        HeaderLines lines;
        ResponseInfo info;
        SplitHeader(bytes, lines, false, &info);
        EXPECT_EQ(info.contentClass, c.expected) << (c.contentType ? c.contentType : "(none)");
    }
    // Any line holding "content-type:" in any case counts; so does one with a blank before the
    // colon, which is taken out.
    const std::pair<const char*, std::uint16_t> lines[] = {
        {"CONTENT-TYPE:image/png", 4},
        {"X-Content-Type: text/plain; a:b", 8},
        {"Link: <a:b>; Content-type: text/plain", 8},
        {"Content-Type : text/css", 4},
        {"Content-Type\t: text/plain", 8},
    };
    for (const auto& [line, expected] : lines) {
        std::string bytes = std::string("HTTP/1.1 200 OK\r\n") + line + "\r\n\r\n";
        HeaderLines split;
        ResponseInfo info;
        SplitHeader(bytes, split, false, &info);
        EXPECT_EQ(info.contentClass, expected) << line;
    }
}

// Both sides frame bodies with these fields; a length that could be read two ways would let
// one message's bytes be taken for the next.
TEST(BodyFraming, ReadsLengthAndTransferCodingsTogether) {
    struct Case {
        std::vector<std::string> fields;
        BodyKind kind;
        std::uint64_t length;
        bool lengthIgnored;
    } cases[] = {
        {{}, BodyKind::kNone, 0, false},
        {{"Content-Length: 12"}, BodyKind::kLength, 12, false},
        {{"content-length:\t 4294967296 \t"}, BodyKind::kLength, 4294967296ull, false},
        {{"Content-Length:0"}, BodyKind::kLength, 0, false},
        {{"Content-Length: 5", "Content-Length: 5"}, BodyKind::kLength, 5, false},
        {{"Content-Length: 5, 5"}, BodyKind::kLength, 5, false},
        {{"X-Original-Content-Length: 20"}, BodyKind::kNone, 0, false},
        {{"X-Original-Content-Length: 20", "Content-Length: 3"}, BodyKind::kLength, 3, false},
        {{"Content-Length: 5", "Content-Length: 6"}, BodyKind::kInvalid, 0, false},
        {{"Content-Length: 5, 6"}, BodyKind::kInvalid, 0, false},
        {{"Content-Length: +5"}, BodyKind::kInvalid, 0, false},
        {{"Content-Length: -1"}, BodyKind::kInvalid, 0, false},
        {{"Content-Length: 0x10"}, BodyKind::kInvalid, 0, false},
        {{"Content-Length: 1 2"}, BodyKind::kInvalid, 0, false},
        {{"Content-Length:"}, BodyKind::kInvalid, 0, false},
        {{"Content-Length: 99999999999999999999999"}, BodyKind::kInvalid, 0, false},
        {{"Transfer-Encoding: chunked"}, BodyKind::kChunked, 0, false},
        {{"Transfer-Encoding: chunked", "Transfer-Encoding: chunked"},
         BodyKind::kChunked,
         0,
         false},
        {{"Transfer-Encoding: identity", "Transfer-Encoding: Chunked"},
         BodyKind::kChunked,
         0,
         false},
        {{"Transfer-Encoding: gzip, chunked"}, BodyKind::kChunked, 0, false},
        {{"Transfer-Encoding: chunked, gzip"}, BodyKind::kUntilClose, 0, false},
        {{"Transfer-Encoding: identity", "Content-Length: 4"}, BodyKind::kLength, 4, false},
        {{"Content-Length: 4", "Transfer-Encoding: chunked"}, BodyKind::kChunked, 0, true},
        {{"X-Transfer-Encoding: chunked"}, BodyKind::kNone, 0, false},
    };
    for (const Case& c : cases) {
        HeaderLines lines = {"HTTP/1.1 200 OK\r\n"};
        std::string text;
        for (const std::string& field : c.fields) {
            lines.push_back(field + "\r\n");
            text += field + " | ";
        }
        const BodyFraming framing = ReadBodyFraming(lines);
        EXPECT_EQ(framing.kind, c.kind) << text;
        if (c.kind == BodyKind::kLength) {
            EXPECT_EQ(framing.length, c.length) << text;
        }
        EXPECT_EQ(framing.lengthIgnored, c.lengthIgnored) << text;
    }
}

TEST(HeaderFields, AreFoundByTheirWholeName) {
    const HeaderLines lines = {"GET http://host:81/accept-encoding: HTTP/1.1\r\n", "X-Host: a\r\n",
                               "HOST:\t b \r\n", "Host : c\r\n"};
    EXPECT_EQ(FindField(lines, "host"), 2u);
    EXPECT_EQ(FieldValue(lines[2]), "b");
    EXPECT_EQ(FindField(lines, "accept-encoding"), std::string::npos);
    EXPECT_EQ(FindField(lines, "host", 3), std::string::npos);
    EXPECT_FALSE(HasBareCarriageReturn(lines));
    EXPECT_TRUE(HasBareCarriageReturn({"GET / HTTP/1.1\r\n", "A: b\rc\r\n\r\n"}));
    EXPECT_TRUE(HasBareCarriageReturn({"GET / HTTP/1.1\r\n", "A: b\r\r\n\r\n"}));
    EXPECT_FALSE(HasBareCarriageReturn({"GET / HTTP/1.1\n", "A: b\n\r\n"}));
}

TEST(JoinHeader, EndsInExactlyOneBlankLine) {
    EXPECT_EQ(JoinHeader({"GET / HTTP/1.0\n\n"}), "GET / HTTP/1.0\r\n\r\n");
    EXPECT_EQ(JoinHeader({"GET / HTTP/1.0\r\n", "A: b\r\n\r\n"}), "GET / HTTP/1.0\r\nA: b\r\n\r\n");
    EXPECT_EQ(JoinHeader({"\n"}), "\n\r\n\r\n");
}

TEST(SplitFields, SkipsRunsOfSeparatorsAndStopsAtLineFeed) {
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitFields("GET  http://a/ HTTP/1.1\r\nHost: x", " \r\n"),
              (V{"GET", "http://a/", "HTTP/1.1"}));
    EXPECT_EQ(SplitFields("host:8080", ":"), (V{"host", "8080"}));
    EXPECT_EQ(SplitFields("::", ":"), V{});
    EXPECT_EQ(SplitFields("a b\nc", " "), (V{"a", "b"}));
    EXPECT_EQ(SplitFields(std::string("GET\0/ x", 7), " "), (V{"GET", "/", "x"}));
}

}  // namespace
}  // namespace proxy
