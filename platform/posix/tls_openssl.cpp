// Secure connections with OpenSSL 3. Sessions run on two memory BIOs, so the caller's sockets stay
// its own and nothing here waits. The installation's root, its key and the key all leaves share
// are PEM files in the user's folder; each leaf carries a server SSL_CTX of its own, so
// connection threads issue leaves and start sessions without sharing mutable state.
#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <vector>

#include "platform/tls.h"

namespace platform {
namespace {

template <typename T, void (*Free)(T*)>
struct Freer {
    void operator()(T* p) const { Free(p); }
};
using SslPtr = std::unique_ptr<SSL, Freer<SSL, SSL_free>>;
using SslCtxPtr = std::unique_ptr<SSL_CTX, Freer<SSL_CTX, SSL_CTX_free>>;
using X509Ptr = std::unique_ptr<X509, Freer<X509, X509_free>>;
using KeyPtr = std::unique_ptr<EVP_PKEY, Freer<EVP_PKEY, EVP_PKEY_free>>;
using BioPtr = std::unique_ptr<BIO, Freer<BIO, BIO_free_all>>;
using BignumPtr = std::unique_ptr<BIGNUM, Freer<BIGNUM, BN_free>>;
using NamesPtr = std::unique_ptr<GENERAL_NAMES, Freer<GENERAL_NAMES, GENERAL_NAMES_free>>;

// TLS 1.2 suites: ephemeral ECDH with an AEAD cipher. TLS 1.3 suites are all of that kind.
constexpr char kTls12Suites[] = "ECDHE+AESGCM:ECDHE+CHACHA20:!aNULL";
constexpr char kRootName[] = "Korvo Popup Killer Local Root";
constexpr char kRootOrganisation[] = "Korvo Popup Killer";
constexpr char kRootKeyFile[] = "root-key.pem";
constexpr char kRootFile[] = "root.pem";
constexpr char kLeafKeyFile[] = "leaf-key.pem";
constexpr long kDaySeconds = 24L * 60 * 60;
constexpr int kRootDays = 3652;  // ten years
constexpr int kLeafDays = 90;
constexpr int kCommonNameLimit = 64;  // longer hosts are named by the alternative name alone

// Empties this thread's OpenSSL error queue into one line of text.
std::string TakeErrors(std::vector<int>* reasons = nullptr) {
    std::string words;
    while (unsigned long code = ERR_get_error()) {
        if (reasons) reasons->push_back(ERR_GET_REASON(code));
        char text[256];
        ERR_error_string_n(code, text, sizeof text);
        if (!words.empty()) words += "; ";
        words += text;
    }
    return words;
}

std::string WithErrors(const std::string& what) {
    const std::string words = TakeErrors();
    return words.empty() ? what : what + ": " + words;
}

// The host without the brackets of an IPv6 literal ("[::1]").
std::string Unbracketed(const std::string& host) {
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
        return host.substr(1, host.size() - 2);
    }
    return host;
}

// The address bytes (4 or 16) when host is an IPv4 or IPv6 address, else empty.
std::string AddressBytes(const std::string& host) {
    unsigned char bytes[16];
    if (inet_pton(AF_INET, host.c_str(), bytes) == 1) {
        return std::string(reinterpret_cast<char*>(bytes), 4);
    }
    if (inet_pton(AF_INET6, host.c_str(), bytes) == 1) {
        return std::string(reinterpret_cast<char*>(bytes), 16);
    }
    return std::string();
}

// A name a certificate may carry as a DNS name: letters, digits, '-', '_' and dots between labels.
bool IsDnsName(const std::string& host) {
    if (host.empty() || host.size() > 253 || host.front() == '.') return false;
    char previous = 0;
    for (char c : host) {
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                             (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
        if (!allowed || (c == '.' && previous == '.')) return false;
        previous = c;
    }
    return true;
}

// Why the site's certificate was not accepted, from the chain check's result.
TlsFailure VerifyFailure(long result) {
    switch (result) {
        case X509_V_ERR_CERT_HAS_EXPIRED:
        case X509_V_ERR_CERT_NOT_YET_VALID:
            return TlsFailure::kExpired;
        case X509_V_ERR_HOSTNAME_MISMATCH:
        case X509_V_ERR_IP_ADDRESS_MISMATCH:
            return TlsFailure::kWrongHost;
        case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
        case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
            return TlsFailure::kSelfSigned;
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
        case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
            return TlsFailure::kUnknownIssuer;
        case X509_V_ERR_CERT_REVOKED:
            return TlsFailure::kRevoked;
        default:
            return TlsFailure::kBadCertificate;
    }
}

// What a fatal alert from the site means to the user.
TlsFailure ServerAlertFailure(int description) {
    switch (description) {
        case SSL_AD_PROTOCOL_VERSION:
        case SSL_AD_INSUFFICIENT_SECURITY:
        case SSL_AD_HANDSHAKE_FAILURE:
            return TlsFailure::kOldProtocol;
        case SSL_AD_CERTIFICATE_REQUIRED:
            return TlsFailure::kClientCertificate;
        default:
            return TlsFailure::kHandshake;
    }
}

// Local failures that mean the peer offers no protocol version or suite we accept.
bool IsProtocolMismatch(int reason) {
    switch (reason) {
        case SSL_R_UNSUPPORTED_PROTOCOL:
        case SSL_R_NO_PROTOCOLS_AVAILABLE:
        case SSL_R_NO_SHARED_CIPHER:
        case SSL_R_NO_CIPHERS_AVAILABLE:
        case SSL_R_WRONG_CIPHER_RETURNED:
        case SSL_R_WRONG_SSL_VERSION:
        case SSL_R_VERSION_TOO_LOW:
            return true;
        default:
            return false;
    }
}

class OpenSslSession final : public TlsSession {
  public:
    OpenSslSession(SslPtr ssl, BIO* fromPeer, BIO* toPeer, bool server)
        : ssl_(std::move(ssl)), fromPeer_(fromPeer), toPeer_(toPeer), server_(server) {
        SSL_set_app_data(ssl_.get(), this);
    }

    TlsState Receive(const char* bytes, std::size_t size, std::string& plain,
                     std::string& toPeer) override {
        if (state_ == TlsState::kFailed || state_ == TlsState::kClosed) return state_;
        while (size > 0) {
            const int chunk = static_cast<int>(std::min<std::size_t>(size, INT_MAX));
            if (BIO_write(fromPeer_, bytes, chunk) != chunk) {
                Fail(TlsFailure::kHandshake, WithErrors("out of memory for received bytes"));
                return state_;
            }
            bytes += chunk;
            size -= static_cast<std::size_t>(chunk);
        }
        return Advance(plain, toPeer);
    }

    bool Send(const char* plain, std::size_t size, std::string& toPeer) override {
        if (state_ != TlsState::kOpen || (SSL_get_shutdown(ssl_.get()) & SSL_SENT_SHUTDOWN)) {
            return false;
        }
        while (size > 0) {
            const int chunk = static_cast<int>(std::min<std::size_t>(size, 1 << 30));
            ERR_clear_error();
            const int written = SSL_write(ssl_.get(), plain, chunk);
            if (written <= 0) {
                Fail(TlsFailure::kHandshake, WithErrors("cannot send"));
                Flush(toPeer);
                return false;
            }
            plain += written;
            size -= static_cast<std::size_t>(written);
        }
        Flush(toPeer);
        return true;
    }

    void Close(std::string& toPeer) override {
        if (state_ == TlsState::kFailed || !SSL_is_init_finished(ssl_.get())) return;
        ERR_clear_error();
        SSL_shutdown(ssl_.get());
        ERR_clear_error();
        Flush(toPeer);
    }

    TlsState state() const override { return state_; }
    TlsFailure failure() const override { return failure_; }
    std::string failureDetail() const override { return detail_; }

    // Runs the handshake as far as the received bytes go, then reads the application data they
    // complete; what the session must send goes to toPeer.
    TlsState Advance(std::string& plain, std::string& toPeer) {
        if (state_ == TlsState::kHandshake) Handshake();
        if (state_ == TlsState::kOpen) ReadPlain(plain);
        Flush(toPeer);
        return state_;
    }

    // Makes the handshake check that the site's certificate names host: an IP address by its
    // address, a DNS name by name, which also goes to the site as SNI.
    bool CheckServerName(const std::string& host) {
        SSL* ssl = ssl_.get();
        if (!AddressBytes(host).empty()) {
            return X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), host.c_str()) == 1;
        }
        SSL_set_hostflags(ssl, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        return SSL_set_tlsext_host_name(ssl, host.c_str()) == 1 &&
               SSL_set1_host(ssl, host.c_str()) == 1;
    }

    // The site sent a certificate request: the session fails even when the site would go on
    // without a certificate, since the browser may hold one that we cannot present.
    static int NoteCertificateRequest(SSL* ssl, X509**, EVP_PKEY**) {
        Of(ssl)->certificateRequested_ = true;
        return 0;
    }

    static void NoteAlert(const SSL* ssl, int where, int value) {
        if ((where & SSL_CB_READ_ALERT) && (value >> 8) == SSL3_AL_FATAL) {
            Of(ssl)->alertReceived_ = value & 0xff;
        }
    }

  private:
    static OpenSslSession* Of(const SSL* ssl) {
        return static_cast<OpenSslSession*>(SSL_get_app_data(ssl));
    }

    void Handshake() {
        ERR_clear_error();
        const int result = SSL_do_handshake(ssl_.get());
        if (certificateRequested_) {
            TakeErrors();
            Fail(TlsFailure::kClientCertificate, "the server asks for a client certificate");
        } else if (result == 1) {
            state_ = TlsState::kOpen;
        } else if (SSL_get_error(ssl_.get(), result) != SSL_ERROR_WANT_READ) {
            FailHandshake();
        }
    }

    void FailHandshake() {
        std::vector<int> reasons;
        const std::string words = TakeErrors(&reasons);
        const long verify = server_ ? X509_V_OK : SSL_get_verify_result(ssl_.get());
        if (verify != X509_V_OK) {
            Fail(VerifyFailure(verify), X509_verify_cert_error_string(verify));
        } else if (alertReceived_ >= 0) {
            Fail(server_ ? TlsFailure::kPeerRefused : ServerAlertFailure(alertReceived_), words);
        } else if (std::any_of(reasons.begin(), reasons.end(), IsProtocolMismatch)) {
            Fail(TlsFailure::kOldProtocol, words);
        } else {
            Fail(TlsFailure::kHandshake, words);
        }
    }

    void ReadPlain(std::string& plain) {
        char buffer[16384];
        for (;;) {
            ERR_clear_error();
            const int n = SSL_read(ssl_.get(), buffer, sizeof buffer);
            if (n > 0) {
                plain.append(buffer, static_cast<std::size_t>(n));
                continue;
            }
            const int error = SSL_get_error(ssl_.get(), n);
            if (error == SSL_ERROR_ZERO_RETURN) {
                state_ = TlsState::kClosed;
            } else if (error != SSL_ERROR_WANT_READ) {
                Fail(TlsFailure::kHandshake, TakeErrors());
            }
            return;
        }
    }

    void Flush(std::string& toPeer) {
        const std::size_t pending = BIO_ctrl_pending(toPeer_);
        if (pending == 0) return;
        const std::size_t start = toPeer.size();
        toPeer.resize(start + pending);
        const int n = BIO_read(toPeer_, &toPeer[start], static_cast<int>(pending));
        toPeer.resize(start + static_cast<std::size_t>(n > 0 ? n : 0));
    }

    void Fail(TlsFailure failure, std::string detail) {
        state_ = TlsState::kFailed;
        failure_ = failure;
        detail_ = std::move(detail);
    }

    SslPtr ssl_;
    BIO* fromPeer_;  // owned by ssl_
    BIO* toPeer_;    // owned by ssl_
    bool server_;
    TlsState state_ = TlsState::kHandshake;
    TlsFailure failure_ = TlsFailure::kNone;
    std::string detail_;
    bool certificateRequested_ = false;
    int alertReceived_ = -1;
};

std::unique_ptr<OpenSslSession> NewSession(SSL_CTX* context, bool server) {
    SslPtr ssl(SSL_new(context));
    if (!ssl) return nullptr;
    BIO* fromPeer = BIO_new(BIO_s_mem());
    BIO* toPeer = BIO_new(BIO_s_mem());
    if (!fromPeer || !toPeer) {
        BIO_free(fromPeer);
        BIO_free(toPeer);
        return nullptr;
    }
    SSL* raw = ssl.get();
    SSL_set_bio(raw, fromPeer, toPeer);
    if (server) {
        SSL_set_accept_state(raw);
    } else {
        SSL_set_connect_state(raw);
    }
    return std::make_unique<OpenSslSession>(std::move(ssl), fromPeer, toPeer, server);
}

// What both sides share: TLS 1.2 or newer, forward-secret AEAD suites, no renegotiation, and
// keys of at least 112 bits' strength (RSA 2048), as browsers demand.
bool ApplyProtocolRules(SSL_CTX* context) {
    SSL_CTX_set_options(context, SSL_OP_NO_RENEGOTIATION);
    if (SSL_CTX_get_security_level(context) < 2) SSL_CTX_set_security_level(context, 2);
    SSL_CTX_set_info_callback(context, OpenSslSession::NoteAlert);
    return SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION) == 1 &&
           SSL_CTX_set_cipher_list(context, kTls12Suites) == 1;
}

