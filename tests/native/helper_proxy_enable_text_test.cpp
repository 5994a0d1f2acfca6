// The Browser.ini "ProxyEnable" text decoded back into the registry value's bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "helper/proxy_enable_text.h"

namespace {

using Bytes = std::vector<unsigned char>;

TEST(HelperProxyEnableText, DecodesByteTexts) {
    struct Case {
        std::string text;
        Bytes bytes;
    };
    const Case cases[] = {
        {"01 00 00 00", {1, 0, 0, 0}},  // the usual saved DWORD
        {"00 00 00 00", {0, 0, 0, 0}},
        {"ff,7F-10", {0xFF, 0x7F, 0x10}},  // any single separator, either case
        {"1", {1}},
        {"01 00 ", {1, 0}},  // a trailing separator adds nothing
        {"", {}},
        {"1FF 100", {0xFF, 0x00}},  // only the low byte of a wider number
        {"0x10 0X2", {0x10, 0x02}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(helper::DecodeProxyEnableText(c.text), c.bytes) << '"' << c.text << '"';
    }
}

TEST(HelperProxyEnableText, DamagedTextsStayWithinTheirLength) {
    struct Case {
        std::string text;
        Bytes bytes;
    };
    const Case cases[] = {
        {"01  00", {1, 0}},   // the second space is skipped as white space before 00
        {"1,,2", {1, 0, 2}},  // a character that starts no number gives a 0 byte
        {"zz", {0, 0}},
        {"01 0g 02", {1, 0, 2}},           // 0 stops at g, which is the one skipped character
        {std::string("01\0 02", 6), {1}},  // ends at a zero byte, as the C text it is read as
        {"FFFFFFFFFFFFFFFFFFFF", {0xFF}},  // an overflowing number keeps the low byte of the limit
    };
    for (const Case& c : cases) {
        const Bytes bytes = helper::DecodeProxyEnableText(c.text);
        EXPECT_EQ(bytes, c.bytes) << '"' << c.text << '"';
        EXPECT_LE(bytes.size(), c.text.size());
    }
}

}  // namespace
