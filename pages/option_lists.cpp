#include "pages/option_lists.h"

#include <algorithm>

#include "platform/ascii_text.h"

namespace pages {
namespace {}  // namespace

int FindName(const std::vector<std::string>& entries, const std::string& name) {
    for (size_t i = 0; i < entries.size(); ++i) {
        if (platform::EqualsNoCase(entries[i], name)) return static_cast<int>(i);
    }
    return -1;
}

SoundList BuildSoundList(const std::vector<std::string>& titles, const std::string& currentPath) {
    SoundList list;
    // "Default" leads only in exactly that spelling; any other spelling sorts like every title.
    bool hasDefault = false;
    for (const std::string& title : titles) {
        if (title == "Default") {
            hasDefault = true;
        } else {
            list.entries.push_back(title);
        }
    }
    std::stable_sort(list.entries.begin(), list.entries.end(), platform::LessNoCase);
    if (hasDefault) list.entries.insert(list.entries.begin(), "Default");

    const size_t slash = currentPath.rfind('\\');
    list.currentFileName = slash == std::string::npos ? currentPath : currentPath.substr(slash + 1);
    // The title is the file name without its four-character extension ".wav".
    const std::string title = list.currentFileName.size() > 4
                                  ? list.currentFileName.substr(0, list.currentFileName.size() - 4)
                                  : std::string();
    if (!title.empty()) {
        list.selected = FindName(list.entries, title);
        if (list.selected < 0) {
            list.entries.push_back(title);
            list.selected = static_cast<int>(list.entries.size()) - 1;
            list.customEntryPresent = true;
        }
    }
    list.entries.push_back(kCustomSoundEntry);
    return list;
}

}  // namespace pages
