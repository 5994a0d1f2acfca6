// The Windows secure connections: the installation's root in its key containers and the user's
// Root store, the leaves it signs, the check of a site's certificate, the server side (which
// Wine 8 lacks), and client sessions against real TLS origins that
// tests/e2e/korvopop_tls_client.sh starts (without it those tests are skipped).
#include <windows.h>
// wincrypt.h needs windows.h first.
#include <gtest/gtest.h>
#include <wincrypt.h>

#include <atomic>
#include <cstdlib>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/socket.h"
#include "platform/tls.h"
#include "platform/win/tls_win.h"
#include "test_folder.h"

namespace {

using platform::TlsFailure;
using platform::TlsState;

bool RunningOnWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

std::string TemporaryFolder(const char* name) {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    return std::string(base) + name;
}

struct CertificateFree {
    void operator()(PCCERT_CONTEXT c) const { CertFreeCertificateContext(c); }
};
using Certificate = std::unique_ptr<const CERT_CONTEXT, CertificateFree>;

Certificate FromDer(const std::string& der) {
    return Certificate(CertCreateCertificateContext(X509_ASN_ENCODING,
                                                    reinterpret_cast<const BYTE*>(der.data()),
                                                    static_cast<DWORD>(der.size())));
}

// The user's Root store read back through a store opened now, as another program would.
bool UserRootHolds(const std::string& der) {
    HCERTSTORE store =
        CertOpenStore(CERT_STORE_PROV_SYSTEM_REGISTRY_A, 0, 0,
                      CERT_SYSTEM_STORE_CURRENT_USER | CERT_STORE_READONLY_FLAG, "Root");
    if (!store) return false;
    const Certificate wanted = FromDer(der);
    PCCERT_CONTEXT found = CertFindCertificateInStore(store, X509_ASN_ENCODING, 0,
                                                      CERT_FIND_EXISTING, wanted.get(), nullptr);
    if (found) CertFreeCertificateContext(found);
    CertCloseStore(store, 0);
    return found != nullptr;
}

int UserRootsNamed(const char* commonName) {
    HCERTSTORE store =
        CertOpenStore(CERT_STORE_PROV_SYSTEM_REGISTRY_A, 0, 0,
                      CERT_SYSTEM_STORE_CURRENT_USER | CERT_STORE_READONLY_FLAG, "Root");
    if (!store) return 0;
    int count = 0;
    PCCERT_CONTEXT each = nullptr;
    while ((each = CertEnumCertificatesInStore(store, each)) != nullptr) {
        char name[256] = "";
        CertGetNameStringA(each, CERT_NAME_ATTR_TYPE, 0, const_cast<LPSTR>(szOID_COMMON_NAME), name,
                           sizeof name);
        if (std::string(name) == commonName) ++count;
    }
    CertCloseStore(store, 0);
    return count;
}

bool ContainerExists(const char* name) {
    HCRYPTPROV provider = 0;
    if (!CryptAcquireContextA(&provider, name, MS_ENH_RSA_AES_PROV_A, PROV_RSA_AES, 0)) {
        return false;
    }
    CryptReleaseContext(provider, 0);
    return true;
}

std::string Attribute(PCCERT_CONTEXT certificate, DWORD flags, LPCSTR oid) {
    char text[256] = "";
    CertGetNameStringA(certificate, CERT_NAME_ATTR_TYPE, flags, const_cast<LPSTR>(oid), text,
                       sizeof text);
    return text;
}

double DaysBetween(const FILETIME& from, const FILETIME& to) {
    ULARGE_INTEGER a, b;
    a.LowPart = from.dwLowDateTime;
    a.HighPart = from.dwHighDateTime;
    b.LowPart = to.dwLowDateTime;
    b.HighPart = to.dwHighDateTime;
    return (static_cast<double>(b.QuadPart) - static_cast<double>(a.QuadPart)) / 864e9;
}

FILETIME Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return now;
}

