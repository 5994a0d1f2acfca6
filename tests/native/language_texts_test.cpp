// The table of language texts against the shipped English.ini, and what the programs share
// against the files that carry it too: every text the code looks up is in the file, in its
// section, with the code's default as the program reads it; every English text is looked up.
#include "core/language_texts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "core/instance_window.h"
#include "core/language.h"
#include "platform/profile.h"

namespace core {
namespace {

namespace fs = std::filesystem;

fs::path SourceFolder() {
    const std::string here = __FILE__;
    return fs::path(here.substr(0, here.rfind("tests/native/")));
}

const std::string kEnglish = (SourceFolder() / "data" / "Language" / "English.ini").string();

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The keys of each section of an INI text, in file order.
std::map<std::string, std::set<std::string>> SectionKeys(const std::string& bytes) {
    std::map<std::string, std::set<std::string>> sections;
    std::set<std::string>* keys = nullptr;
    std::istringstream lines(bytes);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            keys = &sections[line.substr(1, line.find(']') - 1)];
        } else if (keys != nullptr && line.find('=') != std::string::npos) {
            keys->insert(line.substr(0, line.find('=')));
        }
    }
    return sections;
}

// The line breaks of a default, "\n" or "\r\n", as the lookup makes them of a "#".
std::string WithLineFeeds(std::string text) {
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) {
        text.erase(at, 1);
    }
    return text;
}

constexpr char kMissing[] = "(missing)";

TEST(LanguageTexts, EveryTextIsInEnglishWithItsDefault) {
    std::set<std::string> ids;
    for (const LanguageText& text : texts::kAllTexts) {
        const std::string where = std::string("[") + text.section + "] " + text.id;
        EXPECT_TRUE(ids.insert(text.id).second) << where << " is in the table twice";
        const std::string full =
            platform::ReadProfileText(text.section, text.id, kMissing, kEnglish, 1u << 16);
        if (full == kMissing) {
            ADD_FAILURE() << where << " is not in English.ini";
            continue;
        }
        // What the program shows: the value cut to its lookup's buffer, "#" as line feeds.
        const bool wizard = std::string(text.section) == kWizardLanguageSection;
        const unsigned buffer = wizard ? kWizardTextBuffer : kLanguageStringBuffer;
        EXPECT_LT(full.size(), buffer) << where << " is cut by the lookup";
        const std::string shown = ExpandLineBreaks(
            platform::ReadProfileText(text.section, text.id, kMissing, kEnglish, buffer));
        EXPECT_EQ(shown, WithLineFeeds(text.defaultText)) << where;
    }
}

TEST(LanguageTexts, EveryEnglishTextIsLookedUp) {
    auto sections = SectionKeys(ReadBytes(kEnglish));
    const std::set<std::string>& main = sections[kLanguageSection];
    ASSERT_FALSE(main.empty());
    // The wizard's section repeats the main one, key for key and text for text, so an id is
    // looked up when the table or a range has it in either section.
    EXPECT_EQ(sections[kWizardLanguageSection], main);
    for (const std::string& id : main) {
        EXPECT_EQ(platform::ReadProfileText(kWizardLanguageSection, id, kMissing, kEnglish, 1000),
                  platform::ReadProfileText(kLanguageSection, id, kMissing, kEnglish, 1000))
            << id;
    }

    std::set<std::string> used;
    for (const LanguageText& text : texts::kAllTexts) used.insert(text.id);
    for (const LanguageTextRange& range : texts::kAllTextRanges) {
        for (int id = range.firstId; id < range.firstId + range.count; ++id) {
            const std::string key = std::to_string(id);
            EXPECT_TRUE(used.insert(key).second) << key << " is in a range and elsewhere";
            // A control without its text would keep the resource text in every language.
            EXPECT_EQ(main.count(key), 1u) << key << " of a range is not in English.ini";
        }
    }
    for (const std::string& id : main) EXPECT_EQ(used.count(id), 1u) << id << " is never looked up";
}

TEST(LanguageTexts, InstanceWindowTitleAsTheTrayProgramReadsIt) {
    const fs::path file = fs::temp_directory_path() / "korvo_instance_title_test.ini";
    const auto title = [&](const std::string& value) {
        std::ofstream(file, std::ios::binary) << "[KorvoPopupKiller]\r\n9999=" << value << "\r\n";
        return InstanceWindowTitle(file.string());
    };
    EXPECT_EQ(title("Own Title.kv"), "Own Title.kv");
    EXPECT_EQ(title("Two#Lines"), "Two\nLines");
    // A longer text is cut as the tray program cuts its window's title, so the others find it.
    EXPECT_EQ(title(std::string(300, 't')), std::string(kInstanceTitleLength, 't'));
    fs::remove(file);
    EXPECT_EQ(InstanceWindowTitle(file.string()), "Korvo Popup Killer.kv");
}

// The marker a script assigns to its MARKER variable, "" when it has none.
std::string ScriptMarker(const fs::path& script) {
    static const std::regex assignment("MARKER = '([^']*)'");
    const std::string bytes = ReadBytes(script);
    std::smatch found;
    return std::regex_search(bytes, found, assignment) ? found[1].str() : "";
}

TEST(SharedNames, ScriptsWriteAndLookForTheCatchMarker) {
    EXPECT_EQ(ScriptMarker(SourceFolder() / "data" / "KorvoBlk.js"), kCatchMarker);
    EXPECT_EQ(ScriptMarker(SourceFolder() / "tests" / "e2e" / "browser" / "browser.js"),
              kCatchMarker);
    EXPECT_EQ(std::string(kCatchMarker).size(), kCatchMarkerLength);
}

}  // namespace
}  // namespace core
