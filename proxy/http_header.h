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

// How a response is treated, from its Content-Type lines. SplitHeader fills it in.
struct ResponseInfo {
    std::uint16_t contentClass = 0;
    std::string contentTypeLine;  // lower-cased, for diagnostics
};

// Largest header block the proxy waits for; a longer one is refused.
constexpr size_t kMaxHeaderBytes = 64 * 1024;

// Moves data past the line breaks a peer may leave between two messages; they belong to neither.
inline void SkipLineBreaks(const char*& data, size_t& size) {
    while (size > 0 && (*data == '\r' || *data == '\n')) {
        ++data;
        --size;
    }
}

// Offset just past the end of the header at the front of bytes (two line feeds with only
// carriage returns between), npos when it is not complete.
size_t HeaderEnd(const char* bytes, size_t size);

// HeaderEnd of the bytes of header from offset from on, as an offset in header.
size_t HeaderEnd(const std::string& header, size_t from);
// Where the search for the end of a header that is not complete yet may resume once more bytes
// came: a line feed at its end, with only carriage returns after it, may still begin the blank
// line; nothing before it can.
size_t HeaderSearchResumePoint(const std::string& header);

// Cuts the header off the front of bytes into lines (bytes after the header stay). Accept-Encoding
// fields whose value names gzip are dropped when dropGzip is set; the first line is never
// dropped. With response given, blanks before each field's colon are taken out and the lines are
// classified into it. Returns true when the header's end was found.
bool SplitHeader(std::string& bytes, HeaderLines& lines, bool dropGzip, ResponseInfo* response);

// The lines joined, trailing line breaks removed and one "\r\n\r\n" appended.
std::string JoinHeader(const HeaderLines& lines);

// Fields of text up to its end or first line feed, split at any of separators (and at NUL
// bytes); runs of separators give no empty fields.
std::vector<std::string> SplitFields(const std::string& text, const char* separators);

// ---- Header fields, by name ----

// True when line is a field whose name is name (any case), exactly: "X-Name: 1" is not "Name".
bool FieldNameIs(const std::string& line, const char* name);
// The value of a field line: after the colon, without blanks and line break around it.
std::string FieldValue(const std::string& line);
// Index of the first field line at or after from named name; npos when there is none. Line 0
// (the request or status line) is never a field.
size_t FindField(const HeaderLines& lines, const char* name, size_t from = 1);
// True when a line holds a carriage return that does not end it.
bool HasBareCarriageReturn(const HeaderLines& lines);

// How the field lines of a header (line 0 aside) keep the field syntax "name: value".
enum class FieldSyntax {
    kGood,
    kSpaceBeforeColon,  // blanks between a good name and its colon, and nothing worse
    kFolded,            // a line starts with a blank: a folded continuation, or a blank before
                        // the first field
    kMalformed,         // no colon, a name that is empty or not a token, a NUL or a bare CR
};
FieldSyntax CheckFieldLines(const HeaderLines& lines);
// Takes the blanks between a field name and its colon out ("Name : v" becomes "Name: v"), so the
// field is recognised by its name and forwarded as RFC 9112 asks of a proxy. SplitHeader does
// this to every field line of a response.
void RemoveSpaceBeforeColon(std::string& line);

// Decimal value of text (digits only, nothing else), or -1 when it is not one or does not fit.
std::int64_t DecimalValue(const std::string& text);

// How a message's body is delimited, from its Content-Length and Transfer-Encoding fields.
enum class BodyKind {
    kNone,        // neither field: a request has no body; a response runs until the close
    kLength,      // Content-Length bytes
    kChunked,     // chunked coding last among the transfer codings
    kUntilClose,  // a transfer coding other than chunked last (an "identity" after chunked
                  // counts): only the close ends it
    kInvalid,     // a length that is no number, too large, or two different lengths
};
struct BodyFraming {
    BodyKind kind = BodyKind::kNone;
    std::uint64_t length = 0;    // for kLength
    bool lengthIgnored = false;  // a Content-Length stands beside a Transfer-Encoding
};
// Reads every Content-Length and Transfer-Encoding field together; "identity" codings before any
// other count for nothing, and a Transfer-Encoding overrides any Content-Length.
BodyFraming ReadBodyFraming(const HeaderLines& lines);
// Removes every field line named name (line 0 is kept).
void RemoveFields(HeaderLines& lines, const char* name);

}  // namespace proxy