// OpenSSL works out a certificate's extensions on first use and caches them in the certificate,
// and a concurrent reader of that cache is not ordered against the writer. Certificates that
// several threads share have it done once, before they are shared.
void CacheExtensions(X509* certificate) { X509_check_purpose(certificate, -1, 0); }

SslCtxPtr MakeClientContext() {
    SslCtxPtr context(SSL_CTX_new(TLS_client_method()));
    if (!context || !ApplyProtocolRules(context.get()) ||
        SSL_CTX_set_default_verify_paths(context.get()) != 1) {
        return nullptr;
    }
    STACK_OF(X509_OBJECT)* trusted = X509_STORE_get0_objects(SSL_CTX_get_cert_store(context.get()));
    for (int i = 0; i < sk_X509_OBJECT_num(trusted); ++i) {
        if (X509* root = X509_OBJECT_get0_X509(sk_X509_OBJECT_value(trusted, i))) {
            CacheExtensions(root);
        }
    }
    SSL_CTX_set_verify(context.get(), SSL_VERIFY_PEER, nullptr);
    SSL_CTX_set_client_cert_cb(context.get(), OpenSslSession::NoteCertificateRequest);
    return context;
}

// One client context for the process: the system's trust store is read once, when it is made.
SSL_CTX* ClientContext() {
    static const SslCtxPtr context = MakeClientContext();
    return context.get();
}

