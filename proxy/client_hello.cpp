#include "proxy/client_hello.h"

#include <cstdint>
#include <set>

namespace proxy {

namespace {

constexpr unsigned char kHandshakeRecord = 22;
constexpr unsigned char kClientHelloMessage = 1;
constexpr std::size_t kRecordHeaderSize = 5;
constexpr std::size_t kHandshakeHeaderSize = 4;
// A record's plaintext is at most 2^14 bytes, and a handshake record is never empty.
constexpr std::size_t kMaxRecordPayload = 16384;
constexpr std::uint16_t kServerNameExtension = 0;
constexpr std::uint16_t kAlpnExtension = 16;
constexpr unsigned char kHostNameType = 0;
constexpr std::size_t kMaxServerNameLength = 253;
constexpr std::size_t kMaxLabelLength = 63;

std::size_t Number24(const char* bytes) {
    const auto byte = [&](int i) { return std::size_t{static_cast<unsigned char>(bytes[i])}; };
    return (byte(0) << 16) | (byte(1) << 8) | byte(2);
}

bool IsTlsVersion(unsigned char major, unsigned char minor) {
    return major == 3 && minor >= 1 && minor <= 4;
}

// Bounds-checked reads from the front of a view. A read that does not fit fails and leaves the
// view as it was.
class Reader {
  public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}
    bool empty() const { return bytes_.empty(); }

    bool Number(std::size_t width, std::uint32_t& value) {
        if (bytes_.size() < width) return false;
        value = 0;
        for (std::size_t i = 0; i < width; ++i) {
            value = (value << 8) | static_cast<unsigned char>(bytes_[i]);
        }
        bytes_.remove_prefix(width);
        return true;
    }
    bool Bytes(std::size_t size, std::string_view& out) {
        if (bytes_.size() < size) return false;
        out = bytes_.substr(0, size);
        bytes_.remove_prefix(size);
        return true;
    }
    // A vector with a length prefix of lengthWidth bytes, its length within [minimum, maximum].
    bool Vector(std::size_t lengthWidth, std::size_t minimum, std::size_t maximum,
                std::string_view& out) {
        Reader saved = *this;
        std::uint32_t length = 0;
        if (!Number(lengthWidth, length) || length < minimum || length > maximum ||
            !Bytes(length, out)) {
            *this = saved;
            return false;
        }
        return true;
    }

