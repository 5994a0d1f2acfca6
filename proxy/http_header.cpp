#include "proxy/http_header.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "platform/ascii_text.h"

namespace proxy {
namespace {

// The part of a header line before its line break (the last line also holds the blank line).
std::string_view LineContent(const std::string& line) {
    size_t end = line.find('\n');
    if (end == std::string::npos) end = line.size();
    if (end > 0 && line[end - 1] == '\r') --end;
    return std::string_view(line).substr(0, end);
}

bool IsTokenCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::strchr("!#$%&'*+-.^_`|~", c) != nullptr;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

// True when line holds "content-type:" in any case, found from each colon without a folded copy.
bool HoldsContentType(const std::string& line) {
    static constexpr std::string_view kName = "content-type";
    for (size_t colon = line.find(':'); colon != std::string::npos;
         colon = line.find(':', colon + 1)) {
        if (colon >= kName.size() &&
            platform::EqualsNoCase(
                std::string_view(line).substr(colon - kName.size(), kName.size()), kName)) {
            return true;
        }
    }
    return false;
}

// The media type of a lower-cased Content-Type line: after the colon, up to parameters.
std::string_view MediaType(std::string_view lower) {
    size_t start = lower.find("content-type:");
    start = start == std::string_view::npos ? lower.size() : start + 13;
    while (start < lower.size() && (lower[start] == ' ' || lower[start] == '\t')) ++start;
    size_t end = start;
    while (end < lower.size() && lower[end] != ';' && lower[end] != ' ' && lower[end] != '\t' &&
           lower[end] != '\r' && lower[end] != '\n') {
        ++end;
    }
    return lower.substr(start, end - start);
}

bool StartsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

// Classifies one lower-cased response header line that holds "content-type:"; each assignment
// replaces the earlier value. Of the text types only plain text is held (it may be a page a
// browser sniffs as one); style sheets, event streams and other text pass as they come. XML
// documents, XHTML among them, pass: a script in front of the root element would leave them
// not well-formed.
void ClassifyLine(const std::string& lower, ResponseInfo& info) {
    const std::string_view type = MediaType(lower);
    info.contentClass = kClassPass;
    info.contentTypeLine = lower;
    const auto names = [&](std::string_view part) { return type.find(part) != type.npos; };
    if (type == "text/plain") info.contentClass = kClassHeld;
    if (names("html")) info.contentClass = kClassHtml;
    if (names("xml") || StartsWith(type, "image/")) info.contentClass = kClassPass;
    if (names("javascript") || names("jscript")) info.contentClass = kClassScript;
}

void FinishClassification(ResponseInfo& info) {
    if (info.contentClass == 0) info.contentClass = kClassHtml;
    if (info.contentClass & (kClassHtml | kClassScript)) info.contentClass |= kClassHeld;
}

}  // namespace

size_t HeaderEnd(const char* data, size_t size) {
    // Only a line feed can complete a header, so jump from one to the next.
    const char* end = data + size;
    const char* p = static_cast<const char*>(std::memchr(data, '\n', size));
    while (p != nullptr) {
        const char* q = p + 1;
        while (q < end && *q == '\r') ++q;
        if (q < end && *q == '\n') return static_cast<size_t>(q + 1 - data);
        p = static_cast<const char*>(std::memchr(q, '\n', static_cast<size_t>(end - q)));
    }
    return std::string::npos;
}

size_t HeaderEnd(const std::string& header, size_t from) {
    const size_t end = HeaderEnd(header.data() + from, header.size() - from);
    return end == std::string::npos ? end : end + from;
}

size_t HeaderSearchResumePoint(const std::string& header) {
    size_t at = header.size();
    while (at > 0 && header[at - 1] == '\r') --at;
    if (at > 0 && header[at - 1] == '\n') --at;
    return at;
}

bool SplitHeader(std::string& bytes, HeaderLines& lines, bool dropGzip, ResponseInfo* response) {
    lines.clear();
    if (response != nullptr) response->contentClass = 0;
    bool ended = false;
    size_t lineStart = 0;
    size_t size = bytes.size();
    while (!ended && lineStart + 1 < size) {
        const void* found = std::memchr(bytes.data() + lineStart, '\n', size - 1 - lineStart);
        if (found == nullptr) break;
        size_t next = static_cast<size_t>(static_cast<const char*>(found) - bytes.data()) + 1;
        if (next < size && bytes[next] == '\r') ++next;
        if (next < size && bytes[next] == '\n') {
            ++next;
            ended = true;
        }
        std::string line = bytes.substr(lineStart, next - lineStart);
        if (response != nullptr && !lines.empty()) RemoveSpaceBeforeColon(line);
        if (response != nullptr && HoldsContentType(line)) {
            ClassifyLine(platform::ToLowerAscii(line), *response);
        }
        const bool dropped = dropGzip && !lines.empty() && FieldNameIs(line, "accept-encoding") &&
                             Contains(platform::ToLowerAscii(FieldValue(line)), "gzip");
        if (!dropped) lines.push_back(std::move(line));
        lineStart = next;
    }
    if (response != nullptr) FinishClassification(*response);
    if (ended) bytes.erase(0, lineStart);
    return ended;
}

std::string JoinHeader(const HeaderLines& lines) {
    size_t size = 4;
    for (const std::string& line : lines) size += line.size();
    std::string text;
    text.reserve(size);
    for (const std::string& line : lines) text += line;
    while (text.size() > 1 && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
    text += "\r\n\r\n";
    return text;
}

std::vector<std::string> SplitFields(const std::string& text, const char* separators) {
    bool isSeparator[256] = {};
    isSeparator[0] = true;  // a NUL byte never belongs to a field
    for (const char* s = separators; *s != '\0'; ++s) {
        isSeparator[static_cast<unsigned char>(*s)] = true;
    }
    const auto separates = [&](size_t i) {
        return isSeparator[static_cast<unsigned char>(text[i])];
    };
    size_t end = text.find('\n');
    if (end == std::string::npos) end = text.size();
    std::vector<std::string> fields;
    size_t pos = 0;
    while (pos < end) {
        while (pos < end && separates(pos)) ++pos;
        const size_t start = pos;
        while (pos < end && !separates(pos)) ++pos;
        if (pos > start) fields.emplace_back(text, start, pos - start);
    }
    return fields;
}

namespace {

std::string Trimmed(const std::string& text, size_t begin, size_t end) {
    return platform::Trim(std::string_view(text).substr(begin, end - begin));
}

// Calls onItem with each trimmed, lower-cased item of a comma-separated list.
template <typename OnItem>
void ForEachListItem(const std::string& list, OnItem onItem) {
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = list.find(',', start);
        if (comma == std::string::npos) comma = list.size();
        onItem(platform::ToLowerAscii(Trimmed(list, start, comma)));
        start = comma + 1;
    }
}

}  // namespace

bool FieldNameIs(const std::string& line, const char* name) {
    const size_t n = std::strlen(name);
    if (line.size() <= n || line[n] != ':') return false;
    for (size_t i = 0; i < n; ++i) {
        if (platform::LowerAscii(line[i]) != platform::LowerAscii(name[i])) return false;
    }
    return true;
}

std::string FieldValue(const std::string& line) {
    const size_t colon = line.find(':');
    if (colon == std::string::npos) return std::string();
    return Trimmed(line, colon + 1, line.size());
}

size_t FindField(const HeaderLines& lines, const char* name, size_t from) {
    for (size_t i = std::max<size_t>(from, 1); i < lines.size(); ++i) {
        if (FieldNameIs(lines[i], name)) return i;
    }
    return std::string::npos;
}

bool HasBareCarriageReturn(const HeaderLines& lines) {
    for (const std::string& line : lines) {
        size_t content = line.find('\n');
        if (content == std::string::npos) content = line.size();
        if (content > 0 && line[content - 1] == '\r') --content;
        if (std::memchr(line.data(), '\r', content) != nullptr) return true;
    }
    return false;
}

FieldSyntax CheckFieldLines(const HeaderLines& lines) {
    FieldSyntax found = FieldSyntax::kGood;
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string_view content = LineContent(lines[i]);
        if (content.empty()) continue;
        if (IsBlank(content[0])) return FieldSyntax::kFolded;
        if (content.find('\0') != std::string_view::npos ||
            content.find('\r') != std::string_view::npos) {
            return FieldSyntax::kMalformed;
        }
        size_t name = 0;
        while (name < content.size() && IsTokenCharacter(content[name])) ++name;
        size_t colon = name;
        while (colon < content.size() && IsBlank(content[colon])) ++colon;
        if (name == 0 || colon == content.size() || content[colon] != ':') {
            return FieldSyntax::kMalformed;
        }
        if (colon > name) found = FieldSyntax::kSpaceBeforeColon;
    }
    return found;
}