int SelectHttp11(SSL*, const unsigned char** out, unsigned char* outSize, const unsigned char* in,
                 unsigned int inSize, void*) {
    static const unsigned char kHttp11[] = "\x08http/1.1";
    unsigned char* selected = nullptr;
    if (SSL_select_next_proto(&selected, outSize, kHttp11, sizeof kHttp11 - 1, in, inSize) !=
        OPENSSL_NPN_NEGOTIATED) {
        return SSL_TLSEXT_ERR_NOACK;  // the browser then speaks http/1.1 without ALPN
    }
    *out = selected;
    return SSL_TLSEXT_ERR_OK;
}

class OpenSslLeaf final : public TlsLeaf {
  public:
    OpenSslLeaf(SslCtxPtr context, std::string pem)
        : context_(std::move(context)), pem_(std::move(pem)) {}
    SSL_CTX* context() const { return context_.get(); }
    std::string CertificatePem() const override { return pem_; }

  private:
    SslCtxPtr context_;
    std::string pem_;
};

SslCtxPtr MakeServerContext(X509* leaf, X509* root, EVP_PKEY* key) {
    static const unsigned char kSessionContext[] = "korvo";
    SslCtxPtr context(SSL_CTX_new(TLS_server_method()));
    if (!context || !ApplyProtocolRules(context.get()) ||
        SSL_CTX_use_certificate(context.get(), leaf) != 1 ||
        SSL_CTX_use_PrivateKey(context.get(), key) != 1 ||
        SSL_CTX_add1_chain_cert(context.get(), root) != 1 ||
        SSL_CTX_set_session_id_context(context.get(), kSessionContext,
                                       sizeof kSessionContext - 1) != 1) {
        return nullptr;
    }
    SSL_CTX_set_options(context.get(), SSL_OP_CIPHER_SERVER_PREFERENCE);
    SSL_CTX_set_alpn_select_cb(context.get(), SelectHttp11, nullptr);
    return context;
}

