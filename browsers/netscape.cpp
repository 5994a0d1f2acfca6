#include "browsers/netscape.h"

#include "browsers/path_text.h"
#include "browsers/text_lines.h"

namespace browsers {

namespace {

constexpr char kDirectoryPattern[] = "directory";  // followed by its zero byte in the file
constexpr std::size_t kDirectoryPatternSize = sizeof(kDirectoryPattern);
constexpr char kProxyHttpPrefix[] = "user_pref(\"network.proxy.http\"";
constexpr char kSslPreference[] = "network.proxy.ssl";
constexpr char kSslPortPreference[] = "network.proxy.ssl_port";
constexpr char kEnterpriseRootsPreference[] = "security.enterprise_roots.enabled";
// The proxy as the live check knows it, as a preference's value.
constexpr char kQuotedProxyHost[] = "\"KorvoPopupKiller\"";
constexpr char kProxyPortText[] = "8100";

// The text without the lines drop picks. A text that ended without a line break does so again,
// so taking out what a set appended gives the file before it back.
template <typename Drop>
std::string WithoutLines(const std::string& text, Drop drop) {
    const std::vector<TextLine> lines = SplitLines(text);
    std::vector<TextLine> kept;
    for (const TextLine& line : lines) {
        if (!drop(line.text)) kept.push_back(line);
    }
    if (!lines.empty() && lines.back().ending.empty() && !kept.empty()) kept.back().ending.clear();
    return JoinLines(kept);
}

// Some line other than the program's own sets the preference to true.
bool TurnsOnEnterpriseRoots(const std::string& userJs) {
    for (const TextLine& line : SplitLines(userJs)) {
        if (line.text != kEnterpriseRootsLine &&
            PreferenceName(line.text) == kEnterpriseRootsPreference &&
            PreferenceValue(line.text) == "true") {
            return true;
        }
    }
    return false;
}

// The component above the last one ("...\Profiles\name\x.slt" gives "name"), or "".
std::string ParentComponent(const std::string& path) {
    std::size_t last = path.rfind('\\');
    if (last == std::string::npos || last == 0) return "";
    std::size_t above = path.rfind('\\', last - 1);
    if (above == std::string::npos) return "";
    return path.substr(above + 1, last - above - 1);
}

}  // namespace

PreferenceLines SetProxyPreferenceLines(const std::string& host, const std::string& port,
                                        bool securePages) {
    PreferenceLines lines = {"user_pref(\"network.proxy.http\", \"" + host + "\");",
                             "user_pref(\"network.proxy.http_port\", " + port + ");",
                             "user_pref(\"network.proxy.type\", 1);"};
    if (securePages) {
        lines.push_back("user_pref(\"network.proxy.ssl\", \"" + host + "\");");
        lines.push_back("user_pref(\"network.proxy.ssl_port\", " + port + ");");
    }
    return lines;
}

PreferenceLines ResetProxyPreferenceLines() {
    return {"user_pref(\"network.proxy.http\", \"\");",
            "user_pref(\"network.proxy.http_port\", 0);", "user_pref(\"network.proxy.type\", 0);"};
}

bool PrefsUseProxy(const std::string& prefsJs) {
    // None of the texts holds a line break, so a match in the content is a match in one line.
    static const char* const kNeeded[] = {
        "user_pref(\"network.proxy.http\", \"KorvoPopupKiller\")",
        "user_pref(\"network.proxy.http_port\", 8100)",
        "user_pref(\"network.proxy.type\", 1)",
    };
    for (const char* text : kNeeded) {
        if (prefsJs.find(text) == std::string::npos) return false;
    }
    return true;
}

std::string RemoveFirstProxyHttpLine(const std::string& prefsJs) {
    std::vector<TextLine> lines = SplitLines(prefsJs);
    for (auto line = lines.begin(); line != lines.end(); ++line) {
        if (line->text.find(kProxyHttpPrefix) != std::string::npos) {
            lines.erase(line);
            return JoinLines(lines);
        }
    }
    return prefsJs;
}

std::string PreferenceName(const std::string& line) {
    std::size_t at = line.find_first_not_of(" \t");
    if (at == std::string::npos || line.compare(at, 10, "user_pref(") != 0) return "";
    at = line.find_first_not_of(" \t", at + 10);
    if (at == std::string::npos || line[at] != '"') return "";
    std::size_t close = line.find('"', at + 1);
    if (close == std::string::npos) return "";
    return line.substr(at + 1, close - at - 1);
}

std::string PreferenceValue(const std::string& line) {
    if (PreferenceName(line).empty()) return "";
    const std::size_t comma = line.find(',', line.find('"', line.find('"') + 1));
    const std::size_t close = line.rfind(')');
    if (comma == std::string::npos || close == std::string::npos || close < comma) return "";
    const std::size_t first = line.find_first_not_of(" \t", comma + 1);
    const std::size_t last = line.find_last_not_of(" \t", close - 1);
    if (first == std::string::npos || first > last) return "";
    return line.substr(first, last - first + 1);
}

std::string ApplyPreferenceLines(const std::string& userJs, const PreferenceLines& lines,
                                 const std::string& ending) {
    if (userJs.empty()) {
        std::string joined;
        for (const std::string& line : lines) joined += (joined.empty() ? "" : ending) + line;
        return joined;
    }
    std::string fileEnding = LineEndingOf(userJs, ending);
    std::vector<bool> placed(lines.size(), false);
    std::vector<TextLine> result;
    for (const TextLine& line : SplitLines(userJs)) {
        std::string name = PreferenceName(line.text);
        int which = -1;
        for (std::size_t i = 0; i < lines.size() && !name.empty(); ++i) {
            if (PreferenceName(lines[i]) == name) which = static_cast<int>(i);
        }
        if (which < 0) {
            result.push_back(line);
        } else if (!placed[which]) {
            result.push_back({lines[which], line.ending});
            placed[which] = true;
        }
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (placed[i]) continue;
        if (!result.empty() && result.back().ending.empty()) result.back().ending = fileEnding;
        result.push_back({lines[i], fileEnding});
    }
    return JoinLines(result);
}

std::string SetProxyUserJs(const std::string& userJs, const std::string& host,
                           const std::string& port, bool securePages, const std::string& ending) {
    PreferenceLines lines = SetProxyPreferenceLines(host, port, securePages);
    if (securePages && !TurnsOnEnterpriseRoots(userJs)) lines.push_back(kEnterpriseRootsLine);
    return ApplyPreferenceLines(userJs, lines, ending);
}

std::string ResetProxyUserJs(const std::string& userJs, const std::string& ending) {
    const std::string kept = WithoutLines(RemoveProxySslLines(userJs), [](const std::string& line) {
        return line == kEnterpriseRootsLine;
    });
    return ApplyPreferenceLines(kept, ResetProxyPreferenceLines(), ending);
}

std::string RemoveProxySslLines(const std::string& js) {
    const auto ourHost = [](const std::string& line) {
        return PreferenceName(line) == kSslPreference && PreferenceValue(line) == kQuotedProxyHost;
    };
    bool ours = false;
    for (const TextLine& line : SplitLines(js)) ours = ours || ourHost(line.text);
    if (!ours) return js;
    return WithoutLines(js, [&](const std::string& line) {
        return ourHost(line) || (PreferenceName(line) == kSslPortPreference &&
                                 PreferenceValue(line) == kProxyPortText);
    });
}

std::string MozillaFolder(WindowsFamily family, const std::string& windowsDirectory,
                          const std::string& userName, const std::string& appData) {
    if (family == WindowsFamily::kNt6) {
        return appData.empty() ? "" : WithoutTrailingBackslash(appData) + "\\Mozilla\\";
    }
    if (windowsDirectory.empty()) return "";
    std::string windows = WithoutTrailingBackslash(windowsDirectory);
    switch (family) {
        case WindowsFamily::kNt6:
            break;
        case WindowsFamily::kNt5:
            return std::string(1, windowsDirectory[0]) + ":\\Documents and Settings\\" + userName +
                   "\\Application Data\\Mozilla\\";
        case WindowsFamily::kWin9x:
            return windows + "\\Application Data\\Mozilla\\";
        case WindowsFamily::kNt4:
            return windows + "\\Profiles\\" + userName + "\\Application Data\\Mozilla\\";
        case WindowsFamily::kUnknown:
            break;
    }
    return "";
}

std::string DefaultProfileFolder(const std::string& mozillaFolder) {
    return mozillaFolder.empty() ? "" : mozillaFolder + "Profiles\\";
}

std::vector<RegistryDatProfile> ScanRegistryDat(const std::string& bytes,
                                                const std::string& defaultProfileFolder) {
    std::vector<RegistryDatProfile> found;
    const std::string pattern(kDirectoryPattern, kDirectoryPatternSize);
    std::size_t at = bytes.find(pattern);
    while (at != std::string::npos) {
        std::size_t start = at + pattern.size();
        std::size_t end = bytes.find('\0', start);
        if (end == std::string::npos) break;  // runs into the end of the file
        std::string directory = bytes.substr(start, end - start);
        at = bytes.find(pattern, end + 1);
        if (directory.size() > kMaxRegistryDatDirectory || !EndsWith(directory, ".slt")) continue;
        if (!defaultProfileFolder.empty() &&
            directory.find(defaultProfileFolder) != std::string::npos) {
            continue;  // left to the folder scan
        }
        std::string name = ParentComponent(directory);
        if (name.empty()) continue;
        found.push_back({name, directory});
    }
    return found;
}

void NetscapeProfiles::CountProfiles(ListMode mode) {
    disabledFlags.clear();
    for (const NetscapeProfileEntry& entry : profiles) disabledFlags.push_back(entry.isDisabled);
    profileCount = static_cast<int>(profiles.size());
    EntryCounts counts = CountEntries(disabledFlags.data(), disabledFlags.size(), mode);
    disabledCount = counts.disabledCount;
    configuredCount = counts.configuredCount;
}

bool NetscapeProfiles::OnlyFirefoxChecked() const {
    bool anyChecked = false;
    for (const NetscapeProfileEntry& entry : profiles) {
        if (!entry.isChecked) continue;
        if (!entry.firefox) return false;
        anyChecked = true;
    }
    return anyChecked;
}

}  // namespace browsers
