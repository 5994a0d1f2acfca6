#include "proxy/http_header.h"

#include <cstring>

namespace proxy {
namespace {

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

// Classifies one lower-cased response header line; each assignment replaces the earlier value.
void ClassifyLine(const std::string& lower, ResponseInfo& info) {
    if (Contains(lower, "content-type:")) {
        info.contentClass = kClassPass;
        info.contentTypeLine = lower;
        if (Contains(lower, "text/")) {
            info.contentClass = kClassHeld;
            if (Contains(lower, "x-component")) info.contentClass = kClassPass;
        }
        if (Contains(lower, "html")) info.contentClass = kClassHtml;
        if (Contains(lower, "image")) info.contentClass = kClassPass;
        if (Contains(lower, "javascript") || Contains(lower, "jscript")) {
            info.contentClass = kClassScript;
        }
    }
    size_t length = lower.find("content-length");
    if (length != std::string::npos) {
        size_t colon = lower.find(':', length);
        if (colon != std::string::npos) info.contentLength = LeadingNumber(lower, colon + 1);
    }
    size_t encoding = lower.find("transfer-encoding");
    if (encoding != std::string::npos && lower.find("chunked", encoding) != std::string::npos) {
        info.isChunked = true;
    }
}

void FinishClassification(ResponseInfo& info) {
    if (info.contentClass == 0) info.contentClass = kClassHtml;
    if (info.contentClass & (kClassHtml | kClassScript)) info.contentClass |= kClassHeld;
}

}  // namespace

std::string ToLower(const std::string& text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

std::int64_t LeadingNumber(const std::string& text, size_t from) {
    size_t i = from;
    while (i < text.size() && text[i] == ' ') ++i;
    std::int64_t value = 0;
    const std::int64_t limit = INT64_MAX / 10 - 9;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value > limit) return -1;  // absurdly large: treated as unknown
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

bool HeaderComplete(const std::string& bytes) {
    // Only a line feed can complete a header, so jump from one to the next.
    const char* data = bytes.data();
    const char* end = data + bytes.size();
    const char* p = static_cast<const char*>(std::memchr(data, '\n', bytes.size()));
    while (p != nullptr) {
        const char* q = p + 1;
        while (q < end && *q == '\r') ++q;
        if (q < end && *q == '\n') return true;
        p = static_cast<const char*>(std::memchr(q, '\n', static_cast<size_t>(end - q)));
    }
    return false;
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
        std::string lower = ToLower(line);
        if (response != nullptr) ClassifyLine(lower, *response);
        if (!(dropGzip && Contains(lower, "accept-encoding:") && Contains(lower, "gzip"))) {
            lines.push_back(std::move(line));
        }
        lineStart = next;
    }
    if (response != nullptr) FinishClassification(*response);
    if (ended) bytes.erase(0, lineStart);
    return ended;
}

std::string JoinHeader(const HeaderLines& lines) {
    std::string text;
    for (const std::string& line : lines) text += line;
    while (text.size() > 1 && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
    text += "\r\n\r\n";
    return text;
}

std::vector<std::string> SplitFields(const std::string& text, const char* separators) {
    std::vector<std::string> fields;
    std::string field;
    for (char c : text) {
        if (c == '\n' && std::strchr(separators, '\n') == nullptr) break;
        if (std::strchr(separators, c) != nullptr) {
            if (!field.empty()) fields.push_back(field);
            field.clear();
            if (c == '\n') break;
        } else {
            field += c;
        }
    }
    if (!field.empty()) fields.push_back(field);
    return fields;
}

}  // namespace proxy
