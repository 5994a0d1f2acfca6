// The installation's root of trust on Windows: its key and the leaf key in non-exportable
// CryptoAPI containers of the user, its certificate in the folder as root.cer, the leaves it
// signs, its place in the user's Root store, and the check of a site's certificate.
#include <windows.h>
// wincrypt.h needs windows.h first.
#include <wincrypt.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <utility>

#include "platform/files.h"
#include "platform/tls.h"
#include "platform/win/tls_crypto_win.h"
#include "platform/win/tls_win.h"

namespace platform {
namespace tls_win {

std::wstring Widen(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int size =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], size);
    return wide;
}

std::string HexCode(unsigned long code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", code);
    return text;
}

namespace {

bool ParseIpv4(const std::string& text, BYTE* out) {
    int part = 0;
    int digits = 0;
    unsigned value = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        const char c = i < text.size() ? text[i] : '.';
        if (c >= '0' && c <= '9') {
            value = value * 10 + static_cast<unsigned>(c - '0');
            if (++digits > 3 || value > 255) return false;
        } else if (c == '.') {
            if (digits == 0 || part == 4) return false;
            out[part++] = static_cast<BYTE>(value);
            value = 0;
            digits = 0;
        } else {
            return false;
        }
    }
    return part == 4;
}

// Colon-separated groups of one to four hex digits, at most one "::".
bool ParseIpv6(const std::string& text, BYTE* out) {
    std::vector<unsigned> head;
    std::vector<unsigned> tail;
    bool gap = false;
    std::size_t i = 0;
    if (text.compare(0, 2, "::") == 0) {
        gap = true;
        i = 2;
    }
    while (i < text.size()) {
        unsigned value = 0;
        int digits = 0;
        while (i < text.size() && std::isxdigit(static_cast<unsigned char>(text[i]))) {
            const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
            value = value * 16 + static_cast<unsigned>(c <= '9' ? c - '0' : c - 'a' + 10);
            if (++digits > 4) return false;
            ++i;
        }
        if (digits == 0) return false;
        (gap ? tail : head).push_back(value);
        if (i == text.size()) break;
        if (text[i] != ':') return false;
        ++i;
        if (i < text.size() && text[i] == ':') {
            if (gap) return false;
            gap = true;
            ++i;
        } else if (i == text.size()) {
            return false;
        }
    }
    const std::size_t groups = head.size() + tail.size();
    if (gap ? groups > 7 : groups != 8) return false;
    std::vector<unsigned> all = head;
    all.resize(8 - tail.size(), 0);
    all.insert(all.end(), tail.begin(), tail.end());
    for (std::size_t g = 0; g < 8; ++g) {
        out[2 * g] = static_cast<BYTE>(all[g] >> 8);
        out[2 * g + 1] = static_cast<BYTE>(all[g] & 0xFF);
    }
    return true;
}

}  // namespace

std::vector<BYTE> IpAddressBytes(const std::string& host) {
    std::string text = host;
    if (text.size() > 2 && text.front() == '[' && text.back() == ']') {
        text = text.substr(1, text.size() - 2);
    }
    std::vector<BYTE> bytes(16);
    if (ParseIpv4(text, bytes.data())) {
        bytes.resize(4);
        return bytes;
    }
    if (text.find(':') != std::string::npos && ParseIpv6(text, bytes.data())) return bytes;
    return {};
}

namespace {

constexpr DWORD kEncoding = X509_ASN_ENCODING;
constexpr wchar_t kRootName[] = L"Korvo Popup Killer Local Root";
constexpr wchar_t kOrganization[] = L"Korvo Popup Killer";
constexpr ULONGLONG kDay = 24ULL * 60 * 60 * 10000000;  // in FILETIME units of 100 ns
constexpr DWORD kRsaBits = 2048;
// SECURITY_FLAG_IGNORE_CERT_CN_INVALID of the SSL policy (defined in winhttp.h).
constexpr DWORD kIgnoreNameMismatch = 0x00001000;

class Provider {
  public:
    Provider() = default;
    ~Provider() {
        if (handle_) CryptReleaseContext(handle_, 0);
    }
    Provider(const Provider&) = delete;
    Provider& operator=(const Provider&) = delete;
    HCRYPTPROV* out() { return &handle_; }
    HCRYPTPROV get() const { return handle_; }
    // Hands the handle to another owner.
    void MoveTo(Provider& other) {
        other.handle_ = handle_;
        handle_ = 0;
    }

