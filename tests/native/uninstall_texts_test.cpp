// The uninstaller's language files and lookups: each shipped language has a file in "Lang" that
// carries the uninstaller's ids with the same texts as the tray program's file, above all the
// same window title, since that is how the uninstaller finds the running tray program.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "uninstall/uninstall_texts.h"

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

TEST(UninstallTexts, LookupsInTheLangFolder) {
    const fs::path folder = fs::temp_directory_path() / ("korvo-uninstall-" + std::to_string(::getpid()));
    fs::create_directories(folder / "Lang");
    const std::string file = UninstallLanguageFile(folder.string(), "Test");
    EXPECT_EQ(file, folder.string() + "\\Lang\\Test.ini");
    const std::string path = (folder / "Lang" / "Test.ini").string();
    std::ofstream(path, std::ios::binary)
        << "[KorvoPopupKiller]\r\n9999=" << std::string(300, 'T') << "\r\n2244=One#Two\r\n";
    EXPECT_EQ(UninstallText(path, "2244", "x"), "One\nTwo");
    EXPECT_EQ(UninstallText(path, "2251", "Default"), "Default");
    EXPECT_EQ(TrayTitle(path), std::string(kTrayTitleLength, 'T'));
    EXPECT_EQ(TrayTitle(path + ".missing"), "Korvo Popup Killer.kv");
    fs::remove_all(folder);
}

}  // namespace
}  // namespace uninstall
