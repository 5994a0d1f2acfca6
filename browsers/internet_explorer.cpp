#include "browsers/internet_explorer.h"

#include <cstring>

namespace browsers {

namespace {

constexpr std::size_t kFlagsOffset = 8;
constexpr std::size_t kProxyLengthOffset = 12;
constexpr std::size_t kProxyOffset = 16;
constexpr unsigned char kDirectAndProxy = 3;

}  // namespace

bool IsDialUpConnectionName(const std::string& valueName) {
    return valueName != "DefaultConnectionSettings" && valueName != "SavedLegacySettings";
}

bool ConnectionValueUsesProxy(const std::string& value) {
    if (value.size() < kProxyOffset) return false;
    if (static_cast<unsigned char>(value[kFlagsOffset]) != kDirectAndProxy) return false;
    std::size_t length = static_cast<unsigned char>(value[kProxyLengthOffset]);
    if (kProxyOffset + length > value.size()) return false;
    // The stored string is not terminated; a zero inside it ends it as a C string would.
    std::string proxy = value.substr(kProxyOffset, length);
    proxy = proxy.substr(0, std::strlen(proxy.c_str()));
    return proxy == kIeProxyServer;
}

void InternetExplorerConnections::Fill(const std::vector<std::pair<std::string, bool>>& found,
                                       ListMode mode) {
    connections.clear();
    disabledFlags.clear();
    for (const auto& [name, usesProxy] : found) {
        DialUpConnectionInfo info;
        info.name = name;
        info.isDisabled = EntryDisabled(usesProxy, mode) ? 1 : 0;
        info.usesProxy = usesProxy ? 1 : 0;
        connections.push_back(info);
        disabledFlags.push_back(info.isDisabled);
    }
    connectionCount = static_cast<unsigned>(connections.size());
    EntryCounts counts = CountEntries(disabledFlags.data(), disabledFlags.size(), mode);
    disabledCount = counts.disabledCount;
    configuredCount = counts.configuredCount;
}

}  // namespace browsers
