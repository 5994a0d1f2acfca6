// The request reader on any bytes: it must not fault, and two reads split anywhere must give
// what one read gives. The first input byte picks the split point.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "proxy/http_request.h"

namespace {

std::string Read(const std::string& bytes, size_t cut, bool viaGateway) {
    proxy::RequestReader reader;
    proxy::RequestOptions options;
    options.viaGateway = viaGateway;
    std::string stream;
    for (const auto& part : {bytes.substr(0, cut), bytes.substr(cut)}) {
        std::vector<proxy::RequestReader::Piece> pieces;
        const bool ok = reader.Feed(part.data(), part.size(), options, pieces);
        for (const auto& piece : pieces) {
            if (piece.startsRequest) {
                stream += "<" + piece.target.host + ":" + std::to_string(piece.target.port) + ">";
            }
            stream += piece.bytes;
        }
        if (!ok) return stream + "<refused " + std::to_string(int(reader.refusal())) + ">";
    }
    return stream;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const bool viaGateway = (data[0] & 1) != 0;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const size_t cut = bytes.empty() ? 0 : (data[0] >> 1) % (bytes.size() + 1);
    proxy::ParseRequestLine(bytes.substr(0, bytes.find('\n')));
    const std::string whole = Read(bytes, bytes.size(), viaGateway);
    const std::string split = Read(bytes, cut, viaGateway);
    // A refusal may come after body bytes that only one of the two forwarded; requests may not.
    const bool refused = whole.find("<refused") != std::string::npos;
    if (!refused && whole != split) std::abort();
    return 0;
}
