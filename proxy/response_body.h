// Pure pieces of the response side: header line edits, the body checks and the chunked-body
// decoder. No sockets here; the connection calls these on its buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "proxy/http_header.h"

namespace proxy {

// Largest response the proxy holds for filtering; a longer one is sent as it stands and the
// rest passes through unchanged.
constexpr size_t kMaxHeldBodyBytes = 8 * 1024 * 1024;

// Replaces the first line holding "content-length:" (any case) with one that names bodySize,
// keeping the line's own break (CRLF or LF). Adds no line when there is none. Returns true when
// a line was replaced.
bool SetContentLength(HeaderLines& lines, std::uint64_t bodySize);

// The header of a de-chunked body: the first Transfer-Encoding line becomes a Content-Length line
// naming bodySize and any other Content-Length line is dropped, so exactly one length remains.
void MarkDechunked(HeaderLines& lines, std::uint64_t bodySize);

// True when the header names a coding the proxy cannot rewrite through: a Content-Encoding other
// than identity, or a Transfer-Encoding coding other than chunked.
bool HasBodyCoding(const HeaderLines& lines);

// True when one of the first 32 bytes of a body is below 9 or above 250: the body is not text.
bool LooksBinary(const std::string& body);

// Status code of a status line: the number after the first space that follows "http/" (any
// case); 0 when there is none.
int StatusCodeOf(const std::string& statusLine);

// True for responses that carry no body whatever their header says.
bool IsBodylessStatus(int statusCode);

// Decodes a chunked body incrementally. Decode is handed the raw body received so far (which
// only grows between calls) and resumes where it stopped, so every byte is looked at once. Chunk
// data is appended to the decoded body; trailer fields after the last chunk are dropped.
class ChunkDecoder {
  public:
    enum class Status {
        kNeedMore,   // the last chunk has not arrived yet
        kDone,       // the body ended; End() is the offset just past it in the raw bytes
        kMalformed,  // a size line that does not parse, overflows or runs on without end
    };

    // Longest chunk size line (size, extensions and line break) and longest trailer accepted.
    static constexpr size_t kMaxSizeLine = 4096;
    static constexpr size_t kMaxTrailer = kMaxHeaderBytes;

    void Reset() { *this = ChunkDecoder(); }
    Status Decode(const std::string& raw, std::string& decoded);
    // Offset just past the last byte consumed from raw.
    size_t End() const { return offset_; }
    // True once the last (zero-size) chunk was read, even when its trailer is not yet complete.
    bool SawLastChunk() const { return phase_ == Phase::kTrailer || phase_ == Phase::kDone; }

  private:
    enum class Phase { kSizeLine, kData, kTrailer, kDone, kMalformed };

    Status ReadSizeLine(const std::string& raw);
    Status ReadTrailer(const std::string& raw);

    Phase phase_ = Phase::kSizeLine;
    size_t offset_ = 0;
    std::uint64_t remaining_ = 0;  // data bytes of the current chunk still to come
    size_t trailerStart_ = 0;
};

}  // namespace proxy