  private:
    HCRYPTPROV handle_ = 0;
};

struct StoreClose {
    void operator()(HCERTSTORE store) const { CertCloseStore(store, 0); }
};
using Store = std::unique_ptr<void, StoreClose>;

// Opens the user's key container name with an RSA key of keySpec in it, making both when
// missing (the key without CRYPT_EXPORTABLE, so it never leaves the container). made tells
// whether the key is new.
bool OpenKey(const char* name, DWORD keySpec, Provider& provider, bool& made, std::string& error) {
    const std::wstring container = Widen(name);
    made = false;
    if (!CryptAcquireContextW(provider.out(), container.c_str(), kKeyProvider, PROV_RSA_AES, 0)) {
        const DWORD code = GetLastError();
        if (code != static_cast<DWORD>(NTE_BAD_KEYSET) ||
            !CryptAcquireContextW(provider.out(), container.c_str(), kKeyProvider, PROV_RSA_AES,
                                  CRYPT_NEWKEYSET)) {
            error = std::string("cannot open the key container \"") + name + "\" (" +
                    HexCode(GetLastError()) + ")";
            return false;
        }
    }
    HCRYPTKEY key = 0;
    if (CryptGetUserKey(provider.get(), keySpec, &key)) {
        CryptDestroyKey(key);
        return true;
    }
    if (!CryptGenKey(provider.get(), keySpec, kRsaBits << 16, &key)) {
        error = std::string("cannot make the key in \"") + name + "\" (" + HexCode(GetLastError()) +
                ")";
        return false;
    }
    CryptDestroyKey(key);
    made = true;
    // Wine's provider writes a new key to the container only when the handle is released.
    CryptReleaseContext(provider.get(), 0);
    *provider.out() = 0;
    if (!CryptAcquireContextW(provider.out(), container.c_str(), kKeyProvider, PROV_RSA_AES, 0)) {
        error = std::string("cannot reopen the key container \"") + name + "\" (" +
                HexCode(GetLastError()) + ")";
        return false;
    }
    return true;
}

// The public key as CERT_PUBLIC_KEY_INFO, which points into the same bytes.
std::vector<BYTE> PublicKey(HCRYPTPROV provider, DWORD keySpec) {
    DWORD size = 0;
    if (!CryptExportPublicKeyInfo(provider, keySpec, kEncoding, nullptr, &size)) return {};
    std::vector<BYTE> bytes(size);
    if (!CryptExportPublicKeyInfo(provider, keySpec, kEncoding,
                                  reinterpret_cast<PCERT_PUBLIC_KEY_INFO>(bytes.data()), &size)) {
        return {};
    }
    return bytes;
}

PCERT_PUBLIC_KEY_INFO KeyInfo(std::vector<BYTE>& bytes) {
    return reinterpret_cast<PCERT_PUBLIC_KEY_INFO>(bytes.data());
}

std::vector<BYTE> KeyIdentifier(PCERT_PUBLIC_KEY_INFO publicKey) {
    std::vector<BYTE> hash(20);
    DWORD size = static_cast<DWORD>(hash.size());
    if (!CryptHashPublicKeyInfo(0, CALG_SHA1, 0, kEncoding, publicKey, hash.data(), &size)) {
        return {};
    }
    hash.resize(size);
    return hash;
}

std::vector<BYTE> Encode(LPCSTR type, const void* value) {
    DWORD size = 0;
    if (!CryptEncodeObject(kEncoding, type, value, nullptr, &size)) return {};
    std::vector<BYTE> bytes(size);
    if (!CryptEncodeObject(kEncoding, type, value, bytes.data(), &size)) return {};
    bytes.resize(size);
    return bytes;
}

// An X.500 name of (attribute, value) pairs, each its own RDN, values as UTF-8 strings.
std::vector<BYTE> EncodeName(std::initializer_list<std::pair<LPCSTR, std::wstring>> parts) {
    std::vector<CERT_RDN_ATTR> attributes;
    std::vector<std::wstring> values;
    values.reserve(parts.size());
    for (const auto& part : parts) {
        values.push_back(part.second);
        CERT_RDN_ATTR attribute{};
        attribute.pszObjId = const_cast<LPSTR>(part.first);
        attribute.dwValueType = CERT_RDN_UTF8_STRING;
        attribute.Value.cbData = static_cast<DWORD>(values.back().size() * sizeof(wchar_t));
        attribute.Value.pbData = reinterpret_cast<BYTE*>(&values.back()[0]);
        attributes.push_back(attribute);
    }
    std::vector<CERT_RDN> rdns;
    for (CERT_RDN_ATTR& attribute : attributes) rdns.push_back(CERT_RDN{1, &attribute});
    CERT_NAME_INFO name{static_cast<DWORD>(rdns.size()), rdns.data()};
    return Encode(X509_UNICODE_NAME, &name);
}

FILETIME TimeFromNow(long long days) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER value;
    value.LowPart = now.dwLowDateTime;
    value.HighPart = now.dwHighDateTime;
    value.QuadPart += static_cast<ULONGLONG>(days * static_cast<long long>(kDay));
    FILETIME result;
    result.dwLowDateTime = value.LowPart;
    result.dwHighDateTime = value.HighPart;
    return result;
}

