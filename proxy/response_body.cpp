#include "proxy/response_body.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/ascii_text.h"

namespace proxy {
namespace {

// Offset of needle (which is lower case) in line, ignoring the case of line; npos when absent.
size_t FindNoCase(const std::string& line, const char* needle) {
    const size_t n = std::strlen(needle);
    for (size_t i = 0; i + n <= line.size(); ++i) {
        size_t k = 0;
        while (k < n && platform::LowerAscii(line[i + k]) == needle[k]) ++k;
        if (k == n) return i;
    }
    return std::string::npos;
}

std::string LengthLine(std::uint64_t bodySize, const std::string& replacedLine) {
    const char* lineBreak = replacedLine.find('\r') != std::string::npos ? "\r\n" : "\n";
    return "Content-Length: " + std::to_string(bodySize) + lineBreak;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

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
    const size_t first = FindField(lines, "content-length");
    if (first == std::string::npos) return false;
    lines[first] = LengthLine(bodySize, lines[first]);
    for (size_t i = first + 1; i < lines.size();) {
        if (FieldNameIs(lines[i], "content-length")) {
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
    return true;
}

namespace {

// The first Transfer-Encoding field becomes firstLine(that line); every other Transfer-Encoding
// and Content-Length field is dropped.
template <typename LineFor>
void ReplaceFraming(HeaderLines& lines, LineFor firstLine) {
    bool replaced = false;
    HeaderLines kept;
    kept.reserve(lines.size() + 1);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (i > 0 && FieldNameIs(line, "transfer-encoding")) {
            if (!replaced) kept.push_back(firstLine(line));
            replaced = true;
        } else if (i == 0 || !FieldNameIs(line, "content-length")) {
            kept.push_back(line);
        }
    }
    lines.swap(kept);
}

}  // namespace

void MarkDechunked(HeaderLines& lines, std::uint64_t bodySize) {
    ReplaceFraming(lines, [&](const std::string& line) { return LengthLine(bodySize, line); });
}

void MarkChunked(HeaderLines& lines) {
    ReplaceFraming(lines, [](const std::string& line) {
        return std::string("Transfer-Encoding: chunked") +
               (line.find('\r') != std::string::npos ? "\r\n" : "\n");
    });
}

bool HasBodyCoding(const HeaderLines& lines) {
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (FieldNameIs(line, "content-encoding")) {
            if (NamesOtherCoding(platform::ToLowerAscii(FieldValue(line)), false)) return true;
        } else if (FieldNameIs(line, "transfer-encoding")) {
            if (NamesOtherCoding(platform::ToLowerAscii(FieldValue(line)), true)) return true;
        }
    }
    return false;
}

bool LooksBinary(const char* body, size_t size) {
    const size_t n = std::min<size_t>(32, size);
    for (size_t i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(body[i]);
        if (c < 9 || c > 250) return true;
    }
    return false;
}

bool IsStatusLine(const std::string& line) {
    auto digit = [&](size_t i) { return i < line.size() && line[i] >= '0' && line[i] <= '9'; };
    if (!platform::StartsWithNoCase(line, "http/") || !digit(5) || line.size() < 12 ||
        line[6] != '.' || !digit(7) || line[8] != ' ' || !digit(9) || !digit(10) || !digit(11)) {
        return false;
    }
    return line.size() == 12 || line[12] == ' ' || line[12] == '\r' || line[12] == '\n';
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

ChunkDecoder::Status ChunkDecoder::Fail() {
    phase_ = Phase::kMalformed;
    line_.clear();
    return Status::kMalformed;
}

ChunkDecoder::Status ChunkDecoder::Decode(const char* data, size_t size, std::string* decoded,
                                          size_t* used) {
    return Run(data, size, decoded, used, false, std::string::npos);
}

ChunkDecoder::Status ChunkDecoder::DecodeToChunkEnd(const char* data, size_t size,
                                                    std::string& decoded, size_t limit,
                                                    size_t* used) {
    return Run(data, size, &decoded, used, true, limit);
}

ChunkDecoder::Status ChunkDecoder::Run(const char* data, size_t size, std::string* decoded,
                                       size_t* used, bool stopAtChunkEnd, size_t decodedLimit) {
    size_t pos = 0;
    *used = 0;
    while (pos < size || phase_ == Phase::kDone || phase_ == Phase::kMalformed) {
        switch (phase_) {
            case Phase::kSizeLine:
            case Phase::kTrailer: {
                const void* lf = std::memchr(data + pos, '\n', size - pos);
                const size_t end =
                    lf ? static_cast<size_t>(static_cast<const char*>(lf) - data) : size;
                const size_t limit = phase_ == Phase::kSizeLine ? kMaxSizeLine : kMaxTrailer;
                const size_t total = phase_ == Phase::kSizeLine ? line_.size() : trailerBytes_;
                if (total + (end - pos) >= limit) return Fail();
                line_.append(data + pos, end - pos);
                trailerBytes_ += phase_ == Phase::kTrailer ? end - pos + 1 : 0;
                pos = end;
                if (lf == nullptr) break;
                ++pos;
                if (phase_ == Phase::kSizeLine) {
                    if (!ReadSizeLine()) return Fail();
                } else if (line_.empty() || line_ == "\r") {
                    phase_ = Phase::kDone;
                }
                line_.clear();
                break;
            }
            case Phase::kData: {
                size_t take = static_cast<size_t>(std::min<std::uint64_t>(size - pos, remaining_));
                if (decoded != nullptr && decodedLimit != std::string::npos) {
                    if (decoded->size() >= decodedLimit) {
                        *used = pos;
                        return Status::kNeedMore;
                    }
                    take = std::min(take, decodedLimit - decoded->size());
                }
                if (decoded != nullptr) decoded->append(data + pos, take);
                pos += take;
                remaining_ -= take;
                if (remaining_ == 0) {
                    phase_ = Phase::kDataEnd;
                    sawDataCr_ = false;
                }
                break;
            }
            case Phase::kDataEnd: {
                // Chunk data ends with a line break, CRLF or LF alone; anything else is no chunk.
                const char c = data[pos++];
                if (c == '\r' && !sawDataCr_) {
                    sawDataCr_ = true;
                } else if (c == '\n') {
                    phase_ = Phase::kSizeLine;
                    if (stopAtChunkEnd) {
                        *used = pos;
                        return Status::kNeedMore;
                    }
                } else {
                    return Fail();
                }
                break;
            }
            case Phase::kDone:
                *used = pos;
                return Status::kDone;
            case Phase::kMalformed:
                return Status::kMalformed;
        }
    }
    *used = pos;
    return Status::kNeedMore;
}

// Reads the size line in line_ (its line feed taken off): hex digits, then extensions or blanks.
bool ChunkDecoder::ReadSizeLine() {
    std::uint64_t size = 0;
    size_t pos = 0;
    for (; pos < line_.size() && HexValue(line_[pos]) >= 0; ++pos) {
        if (size > (std::numeric_limits<std::uint64_t>::max() >> 4)) return false;
        size = (size << 4) | static_cast<std::uint64_t>(HexValue(line_[pos]));
    }
    if (pos == 0) return false;
    if (pos < line_.size()) {
        const char next = line_[pos];
        if (next != ';' && next != ' ' && next != '\t' && next != '\r') return false;
        if (next == '\r' && pos + 1 != line_.size()) return false;
    }
    if (size == 0) {
        phase_ = Phase::kTrailer;
    } else {
        phase_ = Phase::kData;
        remaining_ = size;
    }
    return true;
}

}  // namespace proxy
