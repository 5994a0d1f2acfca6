// Secure connections on Windows: SChannel sessions on bytes, the client's own check of the
// site's certificate, and the probe for SChannel's server side.
#include <windows.h>
// These need windows.h first; SCH_CREDENTIALS needs SCHANNEL_USE_BLACKLISTS and
// UNICODE_STRING.
#include <wincrypt.h>
#include <winternl.h>
#define SCHANNEL_USE_BLACKLISTS
#include <schannel.h>
#define SECURITY_WIN32
#include <security.h>
#include <sspi.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "platform/tls.h"
#include "platform/win/tls_crypto_win.h"

namespace platform {
namespace tls_win {
namespace {

// CALG_ECDH_EPHEM, which the headers give only for Vista and later builds.
constexpr ALG_ID kEcdhEphemeral = 0xAE06;

constexpr DWORD kClientProtocols = SP_PROT_TLS1_2_CLIENT | SP_PROT_TLS1_3_CLIENT;
constexpr DWORD kServerProtocols = SP_PROT_TLS1_2_SERVER | SP_PROT_TLS1_3_SERVER;

constexpr ULONG kClientRequest = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT |
                                 ISC_REQ_CONFIDENTIALITY | ISC_REQ_EXTENDED_ERROR |
                                 ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM |
                                 ISC_REQ_MANUAL_CRED_VALIDATION | ISC_REQ_USE_SUPPLIED_CREDS;
constexpr ULONG kServerRequest = ASC_REQ_SEQUENCE_DETECT | ASC_REQ_REPLAY_DETECT |
                                 ASC_REQ_CONFIDENTIALITY | ASC_REQ_EXTENDED_ERROR |
                                 ASC_REQ_ALLOCATE_MEMORY | ASC_REQ_STREAM;

// SChannel's own copy of an output token, handed back when it goes.
struct OutputToken {
    SecBuffer buffer{0, SECBUFFER_TOKEN, nullptr};
    ~OutputToken() {
        if (buffer.pvBuffer) FreeContextBuffer(buffer.pvBuffer);
    }
    void AppendTo(std::string& out) const {
        if (buffer.pvBuffer && buffer.cbBuffer) {
            out.append(static_cast<const char*>(buffer.pvBuffer), buffer.cbBuffer);
        }
    }
};

// A credential of the system's TLS: SCH_CREDENTIALS where the system knows it (TLS 1.3 comes
// with it), SCHANNEL_CRED with TLS 1.2 otherwise.
SECURITY_STATUS AcquireCredential(bool server, PCCERT_CONTEXT certificate, CredHandle& credential) {
    TimeStamp expiry;
    const DWORD flags = SCH_USE_STRONG_CRYPTO |
                        (server ? SCH_CRED_NO_SYSTEM_MAPPER
                                : SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS);
    const ULONG use = server ? SECPKG_CRED_INBOUND : SECPKG_CRED_OUTBOUND;
    LPWSTR package = const_cast<LPWSTR>(UNISP_NAME_W);

    TLS_PARAMETERS parameters{};
    parameters.grbitDisabledProtocols = ~(server ? kServerProtocols : kClientProtocols);
    SCH_CREDENTIALS current{};
    current.dwVersion = SCH_CREDENTIALS_VERSION;
    current.dwFlags = flags;
    current.cTlsParameters = 1;
    current.pTlsParameters = &parameters;
    if (certificate) {
        current.cCreds = 1;
        current.paCred = &certificate;
    }
    SECURITY_STATUS status = AcquireCredentialsHandleW(nullptr, package, use, nullptr, &current,
                                                       nullptr, nullptr, &credential, &expiry);
    if (status == SEC_E_OK) return status;

    SCHANNEL_CRED older{};
    older.dwVersion = SCHANNEL_CRED_VERSION;
    older.dwFlags = flags;
    older.grbitEnabledProtocols = server ? SP_PROT_TLS1_2_SERVER : SP_PROT_TLS1_2_CLIENT;
    if (certificate) {
        older.cCreds = 1;
        older.paCred = &certificate;
    }
    return AcquireCredentialsHandleW(nullptr, package, use, nullptr, &older, nullptr, nullptr,
                                     &credential, &expiry);
}

bool IsOneOf(SECURITY_STATUS status, std::initializer_list<SECURITY_STATUS> codes) {
    return std::find(codes.begin(), codes.end(), status) != codes.end();
}

// SEC_E_ALGORITHM_MISMATCH: no protocol or suite in common. SEC_E_UNSUPPORTED_FUNCTION from
// a client: the site's version is one we do not offer.
TlsFailure HandshakeFailure(bool server, SECURITY_STATUS status) {
    if (status == SEC_E_UNSUPPORTED_FUNCTION) {
        return server ? TlsFailure::kUnsupported : TlsFailure::kOldProtocol;
    }
    if (status == SEC_E_ALGORITHM_MISMATCH) return TlsFailure::kOldProtocol;
    if (status == SEC_I_INCOMPLETE_CREDENTIALS || status == SEC_E_NO_CREDENTIALS) {
        return server ? TlsFailure::kHandshake : TlsFailure::kClientCertificate;
    }
    // The browser's alerts about our leaf: bad_certificate, unknown_ca, certificate_expired.
    if (server && IsOneOf(status, {SEC_E_CERT_UNKNOWN, SEC_E_UNTRUSTED_ROOT, SEC_E_CERT_EXPIRED,
                                   SEC_E_WRONG_PRINCIPAL})) {
        return TlsFailure::kPeerRefused;
    }
    return TlsFailure::kHandshake;
}

// TLS 1.3 suites are all AEAD with forward secrecy; of the older ones only ECDHE and DHE with
// GCM or ChaCha20.
bool StrongSuite(bool tls13, const wchar_t* suite) {
    if (tls13) return true;
    const std::wstring name = suite;
    const bool forwardSecret =
        name.compare(0, 10, L"TLS_ECDHE_") == 0 || name.compare(0, 8, L"TLS_DHE_") == 0;
    const bool aead =
        name.find(L"_GCM_") != std::wstring::npos || name.find(L"CHACHA20") != std::wstring::npos;
    return forwardSecret && aead;
}

class SchannelSession final : public TlsSession {
  public:
    SchannelSession(bool server, std::string host) : server_(server), host_(std::move(host)) {
        SecInvalidateHandle(&credential_);
        SecInvalidateHandle(&context_);
    }
    ~SchannelSession() override {
        if (haveContext_) DeleteSecurityContext(&context_);
        if (haveCredential_) FreeCredentialsHandle(&credential_);
    }
    SchannelSession(const SchannelSession&) = delete;
    SchannelSession& operator=(const SchannelSession&) = delete;