// An extension of a certificate to be signed: its object id, whether it is critical, its DER.
struct Extension {
    LPCSTR oid;
    bool critical;
    std::vector<BYTE> value;
};

// Signs a certificate with the issuer's key (keySpec in issuer) using SHA-256 with RSA.
Certificate SignCertificate(HCRYPTPROV issuer, DWORD keySpec, std::vector<BYTE>& issuerName,
                            std::vector<BYTE>& subjectName, std::vector<BYTE>& subjectKey,
                            FILETIME notBefore, FILETIME notAfter,
                            std::vector<Extension>& extensions) {
    BYTE serial[16];
    if (!CryptGenRandom(issuer, sizeof serial, serial)) return nullptr;
    // Little-endian: the last byte is the most significant; kept positive and non-zero.
    serial[15] = static_cast<BYTE>((serial[15] & 0x7F) | 0x01);

    std::vector<CERT_EXTENSION> certExtensions;
    for (Extension& e : extensions) {
        if (e.value.empty()) return nullptr;
        CERT_EXTENSION x{};
        x.pszObjId = const_cast<LPSTR>(e.oid);
        x.fCritical = e.critical ? TRUE : FALSE;
        x.Value.cbData = static_cast<DWORD>(e.value.size());
        x.Value.pbData = e.value.data();
        certExtensions.push_back(x);
    }

    CRYPT_ALGORITHM_IDENTIFIER algorithm{};
    algorithm.pszObjId = const_cast<LPSTR>(szOID_RSA_SHA256RSA);
    CERT_INFO info{};
    info.dwVersion = CERT_V3;
    info.SerialNumber.cbData = sizeof serial;
    info.SerialNumber.pbData = serial;
    info.SignatureAlgorithm = algorithm;
    info.Issuer.cbData = static_cast<DWORD>(issuerName.size());
    info.Issuer.pbData = issuerName.data();
    info.Subject.cbData = static_cast<DWORD>(subjectName.size());
    info.Subject.pbData = subjectName.data();
    info.NotBefore = notBefore;
    info.NotAfter = notAfter;
    info.SubjectPublicKeyInfo = *KeyInfo(subjectKey);
    info.cExtension = static_cast<DWORD>(certExtensions.size());
    info.rgExtension = certExtensions.data();

    DWORD size = 0;
    if (!CryptSignAndEncodeCertificate(issuer, keySpec, kEncoding, X509_CERT_TO_BE_SIGNED, &info,
                                       &algorithm, nullptr, nullptr, &size)) {
        return nullptr;
    }
    std::vector<BYTE> der(size);
    if (!CryptSignAndEncodeCertificate(issuer, keySpec, kEncoding, X509_CERT_TO_BE_SIGNED, &info,
                                       &algorithm, nullptr, der.data(), &size)) {
        return nullptr;
    }
    return Certificate(CertCreateCertificateContext(kEncoding, der.data(), size));
}

Extension BasicConstraints(bool authority) {
    CERT_BASIC_CONSTRAINTS2_INFO info{};
    info.fCA = authority ? TRUE : FALSE;
    info.fPathLenConstraint = authority ? TRUE : FALSE;
    return {szOID_BASIC_CONSTRAINTS2, true, Encode(X509_BASIC_CONSTRAINTS2, &info)};
}

Extension KeyUsage(BYTE usage, DWORD unusedBits) {
    CRYPT_BIT_BLOB bits{};
    bits.cbData = 1;
    bits.pbData = &usage;
    bits.cUnusedBits = unusedBits;
    return {szOID_KEY_USAGE, true, Encode(X509_KEY_USAGE, &bits)};
}

Extension SubjectKeyIdentifier(std::vector<BYTE>& identifier) {
    CRYPT_DATA_BLOB blob{static_cast<DWORD>(identifier.size()), identifier.data()};
    return {szOID_SUBJECT_KEY_IDENTIFIER, false, Encode(X509_OCTET_STRING, &blob)};
}

std::string Today() {
    SYSTEMTIME now;
    GetSystemTime(&now);
    char text[16];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u", now.wYear, now.wMonth, now.wDay);
    return text;
}

// The self-signed root: CA, certificate signing only, ten years from a day ago.
Certificate MakeRoot(HCRYPTPROV rootKey, std::vector<BYTE>& publicKey) {
    std::vector<BYTE> name =
        EncodeName({{szOID_COMMON_NAME, kRootName},
                    {szOID_ORGANIZATION_NAME, kOrganization},
                    {szOID_ORGANIZATIONAL_UNIT_NAME, L"made " + Widen(Today())}});
    std::vector<BYTE> identifier = KeyIdentifier(KeyInfo(publicKey));
    if (name.empty() || identifier.empty()) return nullptr;
    std::vector<Extension> extensions = {
        BasicConstraints(true),
        KeyUsage(CERT_KEY_CERT_SIGN_KEY_USAGE | CERT_CRL_SIGN_KEY_USAGE, 1),
        SubjectKeyIdentifier(identifier),
    };
    return SignCertificate(rootKey, AT_SIGNATURE, name, name, publicKey, TimeFromNow(-1),
                           TimeFromNow(-1 + 3652), extensions);
}