std::string ToPem(X509* certificate) {
    BioPtr bio(BIO_new(BIO_s_mem()));
    if (!bio || PEM_write_bio_X509(bio.get(), certificate) != 1) return std::string();
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    return std::string(data, static_cast<std::size_t>(size));
}

std::string ToPem(EVP_PKEY* key) {
    BioPtr bio(BIO_new(BIO_s_mem()));
    if (!bio ||
        PEM_write_bio_PrivateKey(bio.get(), key, nullptr, nullptr, 0, nullptr, nullptr) != 1) {
        return std::string();
    }
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    return std::string(data, static_cast<std::size_t>(size));
}

bool SetRandomSerial(X509* certificate) {
    BignumPtr serial(BN_new());
    if (!serial) return false;
    do {
        if (BN_rand(serial.get(), 128, BN_RAND_TOP_ANY, BN_RAND_BOTTOM_ANY) != 1) return false;
    } while (BN_is_zero(serial.get()));
    return BN_to_ASN1_INTEGER(serial.get(), X509_get_serialNumber(certificate)) != nullptr;
}

bool AddNameEntry(X509_NAME* name, const char* field, const std::string& value) {
    return X509_NAME_add_entry_by_txt(name, field, MBSTRING_UTF8,
                                      reinterpret_cast<const unsigned char*>(value.c_str()), -1, -1,
                                      0) == 1;
}

