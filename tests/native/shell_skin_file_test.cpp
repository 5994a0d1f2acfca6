// The skin and splash files: what is read from good files, and damaged files rejected whole.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "shell/skin_file.h"

namespace shell {
namespace {

using namespace std::string_literals;

std::string ShippedFile(const std::string& name) {
    const std::string here = __FILE__;
    std::ifstream in(here.substr(0, here.rfind("tests/native/")) + "data/" + name,
                     std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

const std::string kMinimalSkin = "[Skin]\nBackground=CFE0D7\nText=1C2B24\n";

TEST(ShellSkinFile, ReadsColoursAndDefaults) {
    SkinFile skin = ParseSkinFile(kMinimalSkin);
    ASSERT_TRUE(skin.ok);
    EXPECT_EQ(skin.background, (Rgb{0xCF, 0xE0, 0xD7}));
    EXPECT_EQ(skin.text, (Rgb{0x1C, 0x2B, 0x24}));
    EXPECT_EQ(skin.groupText, skin.text);
    EXPECT_FALSE(skin.hasHeader);
    EXPECT_EQ(skin.headerHeight, 0);
    EXPECT_FALSE(skin.hasBorder);

    // CR LF, byte order mark, comments, other sections, unknown keys, case and '#' colours.
    skin = ParseSkinFile(
        "\xEF\xBB\xBF; comment\r\n[Other]\r\nText=zz\r\n[skin]\r\n  BACKGROUND = #0a0B0c \r\n"
        "text=FFFFFF\r\n# note\r\nFuture=whatever\r\nGroupText=102030\r\n"
        "Header=000000..FF8040\r\nBorder=AABBCC\r\nText=010203\r\n");
    ASSERT_TRUE(skin.ok);
    EXPECT_EQ(skin.background, (Rgb{0x0A, 0x0B, 0x0C}));
    EXPECT_EQ(skin.text, (Rgb{1, 2, 3}));  // the last of a key given twice
    EXPECT_EQ(skin.groupText, (Rgb{0x10, 0x20, 0x30}));
    EXPECT_TRUE(skin.hasHeader);
    EXPECT_EQ(skin.headerFrom, (Rgb{0, 0, 0}));
    EXPECT_EQ(skin.headerTo, (Rgb{0xFF, 0x80, 0x40}));
    EXPECT_EQ(skin.headerHeight, 6);
    EXPECT_TRUE(skin.hasBorder);
    EXPECT_EQ(skin.border, (Rgb{0xAA, 0xBB, 0xCC}));

    skin = ParseSkinFile(kMinimalSkin + "Header=112233\nHeaderHeight=0\n");
    ASSERT_TRUE(skin.ok);
    EXPECT_EQ(skin.headerFrom, skin.headerTo);
    EXPECT_EQ(skin.headerHeight, 0);
}

TEST(ShellSkinFile, DamagedFilesAreRejectedWhole) {
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"no section", "Background=CFE0D7\nText=1C2B24\n"},
        {"other section only", "[Splash]\nBackground=CFE0D7\nText=1C2B24\n"},
        {"no text", "[Skin]\nBackground=CFE0D7\n"},
        {"no background", "[Skin]\nText=1C2B24\n"},
        {"short colour", kMinimalSkin + "Border=ABCDE\n"},
        {"long colour", kMinimalSkin + "Border=ABCDEF0\n"},
        {"not hex", kMinimalSkin + "Border=GG0000\n"},
        {"empty colour", kMinimalSkin + "GroupText=\n"},
        {"half gradient", kMinimalSkin + "Header=112233..\n"},
        {"height too big", kMinimalSkin + "Header=112233\nHeaderHeight=41\n"},
        {"height negative", kMinimalSkin + "Header=112233\nHeaderHeight=-1\n"},
        {"height not a number", kMinimalSkin + "Header=112233\nHeaderHeight=6px\n"},
        {"line without key", kMinimalSkin + "Background\n"},
        {"line without name", kMinimalSkin + "=CFE0D7\n"},
        {"open section", "[Skin\nBackground=CFE0D7\nText=1C2B24\n"},
        {"NUL byte", kMinimalSkin + "; note\0\n"s},
        {"binary", "\x89PNG\r\n\x1A\n\0\0\0\rIHDR"s},
        {"over 64 KiB", kMinimalSkin + std::string(kMaxSkinFileSize, ';')},
    };
    for (const auto& c : cases) EXPECT_FALSE(ParseSkinFile(c.second).ok) << c.first;
    // A bad value anywhere else is no concern of the skin.
    EXPECT_TRUE(ParseSkinFile("[Other]\nBorder=bad\n" + kMinimalSkin).ok);
    EXPECT_TRUE(ParseSkinFile(kMinimalSkin + std::string(kMaxSkinFileSize - 40, ';')).ok);
}

TEST(ShellSkinFile, SplashReadsTextsDurationAndColours) {
    SplashFile splash = ParseSplashFile("[Splash]\nTitle=Korvo\n");
    ASSERT_TRUE(splash.ok);
    EXPECT_EQ(splash.title, "Korvo");
    EXPECT_EQ(splash.durationMs, 1500);
    EXPECT_EQ(splash.subtitle, "");

    splash = ParseSplashFile(
        "[Splash]\r\nTitle = Korvo Popup Killer \r\nSubtitle=Pop-ups = gone\r\nVersion=4.2\r\n"
        "Duration=300\r\nTop=010203\r\nBottom=040506\r\nTitleColour=070809\r\n"
        "TextColour=0A0B0C\r\nAccent=0D0E0F\r\nMark=101112\r\n");
    ASSERT_TRUE(splash.ok);
    EXPECT_EQ(splash.title, "Korvo Popup Killer");
    EXPECT_EQ(splash.subtitle, "Pop-ups = gone");
    EXPECT_EQ(splash.version, "4.2");
    EXPECT_EQ(splash.durationMs, 300);
    EXPECT_EQ(splash.top, (Rgb{1, 2, 3}));
    EXPECT_EQ(splash.bottom, (Rgb{4, 5, 6}));
    EXPECT_EQ(splash.titleColour, (Rgb{7, 8, 9}));
    EXPECT_EQ(splash.textColour, (Rgb{10, 11, 12}));
    EXPECT_EQ(splash.accent, (Rgb{13, 14, 15}));
    EXPECT_EQ(splash.mark, (Rgb{16, 17, 18}));
    EXPECT_EQ(ParseSplashFile("[Splash]\nTitle=K\nDuration=5000\n").durationMs, 5000);
}

TEST(ShellSkinFile, DamagedSplashFilesAreRejected) {
    const std::string title = "[Splash]\nTitle=Korvo\n";
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"no title", "[Splash]\nDuration=1500\n"},
        {"empty title", "[Splash]\nTitle=\n"},
        {"title too long", "[Splash]\nTitle=" + std::string(65, 'K') + "\n"},
        {"control character", "[Splash]\nTitle=Kor\tvo\n"},
        {"too short", title + "Duration=299\n"},
        {"too long", title + "Duration=5001\n"},
        {"huge number", title + "Duration=99999999999\n"},
        {"not a number", title + "Duration=1.5s\n"},
        {"bad colour", title + "Top=12345\n"},
        {"skin section", "[Skin]\nTitle=Korvo\n"},
        {"over 64 KiB", title + std::string(kMaxSkinFileSize, '#')},
    };
    for (const auto& c : cases) EXPECT_FALSE(ParseSplashFile(c.second).ok) << c.first;
}

TEST(ShellSkinFile, ShippedFilesParse) {
    for (const char* name : {"KorvoSkn.skn", "popup.skn"}) {
        const SkinFile skin = ParseSkinFile(ShippedFile(name));
        EXPECT_TRUE(skin.ok) << name;
        EXPECT_NE(skin.background, skin.text) << name;
    }
    const SplashFile splash = ParseSplashFile(ShippedFile("splash.spl"));
    ASSERT_TRUE(splash.ok);
    EXPECT_EQ(splash.title, "Korvo Popup Killer");
    EXPECT_EQ(splash.version, "4.2");
}

}  // namespace
}  // namespace shell