Certificate ReadRootFile(const std::string& path) {
    std::string der;
    if (ReadWholeFile(path, 64 * 1024, &der) != FileRead::kRead || der.empty()) return nullptr;
    return Certificate(CertCreateCertificateContext(
        kEncoding, reinterpret_cast<const BYTE*>(der.data()), static_cast<DWORD>(der.size())));
}

bool MakeFolders(const std::string& folder) {
    for (std::size_t at = folder.find_first_of("\\/", 3); at != std::string::npos;
         at = folder.find_first_of("\\/", at + 1)) {
        CreateDirectoryA(folder.substr(0, at).c_str(), nullptr);
    }
    return CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::string RootPath(const std::string& folder) {
    std::string path = folder;
    if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
    return path + kTlsRootFile;
}

class WinAuthority final : public TlsAuthority {
  public:
    WinAuthority(Certificate root, Provider& rootKey, std::vector<BYTE> leafKey)
        : root_(std::move(root)), leafKey_(std::move(leafKey)) {
        rootKey.MoveTo(rootKey_);
        rootIdentifier_ = KeyIdentifier(&root_->pCertInfo->SubjectPublicKeyInfo);
        leafIdentifier_ = KeyIdentifier(KeyInfo(leafKey_));
    }

    std::shared_ptr<const TlsLeaf> IssueLeaf(const std::string& host) override {
        if (host.empty() || host.size() > 253 ||
            host.find_first_of("*\"\\,=+<>#; /") != host.npos) {
            return nullptr;
        }
        const std::vector<BYTE> address = IpAddressBytes(host);
        const std::wstring wideHost = Widen(host);

        CERT_ALT_NAME_ENTRY entry{};
        if (address.empty()) {
            entry.dwAltNameChoice = CERT_ALT_NAME_DNS_NAME;
            entry.pwszDNSName = const_cast<LPWSTR>(wideHost.c_str());
        } else {
            entry.dwAltNameChoice = CERT_ALT_NAME_IP_ADDRESS;
            entry.IPAddress.cbData = static_cast<DWORD>(address.size());
            entry.IPAddress.pbData = const_cast<BYTE*>(address.data());
        }
        CERT_ALT_NAME_INFO names{1, &entry};
        LPSTR serverAuth = const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH);
        CERT_ENHKEY_USAGE usage{1, &serverAuth};
        CERT_AUTHORITY_KEY_ID2_INFO authority{};
        authority.KeyId.cbData = static_cast<DWORD>(rootIdentifier_.size());
        authority.KeyId.pbData = rootIdentifier_.data();

        std::vector<Extension> extensions = {
            BasicConstraints(false),
            KeyUsage(CERT_DIGITAL_SIGNATURE_KEY_USAGE | CERT_KEY_ENCIPHERMENT_KEY_USAGE, 5),
            {szOID_ENHANCED_KEY_USAGE, false, Encode(X509_ENHANCED_KEY_USAGE, &usage)},
            {szOID_SUBJECT_ALT_NAME2, false, Encode(X509_ALTERNATE_NAME, &names)},
            {szOID_AUTHORITY_KEY_IDENTIFIER2, false, Encode(X509_AUTHORITY_KEY_ID2, &authority)},
            SubjectKeyIdentifier(leafIdentifier_),
        };
        std::vector<BYTE> subject = EncodeName({{szOID_COMMON_NAME, wideHost}});
        std::vector<BYTE> issuer(
            root_->pCertInfo->Subject.pbData,
            root_->pCertInfo->Subject.pbData + root_->pCertInfo->Subject.cbData);
        if (subject.empty()) return nullptr;

        Certificate leaf;
        {
            // One provider handle signs for every thread of the proxy.
            std::lock_guard<std::mutex> lock(mutex_);
            leaf = SignCertificate(rootKey_.get(), AT_SIGNATURE, issuer, subject, leafKey_,
                                   TimeFromNow(-1), TimeFromNow(-1 + 90), extensions);
        }
        if (!leaf) return nullptr;

        const std::wstring container = Widen(kTlsLeafContainer);
        CRYPT_KEY_PROV_INFO key{};
        key.pwszContainerName = const_cast<LPWSTR>(container.c_str());
        key.pwszProvName = const_cast<LPWSTR>(kKeyProvider);
        key.dwProvType = PROV_RSA_AES;
        key.dwKeySpec = AT_KEYEXCHANGE;
        if (!CertSetCertificateContextProperty(leaf.get(), CERT_KEY_PROV_INFO_PROP_ID, 0, &key)) {
            return nullptr;
        }
        return std::make_shared<WinLeaf>(std::move(leaf));
    }

    std::string RootPem() const override {
        DWORD size = 0;
        if (!CryptBinaryToStringA(root_->pbCertEncoded, root_->cbCertEncoded,
                                  CRYPT_STRING_BASE64HEADER, nullptr, &size)) {
            return "";
        }
        std::string text(size, '\0');
        if (!CryptBinaryToStringA(root_->pbCertEncoded, root_->cbCertEncoded,
                                  CRYPT_STRING_BASE64HEADER, &text[0], &size)) {
            return "";
        }
        text.resize(size);
        std::string pem;
        for (char c : text) {
            if (c != '\r' && c != '\0') pem += c;
        }
        return pem;
    }

    PCCERT_CONTEXT root() const { return root_.get(); }

  private:
    Certificate root_;
    std::vector<BYTE> leafKey_;
    std::vector<BYTE> rootIdentifier_;
    std::vector<BYTE> leafIdentifier_;
    Provider rootKey_;
    std::mutex mutex_;
};