bool HasUsage(PCCERT_CONTEXT certificate, BYTE usage) {
    BYTE bits = 0;
    return CertGetIntendedKeyUsage(X509_ASN_ENCODING, certificate->pCertInfo, &bits, 1) &&
           (bits & usage) == usage;
}

// The check a client session runs on a site's certificate, with its reason when it differs.
::testing::AssertionResult Verdict(const std::string& der, const std::string& host,
                                   TlsFailure expected) {
    std::string detail;
    const TlsFailure failure = platform::VerifyTlsServerCertificate(der, nullptr, 0, host, detail);
    if (failure == expected) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << host << ": failure " << static_cast<int>(failure) << " instead of "
           << static_cast<int>(expected) << " (" << detail << ")";
}

class TlsAuthority : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(platform::RemoveTlsRoot(folder_, error)) << error;
    }
    void TearDown() override {
        std::string error;
        EXPECT_TRUE(platform::RemoveTlsRoot(folder_, error)) << error;
        test_folder::RemoveTree(folder_ + "\\");
        RemoveDirectoryA(folder_.c_str());
    }
    std::unique_ptr<platform::TlsAuthority> Open() {
        std::string error;
        auto authority = platform::OpenTlsAuthority(folder_, error);
        EXPECT_TRUE(authority) << error;
        return authority;
    }
    std::unique_ptr<platform::TlsAuthority> OpenInstalled() {
        auto authority = Open();
        std::string error;
        if (authority) {
            EXPECT_TRUE(platform::InstallTlsRoot(*authority, error)) << error;
        }
        return authority;
    }
    std::string RootDer() const {
        return test_folder::ReadFile(folder_ + "\\" + platform::kTlsRootFile);
    }

    const std::string folder_ = TemporaryFolder("korvo-tls-root\\Secure");
};

TEST_F(TlsAuthority, RootIsMadeOnceWithItsNameUseAndKeyKeptFromExport) {
    auto authority = Open();
    ASSERT_TRUE(authority);
    const std::string der = RootDer();
    const Certificate root = FromDer(der);
    ASSERT_TRUE(root) << "root.cer holds no certificate";

    EXPECT_EQ(Attribute(root.get(), 0, szOID_COMMON_NAME), "Korvo Popup Killer Local Root");
    EXPECT_EQ(Attribute(root.get(), 0, szOID_ORGANIZATION_NAME), "Korvo Popup Killer");
    EXPECT_EQ(Attribute(root.get(), 0, szOID_ORGANIZATIONAL_UNIT_NAME).substr(0, 7), "made 20");
    EXPECT_TRUE(CertCompareCertificateName(X509_ASN_ENCODING, &root->pCertInfo->Subject,
                                           &root->pCertInfo->Issuer));
    EXPECT_STREQ(root->pCertInfo->SignatureAlgorithm.pszObjId, szOID_RSA_SHA256RSA);
    EXPECT_TRUE(HasUsage(root.get(), CERT_KEY_CERT_SIGN_KEY_USAGE));
    PCERT_EXTENSION constraints = CertFindExtension(
        szOID_BASIC_CONSTRAINTS2, root->pCertInfo->cExtension, root->pCertInfo->rgExtension);
    ASSERT_TRUE(constraints);
    CERT_BASIC_CONSTRAINTS2_INFO info{};
    DWORD size = sizeof info;
    ASSERT_TRUE(CryptDecodeObject(X509_ASN_ENCODING, X509_BASIC_CONSTRAINTS2,
                                  constraints->Value.pbData, constraints->Value.cbData, 0, &info,
                                  &size));
    EXPECT_TRUE(info.fCA);
    const double years = DaysBetween(root->pCertInfo->NotBefore, root->pCertInfo->NotAfter) / 365;
    EXPECT_GT(years, 9.9);
    EXPECT_LT(years, 10.1);

    const std::string pem = authority->RootPem();
    EXPECT_EQ(pem.rfind("-----BEGIN CERTIFICATE-----\n", 0), 0u) << pem;
    EXPECT_EQ(pem.find('\r'), std::string::npos);

    // The private keys stay in their containers.
    for (const char* container : {platform::kTlsRootContainer, platform::kTlsLeafContainer}) {
        HCRYPTPROV provider = 0;
        ASSERT_TRUE(
            CryptAcquireContextA(&provider, container, MS_ENH_RSA_AES_PROV_A, PROV_RSA_AES, 0))
            << container;
        HCRYPTKEY key = 0;
        const DWORD keyKind =
            container == platform::kTlsRootContainer ? AT_SIGNATURE : AT_KEYEXCHANGE;
        ASSERT_TRUE(CryptGetUserKey(provider, keyKind, &key)) << container;
        DWORD blobSize = 0;
        EXPECT_FALSE(CryptExportKey(key, 0, PRIVATEKEYBLOB, 0, nullptr, &blobSize)) << container;
        CryptDestroyKey(key);
        CryptReleaseContext(provider, 0);
    }

    // Opened again, the same root; with its key gone, a new one.
    authority.reset();
    auto again = Open();
    ASSERT_TRUE(again);
    EXPECT_EQ(RootDer(), der);
    EXPECT_EQ(again->RootPem(), pem);
    again.reset();
    HCRYPTPROV gone = 0;
    CryptAcquireContextA(&gone, platform::kTlsRootContainer, MS_ENH_RSA_AES_PROV_A, PROV_RSA_AES,
                         CRYPT_DELETEKEYSET);
    auto renewed = Open();
    ASSERT_TRUE(renewed);
    EXPECT_NE(RootDer(), der);
    EXPECT_NE(renewed->RootPem(), pem);
}

