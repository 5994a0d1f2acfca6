#include "pages/option_lists.h"

#include <algorithm>
#include <cctype>

namespace pages {
namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool LessNoCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Lower(x) < Lower(y); });
}

}  // namespace

bool EqualNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Lower(x) == Lower(y); });
}

int FindName(const std::vector<std::string>& entries, const std::string& name) {
    for (size_t i = 0; i < entries.size(); ++i) {
        if (EqualNoCase(entries[i], name)) return static_cast<int>(i);
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
    std::stable_sort(list.entries.begin(), list.entries.end(), LessNoCase);
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
