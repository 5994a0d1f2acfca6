// The secure error page's texts from the language files: every kind from its own id, in the
// page's UTF-8, the English defaults where the file lacks them, and the shipped German file
// carrying all of them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "core/language.h"
#include "core/secure_page_texts.h"

namespace core {
namespace {

namespace fs = std::filesystem;
using proxy::SecureText;

constexpr int kKinds = static_cast<int>(SecureText::kCount);

fs::path SourceFolder() {
    const std::string here = __FILE__;
    return fs::path(here.substr(0, here.rfind("tests/native/")));
}

// An installation whose language files the lookup finds. The lookup's path joins the folders
// with backslashes, so on Linux the path is one file name in the test's folder.
class SecurePageTextsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(folder_);
        state_.installPath = (folder_ / "inst").string();
    }
    void TearDown() override { fs::remove_all(folder_); }
    void WriteLanguage(const std::string& language, const std::string& bytes) {
        std::ofstream(LanguageFilePath(state_.installPath, language), std::ios::binary) << bytes;
        state_.language = language;
    }

    // One folder per test: ctest runs the tests in parallel processes.
    const fs::path folder_ = fs::temp_directory_path() /
                             (std::string("korvo_secure_texts_") +
                              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    AppState state_;
    proxy::SecurePageTexts texts_;
};

TEST_F(SecurePageTextsTest, EveryKindTakesItsOwnTextInUtf8) {
    std::string file = "[KorvoPopupKiller]\r\n";
    for (int i = 0; i < kKinds; ++i) {
        // Windows-1252: a-umlaut, and the low double quote of the German texts.
        file += std::string(SecurePageLanguageText(static_cast<SecureText>(i)).id) + "=Text " +
                std::to_string(i) + " \xE4#\x84x\r\n";
    }
    WriteLanguage("Test", file);
    ApplySecurePageTexts(state_, texts_);
    for (int i = 0; i < kKinds; ++i) {
        EXPECT_EQ(texts_.Get(static_cast<SecureText>(i)),
                  "Text " + std::to_string(i) + " \xC3\xA4\n\xE2\x80\x9Ex");
    }
}

TEST_F(SecurePageTextsTest, WithoutTheFileOrAKeyTheEnglishDefaultsStay) {
    WriteLanguage("Partial", "[KorvoPopupKiller]\r\n13001=Titel\r\n");
    ApplySecurePageTexts(state_, texts_);
    EXPECT_EQ(texts_.Get(SecureText::kTitle), "Titel");
    state_.language = "Missing";
    ApplySecurePageTexts(state_, texts_);
    for (int i = 0; i < kKinds; ++i) {
        const auto which = static_cast<SecureText>(i);
        // The table's defaults are the page's own: a language file without the texts changes
        // nothing.
        EXPECT_STREQ(SecurePageLanguageText(which).defaultText,
                     proxy::SecurePageTexts::Default(which));
        EXPECT_EQ(texts_.Get(which), proxy::SecurePageTexts::Default(which));
    }
}

TEST_F(SecurePageTextsTest, TheGermanFileHasEveryText) {
    fs::copy_file(SourceFolder() / "data" / "Language" / "Deutsch.ini",
                  LanguageFilePath(state_.installPath, "Deutsch"));
    state_.language = "Deutsch";
    ApplySecurePageTexts(state_, texts_);
    for (int i = 0; i < kKinds; ++i) {
        const auto which = static_cast<SecureText>(i);
        const std::string text = texts_.Get(which);
        EXPECT_FALSE(text.empty()) << i;
        EXPECT_NE(text, proxy::SecurePageTexts::Default(which)) << i << " is not translated";
    }
    EXPECT_NE(texts_.Get(SecureText::kBecause)
                  .find("ge\xC3\xB6"
                        "ffnet"),
              std::string::npos);
    const std::string reply =
        proxy::SecureErrorReply(texts_, "bank.example", platform::TlsFailure::kExpired);
    EXPECT_NE(reply.find("abgelaufen oder noch nicht g\xC3\xBCltig"), std::string::npos);
}

}  // namespace
}  // namespace core
