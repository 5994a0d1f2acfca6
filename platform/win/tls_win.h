// What the Windows secure connections keep outside platform/tls.h: the names of the user's key
// containers, and the check a client session runs on the site's certificate, for the uninstall
// checks and the tests.
#pragma once

#include <string>

#include "platform/tls.h"

namespace platform {

// The user's CryptoAPI key containers (Microsoft Enhanced RSA and AES provider): the root's key,
// and the key all leaves share. Neither key can be exported. Their names are fixed, so a user
// has one root whatever folder it is opened in, and RemoveTlsRoot removes every root of that
// name from the stores.
constexpr char kTlsRootContainer[] = "Korvo Popup Killer Local Root";
constexpr char kTlsLeafContainer[] = "Korvo Popup Killer Leaf Key";

// The root certificate's file in the root's folder (DER).
constexpr char kTlsRootFile[] = "root.cer";

// Checks a server certificate (DER) and the certificates the server sent with it (DER, each as
// one string) for host (a DNS name or an IP address), as a client session does before it opens:
// a chain to a root the user trusts, built by a new chain engine, its validity dates, the server
// use and the host name. kNone when it may be used, otherwise the reason, with the system's
// codes in detail.
TlsFailure VerifyTlsServerCertificate(const std::string& leafDer, const std::string* chainDer,
                                      std::size_t chainCount, const std::string& host,
                                      std::string& detail);

// The leaf's certificate (DER).
std::string TlsLeafDer(const TlsLeaf& leaf);

}  // namespace platform
