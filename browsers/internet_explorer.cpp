#include "browsers/internet_explorer.h"

#include <cstring>

namespace browsers {

namespace {

constexpr std::size_t kFlagsOffset = 8;
constexpr std::size_t kProxyLengthOffset = 12;
constexpr std::size_t kProxyOffset = 16;
constexpr unsigned char kDirectAndProxy = 3;

enum class SavedType { kOlderSave, kAbsent, kNumber, kUnreadable };

SavedType ReadSavedType(const std::string& text, unsigned long* type) {
    if (text.empty()) return SavedType::kOlderSave;
    if (text == kIeValueAbsent) return SavedType::kAbsent;
    if (text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) {
        return SavedType::kUnreadable;
    }
    *type = std::stoul(text);
    return SavedType::kNumber;
}

IeValueRestore Step(const char* name, IeValueAction action, unsigned long type = 0,
                    std::vector<unsigned char> data = {}) {
    return {name, action, type, std::move(data)};
}

IeValueRestore BytesStep(const char* name, const std::string& typeText,
                         const std::vector<unsigned char>& data, bool olderSaveWrites) {
    unsigned long type = 0;
    switch (ReadSavedType(typeText, &type)) {
        case SavedType::kAbsent:
            return Step(name, IeValueAction::kDelete);
        case SavedType::kNumber:
            return Step(name, IeValueAction::kWrite, type, data);
        case SavedType::kOlderSave:
            if (!olderSaveWrites) break;
            return Step(name, IeValueAction::kWrite, data.size() == 4 ? kRegDword : kRegBinary,
                        data);
        case SavedType::kUnreadable:
            break;
    }
    return Step(name, IeValueAction::kLeave);
}

IeValueRestore StringStep(const char* name, const std::string& typeText, const std::string& text) {
    unsigned long type = kRegString;
    const SavedType saved = ReadSavedType(typeText, &type);
    if (saved == SavedType::kAbsent) return Step(name, IeValueAction::kDelete);
    if (saved == SavedType::kUnreadable || (type != kRegString && type != kRegExpandString)) {
        return Step(name, IeValueAction::kLeave);
    }
    std::vector<unsigned char> data(text.begin(), text.end());
    data.push_back(0);
    return Step(name, IeValueAction::kWrite, type, std::move(data));
}

}  // namespace

std::vector<IeValueRestore> PlanInternetExplorerRestore(const SavedInternetExplorerValues& saved) {
    return {StringStep("ProxyServer", saved.proxyServerType, saved.proxyServer),
            BytesStep("ProxyEnable", saved.proxyEnableType, saved.proxyEnable, true),
            BytesStep("ProxyHttp1.1", saved.proxyHttp11Type, saved.proxyHttp11, false)};
}

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
