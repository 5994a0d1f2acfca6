// A small cache of host name lookups, one per proxy, used when DNSCacheDisable is 0.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "proxy/settings.h"

namespace proxy {

class DnsCache {
  public:
    // Follows DNSCacheDisable and DNSCacheSize of settings, which must outlive the cache.
    explicit DnsCache(const AppSettings& settings) : settings_(settings) {}
    DnsCache(const DnsCache&) = delete;
    DnsCache& operator=(const DnsCache&) = delete;

    // Address (network order) cached for name, compared exactly; 0 when not cached or the cache
    // is off.
    std::uint32_t Lookup(const std::string& name);
    // Fills the first free entry of the DNSCacheSize used ones, or replaces entries round robin.
    void Insert(const std::string& name, std::uint32_t address);
    // Empties every entry (tests and settings reloads).
    void Clear();

  private:
    struct Entry {
        std::string name;       // at most 255 characters
        std::uint32_t address;  // 0 = free
    };
    int UsedSize() const;

    const AppSettings& settings_;
    std::mutex lock_;
    Entry entries_[kDnsCacheCapacity] = {};
    int replaceIndex_ = 0;
};

}  // namespace proxy
