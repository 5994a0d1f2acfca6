#include "browsers/system_browsers.h"

#include "platform/ascii_text.h"

namespace browsers {

std::string AppPathProgram(const std::string& value, const std::string& programName) {
    std::string path = platform::Trim(value);
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"') {
        path = platform::Trim(path.substr(1, path.size() - 2));
    }
    const bool drivePath = path.size() >= 3 && path[1] == ':' && path[2] == '\\';
    const bool sharePath = path.rfind("\\\\", 0) == 0;
    const std::string ending = "\\" + programName;
    if ((!drivePath && !sharePath) || path.size() <= ending.size()) return "";
    if (!platform::EqualsNoCase(path.substr(path.size() - ending.size()), ending)) return "";
    return path;
}

bool ProgramRegistered(const std::vector<std::string>& appPathValues,
                       const std::string& programName,
                       const std::function<bool(const std::string&)>& fileExists) {
    for (const std::string& value : appPathValues) {
        const std::string program = AppPathProgram(value, programName);
        if (!program.empty() && fileExists(program)) return true;
    }
    return false;
}

core::LanguageText SystemSettingsNote(const BrowserConfigState& state) {
    if (state.chromeInstalled && state.edgeInstalled) return core::texts::kBrowsersChromeEdgeFollow;
    if (state.chromeInstalled) return core::texts::kBrowsersChromeFollows;
    if (state.edgeInstalled) return core::texts::kBrowsersEdgeFollows;
    return {nullptr, nullptr};
}

}  // namespace browsers