  private:
    std::string_view bytes_;
};

// The server_name extension: a list of names, of which the host name (type 0) is the one used.
// False when the structure is broken; a host name that is not valid leaves name empty.
bool ReadServerName(std::string_view data, std::string& name) {
    Reader extension(data);
    std::string_view list;
    if (!extension.Vector(2, 1, 0xFFFF, list) || !extension.empty()) return false;
    Reader entries(list);
    bool seenHostName = false;
    while (!entries.empty()) {
        std::uint32_t type = 0;
        std::string_view value;
        if (!entries.Number(1, type) || !entries.Vector(2, 1, 0xFFFF, value)) return false;
        if (type != kHostNameType || seenHostName) continue;
        seenHostName = true;
        std::string lower(value);
        for (char& c : lower) {
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        }
        if (IsValidServerName(lower)) name = lower;
    }
    return true;
}

// The application_layer_protocol_negotiation extension: a non-empty list of non-empty names.
bool ReadProtocols(std::string_view data, std::vector<std::string>& protocols) {
    Reader extension(data);
    std::string_view list;
    if (!extension.Vector(2, 2, 0xFFFF, list) || !extension.empty()) return false;
    Reader names(list);
    while (!names.empty()) {
        std::string_view name;
        if (!names.Vector(1, 1, 0xFF, name)) return false;
        protocols.emplace_back(name);
    }
    return true;
}

// The body of a complete ClientHello message. False when it is not well formed.
bool ReadClientHelloBody(std::string_view body, ClientHelloPeek& peek) {
    Reader hello(body);
    std::uint32_t version = 0;
    std::string_view random, sessionId, suites, compressions;
    if (!hello.Number(2, version) || !IsTlsVersion(version >> 8, version & 0xFF) ||
        !hello.Bytes(32, random) || !hello.Vector(1, 0, 32, sessionId) ||
        !hello.Vector(2, 2, 0xFFFE, suites) || suites.size() % 2 != 0 ||
        !hello.Vector(1, 1, 0xFF, compressions)) {
        return false;
    }
    // A ClientHello of TLS 1.2 and older may end without extensions.
    if (hello.empty()) return true;
    std::string_view extensionBlock;
    if (!hello.Vector(2, 0, 0xFFFF, extensionBlock) || !hello.empty()) return false;
    Reader extensions(extensionBlock);
    std::set<std::uint32_t> seen;
    while (!extensions.empty()) {
        std::uint32_t type = 0;
        std::string_view data;
        if (!extensions.Number(2, type) || !extensions.Vector(2, 0, 0xFFFF, data)) return false;
        // A server refuses an extension sent twice.
        if (!seen.insert(type).second) return false;
        if (type == kServerNameExtension && !ReadServerName(data, peek.serverName)) return false;
        if (type == kAlpnExtension && !ReadProtocols(data, peek.protocols)) return false;
    }
    return true;
}

ClientHelloPeek NotTls() {
    ClientHelloPeek peek;
    peek.kind = ClientHelloKind::kNotTls;
    return peek;
}

// Whether the start of a record header, as far as it has arrived, can be a handshake record.
bool RecordHeaderFits(std::string_view header) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(header[i]); };
    if (header.size() >= 1 && byte(0) != kHandshakeRecord) return false;
    if (header.size() >= 2 && byte(1) != 3) return false;
    if (header.size() >= 3 && !IsTlsVersion(byte(1), byte(2))) return false;
    if (header.size() >= 5) {
        const std::size_t length = (std::size_t{byte(3)} << 8) | byte(4);
        if (length == 0 || length > kMaxRecordPayload) return false;
    }
    return true;
}

}  // namespace

bool IsValidServerName(std::string_view name) {
    if (name.empty() || name.size() > kMaxServerNameLength) return false;
    std::size_t label = 0;
    for (char c : name) {
        if (c == '.') {
            if (label == 0) return false;
            label = 0;
            continue;
        }
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
        if (!allowed || ++label > kMaxLabelLength) return false;
    }
    return label != 0;
}

ClientHelloPeek PeekClientHello(std::string_view bytes) {
    std::string handshake;
    std::size_t offset = 0;
    while (true) {
        if (offset >= kMaxClientHelloBytes) return NotTls();
        const std::string_view header = bytes.substr(offset, kRecordHeaderSize);
        if (!RecordHeaderFits(header)) return NotTls();
        if (header.size() < kRecordHeaderSize) return {};
        const std::size_t length = (std::size_t{static_cast<unsigned char>(header[3])} << 8) |
                                   static_cast<unsigned char>(header[4]);
        const std::size_t recordEnd = offset + kRecordHeaderSize + length;
        if (recordEnd > kMaxClientHelloBytes) return NotTls();
        // What has arrived of this record's payload counts: the handshake header may already
        // show that this is no ClientHello.
        handshake.append(bytes.substr(offset + kRecordHeaderSize, length));
        if (!handshake.empty() && static_cast<unsigned char>(handshake[0]) != kClientHelloMessage) {
            return NotTls();
        }
        if (handshake.size() >= kHandshakeHeaderSize) {
            const std::size_t messageSize = kHandshakeHeaderSize + Number24(handshake.data() + 1);
            if (messageSize > kMaxClientHelloBytes) return NotTls();
            if (bytes.size() < recordEnd) return {};
            if (handshake.size() > messageSize) return NotTls();  // nothing may follow it
            if (handshake.size() == messageSize) {
                ClientHelloPeek peek;
                const std::string_view body =
                    std::string_view(handshake).substr(kHandshakeHeaderSize);
                if (!ReadClientHelloBody(body, peek)) return NotTls();
                peek.kind = ClientHelloKind::kClientHello;
                peek.recordBytes = recordEnd;
                return peek;
            }
        }
        if (bytes.size() < recordEnd) return {};
        offset = recordEnd;
    }
}

}  // namespace proxy
