#include "cleaner/cache_paths.h"

#include <vector>

#include "browsers/text_lines.h"
#include "platform/ascii_text.h"

namespace cleaner {

namespace {

std::vector<std::string> Components(const std::string& normalised) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= normalised.size()) {
        std::size_t end = normalised.find('\\', start);
        if (end == std::string::npos) end = normalised.size();
        parts.push_back(normalised.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

bool HasDotComponent(const std::string& normalised) {
    for (const std::string& part : Components(normalised)) {
        if (part == "." || part == "..") return true;
    }
    return false;
}

bool IsDrivePrefix(const std::string& path) {
    return path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
           path[1] == ':' && path[2] == '\\';
}

}  // namespace

std::string NormalisePath(const std::string& path) {
    std::string out;
    for (std::size_t i = 0; i < path.size(); ++i) {
        char c = path[i] == '/' ? '\\' : path[i];
        // A UNC path keeps its leading pair of backslashes.
        if (c == '\\' && !out.empty() && out.back() == '\\' && out.size() > 1) continue;
        out += c;
    }
    while (out.size() > 1 && out.back() == '\\') out.pop_back();
    return out;
}

bool IsUsableCacheFolder(const std::string& folder) {
    const std::string path = NormalisePath(folder);
    if (path.find_first_of("*?\"<>|") != std::string::npos || HasDotComponent(path)) return false;
    if (IsDrivePrefix(path)) {
        if (path.find(':', 2) != std::string::npos) return false;
        return path.size() > 3;  // something below the drive's root
    }
    if (path.compare(0, 2, "\\\\") != 0) return false;
    // "\\server\share\folder": the folder part must be there.
    std::vector<std::string> parts = Components(path.substr(2));
    if (parts.size() < 3) return false;
    for (const std::string& part : parts) {
        if (part.empty()) return false;
    }
    return true;
}

bool IsInsideFolder(const std::string& folder, const std::string& path) {
    if (!IsUsableCacheFolder(folder)) return false;
    const std::string base = platform::ToLowerAscii(NormalisePath(folder)) + "\\";
    const std::string target = platform::ToLowerAscii(NormalisePath(path));
    if (HasDotComponent(target) || target.find_first_of("*?\"<>|") != std::string::npos) {
        return false;
    }
    return target.size() > base.size() && target.compare(0, base.size(), base) == 0;
}

std::string ProfileCacheFolder(const std::string& prefsJsPath) {
    std::size_t slash = prefsJsPath.find_last_of("\\/");
    if (slash == std::string::npos) return "";
    return prefsJsPath.substr(0, slash + 1) + "Cache";
}

std::string NonRoamingFolder(const std::string& path) {
    const std::string lower = platform::ToLowerAscii(path);
    // Where the last backslash and name that end at a component boundary start; npos when none.
    const auto lastComponent = [&lower](const std::string& name) {
        const std::string component = "\\" + name;
        std::size_t at = lower.rfind(component);
        while (at != std::string::npos) {
            const std::size_t end = at + component.size();
            if (end == lower.size() || lower[end] == '\\') return at;
            if (at == 0) break;
            at = lower.rfind(component, at - 1);
        }
        return std::string::npos;
    };
    const std::size_t xp = lastComponent("application data");
    const std::size_t vista = lastComponent("appdata\\roaming");
    if (vista != std::string::npos && (xp == std::string::npos || vista > xp)) {
        const std::size_t roaming = vista + std::string("\\appdata\\").size();
        return path.substr(0, roaming) + "Local" +
               path.substr(roaming + std::string("roaming").size());
    }
    if (xp != std::string::npos) {
        return path.substr(0, xp + 1) + "Local Settings\\" + path.substr(xp + 1);
    }
    return "";
}

std::string OperaCacheFolder(const std::string& iniText) {
    bool inUserPrefs = false;
    for (const browsers::TextLine& line : browsers::SplitLines(iniText)) {
        const std::string text = platform::Trim(line.text);
        if (!text.empty() && text.front() == '[') {
            inUserPrefs = platform::ToLowerAscii(text) == "[user prefs]";
            continue;
        }
        if (!inUserPrefs) continue;
        std::size_t equals = text.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = platform::ToLowerAscii(platform::Trim(text.substr(0, equals)));
        const std::string prefix = "cache directory";
        if (key.compare(0, prefix.size(), prefix) != 0) continue;
        if (key.find_first_not_of("0123456789", prefix.size()) != std::string::npos) continue;
        return platform::Trim(text.substr(equals + 1));
    }
    return "";
}

std::string FirefoxCacheFolder(const std::string& profileFolder) {
    if (NormalisePath(profileFolder).empty()) return "";
    const std::string local = NonRoamingFolder(profileFolder);
    return NormalisePath(local.empty() ? profileFolder : local) + "\\cache2";
}

}  // namespace cleaner
