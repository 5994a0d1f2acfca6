// What a browser says first after CONNECT: the proxy reads its opening bytes to tell a TLS
// ClientHello (which it may intercept) from anything else (which it tunnels untouched), and to
// learn the host and the application protocols the browser asks for.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace proxy {

// The most record bytes a ClientHello may take. Post-quantum key shares make a ClientHello of
// a few KiB span more than one record; beyond this the bytes are taken for something else.
constexpr std::size_t kMaxClientHelloBytes = 64 * 1024;

enum class ClientHelloKind {
    kNeedMore,     // the bytes so far could still be the start of a ClientHello
    kNotTls,       // anything else: malformed, another protocol, too large
    kClientHello,  // a complete, well-formed ClientHello
};

struct ClientHelloPeek {
    ClientHelloKind kind = ClientHelloKind::kNeedMore;
    // The SNI host name in lower case; empty when there is none or it is no valid host name.
    std::string serverName;
    // The ALPN protocol names in the browser's order; empty without the extension.
    std::vector<std::string> protocols;
    // For kClientHello: how many bytes, from the first, the records that carry the ClientHello
    // take. Bytes after them belong to what follows. 0 otherwise.
    std::size_t recordBytes = 0;
};

// Reads the bytes a browser sent first, all of them from the first byte on: the answer depends
// only on the bytes, not on how they arrived, so the caller keeps them and asks again with more
// on kNeedMore. The handshake may span records of type 22 of versions 0x0301 to 0x0304; every
// length is checked against the bytes and the structure around it, and nothing past the end of
// bytes is read. Bytes after the ClientHello's records do not change the answer.
ClientHelloPeek PeekClientHello(std::string_view bytes);

// Whether name is a host name as the proxy accepts it in SNI: lower-case letters, digits,
// hyphens and dots, labels of 1 to 63 characters, at most 253 in all.
bool IsValidServerName(std::string_view name);

}  // namespace proxy
