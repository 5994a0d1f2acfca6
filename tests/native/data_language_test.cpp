// The shipped language files against English.ini: every other language carries every English id
// in the same section, with the same line breaks, placeholders and accelerators, in a length the
// program's lookup buffers hold and in the ANSI code page the program reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

using Section = std::map<std::string, std::string>;
using LanguageFile = std::map<std::string, Section>;

const char* const kSections[] = {"KorvoPopupKiller", "KorvoPopuKiller"};

fs::path LanguageFolder() {
    const std::string here = __FILE__;
    return fs::path(here.substr(0, here.rfind("tests/native/"))) / "data" / "Language";
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Sections and values as the private-profile functions see them: the first of a repeated key
// counts, and a value in double quotes loses them.
LanguageFile Parse(const std::string& bytes) {
    LanguageFile file;
    Section* section = nullptr;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        line = Trim(line);
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            section = &file[line.substr(1, line.find(']') - 1)];
            continue;
        }
        const size_t equals = line.find('=');
        if (section == nullptr || equals == std::string::npos) continue;
        std::string value = Trim(line.substr(equals + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        section->emplace(Trim(line.substr(0, equals)), value);
    }
    return file;
}

// The "%s", "%s1", "%s2" a message is filled in through, in sorted order.
std::vector<std::string> Placeholders(const std::string& text) {
    static const std::regex placeholder("%s[0-9]?");
    std::vector<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), placeholder);
         it != std::sregex_iterator(); ++it) {
        found.push_back(it->str());
    }
    std::sort(found.begin(), found.end());
    return found;
}

TEST(DataLanguageFiles, EveryLanguageCarriesEveryEnglishText) {
    const LanguageFile english = Parse(ReadBytes(LanguageFolder() / "English.ini"));
    for (const char* name : kSections) {
        ASSERT_FALSE(english.count(name) == 0 || english.at(name).empty()) << name;
    }
    int others = 0;
    for (const auto& entry : fs::directory_iterator(LanguageFolder())) {
        if (entry.path().extension() != ".ini" || entry.path().filename() == "English.ini") {
            continue;
        }
        ++others;
        const std::string language = entry.path().filename().string();
        const std::string bytes = ReadBytes(entry.path());
        // Saved as UTF-8 by mistake, every umlaut would show as two characters.
        EXPECT_NE(bytes.compare(0, 3, "\xEF\xBB\xBF"), 0)
            << language << " starts with a UTF-8 mark";
        EXPECT_FALSE(std::regex_search(bytes, std::regex("[\xC2\xC3][\x80-\xBF]")))
            << language << " looks UTF-8 encoded; the program reads the ANSI code page";
        LanguageFile translated = Parse(bytes);
        for (const char* name : kSections) {
            // The main texts are read through a 250-character buffer, the wizard's through 500.
            const size_t limit = std::string(name) == "KorvoPopupKiller" ? 249 : 499;
            const auto section = translated.find(name);
            ASSERT_NE(section, translated.end()) << language << " lacks [" << name << "]";
            for (const auto& [id, text] : english.at(name)) {
                const std::string where = language + " [" + name + "] " + id;
                const auto found = section->second.find(id);
                if (found == section->second.end()) {
                    ADD_FAILURE() << where << " is missing";
                    continue;
                }
                const std::string& own = found->second;
                EXPECT_FALSE(own.empty()) << where;
                EXPECT_EQ(std::count(own.begin(), own.end(), '#'),
                          std::count(text.begin(), text.end(), '#'))
                    << where << ": line breaks differ from English";
                EXPECT_EQ(Placeholders(own), Placeholders(text)) << where;
                EXPECT_EQ(std::count(own.begin(), own.end(), '&'),
                          std::count(text.begin(), text.end(), '&'))
                    << where << ": accelerator";
                EXPECT_LE(own.size(), limit) << where << " would be cut";
            }
        }
        // The instance window's title names the single-instance mutex: it may not change with
        // the language, or a second copy of the program would not find the first.
        EXPECT_EQ(translated["KorvoPopupKiller"]["9999"], english.at("KorvoPopupKiller").at("9999"))
            << language;
    }
    EXPECT_GE(others, 1) << "only English is shipped";
}

}  // namespace
