#include "browsers/netscape.h"

#include "browsers/path_text.h"
#include "browsers/text_lines.h"

namespace browsers {

namespace {

constexpr char kDirectoryPattern[] = "directory";  // followed by its zero byte in the file
constexpr std::size_t kDirectoryPatternSize = sizeof(kDirectoryPattern);
constexpr char kProxyHttpPrefix[] = "user_pref(\"network.proxy.http\"";

// The component above the last one ("...\Profiles\name\x.slt" gives "name"), or "".
std::string ParentComponent(const std::string& path) {
    std::size_t last = path.rfind('\\');
    if (last == std::string::npos || last == 0) return "";
    std::size_t above = path.rfind('\\', last - 1);
    if (above == std::string::npos) return "";
    return path.substr(above + 1, last - above - 1);
}

}  // namespace

PreferenceLines SetProxyPreferenceLines(const std::string& host, const std::string& port) {
    return {"user_pref(\"network.proxy.http\", \"" + host + "\");",
            "user_pref(\"network.proxy.http_port\", " + port + ");",
            "user_pref(\"network.proxy.type\", 1);"};
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

std::string ApplyPreferenceLines(const std::string& userJs, const PreferenceLines& lines,
                                 const std::string& ending) {
    if (userJs.empty()) return lines[0] + ending + lines[1] + ending + lines[2];
    std::string fileEnding = LineEndingOf(userJs, ending);
    bool placed[3] = {false, false, false};
    std::vector<TextLine> result;
    for (const TextLine& line : SplitLines(userJs)) {
        std::string name = PreferenceName(line.text);
        int which = -1;
        for (int i = 0; i < 3 && !name.empty(); ++i) {
            if (PreferenceName(lines[i]) == name) which = i;
        }
        if (which < 0) {
            result.push_back(line);
        } else if (!placed[which]) {
            result.push_back({lines[which], line.ending});
            placed[which] = true;
        }
    }
    for (int i = 0; i < 3; ++i) {
        if (placed[i]) continue;
        if (!result.empty() && result.back().ending.empty()) result.back().ending = fileEnding;
        result.push_back({lines[i], fileEnding});
    }
    return JoinLines(result);
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

}  // namespace browsers
