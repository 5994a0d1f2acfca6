#include "browsers/internet_explorer.h"

#include <cstring>

#include "platform/ascii_text.h"
#include "proxy/autoconfig_script.h"
#include "proxy/http_request.h"
#include "proxy/settings.h"

namespace browsers {

namespace {

constexpr std::size_t kFlagsOffset = 8;
constexpr std::size_t kProxyLengthOffset = 12;
constexpr std::size_t kProxyOffset = 16;
constexpr unsigned char kDirectAndProxy = 3;
constexpr unsigned char kAutoProxyUrl = 4;
constexpr int kDefaultPort = 8100;

std::uint32_t ReadWord(const std::string& value, std::size_t offset) {
    std::uint32_t word = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        word |= static_cast<std::uint32_t>(static_cast<unsigned char>(value[offset + i]))
                << (8 * i);
    }
    return word;
}

// Moves past one length-prefixed field; false when the value ends before it does.
bool SkipField(const std::string& value, std::size_t& offset) {
    if (offset + 4 > value.size()) return false;
    const std::uint32_t length = ReadWord(value, offset);
    offset += 4;
    if (length > value.size() - offset) return false;
    offset += length;
    return true;
}

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

IeValueRestore StringStep(const char* name, const std::string& typeText, const std::string& text,
                          bool olderSaveWrites) {
    unsigned long type = kRegString;
    const SavedType saved = ReadSavedType(typeText, &type);
    if (saved == SavedType::kAbsent) return Step(name, IeValueAction::kDelete);
    if (saved == SavedType::kUnreadable || (saved == SavedType::kOlderSave && !olderSaveWrites) ||
        (type != kRegString && type != kRegExpandString)) {
        return Step(name, IeValueAction::kLeave);
    }
    std::vector<unsigned char> data(text.begin(), text.end());
    data.push_back(0);
    return Step(name, IeValueAction::kWrite, type, std::move(data));
}

}  // namespace

std::vector<IeValueRestore> PlanInternetExplorerRestore(const SavedInternetExplorerValues& saved) {
    return {StringStep("ProxyServer", saved.proxyServerType, saved.proxyServer, true),
            BytesStep("ProxyEnable", saved.proxyEnableType, saved.proxyEnable, true),
            BytesStep("ProxyHttp1.1", saved.proxyHttp11Type, saved.proxyHttp11, false),
            StringStep("AutoConfigURL", saved.autoConfigUrlType, saved.autoConfigUrl, false)};
}

bool IsDialUpConnectionName(const std::string& valueName) {
    return valueName != "DefaultConnectionSettings" && valueName != "SavedLegacySettings";
}

IeProxyTarget IeProxyTargetFor(const proxy::AppSettings& settings, WindowsFamily family) {
    IeProxyTarget target;
    target.secure = settings.FilterSecurePages.load(std::memory_order_relaxed) != 0;
    target.autoConfig = family == WindowsFamily::kNt6;
    const int port = settings.PopupPort.load(std::memory_order_relaxed) & 0xFFFF;
    target.scriptPort = port != 0 ? port : kDefaultPort;
    return target;
}

const char* IeProxyServerText(bool secure) {
    return secure ? kIeSecureProxyServer : kIeProxyServer;
}

bool IsIeProxyServerText(const std::string& server) {
    return server == kIeProxyServer || server == kIeSecureProxyServer;
}

std::string WithoutIeProxyEntries(const std::string& server, bool* removed) {
    std::string kept;
    bool any = false;
    std::size_t start = 0;
    while (start < server.size()) {
        std::size_t end = server.find_first_of("; \t", start);
        if (end == std::string::npos) end = server.size();
        const std::string entry = server.substr(start, end - start);
        start = end + 1;
        if (entry.empty()) continue;
        if (platform::EqualsNoCase(entry, "http=KorvoPopupKiller:8100") ||
            platform::EqualsNoCase(entry, "https=KorvoPopupKiller:8100")) {
            any = true;
            continue;
        }
        if (!kept.empty()) kept += ';';
        kept += entry;
    }
    if (removed != nullptr) *removed = any;
    return kept;
}

bool IsProxyAutoConfigUrl(const std::string& url) {
    const std::string start = "http://127.0.0.1:";
    const std::string path = proxy::kAutoConfigScriptPath;
    if (url.size() <= start.size() + path.size()) return false;
    if (!platform::StartsWithNoCase(url, start)) return false;
    if (url.compare(url.size() - path.size(), path.size(), path) != 0) return false;
    const std::string port = url.substr(start.size(), url.size() - start.size() - path.size());
    return port.find_first_not_of("0123456789") == std::string::npos && proxy::ParsePort(port) != 0;
}

std::string ConnectionValueProxyServer(const std::string& value) {
    if (value.size() < kProxyOffset) return std::string();
    std::size_t length = static_cast<unsigned char>(value[kProxyLengthOffset]);
    if (kProxyOffset + length > value.size()) return std::string();
    // The stored string is not terminated; a zero inside it ends it as a C string would.
    std::string proxy = value.substr(kProxyOffset, length);
    return proxy.substr(0, std::strlen(proxy.c_str()));
}

std::string ConnectionValueScriptUrl(const std::string& value) {
    std::size_t offset = kProxyLengthOffset;
    if (value.size() < kProxyOffset || !SkipField(value, offset) || !SkipField(value, offset) ||
        offset + 4 > value.size()) {
        return std::string();
    }
    const std::uint32_t length = ReadWord(value, offset);
    offset += 4;
    if (length > value.size() - offset) return std::string();
    return value.substr(offset, length);
}

bool ConnectionValueUsesScript(const std::string& value) {
    if (value.size() < kProxyOffset) return false;
    if ((static_cast<unsigned char>(value[kFlagsOffset]) & kAutoProxyUrl) == 0) return false;
    return IsProxyAutoConfigUrl(ConnectionValueScriptUrl(value));
}

bool ConnectionValueUsesProxy(const std::string& value) {
    if (value.size() < kProxyOffset) return false;
    if (ConnectionValueUsesScript(value)) return true;
    if (static_cast<unsigned char>(value[kFlagsOffset]) != kDirectAndProxy) return false;
    return IsIeProxyServerText(ConnectionValueProxyServer(value));
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
