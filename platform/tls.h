// Secure connections for the proxy's intercepted tunnels: a client session to the site, a server
// session to the browser, and the root of trust made for the installation with the leaves it
// signs. Sessions work on bytes, not sockets: the caller reads and sends the raw bytes, so the
// relay's non-blocking loop stays the only place that waits, and a session never blocks.
// Windows: SChannel and CryptoAPI. Elsewhere: OpenSSL 3. Built without KORVO_TLS, TlsBuilt() is
// false and every call fails, so the proxy tunnels.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace platform {

// Whether this build has secure connections at all.
bool TlsBuilt();

// Why a handshake failed, in terms the user can be told.
enum class TlsFailure {
    kNone,
    kExpired,            // the site's certificate has expired or is not valid yet
    kWrongHost,          // the site's certificate names other hosts
    kSelfSigned,         // the site's certificate is signed by itself, and not trusted
    kUnknownIssuer,      // the site's chain leads to no root this system trusts
    kRevoked,            // the site's certificate was revoked
    kBadCertificate,     // otherwise unusable: bad signature, weak key, wrong usage, unreadable
    kOldProtocol,        // no TLS 1.2 or newer with a forward-secret AEAD suite in common
    kClientCertificate,  // the site asks for a client certificate
    kPeerRefused,        // the peer ended the handshake with an alert (a browser refusing a leaf)
    kHandshake,          // any other failure: bytes that are no TLS, the peer closed, a lost key
    kUnsupported,        // this system cannot run such a session (Wine 8 has no SChannel server)
};

enum class TlsState {
    kHandshake,  // still negotiating
    kOpen,       // application data flows
    kClosed,     // the peer sent its close notice
    kFailed,     // see failure()
};

class TlsSession {
  public:
    virtual ~TlsSession() = default;

    // Takes bytes received from the peer, in any split. Application data they complete is
    // appended to plain, bytes the session must send back (handshake messages, alerts) to
    // toPeer. Returns the state after them. Once failed, the session takes nothing more.
    virtual TlsState Receive(const char* bytes, std::size_t size, std::string& plain,
                             std::string& toPeer) = 0;
    // Appends plain as records to toPeer. Only while open; false when the session cannot send.
    virtual bool Send(const char* plain, std::size_t size, std::string& toPeer) = 0;
    // Appends the close notice to toPeer (nothing once failed).
    virtual void Close(std::string& toPeer) = 0;

    virtual TlsState state() const = 0;
    virtual TlsFailure failure() const = 0;
    // The library's or the system's own words on the failure, for the log; may be empty.
    virtual std::string failureDetail() const = 0;
};

// A leaf certificate for one host with the key every leaf shares, ready for a server session.
class TlsLeaf {
  public:
    virtual ~TlsLeaf() = default;
    // The certificate in PEM form, for the log and for checks; empty where a backend keeps none.
    virtual std::string CertificatePem() const { return std::string(); }
};

// The installation's root of trust: a self-signed CA ("Korvo Popup Killer Local Root") whose key
// never leaves this machine and is readable only by the user, and one key for all leaves.
class TlsAuthority {
  public:
    virtual ~TlsAuthority() = default;

    // A leaf for host (a DNS name, or an IPv4 or IPv6 address), signed by the root: the host as
    // its only subject alternative name, SHA-256, valid from one day ago for 90 days in all.
    // nullptr when it cannot be made.
    virtual std::shared_ptr<const TlsLeaf> IssueLeaf(const std::string& host) = 0;
    // The root certificate in PEM form.
    virtual std::string RootPem() const = 0;
};

// Opens the root kept for the user in folder, making the root and the leaf key at first use
// (and the folder). Windows: the keys are non-exportable CryptoAPI containers of the user, the
// folder holds the root certificate. Elsewhere: the folder holds the keys in files of mode 0600
// and the root as root.pem. nullptr on failure, with the reason in error.
std::unique_ptr<TlsAuthority> OpenTlsAuthority(const std::string& folder, std::string& error);

// Puts the root where this system's browsers look for trust: Windows, the user's Root store
// (Windows asks the user to confirm). Elsewhere nothing: the browsers are told of root.pem.
// False with the reason in error.
bool InstallTlsRoot(const TlsAuthority& authority, std::string& error);

// Removes the root kept in folder from every store it was put into and deletes its keys and
// files. True when nothing of it is left (also when there was none).
bool RemoveTlsRoot(const std::string& folder, std::string& error);

// Whether this system can act as a TLS server (false on Wine 8). Asked once, then remembered.
bool TlsServerAvailable();

// A client session to serverName (a DNS name, sent as SNI, or an IP address, which is not):
// TLS 1.2 or newer, forward-secret AEAD suites only, and the site's chain verified against the
// system's trust store with its validity dates and the host name before the session opens. The
// ClientHello is appended to toPeer. nullptr when no session can be made (failure kUnsupported).
std::unique_ptr<TlsSession> StartTlsClient(const std::string& serverName, std::string& toPeer);

// A server session that answers a browser with leaf, offering only http/1.1 by ALPN.
std::unique_ptr<TlsSession> StartTlsServer(const TlsLeaf& leaf);

}  // namespace platform