bool IsOurRoot(PCCERT_CONTEXT certificate, PCCERT_CONTEXT fromFile) {
    if (fromFile &&
        CertCompareCertificate(kEncoding, certificate->pCertInfo, fromFile->pCertInfo)) {
        return true;
    }
    auto attribute = [certificate](DWORD flags, LPCSTR oid) {
        wchar_t text[256] = L"";
        CertGetNameStringW(certificate, CERT_NAME_ATTR_TYPE, flags, const_cast<LPSTR>(oid), text,
                           256);
        return std::wstring(text);
    };
    return attribute(0, szOID_COMMON_NAME) == kRootName &&
           attribute(0, szOID_ORGANIZATION_NAME) == kOrganization &&
           attribute(CERT_NAME_ISSUER_FLAG, szOID_COMMON_NAME) == kRootName;
}

// Deletes every root of ours from the store; false when one stays.
bool DeleteOurRoots(HCERTSTORE store, PCCERT_CONTEXT fromFile) {
    std::vector<PCCERT_CONTEXT> found;
    PCCERT_CONTEXT each = nullptr;
    while ((each = CertEnumCertificatesInStore(store, each)) != nullptr) {
        if (IsOurRoot(each, fromFile)) found.push_back(CertDuplicateCertificateContext(each));
    }
    bool all = true;
    // CertDeleteCertificateFromStore frees the context it is given, also when it fails.
    for (PCCERT_CONTEXT certificate : found) {
        all = CertDeleteCertificateFromStore(certificate) && all;
    }
    return all;
}

bool HoldsOurRoot(HCERTSTORE store, PCCERT_CONTEXT fromFile) {
    PCCERT_CONTEXT each = nullptr;
    while ((each = CertEnumCertificatesInStore(store, each)) != nullptr) {
        if (IsOurRoot(each, fromFile)) {
            CertFreeCertificateContext(each);
            return true;
        }
    }
    return false;
}

// The Root store of location through the registry provider: a delete through the system
// store's collection reports success on Wine without persisting.
Store OpenRegistryRoot(DWORD location, DWORD flags) {
    return Store(CertOpenStore(CERT_STORE_PROV_SYSTEM_REGISTRY_W, 0, 0,
                               location | CERT_STORE_OPEN_EXISTING_FLAG | flags, L"Root"));
}

bool DeleteContainer(const char* name) {
    const std::wstring container = Widen(name);
    HCRYPTPROV provider = 0;
    return CryptAcquireContextW(&provider, container.c_str(), kKeyProvider, PROV_RSA_AES,
                                CRYPT_DELETEKEYSET) ||
           GetLastError() == static_cast<DWORD>(NTE_BAD_KEYSET);
}

bool Missing(DWORD code) { return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND; }

// The chain's error bits that say why it is not trusted; revocation that could not be checked
// is not one (only the system's cached revocation data is asked, the check never waits on the
// network).
TlsFailure ChainFailure(PCCERT_CHAIN_CONTEXT chain, DWORD errors) {
    if (errors & (CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_IS_PARTIAL_CHAIN)) {
        // A chain of the leaf alone whose issuer is its subject (Wine does not mark the element
        // as self-signed).
        const CERT_SIMPLE_CHAIN* simple = chain->cChain ? chain->rgpChain[0] : nullptr;
        const bool selfSigned =
            simple && simple->cElement == 1 &&
            CertCompareCertificateName(kEncoding,
                                       &simple->rgpElement[0]->pCertContext->pCertInfo->Subject,
                                       &simple->rgpElement[0]->pCertContext->pCertInfo->Issuer);
        return selfSigned ? TlsFailure::kSelfSigned : TlsFailure::kUnknownIssuer;
    }
    if (errors & CERT_TRUST_IS_REVOKED) return TlsFailure::kRevoked;
    if (errors & CERT_TRUST_IS_NOT_TIME_VALID) return TlsFailure::kExpired;
    return TlsFailure::kBadCertificate;
}

