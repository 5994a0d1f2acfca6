#include "proxy/dns_cache.h"

#include <algorithm>

namespace proxy {

namespace {
constexpr size_t kMaxNameLength = 255;
}

int DnsCache::UsedSize() const {
    return std::clamp(settings_.DNSCacheSize.load(std::memory_order_relaxed), 0, kDnsCacheCapacity);
}

std::uint32_t DnsCache::Lookup(const std::string& name) {
    if (settings_.DNSCacheDisable) return 0;
    std::lock_guard<std::mutex> guard(lock_);
    for (int i = 0; i < UsedSize() && entries_[i].address != 0; ++i) {
        if (entries_[i].name == name) return entries_[i].address;
    }
    return 0;
}

void DnsCache::Insert(const std::string& name, std::uint32_t address) {
    if (settings_.DNSCacheDisable || address == 0) return;
    std::lock_guard<std::mutex> guard(lock_);
    const int used = UsedSize();
    if (used == 0) return;
    std::string stored = name.substr(0, kMaxNameLength);
    for (int i = 0; i < used; ++i) {
        if (entries_[i].address == 0) {
            entries_[i] = {stored, address};
            return;
        }
    }
    if (replaceIndex_ >= used) replaceIndex_ = 0;
    entries_[replaceIndex_] = {stored, address};
    replaceIndex_ = (replaceIndex_ + 1) % used;
}

void DnsCache::Clear() {
    std::lock_guard<std::mutex> guard(lock_);
    for (Entry& entry : entries_) entry = {};
    replaceIndex_ = 0;
}

}  // namespace proxy