// Adds an extension written in OpenSSL's configuration syntax; issuer supplies the authority
// key identifier.
bool AddExtension(X509* certificate, X509* issuer, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    if (!extension) return false;
    const bool added = X509_add_ext(certificate, extension, -1) == 1;
    X509_EXTENSION_free(extension);
    return added;
}

// The host as the only alternative name, built as a structure rather than configuration text so
// that no host can add names of its own.
bool AddHostName(X509* certificate, const std::string& host, const std::string& address,
                 bool critical) {
    NamesPtr names(sk_GENERAL_NAME_new_null());
    GENERAL_NAME* name = GENERAL_NAME_new();
    ASN1_STRING* value = address.empty() ? ASN1_IA5STRING_new() : ASN1_OCTET_STRING_new();
    const std::string& bytes = address.empty() ? host : address;
    if (!names || !name || !value ||
        ASN1_STRING_set(value, bytes.data(), static_cast<int>(bytes.size())) != 1) {
        GENERAL_NAME_free(name);
        ASN1_STRING_free(value);
        return false;
    }
    GENERAL_NAME_set0_value(name, address.empty() ? GEN_DNS : GEN_IPADD, value);
    if (sk_GENERAL_NAME_push(names.get(), name) == 0) {
        GENERAL_NAME_free(name);
        return false;
    }
    return X509_add1_ext_i2d(certificate, NID_subject_alt_name, names.get(), critical ? 1 : 0,
                             X509V3_ADD_DEFAULT) == 1;
}

// A certificate with a random serial, key as its key and validity from one day ago for days.
X509Ptr NewCertificate(EVP_PKEY* key, int days) {
    X509Ptr certificate(X509_new());
    if (!certificate || X509_set_version(certificate.get(), X509_VERSION_3) != 1 ||
        !SetRandomSerial(certificate.get()) || X509_set_pubkey(certificate.get(), key) != 1 ||
        !X509_gmtime_adj(X509_getm_notBefore(certificate.get()), -kDaySeconds) ||
        !X509_time_adj_ex(X509_getm_notAfter(certificate.get()), days, -kDaySeconds, nullptr)) {
        return nullptr;
    }
    return certificate;
}

KeyPtr NewKey() { return KeyPtr(EVP_EC_gen("P-256")); }

std::string Today() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &utc);
    return text;
}

X509Ptr MakeRoot(EVP_PKEY* key) {
    X509Ptr root = NewCertificate(key, kRootDays);
    if (!root) return nullptr;
    X509_NAME* name = X509_get_subject_name(root.get());
    if (!AddNameEntry(name, "CN", kRootName) || !AddNameEntry(name, "O", kRootOrganisation) ||
        !AddNameEntry(name, "OU", "made " + Today()) ||
        X509_set_issuer_name(root.get(), name) != 1 ||
        !AddExtension(root.get(), root.get(), NID_basic_constraints,
                      "critical,CA:TRUE,pathlen:0") ||
        !AddExtension(root.get(), root.get(), NID_key_usage, "critical,keyCertSign,cRLSign") ||
        !AddExtension(root.get(), root.get(), NID_subject_key_identifier, "hash") ||
        X509_sign(root.get(), key, EVP_sha256()) == 0) {
        return nullptr;
    }
    return root;
}

