#include "proxy/response_body.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace proxy {
namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Offset of needle (which is lower case) in line, ignoring the case of line; npos when absent.
size_t FindNoCase(const std::string& line, const char* needle) {
    const size_t n = std::strlen(needle);
    for (size_t i = 0; i + n <= line.size(); ++i) {
        size_t k = 0;
        while (k < n && LowerAscii(line[i + k]) == needle[k]) ++k;
        if (k == n) return i;
    }
    return std::string::npos;
}

bool ContainsNoCase(const std::string& line, const char* needle) {
    return FindNoCase(line, needle) != std::string::npos;
}

bool StartsWithNoCase(const std::string& line, const char* prefix) {
    const size_t n = std::strlen(prefix);
    if (line.size() < n) return false;
    for (size_t k = 0; k < n; ++k) {
        if (LowerAscii(line[k]) != prefix[k]) return false;
    }
    return true;
}

std::string LengthLine(std::uint64_t bodySize, const std::string& replacedLine) {
    const char* lineBreak = replacedLine.find('\r') != std::string::npos ? "\r\n" : "\n";
    return "Content-Length: " + std::to_string(bodySize) + lineBreak;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The value of a header line after its colon, without surrounding blanks, lower-cased.
std::string LowerValue(const std::string& line) {
    size_t begin = line.find(':');
    begin = begin == std::string::npos ? line.size() : begin + 1;
    size_t end = line.size();
    while (begin < end && IsBlank(line[begin])) ++begin;
    while (end > begin && IsBlank(line[end - 1])) --end;
    std::string value = line.substr(begin, end - begin);
    for (char& c : value) c = LowerAscii(c);
    return value;
}

bool NamesOtherCoding(const std::string& codings, bool chunkedAllowed) {
    size_t start = 0;
    while (start <= codings.size()) {
        size_t comma = codings.find(',', start);
        if (comma == std::string::npos) comma = codings.size();
        size_t begin = start, end = comma;
        while (begin < end && IsBlank(codings[begin])) ++begin;
        while (end > begin && IsBlank(codings[end - 1])) --end;
        const std::string coding = codings.substr(begin, end - begin);
        if (!coding.empty() && coding != "identity" && !(chunkedAllowed && coding == "chunked")) {
            return true;
        }
        start = comma + 1;
    }
    return false;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

bool SetContentLength(HeaderLines& lines, std::uint64_t bodySize) {
    for (std::string& line : lines) {
        if (ContainsNoCase(line, "content-length:")) {
            line = LengthLine(bodySize, line);
            return true;
        }
    }
    return false;
}

void MarkDechunked(HeaderLines& lines, std::uint64_t bodySize) {
    bool replaced = false;
    HeaderLines kept;
    kept.reserve(lines.size() + 1);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (i > 0 && !replaced && ContainsNoCase(line, "transfer-encoding")) {
            kept.push_back(LengthLine(bodySize, line));
            replaced = true;
        } else if (i > 0 && ContainsNoCase(line, "content-length:")) {
            continue;
        } else {
            kept.push_back(line);
        }
    }
    lines.swap(kept);
}

bool HasBodyCoding(const HeaderLines& lines) {
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (StartsWithNoCase(line, "content-encoding:")) {
            if (NamesOtherCoding(LowerValue(line), false)) return true;
        } else if (StartsWithNoCase(line, "transfer-encoding:")) {
            if (NamesOtherCoding(LowerValue(line), true)) return true;
        }
    }
    return false;
}

bool LooksBinary(const std::string& body) {
    const size_t n = std::min<size_t>(32, body.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(body[i]);
        if (c < 9 || c > 250) return true;
    }
    return false;
}

int StatusCodeOf(const std::string& statusLine) {
    const size_t at = FindNoCase(statusLine, "http/");
    if (at == std::string::npos) return 0;
    size_t pos = statusLine.find(' ', at);
    if (pos == std::string::npos) return 0;
    while (pos < statusLine.size() && statusLine[pos] == ' ') ++pos;
    int code = 0;
    int digits = 0;
    while (pos < statusLine.size() && statusLine[pos] >= '0' && statusLine[pos] <= '9') {
        if (++digits > 3) return 0;
        code = code * 10 + (statusLine[pos] - '0');
        ++pos;
    }
    return code;
}

