// The uninstaller's language files and lookups: each shipped language has a file in "Lang" that
// carries the uninstaller's ids with the same texts as the tray program's file, above all the
// same window title, since that is how the uninstaller finds the running tray program.
#include "uninstall/uninstall_texts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

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

// Keys of section "KorvoPopupKiller"; the first of a repeated key counts.
std::map<std::string, std::string> MainSection(const std::string& bytes) {
    std::map<std::string, std::string> keys;
    bool inSection = false;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '[') inSection = line == "[KorvoPopupKiller]";
        const size_t equals = line.find('=');
        if (inSection && equals != std::string::npos && line[0] != ';') {
            keys.emplace(line.substr(0, equals), line.substr(equals + 1));
        }
    }
    return keys;
}

TEST(UninstallTexts, EveryLanguageShipsTheUninstallersTexts) {
    const char* const ids[] = {"9999", "2243", "2244", "2248", "2249", "2250", "2251"};
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
        const auto texts = MainSection(bytes);
        const auto trays = MainSection(ReadBytes(entry.path()));
        for (const char* id : ids) {
            ASSERT_EQ(texts.count(id), 1u) << name << " " << id;
            EXPECT_EQ(texts.at(id), trays.at(id)) << name << " " << id;
            EXPECT_LT(texts.at(id).size(), kUninstallTextBuffer);
        }
        EXPECT_LE(texts.at("9999").size(), kTrayTitleLength) << name;
    }
    EXPECT_GE(languages, 2);
}

}  // namespace
}  // namespace uninstall
