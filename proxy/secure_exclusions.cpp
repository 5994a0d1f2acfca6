#include "proxy/secure_exclusions.h"

#include "platform/module_path.h"
#include "proxy/client_hello.h"

namespace proxy {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kBlanks = " \t\r\f\v";

std::string LowerCase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

std::string_view Trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

}  // namespace

SecureExclusions::SecureExclusions(std::string_view text) {
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        text.remove_prefix(kByteOrderMark.size());
    }
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        line = Trimmed(line.substr(0, line.find('#')));
        if (line.empty()) continue;
        if (size() >= kMaxSecureExclusions) break;
        const bool wildcard = line.substr(0, 2) == "*.";
        const std::string host = LowerCase(wildcard ? line.substr(2) : line);
        if (!IsValidServerName(host)) {
            ++skippedLines_;
            continue;
        }
        (wildcard ? domains_ : hosts_).insert(host);
    }
}

bool SecureExclusions::Matches(std::string_view host) const {
    if (!host.empty() && host.back() == '.') host.remove_suffix(1);
    const std::string lower = LowerCase(host);
    if (hosts_.count(lower) != 0) return true;
    // The host itself, then each name it is under.
    for (std::string_view name = lower; !domains_.empty();) {
        if (domains_.count(std::string(name)) != 0) return true;
        const size_t dot = name.find('.');
        if (dot == std::string_view::npos) break;
        name.remove_prefix(dot + 1);
    }
    return false;
}

std::string SecureExclusionsFilePath() { return platform::ModuleFilePath("SecureExclusions.txt"); }

std::shared_ptr<const SecureExclusions> LoadSecureExclusions(const std::string& path,
                                                             platform::FileRead* read) {
    std::string text;
    const platform::FileRead result =
        platform::ReadWholeFile(path, kMaxSecureExclusionsFileBytes, &text);
    if (read != nullptr) *read = result;
    if (result != platform::FileRead::kRead) return std::make_shared<const SecureExclusions>();
    return std::make_shared<const SecureExclusions>(text);
}

}  // namespace proxy