bool IsBodylessStatus(int statusCode) {
    return (statusCode >= 100 && statusCode < 200) || statusCode == 204 || statusCode == 304;
}

ChunkDecoder::Status ChunkDecoder::Decode(const std::string& raw, std::string& decoded) {
    for (;;) {
        switch (phase_) {
            case Phase::kSizeLine: {
                const Status status = ReadSizeLine(raw);
                if (phase_ == Phase::kSizeLine || status != Status::kNeedMore) return status;
                break;
            }
            case Phase::kData: {
                const size_t available = raw.size() - offset_;
                const size_t take =
                    static_cast<size_t>(std::min<std::uint64_t>(available, remaining_));
                decoded.append(raw, offset_, take);
                offset_ += take;
                remaining_ -= take;
                if (remaining_ > 0) return Status::kNeedMore;
                phase_ = Phase::kSizeLine;
                break;
            }
            case Phase::kTrailer:
                return ReadTrailer(raw);
            case Phase::kDone:
                return Status::kDone;
            case Phase::kMalformed:
                return Status::kMalformed;
        }
    }
}

// Reads one size line at offset_; leaves phase_ unchanged while the line is incomplete.
ChunkDecoder::Status ChunkDecoder::ReadSizeLine(const std::string& raw) {
    // Blanks in front also take the line break that ends the previous chunk's data.
    while (offset_ < raw.size()) {
        const unsigned char c = static_cast<unsigned char>(raw[offset_]);
        if (c == 0 || c > 32) break;
        ++offset_;
    }
    if (offset_ == raw.size()) return Status::kNeedMore;
    const size_t available = std::min(raw.size() - offset_, kMaxSizeLine);
    const void* lf = std::memchr(raw.data() + offset_, '\n', available);
    if (lf == nullptr) {
        if (available < kMaxSizeLine && raw[offset_] != '\0') return Status::kNeedMore;
        phase_ = Phase::kMalformed;
        return Status::kMalformed;
    }
    const size_t lineEnd = static_cast<size_t>(static_cast<const char*>(lf) - raw.data());
    std::uint64_t size = 0;
    size_t pos = offset_;
    for (; pos < lineEnd && HexValue(raw[pos]) >= 0; ++pos) {
        if (size > (std::numeric_limits<std::uint64_t>::max() >> 4)) break;
        size = (size << 4) | static_cast<std::uint64_t>(HexValue(raw[pos]));
    }
    const char next = raw[pos];
    const bool ends = next == ';' || next == ' ' || next == '\t' || next == '\r' || next == '\n';
    if (pos == offset_ || !ends) {
        phase_ = Phase::kMalformed;
        return Status::kMalformed;
    }
    offset_ = lineEnd + 1;
    if (size == 0) {
        phase_ = Phase::kTrailer;
        trailerStart_ = offset_;
    } else {
        phase_ = Phase::kData;
        remaining_ = size;
    }
    return Status::kNeedMore;
}

// Skips trailer fields up to the blank line that ends the body, then any further line breaks.
ChunkDecoder::Status ChunkDecoder::ReadTrailer(const std::string& raw) {
    for (;;) {
        const void* lf = std::memchr(raw.data() + offset_, '\n', raw.size() - offset_);
        if (lf == nullptr) {
            if (raw.size() - trailerStart_ > kMaxTrailer) {
                phase_ = Phase::kMalformed;
                return Status::kMalformed;
            }
            return Status::kNeedMore;
        }
        const size_t lineEnd = static_cast<size_t>(static_cast<const char*>(lf) - raw.data());
        const bool blank = lineEnd == offset_ || (lineEnd == offset_ + 1 && raw[offset_] == '\r');
        offset_ = lineEnd + 1;
        if (blank) break;
    }
    while (offset_ < raw.size() && (raw[offset_] == '\r' || raw[offset_] == '\n')) ++offset_;
    phase_ = Phase::kDone;
    return Status::kDone;
}

}  // namespace proxy
