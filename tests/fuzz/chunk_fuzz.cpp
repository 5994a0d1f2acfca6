// The chunk decoder on any bytes: it must not fault, and reading the body in two blocks split
// anywhere must give the same status, decoded bytes and end as one block.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "proxy/response_body.h"

namespace {

struct Result {
    proxy::ChunkDecoder::Status status;
    std::string decoded;
    size_t end;
};

Result Decode(const std::string& raw, size_t cut) {
    proxy::ChunkDecoder decoder;
    Result result{proxy::ChunkDecoder::Status::kNeedMore, std::string(), 0};
    size_t used = 0;
    result.status = decoder.Decode(raw.data(), cut, &result.decoded, &used);
    result.end = used;
    if (result.status == proxy::ChunkDecoder::Status::kNeedMore) {
        result.status = decoder.Decode(raw.data() + cut, raw.size() - cut, &result.decoded, &used);
        result.end = cut + used;
    }
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::string raw(reinterpret_cast<const char*>(data) + 1, size - 1);
    const size_t cut = raw.empty() ? 0 : data[0] % (raw.size() + 1);
    const Result whole = Decode(raw, raw.size());
    const Result split = Decode(raw, cut);
    if (whole.status != split.status) std::abort();
    if (whole.status == proxy::ChunkDecoder::Status::kDone &&
        (whole.decoded != split.decoded || whole.end != split.end)) {
        std::abort();
    }
    if (whole.status == proxy::ChunkDecoder::Status::kNeedMore && whole.decoded != split.decoded) {
        std::abort();
    }
    return 0;
}