    // The credential and, for a client, the ClientHello. False when no session can be made.
    bool Start(PCCERT_CONTEXT certificate, std::string& toPeer) {
        const SECURITY_STATUS status = AcquireCredential(server_, certificate, credential_);
        if (status != SEC_E_OK) {
            Fail(server_ && status == SEC_E_UNSUPPORTED_FUNCTION ? TlsFailure::kUnsupported
                                                                 : TlsFailure::kHandshake,
                 "AcquireCredentialsHandle", status);
            return false;
        }
        haveCredential_ = true;
        if (server_) return true;
        const SECURITY_STATUS first = Step(toPeer);
        if (first != SEC_I_CONTINUE_NEEDED) {
            Fail(HandshakeFailure(false, first), "InitializeSecurityContext", first);
            return false;
        }
        return true;
    }

    TlsState Receive(const char* bytes, std::size_t size, std::string& plain,
                     std::string& toPeer) override {
        if (state_ == TlsState::kFailed || state_ == TlsState::kClosed) return state_;
        incoming_.append(bytes, size);
        if (state_ == TlsState::kHandshake) Handshake(toPeer);
        if (state_ == TlsState::kOpen) Decrypt(plain, toPeer);
        return state_;
    }

    bool Send(const char* plain, std::size_t size, std::string& toPeer) override {
        if (state_ != TlsState::kOpen) return false;
        while (size > 0) {
            const std::size_t chunk = std::min<std::size_t>(size, sizes_.cbMaximumMessage);
            std::string record(sizes_.cbHeader + chunk + sizes_.cbTrailer, '\0');
            std::memcpy(&record[sizes_.cbHeader], plain, chunk);
            SecBuffer buffers[4] = {
                {sizes_.cbHeader, SECBUFFER_STREAM_HEADER, &record[0]},
                {static_cast<ULONG>(chunk), SECBUFFER_DATA, &record[sizes_.cbHeader]},
                {sizes_.cbTrailer, SECBUFFER_STREAM_TRAILER, &record[sizes_.cbHeader + chunk]},
                {0, SECBUFFER_EMPTY, nullptr},
            };
            SecBufferDesc description{SECBUFFER_VERSION, 4, buffers};
            const SECURITY_STATUS status = EncryptMessage(&context_, 0, &description, 0);
            if (status != SEC_E_OK) {
                Fail(TlsFailure::kHandshake, "EncryptMessage", status);
                return false;
            }
            toPeer.append(record.data(),
                          buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer);
            plain += chunk;
            size -= chunk;
        }
        return true;
    }

