#include "proxy/secure_setup.h"

#include <memory>

#include "platform/module_path.h"
#include "platform/tls.h"
#include "proxy/secure_exclusions.h"

namespace proxy {

bool PrepareSecurePages(ProxyContext& context, const std::string& rootFolder, std::string& error) {
    if (!platform::TlsBuilt()) {
        error = "this build has no secure connections";
        return false;
    }
    std::shared_ptr<platform::TlsAuthority> authority =
        platform::OpenTlsAuthority(rootFolder, error);
    if (authority == nullptr || !platform::InstallTlsRoot(*authority, error)) return false;
    std::atomic_store(&context.secureExclusions, LoadSecureExclusions(SecureExclusionsFilePath()));
    context.leafCache.Clear();
    std::atomic_store(&context.authority, authority);
    return true;
}

std::string RootCertificatePath() { return platform::ModuleFilePath("KorvoRoot.pem"); }

}  // namespace proxy