TEST_F(TlsAuthority, InstalledRootIsInTheUsersStoreAndTrustsOnlyTheHostsOfItsLeaves) {
    auto authority = OpenInstalled();
    ASSERT_TRUE(authority);
    EXPECT_TRUE(UserRootHolds(RootDer()));
    std::string error;
    EXPECT_TRUE(platform::InstallTlsRoot(*authority, error)) << "installed twice: " << error;
    EXPECT_EQ(UserRootsNamed("Korvo Popup Killer Local Root"), 1);

    const auto leaf = authority->IssueLeaf("www.example.test");
    ASSERT_TRUE(leaf);
    const std::string der = platform::TlsLeafDer(*leaf);
    EXPECT_TRUE(Verdict(der, "www.example.test", TlsFailure::kNone));
    EXPECT_TRUE(Verdict(der, "other.example.test", TlsFailure::kWrongHost));
    EXPECT_TRUE(Verdict(der, "example.test", TlsFailure::kWrongHost));

    const Certificate certificate = FromDer(der);
    ASSERT_TRUE(certificate);
    EXPECT_STREQ(certificate->pCertInfo->SignatureAlgorithm.pszObjId, szOID_RSA_SHA256RSA);
    EXPECT_NEAR(DaysBetween(certificate->pCertInfo->NotBefore, Now()), 1.0, 0.01);
    EXPECT_NEAR(DaysBetween(certificate->pCertInfo->NotBefore, certificate->pCertInfo->NotAfter),
                90.0, 0.01);
    EXPECT_TRUE(HasUsage(certificate.get(), CERT_DIGITAL_SIGNATURE_KEY_USAGE));

    for (const char* address : {"127.0.0.1", "::1"}) {
        const auto ipLeaf = authority->IssueLeaf(address);
        ASSERT_TRUE(ipLeaf) << address;
        const std::string ipDer = platform::TlsLeafDer(*ipLeaf);
        EXPECT_TRUE(Verdict(ipDer, address, TlsFailure::kNone)) << address;
        EXPECT_TRUE(Verdict(ipDer, std::string(address) == "::1" ? "::2" : "127.0.0.2",
                            TlsFailure::kWrongHost))
            << address;
        EXPECT_TRUE(Verdict(ipDer, "localhost", TlsFailure::kWrongHost)) << address;
    }
    EXPECT_FALSE(authority->IssueLeaf("*.example.test")) << "no wildcard leaves";
    EXPECT_FALSE(authority->IssueLeaf(""));
}