    void Close(std::string& toPeer) override {
        if (state_ == TlsState::kFailed || !haveContext_) return;
        if (state_ == TlsState::kOpen) {
            DWORD type = SCHANNEL_SHUTDOWN;
            SecBuffer buffer{sizeof type, SECBUFFER_TOKEN, &type};
            SecBufferDesc description{SECBUFFER_VERSION, 1, &buffer};
            if (ApplyControlToken(&context_, &description) == SEC_E_OK) {
                incoming_.clear();
                Step(toPeer);
            }
        }
        state_ = TlsState::kClosed;
    }

    TlsState state() const override { return state_; }
    TlsFailure failure() const override { return failure_; }
    std::string failureDetail() const override { return detail_; }

  private:
    // One call of InitializeSecurityContext or AcceptSecurityContext on the bytes received so
    // far (none for the client's first call and for the close notice). Its output goes to
    // toPeer; incoming_ keeps what it did not consume.
    SECURITY_STATUS Step(std::string& toPeer) {
        SecBuffer input[3] = {
            {static_cast<ULONG>(incoming_.size()), SECBUFFER_TOKEN,
             incoming_.empty() ? nullptr : &incoming_[0]},
            {0, SECBUFFER_EMPTY, nullptr},
            {0, SECBUFFER_EMPTY, nullptr},
        };
        SecBufferDesc inputDescription{SECBUFFER_VERSION, 2, input};
        // Only http/1.1 is offered to a browser by ALPN.
        std::vector<unsigned char> protocols;
        if (server_) {
            static const char kHttp11[] = "\x08http/1.1";
            const std::size_t listSize = sizeof kHttp11 - 1;
            // The sizes count the bytes as laid out, without the structures' padding at the end.
            const std::size_t listsSize =
                offsetof(SEC_APPLICATION_PROTOCOL_LIST, ProtocolList) + listSize;
            protocols.resize(offsetof(SEC_APPLICATION_PROTOCOLS, ProtocolLists) + listsSize);
            auto* list = reinterpret_cast<SEC_APPLICATION_PROTOCOLS*>(protocols.data());
            list->ProtocolListsSize = static_cast<unsigned long>(listsSize);
            list->ProtocolLists[0].ProtoNegoExt = SecApplicationProtocolNegotiationExt_ALPN;
            list->ProtocolLists[0].ProtocolListSize = static_cast<unsigned short>(listSize);
            std::memcpy(list->ProtocolLists[0].ProtocolList, kHttp11, listSize);
            input[2] = {static_cast<ULONG>(protocols.size()), SECBUFFER_APPLICATION_PROTOCOLS,
                        protocols.data()};
            inputDescription.cBuffers = 3;
        }
        OutputToken output;
        SecBufferDesc outputDescription{SECBUFFER_VERSION, 1, &output.buffer};
        ULONG attributes = 0;
        SECURITY_STATUS status;
        if (server_) {
            status = AcceptSecurityContext(&credential_, haveContext_ ? &context_ : nullptr,
                                           incoming_.empty() ? nullptr : &inputDescription,
                                           kServerRequest, 0, &context_, &outputDescription,
                                           &attributes, nullptr);
        } else {
            std::wstring target = IpAddressBytes(host_).empty() ? Widen(host_) : std::wstring();
            status = InitializeSecurityContextW(
                &credential_, haveContext_ ? &context_ : nullptr,
                target.empty() ? nullptr : &target[0], kClientRequest, 0, 0,
                haveContext_ && !incoming_.empty() ? &inputDescription : nullptr, 0, &context_,
                &outputDescription, &attributes, nullptr);
        }
        if (!haveContext_ && (status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED ||
                              status == SEC_I_INCOMPLETE_CREDENTIALS)) {
            haveContext_ = true;
        }
        output.AppendTo(toPeer);
        if (status != SEC_E_INCOMPLETE_MESSAGE) {
            if (input[1].BufferType == SECBUFFER_EXTRA && input[1].cbBuffer > 0 &&
                input[1].cbBuffer <= incoming_.size()) {
                incoming_.erase(0, incoming_.size() - input[1].cbBuffer);
            } else {
                incoming_.clear();
            }
        }
        return status;
    }

