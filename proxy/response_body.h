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

// A page is decided from its first bytes, up to this many (decoded); one still undecided then is
// held whole.
constexpr size_t kPageWindowBytes = 16 * 1024;

// Total bytes held for pages by one proxy's connections at once (the buffers' capacity, decoded
// copies included); past it further pages pass as they come.
constexpr std::int64_t kMaxHeldTotalBytes = 64 * 1024 * 1024;

// Replaces the first Content-Length field with one that names bodySize, keeping the line's own
// break (CRLF or LF), and removes any other, so exactly one remains. Adds no line when there is
// none. Returns true when a line was replaced.
bool SetContentLength(HeaderLines& lines, std::uint64_t bodySize);

// The header of a de-chunked body: the first Transfer-Encoding field becomes a Content-Length
// field naming bodySize; every other Transfer-Encoding and Content-Length field is dropped.
void MarkDechunked(HeaderLines& lines, std::uint64_t bodySize);

// The header of a body sent on in chunks of the proxy's own: the first Transfer-Encoding field
// becomes "Transfer-Encoding: chunked" (keeping its line break); every other Transfer-Encoding
// and Content-Length field is dropped.
void MarkChunked(HeaderLines& lines);

// True when the header names a coding the proxy cannot rewrite through: a Content-Encoding other
// than identity, or a Transfer-Encoding coding other than chunked.
bool HasBodyCoding(const HeaderLines& lines);

// True when one of the first 32 bytes of a body is below 9 or above 250: the body is not text.
bool LooksBinary(const char* body, size_t size);

// True for a status line "HTTP/x.y NNN" (the name in any case), with a reason phrase or none.
bool IsStatusLine(const std::string& line);

// Status code of a status line: the number after the first space that follows "http/" (any
// case); 0 when there is none.
int StatusCodeOf(const std::string& statusLine);

// True for responses that carry no body whatever their header says.
bool IsBodylessStatus(int statusCode);

// Decodes a chunked body as it arrives, block by block; every byte is looked at once and only a
// size or trailer line in progress is kept. Trailer fields after the last chunk are dropped.
class ChunkDecoder {
  public:
    enum class Status {
        kNeedMore,   // the whole block was used and the last chunk has not ended yet
        kDone,       // the body ended within the block; *used tells where
        kMalformed,  // a size line that does not parse, overflows or runs on, data not followed
                     // by a line break, or a trailer that runs on
    };

    // Longest chunk size line (size, extensions and line break) and longest trailer accepted.
    static constexpr size_t kMaxSizeLine = 4096;
    static constexpr size_t kMaxTrailer = kMaxHeaderBytes;

    void Reset() { *this = ChunkDecoder(); }
    // Reads the next size bytes of the body. Chunk data is appended to *decoded unless it is null.
    // *used is the count of bytes that belong to the body (all of them unless kDone).
    Status Decode(const char* data, size_t size, std::string* decoded, size_t* used);
    // Decode that also stops after a chunk's data and its line break, and inside a chunk's data
    // once *decoded holds limit bytes: then kNeedMore with *used short of size.
    Status DecodeToChunkEnd(const char* data, size_t size, std::string& decoded, size_t limit,
                            size_t* used);
    // True between chunks: the next byte starts a size line.
    bool AtChunkStart() const { return phase_ == Phase::kSizeLine && line_.empty(); }
    // Data bytes of the current chunk still to come (0 outside a chunk's data).
    std::uint64_t DataRemaining() const { return phase_ == Phase::kData ? remaining_ : 0; }
    // True once the last (zero-size) chunk was read, even when its trailer is not yet complete.
    bool SawLastChunk() const { return phase_ == Phase::kTrailer || phase_ == Phase::kDone; }

  private:
    enum class Phase { kSizeLine, kData, kDataEnd, kTrailer, kDone, kMalformed };

    Status Run(const char* data, size_t size, std::string* decoded, size_t* used,
               bool stopAtChunkEnd, size_t decodedLimit);
    bool ReadSizeLine();
    Status Fail();

    Phase phase_ = Phase::kSizeLine;
    std::string line_;             // the size or trailer line read so far
    std::uint64_t remaining_ = 0;  // data bytes of the current chunk still to come
    size_t trailerBytes_ = 0;
    bool sawDataCr_ = false;  // the carriage return after a chunk's data arrived
};

}  // namespace proxy