TEST_F(TlsAuthority, LeafOfARootNotInTheStoreLeadsToAnUnknownIssuer) {
    auto authority = Open();
    ASSERT_TRUE(authority);
    const auto leaf = authority->IssueLeaf("www.example.test");
    ASSERT_TRUE(leaf);
    EXPECT_TRUE(
        Verdict(platform::TlsLeafDer(*leaf), "www.example.test", TlsFailure::kUnknownIssuer));
    EXPECT_TRUE(Verdict(RootDer(), "www.example.test", TlsFailure::kSelfSigned));
}

TEST_F(TlsAuthority, LeavesIssuedFromManyThreadsAreAllValidAndDistinct) {
    auto authority = OpenInstalled();
    ASSERT_TRUE(authority);
    constexpr int kThreads = 4;
    constexpr int kEach = 3;
    std::vector<std::string> ders(kThreads * kEach);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                const auto leaf =
                    authority->IssueLeaf("host" + std::to_string(t * kEach + i) + ".example.test");
                if (leaf) ders[t * kEach + i] = platform::TlsLeafDer(*leaf);
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    std::set<std::string> serials;
    for (int n = 0; n < kThreads * kEach; ++n) {
        ASSERT_FALSE(ders[n].empty()) << "leaf " << n;
        EXPECT_TRUE(
            Verdict(ders[n], "host" + std::to_string(n) + ".example.test", TlsFailure::kNone));
        const Certificate leaf = FromDer(ders[n]);
        serials.insert(
            std::string(reinterpret_cast<const char*>(leaf->pCertInfo->SerialNumber.pbData),
                        leaf->pCertInfo->SerialNumber.cbData));
    }
    EXPECT_EQ(serials.size(), static_cast<std::size_t>(kThreads * kEach));
}

