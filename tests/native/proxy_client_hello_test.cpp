// The ClientHello peek: real ClientHellos of Chromium and OpenSSL split at every offset and over
// many records, other protocols, and ClientHellos whose lengths do not hold together.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "proxy/client_hello.h"

namespace proxy {
namespace {

std::string FromHex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    }
    return bytes;
}

// Headless Chromium opening https://www.example.test:19445/: GREASE, ALPN h2 and http/1.1, a
// post-quantum key share, in one record.
const char kChromiumHex[] =
    "160301079f0100079b03039b7fb2a9dfa6d72f6721f2c70581a9e188a06c93966c9676a23326e24f1477bd2011e21e"
    "b5"
    "537d9b41e2748b2f3db3c89805743809d9e5361d4a3d5de2d4cbec600020aaaa130113021303c02bc02fc02cc030cc"
    "a9"
    "cca8c013c014009c009d002f003501000732caca0000003304ef04edbaba00010011ec04c09f26a048c872f00907ac"
    "b9"
    "6e8cb76fcef3c36ef507add14ca8e41302b65c8ff4aab7e9314bc5a294d21301804d7192ab7bdaca461429b89bcdb4"
    "13"
    "7893bb4cd817165ab921475a2f30d766c35018f17cbcac5a3cc34385702867fc877fcde9c8f6c8acfd79b4b96b9cfa"
    "d8"
    "2aa5868f6fd505cc7516ff08428b261f4ad3467ad9ca8e9454a829ab37425f2cd2a5e7bc5e2aea154fc29fb38432fe"
    "fb"
    "88871591102110380222ef0c330a67bdd5635d4786b3a276398baa1357f99c91da35f0a63076490e98302d063430a4"
    "42"
    "a9ffe1a4506765eb28293b2b0c8f4a2cf7e1ad86ba29b845a919018531150080e8cf4e64730fa522944749671b25c1"
    "73"
    "50494a2bb4422847769ee2b5b28ee1a3bd592cdbc356ab37580d0937a738c8b9e358eda4b346856c1d3b2bb2268cc4"
    "6a"
    "515765acf5bb41e319852d6a835b64c97eb9cd1935075e824b2e5a3a6989658d143c620396711210e150c2e5d0c872"
    "a6"
    "1566d4bc058859a83c59975b8c295b460b523106e233905109677a082d35a1aed9a95d00ab20a2409ec35a112c3d04"
    "e4"
    "5ceba74e279a633f0b2dfd5485428c83d775a9ee9776a2034efac5b9ee60896c1095d9286ced8569455baaafe60c8e"
    "98"
    "5508a571c7ca5842371477b44636b61008ca7589b08110852daaf30f08b439fae7ae47385ea5c21bf154add4f1144d"
    "44"
    "620b383926509e0ee9bda38b7f2b7886507703222b167b2183d32639cecc71842c57c136879ee071ef78cfc42a9cf9"
    "f0"
    "87b8530edf7a4258bb622395865bc0cabf8651f6213d0f5634477833ea8a718467b0a7396648a9a06162b9fd1a3b84"
    "61"
    "b40c367130b64d6cd9ac67c23a3d91431d4c1df47cb8ff208c203064430390debb98168a0d8f81235176cb3ef176e6"
    "f9"
    "09e2767693f58045d51f90313c2f961fd2c99243a0a530d51e03f90842c3924a1c7c790427904b477f117209a30375"
    "28"
    "51605408e23c03793c6efae67a05daa7861a4d61976afac2c9ac71527f456c94a05b9a87c928ec5994a5065c58003a"
    "76"
    "933474bffaab9b9c21ac70525d9ba083e42abd2c7209c1f21c0bd24133c82b1c697b8254caf293c6dcc3175aac4eb7"
    "63"
    "43fd722a2d07306b8bc38b13bff35186e92744e135678a871435047a79b1aabae5cb785bc233971a812945a4601a73"
    "52"
    "820d95af6ecc08a667c191484f50cc051b577538fac752fcc95c69b27d963d328609bf174ae7112bfffc60f5d9cd2c"
    "2c"
    "5b6c5c06d49107670bc2eddb92ec4236f560245ca1bd4c7307c52c69d729b3402851bfe3b5c338796357a1fbb81b00"
    "e5"
    "72ce7ca7e9b24cec940ec05c92f779bfbc0c41cb1510047601ce9490099972e91c419de24fa1938d1827222293c6ef"
    "f5"
    "289465bb31716f3be0b2b9d3961d647cd9a46425ca5a22c963eb5308ae716c7d834169872c9185cc0d6683ae681ea5"
    "2a"
    "4863662e5c64a819f79053357722b459c0f7333f384268f44dd9833c94250e98d188e825a493c88838a831fb40b24d"
    "d8"
    "076b83788888088252a17dd3465e38afa8d505e31b3f17875906c9787685493bb4843218234ac63249e91658f81f6a"
    "67"
    "c49b062420e39418f08a85c188d8d1a95506148bb5c742b235f65344b0e63ac9548adc456acd6f733062f610f5375e"
    "9a"
    "836d91b85db25345309b54df4f691470013cce969e521b78bcb8ef2588bf872ec4af4ac8f76f1c66aa4a78fd0d3bb8"
    "bc"
    "013ecdfe4c001d0020872904e4f9d89db8a7cf9d5aa088e35692d50ee991fe5f6a68e8f6bfeb931507ff0100010000"
    "17"
    "0000ca3400ba00b80582df1302010582df1302060582df13020d0582df13020e0582df13020f0582df1302120582df"
    "13"
    "02130582df13021408839a648c9b2d010708839a648c9b2d010808839a648c9b2d010908839a648c9b2d010a08839a"
    "64"
    "8c9b2d010b08839a648c9b2d010c08839a648c9b2d010d08839a648c9b2d011208839a648c9b2d011304d679090104"
    "d6"
    "79090404d679090504d679090604d679090704d679090804d679090a04d679090b04d679090c04d679090d04d67909"
    "0f"
    "000b00020100002b000706aaaa03040303000d001a0018caca09040905090604030804040105030805050108060601"
    "00"
    "10000e000c02683208687474702f312e310012000000230000001b000302000244cd00050003026832002d00020101"
    "fe"
    "0d00da0000010001580020f60fa676f09c2e3bd7474f0eac6e206a023cf1742739be36deac6b882ab56e0f00b05553"
    "9d"
    "549ba25a411fd64105ab749a590372e16238e8ee0ceaa2f8f40cc6b7887c391626600f718be2646a1713fd78cd0a1c"
    "94"
    "195cb237595d51f9066f9f7ba70dfb9f5839f07412ea7e19b2907791d8de43cc204cce0523593a0fc37da124b21a99"
    "27"
    "bfbce07e3d5ad9dd1dd42886c170e9217fb98c0aa385c57686a0e1a4bc3816902d76914c409859529819fe29c2e114"
    "70"
    "67e1b3de94435d419387f6f2c3a5597eb6573eebf2eecf9c291f65ea54000500050100000000000000150013000010"
    "77"
    "77772e6578616d706c652e74657374000a000c000ababa11ec001d001700182a2a000100";

