#include "proxy/http_header.h"

#include <gtest/gtest.h>

namespace proxy {
namespace {

TEST(HeaderComplete, NeedsTwoLineFeedsWithOnlyCarriageReturnsBetween) {
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
    for (const Case& c : cases) EXPECT_EQ(HeaderComplete(c.bytes), c.complete) << c.bytes;
}

TEST(SplitHeader, CutsTheHeaderAndLeavesTheBody) {
    std::string bytes = "POST http://a/x HTTP/1.1\r\nHost: a\r\nContent-Length: 5\r\n\r\nhello";
    HeaderLines lines;
    ASSERT_TRUE(SplitHeader(bytes, lines, true, nullptr));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "POST http://a/x HTTP/1.1\r\n");
    EXPECT_EQ(lines[2], "Content-Length: 5\r\n\r\n");
    EXPECT_EQ(bytes, "hello");
    EXPECT_EQ(JoinHeader(lines), "POST http://a/x HTTP/1.1\r\nHost: a\r\nContent-Length: 5\r\n\r\n");
}

TEST(SplitHeader, DropsGzipAcceptEncodingOnlyWhenAsked) {
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
        {"text/css", 8},
        {"text/javascript", 10},
        {"application/x-javascript", 10},
        {"application/javascript", 10},
        {"image/gif", 4},
        {"text/x-component", 4},
        {"application/xhtml+xml", 9},
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
        EXPECT_EQ(info.contentLength, 12);
    }
}

TEST(SplitHeader, ReadsLengthAndChunkedCoding) {
    std::string bytes =
        "HTTP/1.1 200 OK\r\ncontent-length:   4294967296\r\nTransfer-Encoding: chunked\r\n\r\n";
    HeaderLines lines;
    ResponseInfo info;
    SplitHeader(bytes, lines, false, &info);
    EXPECT_EQ(info.contentLength, 4294967296LL);  // bodies over 4 GiB keep their length
    EXPECT_TRUE(info.isChunked);

    bytes = "HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999999\r\n\r\n";
    info = ResponseInfo{};
    SplitHeader(bytes, lines, false, &info);
    EXPECT_EQ(info.contentLength, -1);  // does not parse: unknown, not a wrapped value
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
}

}  // namespace
}  // namespace proxy