class OpenSslAuthority final : public TlsAuthority {
  public:
    OpenSslAuthority(X509Ptr root, KeyPtr rootKey, KeyPtr leafKey)
        : root_(std::move(root)),
          rootKey_(std::move(rootKey)),
          leafKey_(std::move(leafKey)),
          rootPem_(ToPem(root_.get())) {
        CacheExtensions(root_.get());
    }

    std::shared_ptr<const TlsLeaf> IssueLeaf(const std::string& requested) override {
        const std::string host = Unbracketed(requested);
        const std::string address = AddressBytes(host);
        if (address.empty() && !IsDnsName(host)) return nullptr;
        X509Ptr leaf = NewCertificate(leafKey_.get(), kLeafDays);
        if (!leaf) return nullptr;
        X509_NAME* subject = X509_get_subject_name(leaf.get());
        const bool named = host.size() <= kCommonNameLimit;
        if ((named && !AddNameEntry(subject, "CN", host)) ||
            X509_set_issuer_name(leaf.get(), X509_get_subject_name(root_.get())) != 1 ||
            !AddHostName(leaf.get(), host, address, !named) ||
            !AddExtension(leaf.get(), root_.get(), NID_basic_constraints, "critical,CA:FALSE") ||
            !AddExtension(leaf.get(), root_.get(), NID_key_usage, "critical,digitalSignature") ||
            !AddExtension(leaf.get(), root_.get(), NID_ext_key_usage, "serverAuth") ||
            !AddExtension(leaf.get(), root_.get(), NID_authority_key_identifier, "keyid:always") ||
            X509_sign(leaf.get(), rootKey_.get(), EVP_sha256()) == 0) {
            ERR_clear_error();
            return nullptr;
        }
        SslCtxPtr context = MakeServerContext(leaf.get(), root_.get(), leafKey_.get());
        if (!context) {
            ERR_clear_error();
            return nullptr;
        }
        return std::make_shared<OpenSslLeaf>(std::move(context), ToPem(leaf.get()));
    }

    std::string RootPem() const override { return rootPem_; }

  private:
    // Read-only after construction, so leaves may be issued on several threads at once.
    X509Ptr root_;
    KeyPtr rootKey_;
    KeyPtr leafKey_;
    std::string rootPem_;
};

std::string InFolder(const std::string& folder, const char* name) {
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool Exists(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

std::string SystemError(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

// The folder and every missing folder above it, each made readable by the user alone.
bool MakeFolder(const std::string& folder, std::string& error) {
    for (std::size_t end = folder.find('/', 1);; end = folder.find('/', end + 1)) {
        const std::string path = folder.substr(0, end);
        if (!path.empty() && ::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
            error = SystemError("cannot make the folder", path);
            return false;
        }
        if (end == std::string::npos) break;
    }
    struct stat info;
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        error = "not a folder: " + folder;
        return false;
    }
    return true;
}

// Writes content to a temporary file of mode 0600 in folder, flushes it to the disk and moves it
// over name, so the file is whole or absent.
bool WriteFileSafely(const std::string& folder, const char* name, const std::string& content,
                     mode_t mode, std::string& error) {
    const std::string path = InFolder(folder, name);
    std::string temporary = InFolder(folder, ".") + name + ".XXXXXX";
    const int fd = ::mkstemp(&temporary[0]);
    if (fd < 0) {
        error = SystemError("cannot write", path);
        return false;
    }
    std::size_t written = 0;
    while (written < content.size()) {
        const ssize_t n = ::write(fd, content.data() + written, content.size() - written);
        if (n <= 0) break;
        written += static_cast<std::size_t>(n);
    }
    const bool ok = written == content.size() && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !ok || ::rename(temporary.c_str(), path.c_str()) != 0) {
        error = SystemError("cannot write", path);
        ::unlink(temporary.c_str());
        return false;
    }
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return true;
}

KeyPtr LoadKey(const std::string& path, std::string& error) {
    BioPtr file(BIO_new_file(path.c_str(), "r"));
    KeyPtr key(file ? PEM_read_bio_PrivateKey(file.get(), nullptr, nullptr, nullptr) : nullptr);
    if (!key) error = WithErrors("cannot load the key " + path);
    return key;
}

X509Ptr LoadCertificate(const std::string& path, std::string& error) {
    BioPtr file(BIO_new_file(path.c_str(), "r"));
    X509Ptr certificate(file ? PEM_read_bio_X509(file.get(), nullptr, nullptr, nullptr) : nullptr);
    if (!certificate) error = WithErrors("cannot load the certificate " + path);
    return certificate;
}

// A key kept in folder/name: loaded when the file exists, otherwise made and written.
KeyPtr KeptKey(const std::string& folder, const char* name, std::string& error) {
    const std::string path = InFolder(folder, name);
    if (Exists(path)) return LoadKey(path, error);
    KeyPtr key = NewKey();
    if (!key) {
        error = WithErrors("cannot make a key");
        return nullptr;
    }
    if (!WriteFileSafely(folder, name, ToPem(key.get()), 0600, error)) return nullptr;
    return key;
}

}  // namespace

