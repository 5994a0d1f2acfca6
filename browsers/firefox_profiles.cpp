#include "browsers/firefox_profiles.h"

#include <algorithm>
#include <map>

#include "browsers/path_text.h"
#include "platform/ascii_text.h"

namespace browsers {
namespace {

struct IniSection {
    std::string name;                           // lower-cased
    std::map<std::string, std::string> values;  // by lower-cased key
};

std::vector<IniSection> ReadIni(const std::string& text) {
    std::vector<IniSection> sections;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = platform::Trim(std::string_view(text).substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line.front() == '[' && line.back() == ']') {
            sections.push_back({platform::ToLowerAscii(line.substr(1, line.size() - 2)), {}});
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string::npos || sections.empty()) continue;
        const std::string key = platform::ToLowerAscii(platform::Trim(line.substr(0, equals)));
        sections.back().values.emplace(key, platform::Trim(line.substr(equals + 1)));
    }
    return sections;
}

std::string ValueOf(const IniSection& section, const char* key) {
    const auto found = section.values.find(key);
    return found == section.values.end() ? std::string() : found->second;
}

std::string WithBackslashes(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return WithoutTrailingBackslash(path);
}

// The Path an installation's section names as its default, "" when there is none. In
// installs.ini every section is an installation's; in profiles.ini those named "Install...".
std::string InstallDefault(const std::vector<IniSection>& sections, bool installSectionsOnly) {
    for (const IniSection& section : sections) {
        if (installSectionsOnly && section.name.rfind("install", 0) != 0) continue;
        const std::string path = ValueOf(section, "default");
        if (!path.empty()) return WithBackslashes(path);
    }
    return "";
}

}  // namespace

std::vector<FirefoxProfile> FirefoxProfilesFrom(const std::string& profilesIni,
                                                const std::string& installsIni,
                                                const std::string& firefoxFolder) {
    const std::vector<IniSection> sections = ReadIni(profilesIni);
    std::string installDefault = InstallDefault(ReadIni(installsIni), false);
    if (installDefault.empty()) installDefault = InstallDefault(sections, true);
    std::vector<FirefoxProfile> profiles;
    for (const IniSection& section : sections) {
        if (section.name.rfind("profile", 0) != 0) continue;
        const std::string path = WithBackslashes(ValueOf(section, "path"));
        if (path.empty()) continue;
        FirefoxProfile profile;
        profile.name = ValueOf(section, "name");
        if (profile.name.empty()) profile.name = path.substr(path.rfind('\\') + 1);
        const bool relative = ValueOf(section, "isrelative") == "1";
        profile.folder = relative ? WithoutTrailingBackslash(firefoxFolder) + "\\" + path : path;
        profile.isDefault = installDefault.empty() ? ValueOf(section, "default") == "1"
                                                   : platform::EqualsNoCase(path, installDefault);
        profiles.push_back(std::move(profile));
    }
    return profiles;
}

std::string FirefoxEntryName(const FirefoxProfile& profile) {
    return "Firefox: " + profile.name + (profile.isDefault ? " (default)" : "");
}

}  // namespace browsers
