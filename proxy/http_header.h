// HTTP header blocks as byte arrays and line lists: pure functions shared by the request and
// the response side of a connection.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace proxy {

// Lines of a header block, each keeping its own line break; the last also holds the blank line.
using HeaderLines = std::vector<std::string>;

// Bits of ContentClass: how a response is treated.
enum ContentClassBit : std::uint16_t {
    kClassHtml = 1,    // an HTML page: the blocker may be injected
    kClassScript = 2,  // a script: held but never rewritten
    kClassPass = 4,    // passed through as it arrives
    kClassHeld = 8,    // held until complete, then filtered
};

// What the header lines of a response say about its body. SplitHeader updates it in place:
// contentClass is always replaced; contentLength and isChunked only by the lines that name them.
struct ResponseInfo {
    std::uint16_t contentClass = 0;
    std::int64_t contentLength = -1;
    bool isChunked = false;
    std::string contentTypeLine;  // lower-cased, for diagnostics
};

// Largest header block the proxy waits for; a longer one is refused.
constexpr size_t kMaxHeaderBytes = 64 * 1024;

// True when bytes hold the end of a header: two line feeds with only carriage returns between.
bool HeaderComplete(const std::string& bytes);

// Cuts the header off the front of bytes into lines (bytes after the header stay). Lines whose
// lower-case copy holds "accept-encoding:" and "gzip" are dropped when dropGzip is set. With
// response given the lines are classified into it. Returns true when the header's end was found.
bool SplitHeader(std::string& bytes, HeaderLines& lines, bool dropGzip, ResponseInfo* response);

// The lines joined, trailing line breaks removed and one "\r\n\r\n" appended.
std::string JoinHeader(const HeaderLines& lines);

// Fields of text up to its end or first line feed, split at any of separators; runs of
// separators give no empty fields.
std::vector<std::string> SplitFields(const std::string& text, const char* separators);

std::string ToLower(const std::string& text);

// Decimal value at the front of text after spaces (digits only), 0 when there is none.
std::int64_t LeadingNumber(const std::string& text, size_t from);

}  // namespace proxy
