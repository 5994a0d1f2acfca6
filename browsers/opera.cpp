#include "browsers/opera.h"

#include <utility>
#include <vector>

#include "browsers/path_text.h"
#include "browsers/text_lines.h"
#include "platform/ascii_text.h"

namespace browsers {

namespace {

constexpr char kProxySection[] = "[Proxy]";
constexpr char kUseHttpKey[] = "Use HTTP=";
constexpr char kHttpServerKey[] = "HTTP Server";
// Neither secure key holds the plain one ("Use HTTPS=" is no "Use HTTP=").
constexpr char kUseHttpsKey[] = "Use HTTPS=";
constexpr char kHttpsServerKey[] = "HTTPS Server";
constexpr char kProxyAddress[] = "=KorvoPopupKiller:8100";

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

std::string LastComponent(const std::string& folder) {
    std::string trimmed = WithoutTrailingBackslash(folder);
    std::size_t slash = trimmed.rfind('\\');
    return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

}  // namespace

std::string SetOperaProxyText(const std::string& ini, const std::string& host,
                              const std::string& port, const std::string& fallbackEnding,
                              bool securePages) {
    const std::string address = host + ":" + port;
    // Each key as the file is searched for it, and its line once set.
    std::vector<std::pair<const char*, std::string>> keys = {
        {kUseHttpKey, "Use HTTP=1"}, {kHttpServerKey, std::string(kHttpServerKey) + "=" + address}};
    if (securePages) {
        keys.push_back({kUseHttpsKey, "Use HTTPS=1"});
        keys.push_back({kHttpsServerKey, std::string(kHttpsServerKey) + "=" + address});
    }
    const std::string ending = LineEndingOf(ini, fallbackEnding);
    std::vector<TextLine> lines = SplitLines(ini);
    // The whole file is searched for the heading, in any letter case, so keys standing before it
    // do not make a second section: setting twice gives the file of setting once.
    std::size_t section = lines.size();  // index of the first "[Proxy]" line, when there is one
    std::vector<bool> done(keys.size(), false);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string& text = lines[i].text;
        if (platform::EqualsNoCase(platform::Trim(text), kProxySection)) {
            if (section == lines.size()) section = i;
            continue;
        }
        for (std::size_t k = 0; k < keys.size(); ++k) {
            if (!done[k] && Contains(text, keys[k].first)) {
                text = keys[k].second;
                done[k] = true;
                break;
            }
        }
    }
    std::vector<TextLine> missing;
    for (std::size_t k = 0; k < keys.size(); ++k) {
        if (!done[k]) missing.push_back({keys[k].second, ending});
    }
    if (section == lines.size()) {
        if (!lines.empty() && lines.back().ending.empty()) lines.back().ending = ending;
        lines.push_back({"", ending});
        lines.push_back({kProxySection, ending});
        for (const auto& key : keys) lines.push_back({key.second, ending});
        return JoinLines(lines);
    }
    if (!missing.empty()) {
        if (lines[section].ending.empty()) lines[section].ending = ending;
        lines.insert(lines.begin() + section + 1, missing.begin(), missing.end());
    }
    return JoinLines(lines);
}

std::string ResetOperaProxyText(const std::string& ini) {
    std::vector<TextLine> lines = SplitLines(ini);
    TextLine* useHttp = nullptr;
    TextLine* httpServer = nullptr;
    TextLine* useHttps = nullptr;
    TextLine* httpsServer = nullptr;
    for (TextLine& line : lines) {
        if (Contains(line.text, kUseHttpKey)) {
            if (useHttp == nullptr) useHttp = &line;
        } else if (Contains(line.text, kHttpServerKey)) {
            if (httpServer == nullptr) httpServer = &line;
        } else if (Contains(line.text, kUseHttpsKey)) {
            if (useHttps == nullptr) useHttps = &line;
        } else if (Contains(line.text, kHttpsServerKey)) {
            if (httpsServer == nullptr) httpsServer = &line;
        }
    }
    if (useHttp != nullptr) useHttp->text = "Use HTTP=0";
    if (httpServer != nullptr) httpServer->text = kHttpServerKey;
    // The secure pair only when it names the proxy: another secure proxy is the user's own.
    if (httpsServer != nullptr && Contains(httpsServer->text, kProxyAddress)) {
        httpsServer->text = kHttpsServerKey;
        if (useHttps != nullptr) useHttps->text = "Use HTTPS=0";
    }
    return JoinLines(lines);
}

bool IniTextUsesProxy(const std::string& ini) {
    // Neither text holds a line break, so a match in the content is a match in one line.
    return Contains(ini, "Use HTTP=1") && Contains(ini, "HTTP Server=KorvoPopupKiller:8100");
}

std::string FolderWithBackslash(const std::string& programPath) {
    std::size_t slash = programPath.rfind('\\');
    return slash == std::string::npos ? "" : programPath.substr(0, slash + 1);
}

std::optional<std::string> Opera7ProgramFolder(const OperaRegistryValues& values) {
    if (values.lastDirectory2) return WithoutTrailingBackslash(*values.lastDirectory2);
    if (values.lastCommandLineV2) {
        return WithoutTrailingBackslash(FolderWithBackslash(*values.lastCommandLineV2));
    }
    return std::nullopt;
}

std::string Opera7IniPath(const std::string& multiUser, const std::string& programFolder,
                          const OperaSystem& system) {
    std::string folder = WithoutTrailingBackslash(programFolder);
    if (!multiUser.empty() && multiUser[0] == '0') return folder + "\\profile\\opera6.ini";
    std::string profile =
        "\\Application Data\\Opera\\" + LastComponent(folder) + "\\profile\\opera6.ini";
    switch (system.family) {
        case WindowsFamily::kNt6:
            if (system.appData.empty()) return "";
            return WithoutTrailingBackslash(system.appData) + "\\Opera\\" + LastComponent(folder) +
                   "\\profile\\opera6.ini";
        case WindowsFamily::kNt5:
        case WindowsFamily::kNt4:
            if (system.windowsDirectory.empty()) return "";
            return std::string(1, system.windowsDirectory[0]) + ":\\Documents and Settings\\" +
                   system.userName + profile;
        case WindowsFamily::kWin9x:
            return WithoutTrailingBackslash(system.windowsDirectory) + profile;
        case WindowsFamily::kUnknown:
            break;
    }
    return "";
}

int OperaSettings::LocateFrom(const OperaRegistryValues& values, const OperaSystem& system) {
    if (!values.keyOpened) return kOperaKeyMissing;
    bool opera6Missing = false;
    bool opera7Missing = false;
    if (useOpera7) {
        std::optional<std::string> folder = Opera7ProgramFolder(values);
        if (!folder) return kOperaKeyMissing;
        operaDef6IniPath = *folder + "\\OperaDef6.ini";
        std::string multiUser = system.readMultiUser(operaDef6IniPath).substr(0, 1);
        opera7IniPath = Opera7IniPath(multiUser, *folder, system);
        if (opera7IniPath.empty() || !system.fileExists(opera7IniPath)) {
            // Without a "Multi User" key the preferences may still sit in the program folder.
            std::string programProfile = *folder + "\\profile\\opera6.ini";
            if (multiUser == "2" && system.fileExists(programProfile)) {
                opera7IniPath = programProfile;
            } else {
                opera7Missing = true;
            }
        }
    }
    if (useOpera6) {
        if (!values.lastCommandLine) return kOperaKeyMissing;
        opera6IniPath = FolderWithBackslash(*values.lastCommandLine) + "opera6.ini";
        opera6Missing = !system.fileExists(opera6IniPath);
    }
    if (opera6Missing && opera7Missing) return kBothFilesMissing;
    if (opera6Missing) return kOpera6FileMissing;
    if (opera7Missing) return kOpera7FileMissing;
    return kOperaFilesFound;
}

}  // namespace browsers
