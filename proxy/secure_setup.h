// Making a proxy ready to filter secure pages, for the programs that run one.
#pragma once

#include <string>

#include "proxy/context.h"

namespace proxy {

// Opens the installation's root kept in rootFolder (made at first use), puts it where the
// system's browsers look, and reads the list of hosts never intercepted from beside the
// settings. False with the reason in error when secure pages cannot be filtered: the context then
// has no authority and the proxy tunnels them as before.
bool PrepareSecurePages(ProxyContext& context, const std::string& rootFolder, std::string& error);

// Where korvo-proxy writes the root for the user's browsers: KorvoRoot.pem beside its settings.
std::string RootCertificatePath();

}  // namespace proxy
