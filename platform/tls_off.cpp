// Secure connections in a build without them: nothing can be made, so the proxy tunnels.
#include "platform/tls.h"

namespace platform {

bool TlsBuilt() { return false; }

std::unique_ptr<TlsAuthority> OpenTlsAuthority(const std::string&, std::string& error) {
    error = "this build has no secure connections";
    return nullptr;
}

bool InstallTlsRoot(const TlsAuthority&, std::string& error) {
    error = "this build has no secure connections";
    return false;
}

bool RemoveTlsRoot(const std::string&, std::string&) { return true; }

bool TlsServerAvailable() { return false; }

std::unique_ptr<TlsSession> StartTlsClient(const std::string&, std::string&) { return nullptr; }

std::unique_ptr<TlsSession> StartTlsServer(const TlsLeaf&) { return nullptr; }

}  // namespace platform
