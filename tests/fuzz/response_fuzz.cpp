// The response relay on any bytes from a server: it must not fault, must give the browser the
// same bytes however the server's bytes are split into two reads, and must give back every
// byte it held. The first input byte picks the split point and whether the server closes. Held
// pages get the blocker script, so the page searches and the policy rewriting run too.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "proxy/blocker.h"
#include "proxy/response_relay.h"
#include "proxy/settings.h"

namespace {

std::string Relay(proxy::ProxyContext& context, const std::string& bytes, size_t cut, bool close) {
    std::string delivered;
    {
        proxy::ResponseRelay relay(context,
                                   [&](const char* b, size_t n) { delivered.append(b, n); });
        relay.ExpectResponse(false);
        relay.ExpectResponse(true);
        if (relay.Feed(bytes.data(), cut)) relay.Feed(bytes.data() + cut, bytes.size() - cut);
        if (close) relay.ServerClosed();
    }
    if (context.heldResponseBytes.load() != 0) std::abort();
    return delivered;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The defaults: filtering and the check on, the sound element too.
    proxy::AppSettings settings;
    proxy::ProxyContext context(settings);
    proxy::SetBlockerScript(context, "<script>guard()</script>");
    const bool close = (data[0] & 1) != 0;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const size_t cut = bytes.empty() ? 0 : (data[0] >> 1) % (bytes.size() + 1);
    if (Relay(context, bytes, bytes.size(), close) != Relay(context, bytes, cut, close)) {
        std::abort();
    }
    return 0;
}
