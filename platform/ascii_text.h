// ASCII text helpers for file formats, headers and names: case folding and comparison that
// ignore the locale (bytes above 127 are left alone) and trimming of white space.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace platform {

inline char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }
inline char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// Whole pages are lower-cased for tag searches, so this works on eight bytes at a time: a byte
// gets 0x20 added when it is below 0x80, at least 'A' and at most 'Z'.
inline std::string ToLowerAscii(std::string_view text) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    std::string out(text);
    char* bytes = out.data();
    const size_t size = out.size();
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + i, 8);
        const std::uint64_t low7 = word & (0x7f * kOnes);
        const std::uint64_t fromA = low7 + (0x80 - 'A') * kOnes;  // high bit: at least 'A'
        const std::uint64_t pastZ = low7 + (0x7f - 'Z') * kOnes;  // high bit: past 'Z'
        const std::uint64_t upper = fromA & ~pastZ & ~word & (0x80 * kOnes);
        word |= upper >> 2;
        std::memcpy(bytes + i, &word, 8);
    }
    for (; i < size; ++i) bytes[i] = LowerAscii(bytes[i]);
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

// Offset of the first lowerNeedle in text at or after from, in any case; npos when there is
// none. Pages are searched this way instead of through a lower-cased copy. A needle that starts
// with a character other than a letter is found by jumping between those characters.
inline size_t FindNoCase(std::string_view text, std::string_view lowerNeedle, size_t from = 0) {
    const size_t n = lowerNeedle.size();
    if (n == 0) return from <= text.size() ? from : std::string_view::npos;
    if (from >= text.size() || text.size() - from < n) return std::string_view::npos;
    const char first = lowerNeedle[0];
    const bool letter = first >= 'a' && first <= 'z';
    const char* const begin = text.data();
    const char* const last = begin + text.size() - n;  // the last place a match can start
    for (const char* p = begin + from; p <= last; ++p) {
        if (!letter) {
            p = static_cast<const char*>(std::memchr(p, first, static_cast<size_t>(last - p) + 1));
            if (p == nullptr) break;
        } else if (LowerAscii(*p) != first) {
            continue;
        }
        if (EqualsNoCase(std::string_view(p + 1, n - 1), lowerNeedle.substr(1))) {
            return static_cast<size_t>(p - begin);
        }
    }
    return std::string_view::npos;
}

// Orders as the lower-case texts would order.
inline bool LessNoCase(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return LowerAscii(x) < LowerAscii(y);
    });
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