TEST_F(TlsAuthority, RemovedRootLeavesNoCertificateKeyOrFile) {
    auto authority = OpenInstalled();
    ASSERT_TRUE(authority);
    const std::string der = RootDer();
    const auto leaf = authority->IssueLeaf("www.example.test");
    ASSERT_TRUE(leaf);
    const std::string leafDer = platform::TlsLeafDer(*leaf);
    authority.reset();

    std::string error;
    EXPECT_TRUE(platform::RemoveTlsRoot(folder_, error)) << error;
    EXPECT_FALSE(UserRootHolds(der));
    EXPECT_EQ(UserRootsNamed("Korvo Popup Killer Local Root"), 0);
    EXPECT_FALSE(ContainerExists(platform::kTlsRootContainer));
    EXPECT_FALSE(ContainerExists(platform::kTlsLeafContainer));
    EXPECT_EQ(GetFileAttributesA((folder_ + "\\" + platform::kTlsRootFile).c_str()),
              INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(Verdict(leafDer, "www.example.test", TlsFailure::kNone))
        << "trusted after the removal";
    EXPECT_TRUE(platform::RemoveTlsRoot(folder_, error)) << "removing nothing: " << error;
}

TEST_F(TlsAuthority, RootsWhoseFileIsLostAreRemovedToo) {
    auto authority = OpenInstalled();
    ASSERT_TRUE(authority);
    const std::string der = RootDer();
    authority.reset();
    DeleteFileA((folder_ + "\\" + platform::kTlsRootFile).c_str());
    std::string error;
    EXPECT_TRUE(platform::RemoveTlsRoot(folder_, error)) << error;
    EXPECT_FALSE(UserRootHolds(der));
}

// The server side cannot run under Wine 8 (its SChannel has no AcceptSecurityContext); there
// this checks that the proxy is told so and tunnels. On Windows the two sides talk in memory.
TEST(TlsServer, AnswersAClientOrSaysItCannotRunHere) {
    const std::string folder = TemporaryFolder("korvo-tls-server\\Secure");
    std::string error;
    auto authority = platform::OpenTlsAuthority(folder, error);
    ASSERT_TRUE(authority) << error;
    ASSERT_TRUE(platform::InstallTlsRoot(*authority, error)) << error;
    const auto leaf = authority->IssueLeaf("localhost");
    ASSERT_TRUE(leaf);

    std::string toServer;
    auto client = platform::StartTlsClient("localhost", toServer);
    ASSERT_TRUE(client);
    ASSERT_FALSE(toServer.empty()) << "no ClientHello";
    auto server = platform::StartTlsServer(*leaf);
    ASSERT_TRUE(server);

    if (RunningOnWine()) {
        std::cout << "[   NOTE   ] Wine 8 has no SChannel server side: the proxy tunnels\n";
        EXPECT_FALSE(platform::TlsServerAvailable());
        std::string plain;
        std::string toClient;
        EXPECT_EQ(server->Receive(toServer.data(), toServer.size(), plain, toClient),
                  TlsState::kFailed);
        EXPECT_EQ(server->failure(), TlsFailure::kUnsupported) << server->failureDetail();
    } else {
        EXPECT_TRUE(platform::TlsServerAvailable());
        std::string toClient;
        std::string atServer;
        std::string atClient;
        for (int round = 0; round < 20 && client->state() == TlsState::kHandshake; ++round) {
            server->Receive(toServer.data(), toServer.size(), atServer, toClient);
            toServer.clear();
            client->Receive(toClient.data(), toClient.size(), atClient, toServer);
            toClient.clear();
        }
        ASSERT_EQ(client->state(), TlsState::kOpen) << client->failureDetail();
        ASSERT_TRUE(client->Send("ping", 4, toServer));
        server->Receive(toServer.data(), toServer.size(), atServer, toClient);
        EXPECT_EQ(atServer, "ping");
    }
    EXPECT_TRUE(platform::RemoveTlsRoot(folder, error)) << error;
}

// Origins started outside: KORVO_TLS_ORIGINS holds "name=port" pairs, KORVO_TLS_TEST_CA the
// Windows path of the CA (DER) whose leaves the good origins serve.
std::string OriginsVariable() {
    const char* value = std::getenv("KORVO_TLS_ORIGINS");
    return value ? value : "";
}

int OriginPort(const std::string& name) {
    std::istringstream pairs(OriginsVariable());
    std::string pair;
    while (pairs >> pair) {
        const std::size_t equals = pair.find('=');
        if (pair.substr(0, equals) == name) return std::atoi(pair.c_str() + equals + 1);
    }
    return 0;
}

struct Exchange {
    TlsState state = TlsState::kHandshake;
    TlsFailure failure = TlsFailure::kNone;
    std::string detail;
    std::string reply;
};

// A client session over a socket to 127.0.0.1:port for serverName; once open it sends a GET
// and collects the reply until the origin closes. byteByByte hands every received byte to the
// session alone.
Exchange TalkTo(int port, const std::string& serverName, bool byteByByte) {
    Exchange result;
    platform::InitSockets();
    platform::SocketHandle s = platform::OpenTcpSocket();
    if (platform::ConnectTo(s, platform::LoopbackAddress(), port) != 0) {
        result.detail = "no origin on port " + std::to_string(port);
        platform::CloseSocket(s);
        return result;
    }
    std::string toPeer;
    auto session = platform::StartTlsClient(serverName, toPeer);
    if (!session) {
        result.detail = "no session";
        platform::CloseSocket(s);
        return result;
    }
    bool asked = false;
    const DWORD end = GetTickCount() + 15000;
    while (GetTickCount() < end) {
        if (!toPeer.empty()) {
            platform::Send(s, toPeer.data(), static_cast<int>(toPeer.size()));
            toPeer.clear();
        }
        if (session->state() == TlsState::kOpen && !asked) {
            const std::string request = "GET / HTTP/1.0\r\n\r\n";
            session->Send(request.data(), request.size(), toPeer);
            asked = true;
            continue;
        }
        if (session->state() != TlsState::kHandshake && session->state() != TlsState::kOpen) break;
        // openssl s_server -www ends its page so, and keeps the connection.
        if (result.reply.find("</HTML>") != std::string::npos) break;
        if (!platform::PollReadable(s, 500)) continue;
        char buffer[16384];
        const int got = platform::Receive(s, buffer, sizeof buffer);
        if (got <= 0) break;
        if (byteByByte) {
            for (int i = 0; i < got; ++i) session->Receive(buffer + i, 1, result.reply, toPeer);
        } else {
            session->Receive(buffer, static_cast<std::size_t>(got), result.reply, toPeer);
        }
    }
    result.state = session->state();
    result.failure = session->failure();
    result.detail += session->failureDetail();
    platform::CloseSocket(s);
    return result;
}

class TlsClient : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        const char* ca = std::getenv("KORVO_TLS_TEST_CA");
        if (!ca) return;
        const std::string der = test_folder::ReadFile(ca);
        HCERTSTORE store =
            CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, "Root");
        ASSERT_TRUE(store);
        EXPECT_TRUE(CertAddEncodedCertificateToStore(
            store, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
            static_cast<DWORD>(der.size()), CERT_STORE_ADD_USE_EXISTING, nullptr))
            << "test CA " << ca;
        CertCloseStore(store, 0);
    }
    void SetUp() override {
        if (OriginsVariable().empty()) {
            GTEST_SKIP() << "needs the TLS origins of tests/e2e/korvopop_tls_client.sh";
        }
    }
};

