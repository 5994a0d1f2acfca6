// The ClientHello peek on any bytes: it must not fault, and the answer must grow with the bytes:
// a prefix gives either kNeedMore or the same answer as the whole, and an accepted ClientHello
// gives the same answer from exactly its records. The first two input bytes pick the prefix.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "proxy/client_hello.h"

namespace {

bool Same(const proxy::ClientHelloPeek& a, const proxy::ClientHelloPeek& b) {
    return a.kind == b.kind && a.serverName == b.serverName && a.protocols == b.protocols &&
           a.recordBytes == b.recordBytes;
}

void Check(bool holds) {
    if (!holds) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 2, size - 2);
    const size_t cut = ((size_t{data[0]} << 8) | data[1]) % (bytes.size() + 1);
    using proxy::ClientHelloKind;
    const proxy::ClientHelloPeek whole = proxy::PeekClientHello(bytes);
    const proxy::ClientHelloPeek prefix = proxy::PeekClientHello(bytes.substr(0, cut));
    Check(prefix.kind == ClientHelloKind::kNeedMore || Same(prefix, whole));
    if (whole.kind != ClientHelloKind::kClientHello) {
        Check(whole.recordBytes == 0 && whole.serverName.empty() && whole.protocols.empty());
        return 0;
    }
    Check(whole.recordBytes > 0 && whole.recordBytes <= bytes.size() &&
          whole.recordBytes <= proxy::kMaxClientHelloBytes);
    Check(whole.serverName.empty() || proxy::IsValidServerName(whole.serverName));
    for (const auto& protocol : whole.protocols) Check(!protocol.empty());
    Check(Same(proxy::PeekClientHello(bytes.substr(0, whole.recordBytes)), whole));
    Check(proxy::PeekClientHello(bytes.substr(0, whole.recordBytes - 1)).kind ==
          ClientHelloKind::kNeedMore);
    return 0;
}
