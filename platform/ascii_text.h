// ASCII text helpers for file formats, headers and names: case folding and comparison that
// ignore the locale (bytes above 127 are left alone) and trimming of white space.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace platform {

inline char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }
inline char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

inline std::string ToLowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = LowerAscii(c);
    return out;
}

inline std::string ToUpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = UpperAscii(c);
    return out;
}

inline bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerAscii(x) == LowerAscii(y);
           });
}

inline bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

// Orders as the lower-case texts would order.
inline bool LessNoCase(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return LowerAscii(x) < LowerAscii(y); });
}

// Space, tab, carriage return or line feed.
inline bool IsBlankAscii(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The text without blanks at either end.
inline std::string Trim(std::string_view text) {
    size_t first = 0, last = text.size();
    while (first < last && IsBlankAscii(text[first])) ++first;
    while (last > first && IsBlankAscii(text[last - 1])) --last;
    return std::string(text.substr(first, last - first));
}

}  // namespace platform