TEST_F(TlsClient, OpensToATrustedSiteByNameAndAddressAndKeepsPartialRecords) {
    for (const char* name : {"localhost", "127.0.0.1"}) {
        for (bool byteByByte : {false, true}) {
            const Exchange exchange = TalkTo(OriginPort("good"), name, byteByByte);
            EXPECT_NE(exchange.state, TlsState::kFailed)
                << name << ": " << static_cast<int>(exchange.failure) << " " << exchange.detail;
            EXPECT_EQ(exchange.reply.rfind("HTTP/1.0 200", 0), 0u)
                << name << (byteByByte ? " byte by byte" : "") << ": "
                << exchange.reply.substr(0, 200);
        }
    }
}

TEST_F(TlsClient, SitesThatCannotBeTrustedFailBeforeAnyDataWithTheirReason) {
    // Wine's SChannel answers a request for a client certificate with SEC_E_INTERNAL_ERROR,
    // not SEC_I_INCOMPLETE_CREDENTIALS; there the proxy tunnels every site anyway.
    const TlsFailure clientCertificate =
        RunningOnWine() ? TlsFailure::kHandshake : TlsFailure::kClientCertificate;
    const struct {
        const char* origin;
        const char* serverName;
        TlsFailure expected;
    } cases[] = {
        {"good", "other.example.test", TlsFailure::kWrongHost},
        {"good", "127.0.0.2", TlsFailure::kWrongHost},
        {"expired", "localhost", TlsFailure::kExpired},
        {"selfsigned", "localhost", TlsFailure::kSelfSigned},
        {"unknownca", "localhost", TlsFailure::kUnknownIssuer},
        {"tls10", "localhost", TlsFailure::kOldProtocol},
        {"cbc", "localhost", TlsFailure::kOldProtocol},
        {"clientcert", "localhost", clientCertificate},
    };
    for (const auto& c : cases) {
        const Exchange exchange = TalkTo(OriginPort(c.origin), c.serverName, false);
        EXPECT_EQ(exchange.state, TlsState::kFailed) << c.origin << " " << c.serverName;
        EXPECT_EQ(static_cast<int>(exchange.failure), static_cast<int>(c.expected))
            << c.origin << " " << c.serverName << ": " << exchange.detail;
        EXPECT_TRUE(exchange.reply.empty()) << c.origin << ": data arrived";
        std::cout << "[   INFO   ] " << c.origin << " as " << c.serverName << ": "
                  << exchange.detail << "\n";
    }
}

}  // namespace