    void Handshake(std::string& toPeer) {
        while (state_ == TlsState::kHandshake && !incoming_.empty()) {
            const SECURITY_STATUS status = Step(toPeer);
            if (status == SEC_E_INCOMPLETE_MESSAGE) return;
            if (status == SEC_E_OK) {
                if (Opened()) state_ = TlsState::kOpen;
                return;
            }
            if (status != SEC_I_CONTINUE_NEEDED) {
                Fail(HandshakeFailure(server_, status),
                     server_ ? "AcceptSecurityContext" : "InitializeSecurityContext", status);
                return;
            }
        }
    }

    // After the handshake, before any data: the protocol and suite, and a client's check of
    // the site's certificate.
    bool Opened() {
        SecPkgContext_ConnectionInfo connection{};
        SECURITY_STATUS status =
            QueryContextAttributesW(&context_, SECPKG_ATTR_CONNECTION_INFO, &connection);
        if (status != SEC_E_OK) {
            Fail(TlsFailure::kHandshake, "QueryContextAttributes(CONNECTION_INFO)", status);
            return false;
        }
        const DWORD tls13 = SP_PROT_TLS1_3_CLIENT | SP_PROT_TLS1_3_SERVER;
        if (!(connection.dwProtocol & (kClientProtocols | kServerProtocols))) {
            Fail(TlsFailure::kOldProtocol, "protocol", static_cast<long>(connection.dwProtocol));
            return false;
        }
        SecPkgContext_CipherInfo cipher{};
        cipher.dwVersion = SECPKGCONTEXT_CIPHERINFO_V1;
        if (QueryContextAttributesW(&context_, SECPKG_ATTR_CIPHER_INFO, &cipher) == SEC_E_OK) {
            if (!StrongSuite((connection.dwProtocol & tls13) != 0, cipher.szCipherSuite)) {
                Fail(TlsFailure::kOldProtocol, "cipher suite",
                     static_cast<long>(cipher.dwCipherSuite));
                return false;
            }
        } else if (connection.aiExch != kEcdhEphemeral && connection.aiExch != CALG_DH_EPHEM &&
                   !(connection.dwProtocol & tls13)) {
            // Without the suite's name the key exchange at least must be ephemeral.
            Fail(TlsFailure::kOldProtocol, "key exchange", static_cast<long>(connection.aiExch));
            return false;
        }
        if (!server_) {
            PCCERT_CONTEXT remote = nullptr;
            status = QueryContextAttributesW(&context_, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &remote);
            if (status != SEC_E_OK || !remote) {
                Fail(TlsFailure::kBadCertificate, "QueryContextAttributes(REMOTE_CERT_CONTEXT)",
                     status);
                return false;
            }
            const Certificate owned(remote);
            std::string detail;
            const TlsFailure verdict = VerifyServerChain(remote, remote->hCertStore, host_, detail);
            if (verdict != TlsFailure::kNone) {
                failure_ = verdict;
                state_ = TlsState::kFailed;
                detail_ = "certificate of " + host_ + ": " + detail;
                return false;
            }
        }
        status = QueryContextAttributesW(&context_, SECPKG_ATTR_STREAM_SIZES, &sizes_);
        if (status != SEC_E_OK) {
            Fail(TlsFailure::kHandshake, "QueryContextAttributes(STREAM_SIZES)", status);
            return false;
        }
        return true;
    }