TlsFailure PolicyFailure(PCCERT_CHAIN_CONTEXT chain, DWORD error) {
    switch (error) {
        case static_cast<DWORD>(CERT_E_EXPIRED):
            return TlsFailure::kExpired;
        case static_cast<DWORD>(CERT_E_CN_NO_MATCH):
            return TlsFailure::kWrongHost;
        case static_cast<DWORD>(CERT_E_UNTRUSTEDROOT):
        case static_cast<DWORD>(CERT_E_CHAINING):
            return ChainFailure(chain, CERT_TRUST_IS_UNTRUSTED_ROOT);
        case static_cast<DWORD>(CRYPT_E_REVOKED):
            return TlsFailure::kRevoked;
        default:
            return TlsFailure::kBadCertificate;
    }
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// A DNS name of the certificate matches host exactly, or as "*.rest" with one label for the
// star.
bool DnsNameMatches(const std::string& pattern, const std::string& host) {
    if (pattern == host) return true;
    if (pattern.size() < 3 || pattern.compare(0, 2, "*.") != 0) return false;
    const std::size_t dot = host.find('.');
    return dot != std::string::npos && dot > 0 &&
           host.compare(dot, std::string::npos, pattern, 1, std::string::npos) == 0;
}

// The host among the certificate's subject alternative names, as browsers require (they no
// longer read the common name). Wine's SSL policy also accepts hosts that are not there.
bool NamesHost(PCCERT_CONTEXT leaf, const std::string& host, const std::vector<BYTE>& address) {
    PCERT_EXTENSION extension = CertFindExtension(
        szOID_SUBJECT_ALT_NAME2, leaf->pCertInfo->cExtension, leaf->pCertInfo->rgExtension);
    if (!extension) return false;
    PCERT_ALT_NAME_INFO names = nullptr;
    DWORD size = 0;
    if (!CryptDecodeObjectEx(kEncoding, X509_ALTERNATE_NAME, extension->Value.pbData,
                             extension->Value.cbData, CRYPT_DECODE_ALLOC_FLAG, nullptr, &names,
                             &size)) {
        return false;
    }
    const std::string wanted = Lower(host);
    bool found = false;
    for (DWORD i = 0; i < names->cAltEntry && !found; ++i) {
        const CERT_ALT_NAME_ENTRY& entry = names->rgAltEntry[i];
        if (!address.empty()) {
            found = entry.dwAltNameChoice == CERT_ALT_NAME_IP_ADDRESS &&
                    entry.IPAddress.cbData == address.size() &&
                    std::memcmp(entry.IPAddress.pbData, address.data(), address.size()) == 0;
        } else if (entry.dwAltNameChoice == CERT_ALT_NAME_DNS_NAME && entry.pwszDNSName) {
            std::string name;
            for (const wchar_t* c = entry.pwszDNSName; *c; ++c) {
                name += *c < 128 ? static_cast<char>(*c) : '\x01';
            }
            found = DnsNameMatches(Lower(name), wanted);
        }
    }
    LocalFree(names);
    return found;
}

bool RevocationUnknown(DWORD error) {
    return error == static_cast<DWORD>(CERT_E_REVOCATION_FAILURE) ||
           error == static_cast<DWORD>(CRYPT_E_REVOCATION_OFFLINE) ||
           error == static_cast<DWORD>(CRYPT_E_NO_REVOCATION_CHECK);
}

}  // namespace