bool TlsBuilt() { return true; }

std::unique_ptr<TlsAuthority> OpenTlsAuthority(const std::string& folder, std::string& error) {
    ERR_clear_error();
    if (folder.empty() || !MakeFolder(folder, error)) {
        if (folder.empty()) error = "no folder for the root";
        return nullptr;
    }
    const std::string rootPath = InFolder(folder, kRootFile);
    const bool rootKept = Exists(rootPath);
    if (rootKept != Exists(InFolder(folder, kRootKeyFile))) {
        error = std::string("only one of ") + kRootFile + " and " + kRootKeyFile + " is in " +
                folder + "; remove the root to make a new one";
        return nullptr;
    }
    KeyPtr rootKey = rootKept ? LoadKey(InFolder(folder, kRootKeyFile), error) : NewKey();
    if (!rootKey) {
        if (!rootKept) error = WithErrors("cannot make a key");
        return nullptr;
    }
    X509Ptr root;
    if (rootKept) {
        root = LoadCertificate(rootPath, error);
        if (!root) return nullptr;
        if (X509_check_private_key(root.get(), rootKey.get()) != 1) {
            ERR_clear_error();
            error = rootPath + " does not belong to the key " + InFolder(folder, kRootKeyFile);
            return nullptr;
        }
    } else {
        root = MakeRoot(rootKey.get());
        if (!root) {
            error = WithErrors("cannot make the root certificate");
            return nullptr;
        }
        if (!WriteFileSafely(folder, kRootKeyFile, ToPem(rootKey.get()), 0600, error)) {
            return nullptr;
        }
        if (!WriteFileSafely(folder, kRootFile, ToPem(root.get()), 0644, error)) {
            // A key without its root would stop every later start.
            ::unlink(InFolder(folder, kRootKeyFile).c_str());
            return nullptr;
        }
    }
    KeyPtr leafKey = KeptKey(folder, kLeafKeyFile, error);
    if (!leafKey) return nullptr;
    return std::make_unique<OpenSslAuthority>(std::move(root), std::move(rootKey),
                                              std::move(leafKey));
}

bool InstallTlsRoot(const TlsAuthority&, std::string&) { return true; }

bool RemoveTlsRoot(const std::string& folder, std::string& error) {
    if (folder.empty()) return true;
    std::vector<std::string> names = {kRootKeyFile, kRootFile, kLeafKeyFile};
    // Temporary files a write cut short left behind.
    if (DIR* listing = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(listing)) {
            const std::string name = entry->d_name;
            for (const char* kept : {kRootKeyFile, kRootFile, kLeafKeyFile}) {
                if (name.rfind(std::string(".") + kept + ".", 0) == 0) names.push_back(name);
            }
        }
        ::closedir(listing);
    }
    for (const std::string& name : names) {
        const std::string path = InFolder(folder, name.c_str());
        if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
            error = SystemError("cannot delete", path);
            return false;
        }
    }
    ::rmdir(folder.c_str());  // only when nothing else is in it
    return true;
}

bool TlsServerAvailable() { return true; }

std::unique_ptr<TlsSession> StartTlsClient(const std::string& serverName, std::string& toPeer) {
    SSL_CTX* context = ClientContext();
    if (!context || serverName.empty()) return nullptr;
    std::unique_ptr<OpenSslSession> session = NewSession(context, false);
    if (!session) return nullptr;
    std::string plain;
    if (!session->CheckServerName(Unbracketed(serverName))) return nullptr;
    session->Advance(plain, toPeer);
    return session;
}

std::unique_ptr<TlsSession> StartTlsServer(const TlsLeaf& leaf) {
    const auto* ours = dynamic_cast<const OpenSslLeaf*>(&leaf);
    if (!ours) return nullptr;
    return NewSession(ours->context(), true);
}

}  // namespace platform