// openssl s_client -servername Shop.Example.com -alpn h2,http/1.1.
const char kOpenSslHex[] =
    "160301014f0100014b030303f38ca7961f13f66a730ef1e5eae577d4f62a72f13193db763208d77bca6e1c20e65c5c"
    "79"
    "646cb61291431cc780aacdad2bf517bb87a485c047996e6610abbce1003e130213031301c02cc030009fcca9cca8cc"
    "aa"
    "c02bc02f009ec024c028006bc023c0270067c00ac0140039c009c0130033009d009c003d003c0035002f00ff010000"
    "c4"
    "00000015001300001053686f702e4578616d706c652e636f6d000b000403000102000a00160014001d0017001e0019"
    "00"
    "1801000101010201030104002300000010000e000c02683208687474702f312e310016000000170000000d002a0028"
    "04"
    "0305030603080708080809080a080b080408050806040105010601030303010302040205020602002b000908030403"
    "03"
    "03020301002d00020101003300260024001d0020695357ec72341851d8b955bc26d0435117cd1bfc8701cd3007b3ae"
    "f5"
    "2cb5120a";

std::string U16(size_t value) {
    return {static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
}
std::string U24(size_t value) { return static_cast<char>(value >> 16) + U16(value & 0xFFFF); }

std::string Extension(int type, const std::string& data) {
    return U16(type) + U16(data.size()) + data;
}
std::string Sni(const std::string& name) {
    const std::string entry = '\0' + U16(name.size()) + name;
    return Extension(0, U16(entry.size()) + entry);
}
std::string Alpn(const std::vector<std::string>& names) {
    std::string list;
    for (const auto& name : names) list += static_cast<char>(name.size()) + name;
    return Extension(16, U16(list.size()) + list);
}
// A ClientHello message (with its handshake header) offering two suites.
std::string HelloMessage(const std::string& extensions, bool withExtensionBlock = true) {
    std::string body = "\x03\x03" + std::string(32, 'r') + '\x20' + std::string(32, 's') + U16(4) +
                       "\x13\x01\xc0\x2f" + '\x01' + '\0';
    if (withExtensionBlock) body += U16(extensions.size()) + extensions;
    return '\x01' + U24(body.size()) + body;
}
// The handshake bytes cut into records of at most fragment bytes each.
std::string Records(const std::string& handshake, size_t fragment = 16384) {
    std::string out;
    for (size_t at = 0; at < handshake.size(); at += fragment) {
        const std::string part = handshake.substr(at, fragment);
        out += "\x16\x03\x01" + U16(part.size()) + part;
    }
    return out;
}
// The handshake bytes of captured records (one record here).
std::string HandshakeOf(const std::string& records) { return records.substr(5); }

void ExpectNeedMoreForEveryPrefix(const std::string& bytes) {
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        ASSERT_EQ(PeekClientHello(bytes.substr(0, cut)).kind, ClientHelloKind::kNeedMore)
            << "prefix of " << cut << " of " << bytes.size() << " bytes";
    }
}

