#include "shell/skin_file.h"

#include <functional>

#include "platform/ascii_text.h"

namespace shell {
namespace {

// Calls onKey(lowercase key, trimmed value) for every key of section and returns whether the
// file is well formed and has that section. onKey returns false for a value that does not fit.
bool ReadSection(const std::string& bytes, const std::string& section,
                 const std::function<bool(const std::string&, const std::string&)>& onKey) {
    if (bytes.size() > kMaxSkinFileSize) return false;
    if (bytes.find('\0') != std::string::npos) return false;
    std::size_t start = 0;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) start = 3;  // UTF-8 byte order mark
    bool seen = false;
    bool inSection = false;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        const std::string line = platform::Trim(bytes.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            if (line.back() != ']') return false;
            inSection =
                platform::ToLowerAscii(platform::Trim(line.substr(1, line.size() - 2))) == section;
            seen = seen || inSection;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos || equals == 0) return false;
        if (!inSection) continue;
        if (!onKey(platform::ToLowerAscii(platform::Trim(line.substr(0, equals))),
                   platform::Trim(line.substr(equals + 1)))) {
            return false;
        }
    }
    return seen;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool ParseColour(std::string text, Rgb* colour) {
    if (!text.empty() && text[0] == '#') text.erase(0, 1);
    if (text.size() != 6) return false;
    int value[3];
    for (int i = 0; i < 3; ++i) {
        const int high = HexDigit(text[2 * i]);
        const int low = HexDigit(text[2 * i + 1]);
        if (high < 0 || low < 0) return false;
        value[i] = high * 16 + low;
    }
    colour->red = static_cast<std::uint8_t>(value[0]);
    colour->green = static_cast<std::uint8_t>(value[1]);
    colour->blue = static_cast<std::uint8_t>(value[2]);
    return true;
}

// "RRGGBB..RRGGBB", or one colour for both ends.
bool ParseGradient(const std::string& text, Rgb* from, Rgb* to) {
    const std::size_t dots = text.find("..");
    if (dots == std::string::npos) return ParseColour(text, from) && ParseColour(text, to);
    return ParseColour(platform::Trim(text.substr(0, dots)), from) &&
           ParseColour(platform::Trim(text.substr(dots + 2)), to);
}

// Decimal digits only, within [low, high].
bool ParseNumber(const std::string& text, int low, int high, int* number) {
    if (text.empty() || text.size() > 6) return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value < low || value > high) return false;
    *number = value;
    return true;
}

bool ParseText(const std::string& text, std::size_t maxLength, std::string* out) {
    if (text.size() > maxLength) return false;
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    }
    *out = text;
    return true;
}

}  // namespace

SkinFile ParseSkinFile(const std::string& bytes) {
    SkinFile skin;
    bool hasBackground = false, hasText = false, hasGroupText = false, hasHeight = false;
    const bool formed =
        ReadSection(bytes, "skin", [&](const std::string& key, const std::string& value) {
            if (key == "background") return hasBackground = ParseColour(value, &skin.background);
            if (key == "text") return hasText = ParseColour(value, &skin.text);
            if (key == "grouptext") return hasGroupText = ParseColour(value, &skin.groupText);
            if (key == "header") {
                return skin.hasHeader = ParseGradient(value, &skin.headerFrom, &skin.headerTo);
            }
            if (key == "headerheight")
                return hasHeight = ParseNumber(value, 0, 40, &skin.headerHeight);
            if (key == "border") return skin.hasBorder = ParseColour(value, &skin.border);
            return true;
        });
    if (!formed || !hasBackground || !hasText) return SkinFile();
    if (!hasGroupText) skin.groupText = skin.text;
    if (!skin.hasHeader) {
        skin.headerHeight = 0;
    } else if (!hasHeight) {
        skin.headerHeight = 6;
    }
    skin.ok = true;
    return skin;
}

SplashFile ParseSplashFile(const std::string& bytes) {
    SplashFile splash;
    bool hasTitle = false;
    const bool formed =
        ReadSection(bytes, "splash", [&](const std::string& key, const std::string& value) {
            if (key == "title")
                return hasTitle = ParseText(value, 64, &splash.title) && !value.empty();
            if (key == "subtitle") return ParseText(value, 128, &splash.subtitle);
            if (key == "version") return ParseText(value, 32, &splash.version);
            if (key == "duration") return ParseNumber(value, 300, 5000, &splash.durationMs);
            if (key == "top") return ParseColour(value, &splash.top);
            if (key == "bottom") return ParseColour(value, &splash.bottom);
            if (key == "titlecolour") return ParseColour(value, &splash.titleColour);
            if (key == "textcolour") return ParseColour(value, &splash.textColour);
            if (key == "accent") return ParseColour(value, &splash.accent);
            if (key == "mark") return ParseColour(value, &splash.mark);
            return true;
        });
    if (!formed || !hasTitle) return SplashFile();
    splash.ok = true;
    return splash;
}

}  // namespace shell
