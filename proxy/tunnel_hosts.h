// The hosts whose tunnels are no longer intercepted for the rest of the run: a browser refused
// the proxy's leaf for them (it does not trust the root), so the next attempt goes through
// untouched instead of failing again.
#pragma once

#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <unordered_set>

namespace proxy {

constexpr std::size_t kTunnelHostsCapacity = 4096;

// At most capacity hosts, compared exactly; beyond it the host added first goes. Safe to use
// from every connection thread.
class TunnelHosts {
  public:
    explicit TunnelHosts(std::size_t capacity = kTunnelHostsCapacity) : capacity_(capacity) {}
    TunnelHosts(const TunnelHosts&) = delete;
    TunnelHosts& operator=(const TunnelHosts&) = delete;

    // Adding a host already there changes nothing, its age included.
    void Add(const std::string& host);
    bool Contains(const std::string& host) const;

  private:
    const std::size_t capacity_;
    mutable std::mutex lock_;
    std::unordered_set<std::string> hosts_;
    std::deque<std::string> oldestFirst_;
};

}  // namespace proxy