void ExpectHello(const std::string& bytes, const std::string& serverName,
                 const std::vector<std::string>& protocols, size_t recordBytes) {
    const ClientHelloPeek peek = PeekClientHello(bytes);
    ASSERT_EQ(peek.kind, ClientHelloKind::kClientHello);
    EXPECT_EQ(peek.serverName, serverName);
    EXPECT_EQ(peek.protocols, protocols);
    EXPECT_EQ(peek.recordBytes, recordBytes);
}

ClientHelloKind KindOf(const std::string& bytes) { return PeekClientHello(bytes).kind; }

const std::vector<std::string> kH2AndHttp11 = {"h2", "http/1.1"};

TEST(ClientHelloPeek, CapturedClientHellosAreReadWholeAndNeedMoreBeforeTheirEnd) {
    const std::string chromium = FromHex(kChromiumHex);
    const std::string openssl = FromHex(kOpenSslHex);
    ExpectHello(chromium, "www.example.test", kH2AndHttp11, chromium.size());
    ExpectHello(openssl, "shop.example.com", kH2AndHttp11, openssl.size());
    ExpectNeedMoreForEveryPrefix(chromium);
    ExpectNeedMoreForEveryPrefix(openssl);
    // What the browser sends after its ClientHello (a change_cipher_spec, early data) is not part
    // of it.
    ExpectHello(chromium + "\x14\x03\x03\x00\x01\x01", "www.example.test", kH2AndHttp11,
                chromium.size());
    ExpectHello(openssl + "GET", "shop.example.com", kH2AndHttp11, openssl.size());
}

TEST(ClientHelloPeek, AClientHelloOverManyRecordsIsReassembled) {
    const std::string handshake = HandshakeOf(FromHex(kChromiumHex));
    for (size_t fragment : {1, 3, 100, 1000}) {
        SCOPED_TRACE(fragment);
        const std::string records = Records(handshake, fragment);
        ExpectHello(records, "www.example.test", kH2AndHttp11, records.size());
        if (fragment >= 100) ExpectNeedMoreForEveryPrefix(records);
    }
    // A large ClientHello in full records, as big post-quantum key shares make it.
    const std::string big =
        Records(HelloMessage(Sni("big.example") + Extension(51, std::string(40000, 'k'))));
    ExpectHello(big, "big.example", {}, big.size());
    ExpectNeedMoreForEveryPrefix(big.substr(0, 17000));
}