    void Decrypt(std::string& plain, std::string& toPeer) {
        while (state_ == TlsState::kOpen && !incoming_.empty()) {
            SecBuffer buffers[4] = {
                {static_cast<ULONG>(incoming_.size()), SECBUFFER_DATA, &incoming_[0]},
                {0, SECBUFFER_EMPTY, nullptr},
                {0, SECBUFFER_EMPTY, nullptr},
                {0, SECBUFFER_EMPTY, nullptr},
            };
            SecBufferDesc description{SECBUFFER_VERSION, 4, buffers};
            const SECURITY_STATUS status = DecryptMessage(&context_, &description, 0, nullptr);
            if (status == SEC_E_INCOMPLETE_MESSAGE) return;
            if (status != SEC_E_OK && status != SEC_I_RENEGOTIATE &&
                status != SEC_I_CONTEXT_EXPIRED) {
                Fail(server_ ? HandshakeFailure(true, status) : TlsFailure::kHandshake,
                     "DecryptMessage", status);
                return;
            }
            // The buffers point into incoming_, which is decrypted in place.
            std::string rest;
            for (const SecBuffer& buffer : buffers) {
                if (buffer.BufferType == SECBUFFER_DATA && buffer.pvBuffer) {
                    plain.append(static_cast<const char*>(buffer.pvBuffer), buffer.cbBuffer);
                } else if (buffer.BufferType == SECBUFFER_EXTRA && buffer.pvBuffer) {
                    rest.assign(static_cast<const char*>(buffer.pvBuffer), buffer.cbBuffer);
                }
            }
            incoming_ = std::move(rest);
            if (status == SEC_I_CONTEXT_EXPIRED) {
                state_ = TlsState::kClosed;
                return;
            }
            if (status == SEC_I_RENEGOTIATE) {
                // Handshake messages after the handshake (TLS 1.3 tickets and key updates): the
                // extra bytes go to the handshake call, which leaves what follows them.
                const SECURITY_STATUS again = Step(toPeer);
                if (again != SEC_E_OK && again != SEC_I_CONTINUE_NEEDED) {
                    Fail(TlsFailure::kHandshake, "post-handshake message", again);
                    return;
                }
            }
        }
    }

    void Fail(TlsFailure failure, const char* call, long code) {
        failure_ = failure;
        state_ = TlsState::kFailed;
        detail_ = std::string(call) + ": " + HexCode(static_cast<unsigned long>(code));
    }

