// The Options page's list decisions: the sound list built from the sounds folder and the current
// sound, and finding a name in a list the way the page compares names.
#pragma once

#include <string>
#include <vector>

namespace pages {

// The last entry of the sound list; choosing it opens the file dialog.
constexpr char kCustomSoundEntry[] = "*** Custom Sound ***";

struct SoundList {
    // In display order: "Default" first when the folder has it, the other titles sorted
    // (case-insensitively), the current sound's title when the folder lacks it, then
    // kCustomSoundEntry.
    std::vector<std::string> entries;
    // The current sound's entry, or -1 when there is no current sound.
    int selected = -1;
    // True when entries holds a title for a sound outside the folder (before the last entry).
    bool customEntryPresent = false;
    // The current sound's file name with its extension (the text after the last backslash).
    std::string currentFileName;
};

// titles: the titles (names without ".wav") of the folder's sound files, in any order.
// currentPath: the full path of the sound in use; empty when there is none.
SoundList BuildSoundList(const std::vector<std::string>& titles, const std::string& currentPath);

// The index of the entry equal to name ignoring ASCII case, or -1.
int FindName(const std::vector<std::string>& entries, const std::string& name);

}  // namespace pages