TEST(ClientHelloPeek, OtherProtocolsAreNotTlsAtOnce) {
    for (const std::string& bytes :
         {std::string("GET / HTTP/1.1\r\n"), std::string("G"),
          std::string("SSH-2.0-OpenSSH_9.2\r\n"), std::string("\x16\x02", 2),
          std::string("\x16\x03\x00", 3), std::string("\x16\x03\x05", 3),
          std::string("\x17\x03\x03", 3), std::string("\0", 1)}) {
        EXPECT_EQ(KindOf(bytes), ClientHelloKind::kNotTls) << bytes;
    }
    EXPECT_EQ(KindOf(""), ClientHelloKind::kNeedMore);
    EXPECT_EQ(KindOf(std::string("\x16\x03\x04", 3)), ClientHelloKind::kNeedMore);
}

TEST(ClientHelloPeek, RecordsThatCannotCarryAClientHelloAreNotTls) {
    const std::string message = HelloMessage(Sni("a.example"));
    // An empty handshake record, one over 2^14 bytes.
    EXPECT_EQ(KindOf(std::string("\x16\x03\x01\x00\x00", 5) + message), ClientHelloKind::kNotTls);
    EXPECT_EQ(KindOf(std::string("\x16\x03\x01\x40\x01", 5)), ClientHelloKind::kNotTls);
    // Another handshake message first (a ServerHello), seen from its first byte.
    EXPECT_EQ(KindOf(std::string("\x16\x03\x01\x00\x30\x02", 6)), ClientHelloKind::kNotTls);
    // A ClientHello longer than the bound, seen from its header.
    EXPECT_EQ(KindOf("\x16\x03\x01\x00\x04\x01" + U24(kMaxClientHelloBytes)),
              ClientHelloKind::kNotTls);
    // Between two fragments: a record of another type, a record of a bad version.
    const std::string records = Records(message, 50);
    std::string alert = records;
    alert.insert(55, "\x15\x03\x03\x00\x02\x02\x28");
    EXPECT_EQ(KindOf(alert), ClientHelloKind::kNotTls);
    std::string badVersion = records;
    badVersion[57] = '\x07';
    EXPECT_EQ(KindOf(badVersion), ClientHelloKind::kNotTls);
    // A handshake message after the ClientHello in its record.
    EXPECT_EQ(KindOf(Records(message + "\x14\x00\x00\x00")), ClientHelloKind::kNotTls);
    // Records going on past the bound without completing the message.
    const std::string endless =
        "\x01" + U24(kMaxClientHelloBytes - 4) + std::string(kMaxClientHelloBytes, 'x');
    EXPECT_EQ(KindOf(Records(endless)), ClientHelloKind::kNotTls);
}