TlsFailure VerifyServerChain(PCCERT_CONTEXT leaf, HCERTSTORE extra, const std::string& host,
                             std::string& detail) {
    // A new engine for every check: an engine already running does not see a root this process
    // has just added (Wine).
    CERT_CHAIN_ENGINE_CONFIG config{};
    config.cbSize = sizeof config;
    HCERTCHAINENGINE engine = nullptr;
    if (!CertCreateCertificateChainEngine(&config, &engine)) {
        detail = "CertCreateCertificateChainEngine " + HexCode(GetLastError());
        return TlsFailure::kBadCertificate;
    }
    LPSTR serverAuth = const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH);
    CERT_CHAIN_PARA para{};
    para.cbSize = sizeof para;
    para.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    para.RequestedUsage.Usage.cUsageIdentifier = 1;
    para.RequestedUsage.Usage.rgpszUsageIdentifier = &serverAuth;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    if (!CertGetCertificateChain(
            engine, leaf, nullptr, extra, &para,
            CERT_CHAIN_REVOCATION_CHECK_CHAIN_EXCLUDE_ROOT | CERT_CHAIN_REVOCATION_CHECK_CACHE_ONLY,
            nullptr, &chain)) {
        detail = "CertGetCertificateChain " + HexCode(GetLastError());
        CertFreeCertificateChainEngine(engine);
        return TlsFailure::kBadCertificate;
    }

    const std::vector<BYTE> address = IpAddressBytes(host);
    std::wstring serverName = Widen(host);
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
    ssl.cbSize = sizeof ssl;
    ssl.dwAuthType = AUTHTYPE_SERVER;
    if (address.empty()) {
        ssl.pwszServerName = &serverName[0];
    } else {
        // The address is compared with the certificate's IP names below.
        ssl.fdwChecks = kIgnoreNameMismatch;
    }
    CERT_CHAIN_POLICY_PARA policy{};
    policy.cbSize = sizeof policy;
    policy.dwFlags = CERT_CHAIN_POLICY_IGNORE_ALL_REV_UNKNOWN_FLAGS;
    policy.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS status{};
    status.cbSize = sizeof status;
    DWORD policyError = 0;
    if (!CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &status)) {
        policyError = GetLastError();
    } else if (!RevocationUnknown(status.dwError)) {
        policyError = status.dwError;
    }
    // Wine's SSL policy lets a chain with an unknown issuer through: the chain's own status
    // must be clean as well.
    const DWORD chainErrors = chain->TrustStatus.dwErrorStatus &
                              ~static_cast<DWORD>(CERT_TRUST_REVOCATION_STATUS_UNKNOWN |
                                                  CERT_TRUST_IS_OFFLINE_REVOCATION);
    detail = "chain status " + HexCode(chainErrors) + ", SSL policy " + HexCode(policyError);

    TlsFailure failure = TlsFailure::kNone;
    if (chainErrors &
        (CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_IS_PARTIAL_CHAIN | CERT_TRUST_IS_REVOKED)) {
        failure = ChainFailure(chain, chainErrors);
    } else if (policyError != 0) {
        failure = PolicyFailure(chain, policyError);
    } else if (chainErrors != 0) {
        failure = ChainFailure(chain, chainErrors);
    } else if (!NamesHost(leaf, host, address)) {
        detail += ", " + host + " not among the certificate's names";
        failure = TlsFailure::kWrongHost;
    }
    CertFreeCertificateChain(chain);
    CertFreeCertificateChainEngine(engine);
    return failure;
}

}  // namespace tls_win

using tls_win::Certificate;

std::unique_ptr<TlsAuthority> OpenTlsAuthority(const std::string& folder, std::string& error) {
    using namespace tls_win;
    if (folder.empty() || !MakeFolders(folder)) {
        error = "cannot make the folder \"" + folder + "\" (" + HexCode(GetLastError()) + ")";
        return nullptr;
    }
    Provider rootKey;
    Provider leafKey;
    bool newRootKey = false;
    bool newLeafKey = false;
    if (!OpenKey(kTlsRootContainer, AT_SIGNATURE, rootKey, newRootKey, error) ||
        !OpenKey(kTlsLeafContainer, AT_KEYEXCHANGE, leafKey, newLeafKey, error)) {
        return nullptr;
    }
    std::vector<BYTE> rootPublic = PublicKey(rootKey.get(), AT_SIGNATURE);
    std::vector<BYTE> leafPublic = PublicKey(leafKey.get(), AT_KEYEXCHANGE);
    if (rootPublic.empty() || leafPublic.empty()) {
        error = "cannot read the public keys (" + HexCode(GetLastError()) + ")";
        return nullptr;
    }

    // The kept root stands while it carries the container's key and is within its dates.
    const std::string path = RootPath(folder);
    Certificate root = ReadRootFile(path);
    if (root && (!CertComparePublicKeyInfo(kEncoding, &root->pCertInfo->SubjectPublicKeyInfo,
                                           KeyInfo(rootPublic)) ||
                 CertVerifyTimeValidity(nullptr, root->pCertInfo) != 0)) {
        root.reset();
    }
    if (!root) {
        root = MakeRoot(rootKey.get(), rootPublic);
        if (!root) {
            error = "cannot make the root certificate (" + HexCode(GetLastError()) + ")";
            return nullptr;
        }
        const std::string der(reinterpret_cast<const char*>(root->pbCertEncoded),
                              root->cbCertEncoded);
        if (!ReplaceFileContent(path, der)) {
            error = "cannot write \"" + path + "\" (" + HexCode(GetLastError()) + ")";
            return nullptr;
        }
    }
    return std::make_unique<WinAuthority>(std::move(root), rootKey, std::move(leafPublic));
}

