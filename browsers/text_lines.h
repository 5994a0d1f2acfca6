// Line-by-line view of a text file that keeps each line's own line break, so an edit can change
// some lines and give every other line back byte for byte.
#pragma once

#include <string>
#include <vector>

namespace browsers {

struct TextLine {
    std::string text;    // the line without its line break
    std::string ending;  // "\r\n", "\n" or "" (a last line without a break)
};

// Splits at every "\n"; a "\r" right before it belongs to the ending. Joining the result gives
// the input back unchanged.
std::vector<TextLine> SplitLines(const std::string& content);
std::string JoinLines(const std::vector<TextLine>& lines);

// The line break the file already uses ("\r\n" when its first break is one, "\n" when that is a
// bare line feed), or fallback for a file without any.
std::string LineEndingOf(const std::string& content, const std::string& fallback);

// The line break used for lines this program adds to a file that has none yet: the platform's
// text-file convention.
#ifdef _WIN32
constexpr char kNativeLineEnding[] = "\r\n";
#else
constexpr char kNativeLineEnding[] = "\n";
#endif

}  // namespace browsers
