// The list of secure sites never intercepted: its text as users write it, what an entry covers,
// its bounds, and the list the installation ships.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "proxy/secure_exclusions.h"

namespace proxy {
namespace {

TEST(SecureExclusions, ReadsEntriesCommentsAndBlanksAsUsersWriteThem) {
    const SecureExclusions list(
        "\xEF\xBB\xBF# a comment line\r\n"
        "\r\n"
        "   *.Bank.Example   # after an entry\r\n"
        "\tshop.example\t\n"
        "#*.commented.example\n"
        "last.example");
    EXPECT_EQ(list.size(), 3u);
    EXPECT_EQ(list.skippedLines(), 0u);
    const struct {
        const char* host;
        bool matches;
    } cases[] = {
        {"bank.example", true},
        {"www.bank.example", true},
        {"a.b.bank.example", true},
        {"WWW.BANK.EXAMPLE", true},
        {"www.bank.example.", true},
        {"notbank.example", false},
        {"bank.example.evil", false},
        {"example", false},
        {"shop.example", true},
        {"Shop.Example", true},
        {"www.shop.example", false},
        {"commented.example", false},
        {"last.example", true},
        {"", false},
        {".", false},
        {"..", false},
    };
    for (const auto& c : cases) EXPECT_EQ(list.Matches(c.host), c.matches) << c.host;
}

TEST(SecureExclusions, SkipsLinesThatAreNoEntry) {
    const SecureExclusions list(
        "two words.example\n"
        "*.\n"
        "*\n"
        "*.*.example\n"
        "https://bank.example/\n"
        "bank_x.example\n"
        "a..example\n"
        "www.bank.example:443\n"
        "good.example\n");
    EXPECT_EQ(list.size(), 1u);
    EXPECT_EQ(list.skippedLines(), 8u);
    EXPECT_TRUE(list.Matches("good.example"));
    EXPECT_FALSE(list.Matches("bank.example"));
    EXPECT_FALSE(list.Matches("words.example"));
}

TEST(SecureExclusions, KeepsAtMostTheBoundOfEntries) {
    std::string text;
    for (size_t i = 0; i <= kMaxSecureExclusions; ++i) {
        text += "host" + std::to_string(i) + ".example\n";
    }
    const SecureExclusions list(text);
    EXPECT_EQ(list.size(), kMaxSecureExclusions);
    EXPECT_TRUE(list.Matches("host0.example"));
    EXPECT_FALSE(list.Matches("host" + std::to_string(kMaxSecureExclusions) + ".example"));
}

class SecureExclusionsFile : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/korvo-exclusions-XXXXXX";
        folder_ = mkdtemp(pattern);
    }
    void TearDown() override { std::system(("rm -rf " + folder_).c_str()); }
    std::string folder_;
};

TEST_F(SecureExclusionsFile, LoadsTheFileAndIsEmptyWithoutOne) {
    const std::string path = folder_ + "/SecureExclusions.txt";
    platform::FileRead read = platform::FileRead::kRead;
    EXPECT_EQ(LoadSecureExclusions(path, &read)->size(), 0u);
    EXPECT_EQ(read, platform::FileRead::kMissing);
    std::ofstream(path) << "*.bank.example\n";
    EXPECT_TRUE(LoadSecureExclusions(path, &read)->Matches("www.bank.example"));
    EXPECT_EQ(read, platform::FileRead::kRead);
    std::ofstream(path) << std::string(kMaxSecureExclusionsFileBytes + 1, '#');
    EXPECT_EQ(LoadSecureExclusions(path, &read)->size(), 0u);
    EXPECT_EQ(read, platform::FileRead::kUnreadable);
}

TEST(SecureExclusions, TheShippedListCoversPaymentSitesAndHasNoBadLine) {
    const std::string here = __FILE__;
    const std::string path =
        here.substr(0, here.rfind("tests/native/")) + "data/SecureExclusions.txt";
    platform::FileRead read = platform::FileRead::kMissing;
    const auto list = LoadSecureExclusions(path, &read);
    ASSERT_EQ(read, platform::FileRead::kRead);
    EXPECT_EQ(list->skippedLines(), 0u);
    EXPECT_TRUE(list->Matches("www.paypal.com"));
    EXPECT_TRUE(list->Matches("paypal.com"));
    EXPECT_TRUE(list->Matches("checkout.stripe.com"));
    // The examples in its header comment are no entries.
    EXPECT_FALSE(list->Matches("www.example.com"));
    EXPECT_FALSE(list->Matches("pay.example.com"));
}

}  // namespace
}  // namespace proxy
