// The Options page's sound list and name look-ups.
#include <gtest/gtest.h>

#include "pages/option_lists.h"

namespace pages {
namespace {

using Entries = std::vector<std::string>;

TEST(PagesSoundList, DefaultLeadsTheSortedTitlesAndTheCustomEntryEnds) {
    struct Case {
        const char* what;
        Entries titles;
        std::string current;
        Entries entries;
        int selected;
        bool custom;
        std::string shown;
    };
    const Case cases[] = {
        {"a file of the folder selects its title",
         {"Ding", "Default", "alarm", "Beep"},
         "C:\\Korvo\\Sounds\\Beep.wav",
         {"Default", "alarm", "Beep", "Ding", kCustomSoundEntry},
         2,
         false,
         "Beep.wav"},
        {"titles sorting before Default still follow it",
         {"Aardvark", "Default", "Zebra"},
         "C:\\Korvo\\Sounds\\default.WAV",
         {"Default", "Aardvark", "Zebra", kCustomSoundEntry},
         0,
         false,
         "default.WAV"},
        {"only the exact spelling leads",
         {"default", "Bell"},
         "C:\\Korvo\\Sounds\\Bell.wav",
         {"Bell", "default", kCustomSoundEntry},
         0,
         false,
         "Bell.wav"},
        {"a sound outside the folder gets its own entry",
         {"Default", "Beep"},
         "D:\\My Sounds\\Whistle.wav",
         {"Default", "Beep", "Whistle", kCustomSoundEntry},
         2,
         true,
         "Whistle.wav"},
        {"an empty folder",
         {},
         "D:\\x\\Only.wav",
         {"Only", kCustomSoundEntry},
         0,
         true,
         "Only.wav"},
        {"no current sound adds no entry",
         {"Beep"},
         "",
         {"Beep", kCustomSoundEntry},
         -1,
         false,
         ""},
    };
    for (const Case& c : cases) {
        const SoundList list = BuildSoundList(c.titles, c.current);
        EXPECT_EQ(list.entries, c.entries) << c.what;
        EXPECT_EQ(list.selected, c.selected) << c.what;
        EXPECT_EQ(list.customEntryPresent, c.custom) << c.what;
        EXPECT_EQ(list.currentFileName, c.shown) << c.what;
    }
}

TEST(PagesSoundList, FindsNamesWholeIgnoringCase) {
    const Entries names = {"English", "Deutsch", "English (UK)"};
    EXPECT_EQ(FindName(names, "english"), 0);
    EXPECT_EQ(FindName(names, "DEUTSCH"), 1);
    EXPECT_EQ(FindName(names, "English (uk)"), 2);
    EXPECT_EQ(FindName(names, "Engl"), -1);
    EXPECT_EQ(FindName(names, ""), -1);
    EXPECT_EQ(FindName({}, "English"), -1);
}

}  // namespace
}  // namespace pages