// Each of these changes one length or count of a well-formed ClientHello so that it no longer
// fits what it encloses.
TEST(ClientHelloPeek, LengthsThatLieAreNotTls) {
    const std::string extensions = Sni("a.example") + Alpn({"http/1.1"});
    const std::string good = HelloMessage(extensions);
    ASSERT_EQ(KindOf(Records(good)), ClientHelloKind::kClientHello);
    // Offsets in the message: 4 header, 2 version, 32 random, then session id length.
    const size_t sessionIdLength = 4 + 2 + 32;
    const size_t suitesLength = sessionIdLength + 1 + 32;
    const size_t compressionsLength = suitesLength + 2 + 4;
    const size_t extensionsLength = compressionsLength + 2;
    const size_t sniLength = extensionsLength + 2 + 2;
    const size_t sniListLength = sniLength + 2;
    const size_t hostNameLength = sniListLength + 2 + 1;
    const size_t alpnLength = hostNameLength + 2 + 9 + 2;
    const size_t alpnListLength = alpnLength + 2;
    const size_t protocolLength = alpnListLength + 2;
    struct Lie {
        const char* what;
        size_t at;
        int by;
    };
    const Lie lies[] = {
        {"handshake length short", 3, -1},
        {"session id over 32", sessionIdLength, 1},
        {"session id short", sessionIdLength, -1},
        {"suites odd", suitesLength + 1, -1},
        {"suites long", suitesLength + 1, 2},
        {"no compression", compressionsLength, -1},
        {"extensions long", extensionsLength + 1, 1},
        {"extensions short", extensionsLength + 1, -1},
        {"sni long", sniLength + 1, 1},
        {"sni list long", sniListLength + 1, 1},
        {"sni list short", sniListLength + 1, -1},
        {"host name long", hostNameLength + 1, 1},
        {"host name short", hostNameLength + 1, -1},
        {"alpn long", alpnLength + 1, 1},
        {"alpn list short", alpnListLength + 1, -1},
        {"protocol long", protocolLength, 1},
        {"protocol short", protocolLength, -1},
    };
    for (const Lie& lie : lies) {
        std::string bad = good;
        bad[lie.at] = static_cast<char>(static_cast<unsigned char>(bad[lie.at]) + lie.by);
        EXPECT_EQ(KindOf(Records(bad)), ClientHelloKind::kNotTls) << lie.what;
    }
    // A handshake length beyond the records waits for more records, and is not TLS once the
    // bytes after it are no record.
    std::string longer = good;
    longer[3] = static_cast<char>(longer[3] + 1);
    EXPECT_EQ(KindOf(Records(longer)), ClientHelloKind::kNeedMore);
    EXPECT_EQ(KindOf(Records(longer) + "GET"), ClientHelloKind::kNotTls);
}

TEST(ClientHelloPeek, ExtensionsThatAreMalformedOrRepeatedAreNotTls) {
    EXPECT_EQ(KindOf(Records(HelloMessage(Alpn({"h2", ""})))), ClientHelloKind::kNotTls);
    EXPECT_EQ(KindOf(Records(HelloMessage(Extension(16, U16(0))))), ClientHelloKind::kNotTls);
    EXPECT_EQ(KindOf(Records(HelloMessage(Extension(0, U16(0))))), ClientHelloKind::kNotTls);
    EXPECT_EQ(KindOf(Records(HelloMessage(Sni("a.example") + Sni("b.example")))),
              ClientHelloKind::kNotTls);
    EXPECT_EQ(KindOf(Records(HelloMessage(Alpn({"h2"}) + Alpn({"h2"})))), ClientHelloKind::kNotTls);
    // Unknown and empty extensions are fine, and so is a ClientHello without any.
    const std::string grease = Records(HelloMessage(Extension(0x0a0a, "") + Alpn({"h2"})));
    ExpectHello(grease, "", {"h2"}, grease.size());
    const std::string bare = Records(HelloMessage("", false));
    ExpectHello(bare, "", {}, bare.size());
}

TEST(ClientHelloPeek, OnlyValidHostNamesAreTakenAndInLowerCase) {
    const std::string longest = std::string(63, 'a') + "." + std::string(63, 'b') + "." +
                                std::string(63, 'c') + "." + std::string(61, 'd');
    ASSERT_EQ(longest.size(), 253u);
    const struct {
        std::string sent;
        std::string taken;
    } cases[] = {
        {"WWW.Example.COM", "www.example.com"},
        {"x-1.example", "x-1.example"},
        {"localhost", "localhost"},
        {longest, longest},
        {longest + "e", ""},
        {std::string(64, 'a') + ".example", ""},
        {"under_score.example", ""},
        {"a..example", ""},
        {".example", ""},
        {"example.", ""},
        {"sp ace.example", ""},
        {"caf\xc3\xa9.example", ""},
        {std::string("nul\0.example", 12), ""},
    };
    for (const auto& c : cases) {
        const std::string records = Records(HelloMessage(Sni(c.sent)));
        ExpectHello(records, c.taken, {}, records.size());
    }
    // A name of another type is no host name; the host name after it is taken.
    const std::string other = '\x01' + U16(3) + "abc";
    const std::string host = '\0' + U16(9) + "b.example";
    const std::string list = other + host;
    const std::string records = Records(HelloMessage(Extension(0, U16(list.size()) + list)));
    ExpectHello(records, "b.example", {}, records.size());
}

}  // namespace
}  // namespace proxy