void RemoveSpaceBeforeColon(std::string& line) {
    size_t name = 0;
    while (name < line.size() && IsTokenCharacter(line[name])) ++name;
    size_t colon = name;
    while (colon < line.size() && IsBlank(line[colon])) ++colon;
    if (name > 0 && colon > name && colon < line.size() && line[colon] == ':') {
        line.erase(name, colon - name);
    }
}

std::int64_t DecimalValue(const std::string& text) {
    if (text.empty()) return -1;
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return -1;
        if (value > (INT64_MAX - 9) / 10) return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

BodyFraming ReadBodyFraming(const HeaderLines& lines) {
    BodyFraming framing;
    bool anyLength = false, badLength = false, anyCoding = false;
    std::int64_t length = -1;
    std::string lastCoding;
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (FieldNameIs(line, "content-length")) {
            anyLength = true;
            ForEachListItem(FieldValue(line), [&](const std::string& item) {
                const std::int64_t value = DecimalValue(item);
                if (value < 0 || (length >= 0 && value != length)) badLength = true;
                length = value;
            });
        } else if (FieldNameIs(line, "transfer-encoding")) {
            ForEachListItem(FieldValue(line), [&](const std::string& item) {
                if (item.empty() || (item == "identity" && !anyCoding)) return;
                anyCoding = true;
                lastCoding = item;
            });
        }
    }
    if (anyCoding) {
        framing.kind = lastCoding == "chunked" ? BodyKind::kChunked : BodyKind::kUntilClose;
        framing.lengthIgnored = anyLength;
    } else if (badLength) {
        framing.kind = BodyKind::kInvalid;
    } else if (anyLength) {
        framing.kind = BodyKind::kLength;
        framing.length = static_cast<std::uint64_t>(length);
    }
    return framing;
}

void RemoveFields(HeaderLines& lines, const char* name) {
    for (size_t i = 1; i < lines.size();) {
        if (!FieldNameIs(lines[i], name)) {
            ++i;
            continue;
        }
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

}  // namespace proxy
