// A request reader fed in reads that end at given cuts, and what its server side would see:
// each request start as <host:port> (with " tunnel" or " script" for those targets), then the
// bytes. Shared by the tests of plain requests and of requests inside a secure tunnel.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "proxy/http_request.h"

namespace request_test {

struct Outcome {
    std::string stream;
    proxy::Refusal refusal = proxy::Refusal::kNone;
    bool operator==(const Outcome& o) const { return stream == o.stream && refusal == o.refusal; }
};

inline Outcome ReadInPieces(proxy::RequestReader& reader, const std::string& bytes,
                            const std::vector<size_t>& cuts, const proxy::RequestOptions& options) {
    Outcome outcome;
    size_t from = 0;
    std::vector<size_t> ends = cuts;
    ends.push_back(bytes.size());
    for (size_t end : ends) {
        end = std::min(end, bytes.size());
        std::vector<proxy::RequestReader::Piece> pieces;
        const bool ok = reader.Feed(bytes.data() + from, end - from, options, pieces);
        for (const proxy::RequestReader::Piece& piece : pieces) {
            if (piece.startsRequest) {
                outcome.stream += "<" + piece.target.host + ":" +
                                  std::to_string(piece.target.port) +
                                  (piece.target.tunnel ? " tunnel" : "") +
                                  (piece.target.autoConfigScript ? " script" : "") + ">";
            }
            outcome.stream += piece.bytes;
        }
        if (!ok) {
            outcome.refusal = reader.refusal();
            break;
        }
        from = end;
    }
    return outcome;
}

}  // namespace request_test