bool InstallTlsRoot(const TlsAuthority& authority, std::string& error) {
    using namespace tls_win;
    const auto* ours = dynamic_cast<const WinAuthority*>(&authority);
    if (!ours) {
        error = "not a root of this system";
        return false;
    }
    Store store(
        CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root"));
    if (!store) {
        error = "cannot open the user's Root store (" + HexCode(GetLastError()) + ")";
        return false;
    }
    if (PCCERT_CONTEXT there = CertFindCertificateInStore(
            store.get(), kEncoding, 0, CERT_FIND_EXISTING, ours->root(), nullptr)) {
        CertFreeCertificateContext(there);
        return true;
    }
    // Windows asks the user to confirm a new root of the user's store.
    if (!CertAddCertificateContextToStore(store.get(), ours->root(), CERT_STORE_ADD_USE_EXISTING,
                                          nullptr)) {
        const DWORD code = GetLastError();
        if (code == ERROR_CANCELLED ||
            code == static_cast<DWORD>(HRESULT_FROM_WIN32(ERROR_CANCELLED))) {
            error = "the root was not trusted: the user declined it in Windows' confirmation (" +
                    HexCode(code) + ")";
        } else {
            error = "cannot add the root to the user's Root store (" + HexCode(code) + ")";
        }
        return false;
    }
    return true;
}

bool RemoveTlsRoot(const std::string& folder, std::string& error) {
    using namespace tls_win;
    const std::string path = RootPath(folder);
    const Certificate fromFile = ReadRootFile(path);
    error.clear();
    auto problem = [&error](const std::string& text) {
        if (!error.empty()) error += "; ";
        error += text;
    };

    if (Store user = OpenRegistryRoot(CERT_SYSTEM_STORE_CURRENT_USER, 0)) {
        if (!DeleteOurRoots(user.get(), fromFile.get())) {
            problem("cannot delete the root from the user's Root store (" +
                    HexCode(GetLastError()) + ")");
        }
    }
    auto userStoreHolds = [&fromFile] {
        const Store check =
            OpenRegistryRoot(CERT_SYSTEM_STORE_CURRENT_USER, CERT_STORE_READONLY_FLAG);
        return check && HoldsOurRoot(check.get(), fromFile.get());
    };
    if (userStoreHolds()) {
        // Where the registry provider cannot delete it, the system store's own path may.
        Store system(
            CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root"));
        if (system) DeleteOurRoots(system.get(), fromFile.get());
        if (userStoreHolds()) problem("the root stays in the user's store");
    }
    if (Store machine = OpenRegistryRoot(CERT_SYSTEM_STORE_LOCAL_MACHINE, 0)) {
        DeleteOurRoots(machine.get(), fromFile.get());
    }
    if (Store check = OpenRegistryRoot(CERT_SYSTEM_STORE_LOCAL_MACHINE, CERT_STORE_READONLY_FLAG)) {
        if (HoldsOurRoot(check.get(), fromFile.get())) {
            problem("the root stays in the machine's Root store (an administrator can delete it)");
        }
    }

    if (!DeleteContainer(kTlsRootContainer) || !DeleteContainer(kTlsLeafContainer)) {
        problem("cannot delete the key containers (" + HexCode(GetLastError()) + ")");
    }
    if (!DeleteFileA(path.c_str()) && !Missing(GetLastError())) {
        problem("cannot delete \"" + path + "\" (" + HexCode(GetLastError()) + ")");
    }
    RemoveDirectoryA(folder.c_str());
    return error.empty();
}

TlsFailure VerifyTlsServerCertificate(const std::string& leafDer, const std::string* chainDer,
                                      std::size_t chainCount, const std::string& host,
                                      std::string& detail) {
    using namespace tls_win;
    const Certificate leaf(
        CertCreateCertificateContext(kEncoding, reinterpret_cast<const BYTE*>(leafDer.data()),
                                     static_cast<DWORD>(leafDer.size())));
    if (!leaf) {
        detail = "unreadable certificate " + HexCode(GetLastError());
        return TlsFailure::kBadCertificate;
    }
    Store extra(CertOpenStore(CERT_STORE_PROV_MEMORY, 0, 0, 0, nullptr));
    for (std::size_t i = 0; extra && i < chainCount; ++i) {
        CertAddEncodedCertificateToStore(
            extra.get(), kEncoding, reinterpret_cast<const BYTE*>(chainDer[i].data()),
            static_cast<DWORD>(chainDer[i].size()), CERT_STORE_ADD_ALWAYS, nullptr);
    }
    return VerifyServerChain(leaf.get(), extra.get(), host, detail);
}

std::string TlsLeafDer(const TlsLeaf& leaf) {
    const auto* ours = dynamic_cast<const tls_win::WinLeaf*>(&leaf);
    if (!ours) return "";
    return std::string(reinterpret_cast<const char*>(ours->certificate()->pbCertEncoded),
                       ours->certificate()->cbCertEncoded);
}

}  // namespace platform
