// The ASCII text helpers the file formats and header checks share.
#include <gtest/gtest.h>

#include "platform/ascii_text.h"

namespace platform {
namespace {

TEST(AsciiText, CaseFoldingLeavesBytesAbove127Alone) {
    EXPECT_EQ(ToLowerAscii("Content-TYPE: \xC4\xE4 [@`{Z]"), "content-type: \xC4\xE4 [@`{z]");
    EXPECT_EQ(ToUpperAscii("get \xE4z"), "GET \xE4Z");
    EXPECT_TRUE(EqualsNoCase("[PROXY]", "[proxy]"));
    EXPECT_FALSE(EqualsNoCase("\xC4", "\xE4"));  // no locale decides that these pair up
    EXPECT_FALSE(EqualsNoCase("proxy", "proxy "));
    EXPECT_TRUE(StartsWithNoCase("Cookie:a@b", "cookie:"));
    EXPECT_FALSE(StartsWithNoCase("Cook", "cookie:"));
    EXPECT_TRUE(LessNoCase("apple", "Banana"));
    EXPECT_FALSE(LessNoCase("Banana", "apple"));
    EXPECT_FALSE(LessNoCase("A", "a"));
}

// The eight-bytes-at-a-time folding agrees with the one-byte rule for every byte value, at every
// position within a word and in the tail.
TEST(AsciiText, PageFoldingMatchesTheByteRule) {
    std::string all;
    for (int round = 0; round < 3; ++round) {
        for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
        all += 'Q';  // shifts the next round's bytes to other positions in a word
    }
    for (size_t length = 0; length <= all.size(); length += 37) {
        const std::string text = all.substr(0, length);
        std::string expected = text;
        for (char& c : expected) c = LowerAscii(c);
        EXPECT_EQ(ToLowerAscii(text), expected) << "length " << length;
    }
}

// Searching in any case finds what searching the lower-cased text finds, from every start, for
// needles that start with a letter and with other characters, at the text's end too.
TEST(AsciiText, FindNoCaseAgreesWithSearchingTheFoldedText) {
    const std::string text = "<P>a <HtMl> <Meta x><meta\xC4<BODY</scriPT>\xE4>-->?>";
    const std::string lower = ToLowerAscii(text);
    for (const char* needle : {"<html>", "<meta", "<body", "</script", "?>", ">", "html", "\xe4",
                               "a <h", "<meta\xc4", "-->?>x", ""}) {
        for (size_t from = 0; from <= text.size() + 1; ++from) {
            const size_t expected =
                from > lower.size() ? std::string::npos : lower.find(needle, from);
            EXPECT_EQ(FindNoCase(text, needle, from), expected) << needle << " from " << from;
        }
    }
}

TEST(AsciiText, TrimRemovesBlanksAtBothEndsOnly) {
    EXPECT_EQ(Trim(" \t key = value \r\n"), "key = value");
    EXPECT_EQ(Trim(" \r\n\t "), "");
    EXPECT_EQ(Trim(""), "");
    EXPECT_EQ(Trim("\vx\f"), "\vx\f");
}

}  // namespace
}  // namespace platform
