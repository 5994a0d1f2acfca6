// The skin file ("*.skn") and the splash file ("splash.spl"): small INI-like text files of our
// own. Both are parsed here from their bytes alone, so damaged files are tested natively.
//
// Shape of both: lines ending in LF or CR LF; blank lines and lines starting with ';' or '#'
// are skipped; "[Section]" starts a section; "Key=Value" sets a key of the current section.
// Only the file's own section ([Skin] or [Splash]) is read; other sections and unknown keys are
// ignored so that later versions can add keys. Keys are matched without regard to case; a key
// given twice keeps its last value. Colours are six hex digits RRGGBB, with an optional '#'.
//
// A file is damaged (ok false) when it is larger than kMaxSkinFileSize, holds a NUL byte, has
// a line that is neither blank, comment, section nor key, lacks its section or a required key,
// or gives a known key a value that does not fit it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace shell {

constexpr std::size_t kMaxSkinFileSize = 64 * 1024;

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const Rgb& other) const {
        return red == other.red && green == other.green && blue == other.blue;
    }
    bool operator!=(const Rgb& other) const { return !(*this == other); }
};

// [Skin]
//   Background=RRGGBB        required; the window's flat colour
//   Text=RRGGBB              required; static texts, check boxes, radio buttons
//   GroupText=RRGGBB         group box captions; Text when not given
//   Header=RRGGBB..RRGGBB    a gradient band along the top of a top-level window, left to
//                            right; a single colour gives a flat band
//   HeaderHeight=N           the band's height in pixels, 0..40; 6 when not given
//   Border=RRGGBB            a one-pixel frame inside a top-level window's client area
struct SkinFile {
    bool ok = false;
    Rgb background;
    Rgb text;
    Rgb groupText;
    bool hasHeader = false;
    Rgb headerFrom;
    Rgb headerTo;
    int headerHeight = 0;
    bool hasBorder = false;
    Rgb border;
};

SkinFile ParseSkinFile(const std::string& bytes);

// [Splash]
//   Title=text               required; the product name, at most 64 characters
//   Subtitle=text            at most 128 characters
//   Version=text             at most 32 characters; drawn as "Version <text>"
//   Duration=N               milliseconds the splash stays, 300..5000; 1500 when not given
//   Top=RRGGBB, Bottom=RRGGBB        the background's vertical gradient
//   TitleColour=RRGGBB, TextColour=RRGGBB
//   Accent=RRGGBB            the emblem's window and the rule above the version
//   Mark=RRGGBB              the emblem's "blocked" sign
// Texts may not hold control characters.
struct SplashFile {
    bool ok = false;
    std::string title;
    std::string subtitle;
    std::string version;
    int durationMs = 1500;
    Rgb top{232, 241, 236};
    Rgb bottom{176, 206, 190};
    Rgb titleColour{30, 59, 48};
    Rgb textColour{47, 79, 66};
    Rgb accent{62, 117, 96};
    Rgb mark{176, 64, 52};
};

SplashFile ParseSplashFile(const std::string& bytes);

}  // namespace shell
