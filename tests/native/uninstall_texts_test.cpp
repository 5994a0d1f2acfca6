// The uninstaller's language files and lookups: each shipped language has a file in "Lang" that
// carries the uninstaller's ids with the same texts as the tray program's file, above all the
// same window title, since that is how the uninstaller finds the running tray program.
#include "uninstall/uninstall_texts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "core/instance_window.h"
#include "core/language.h"
#include "platform/profile.h"

namespace uninstall {
namespace {

namespace fs = std::filesystem;

fs::path DataFolder() {
    const std::string here = __FILE__;
    return fs::path(here.substr(0, here.rfind("tests/native/"))) / "data";
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

constexpr char kMissing[] = "(missing)";

// Text of id in the language section of file, read as the programs read it, in full.
std::string Text(const fs::path& file, const char* id) {
    return platform::ReadProfileText(core::kLanguageSection, id, kMissing, file.string(), 1u << 20);
}

TEST(UninstallTexts, EveryLanguageShipsTheUninstallersTexts) {
    int languages = 0;
    for (const auto& entry : fs::directory_iterator(DataFolder() / "Language")) {
        ++languages;
        const std::string name = entry.path().filename().string();
        const fs::path own = DataFolder() / "Lang" / name;
        ASSERT_TRUE(fs::exists(own)) << name;
        const std::string bytes = ReadBytes(own);
        for (size_t at = bytes.find('\n'); at != std::string::npos; at = bytes.find('\n', at + 1)) {
            ASSERT_TRUE(at > 0 && bytes[at - 1] == '\r') << name << ": a line without CRLF";
        }
        for (const core::LanguageText& uninstallText : kUninstallTexts) {
            const char* id = uninstallText.id;
            const std::string text = Text(own, id);
            ASSERT_NE(text, kMissing) << name << " " << id;
            EXPECT_EQ(text, Text(entry.path(), id)) << name << " " << id;
            EXPECT_LT(text.size(), kUninstallTextBuffer);
        }
        EXPECT_LE(Text(own, core::texts::kInstanceWindowTitle.id).size(),
                  core::kInstanceTitleLength)
            << name;
    }
    EXPECT_GE(languages, 2);
}

}  // namespace
}  // namespace uninstall