    const bool server_;
    const std::string host_;
    CredHandle credential_;
    CtxtHandle context_;
    bool haveCredential_ = false;
    bool haveContext_ = false;
    SecPkgContext_StreamSizes sizes_{};
    std::string incoming_;
    TlsState state_ = TlsState::kHandshake;
    TlsFailure failure_ = TlsFailure::kNone;
    std::string detail_;
};

void AppendBig(std::vector<unsigned char>& out, std::size_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
}

// A TLS 1.2 ClientHello as small as a server accepts: two ECDHE-RSA GCM suites, the curves and
// signature schemes they need.
std::string ProbeClientHello() {
    std::vector<unsigned char> extensions;
    const unsigned char groups[] = {0x00, 0x0a, 0x00, 0x06, 0x00, 0x04, 0x00, 0x1d, 0x00, 0x17};
    const unsigned char points[] = {0x00, 0x0b, 0x00, 0x02, 0x01, 0x00};
    const unsigned char signatures[] = {0x00, 0x0d, 0x00, 0x08, 0x00, 0x06,
                                        0x08, 0x04, 0x04, 0x01, 0x05, 0x01};
    const unsigned char renegotiation[] = {0xff, 0x01, 0x00, 0x01, 0x00};
    extensions.insert(extensions.end(), std::begin(groups), std::end(groups));
    extensions.insert(extensions.end(), std::begin(points), std::end(points));
    extensions.insert(extensions.end(), std::begin(signatures), std::end(signatures));
    extensions.insert(extensions.end(), std::begin(renegotiation), std::end(renegotiation));

    std::vector<unsigned char> body = {0x03, 0x03};
    for (int i = 0; i < 32; ++i) body.push_back(static_cast<unsigned char>(i * 7 + 1));
    body.push_back(0);  // no session id
    const unsigned char suites[] = {0x00, 0x04, 0xc0, 0x2f, 0xc0, 0x30};
    body.insert(body.end(), std::begin(suites), std::end(suites));
    body.push_back(1);  // one compression method,
    body.push_back(0);  // none
    AppendBig(body, extensions.size(), 2);
    body.insert(body.end(), extensions.begin(), extensions.end());

    std::vector<unsigned char> record = {0x16, 0x03, 0x01};
    AppendBig(record, body.size() + 4, 2);
    record.push_back(0x01);  // ClientHello
    AppendBig(record, body.size(), 3);
    record.insert(record.end(), body.begin(), body.end());
    return std::string(record.begin(), record.end());
}

// A throwaway server credential (a self-signed certificate whose key lives in a temporary
// container) answering one ClientHello: Wine 8 has no server side and says
// SEC_E_UNSUPPORTED_FUNCTION.
bool ProbeTlsServer() {
    const wchar_t kProbeContainer[] = L"Korvo Popup Killer Server Probe";
    HCRYPTPROV provider = 0;
    CryptAcquireContextW(&provider, kProbeContainer, kKeyProvider, PROV_RSA_AES,
                         CRYPT_DELETEKEYSET);
    if (!CryptAcquireContextW(&provider, kProbeContainer, kKeyProvider, PROV_RSA_AES,
                              CRYPT_NEWKEYSET)) {
        return false;
    }
    bool available = false;
    HCRYPTKEY key = 0;
    if (CryptGenKey(provider, AT_KEYEXCHANGE, 2048 << 16, &key)) {
        CryptDestroyKey(key);
        BYTE name[64];
        DWORD nameSize = sizeof name;
        if (CertStrToNameW(X509_ASN_ENCODING, L"CN=localhost", CERT_X500_NAME_STR, nullptr, name,
                           &nameSize, nullptr)) {
            CERT_NAME_BLOB subject{nameSize, name};
            CRYPT_KEY_PROV_INFO keyInfo{};
            keyInfo.pwszContainerName = const_cast<LPWSTR>(kProbeContainer);
            keyInfo.pwszProvName = const_cast<LPWSTR>(kKeyProvider);
            keyInfo.dwProvType = PROV_RSA_AES;
            keyInfo.dwKeySpec = AT_KEYEXCHANGE;
            const Certificate certificate(CertCreateSelfSignCertificate(
                provider, &subject, 0, &keyInfo, nullptr, nullptr, nullptr, nullptr));
            if (certificate) {
                SchannelSession session(true, "");
                std::string toPeer;
                std::string plain;
                const std::string hello = ProbeClientHello();
                if (session.Start(certificate.get(), toPeer)) {
                    session.Receive(hello.data(), hello.size(), plain, toPeer);
                    available = session.state() != TlsState::kFailed && !toPeer.empty();
                }
            }
        }
    }
    CryptReleaseContext(provider, 0);
    CryptAcquireContextW(&provider, kProbeContainer, kKeyProvider, PROV_RSA_AES,
                         CRYPT_DELETEKEYSET);
    return available;
}

}  // namespace
}  // namespace tls_win

bool TlsBuilt() { return true; }

bool TlsServerAvailable() {
    static const bool available = tls_win::ProbeTlsServer();
    return available;
}

std::unique_ptr<TlsSession> StartTlsClient(const std::string& serverName, std::string& toPeer) {
    if (serverName.empty()) return nullptr;
    auto session = std::make_unique<tls_win::SchannelSession>(false, serverName);
    if (!session->Start(nullptr, toPeer)) return nullptr;
    return session;
}

std::unique_ptr<TlsSession> StartTlsServer(const TlsLeaf& leaf) {
    const auto* ours = dynamic_cast<const tls_win::WinLeaf*>(&leaf);
    if (!ours) return nullptr;
    auto session = std::make_unique<tls_win::SchannelSession>(true, "");
    std::string none;
    // A session that cannot start stays, failed, so the caller learns why (kUnsupported).
    session->Start(ours->certificate(), none);
    return session;
}

}  // namespace platform
