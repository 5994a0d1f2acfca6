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

TEST(AsciiText, TrimRemovesBlanksAtBothEndsOnly) {
    EXPECT_EQ(Trim(" \t key = value \r\n"), "key = value");
    EXPECT_EQ(Trim(" \r\n\t "), "");
    EXPECT_EQ(Trim(""), "");
    EXPECT_EQ(Trim("\vx\f"), "\vx\f");
}

}  // namespace
}  // namespace platform
