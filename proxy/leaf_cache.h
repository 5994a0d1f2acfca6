// The leaf certificates the proxy answers browsers with, kept by host so that a host's leaf is
// issued once and not at every connection: issuing costs a signature.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>

#include "platform/tls.h"

namespace proxy {

constexpr std::size_t kLeafCacheCapacity = 512;

// Makes the leaf for a host; null when it cannot.
using LeafIssuer = std::function<std::shared_ptr<const platform::TlsLeaf>(const std::string&)>;

// Leaves by host, at most capacity of them: the one used least recently goes first. Safe to use
// from every connection thread.
class LeafCache {
  public:
    explicit LeafCache(std::size_t capacity = kLeafCacheCapacity) : capacity_(capacity) {}
    LeafCache(const LeafCache&) = delete;
    LeafCache& operator=(const LeafCache&) = delete;

    // The leaf for host (compared exactly): the cached one, or the one issue makes, which is
    // kept. While issue runs for a host, other threads asking for that host wait for its answer
    // instead of issuing again; other hosts do not wait. Null when issue gives null (nothing is
    // kept then, so the next call tries again).
    std::shared_ptr<const platform::TlsLeaf> Get(const std::string& host, const LeafIssuer& issue);

    std::size_t size() const;
    // Forgets every leaf (a new root makes them useless).
    void Clear();

  private:
    using Leaf = std::shared_ptr<const platform::TlsLeaf>;
    // A leaf being issued, which waiting threads share.
    struct Pending {
        bool done = false;
        Leaf leaf;
    };
    using Entries = std::list<std::pair<std::string, Leaf>>;

    void Keep(const std::string& host, const Leaf& leaf);

    const std::size_t capacity_;
    mutable std::mutex lock_;
    std::condition_variable issued_;
    // Most recently used first.
    Entries entries_;
    std::unordered_map<std::string, Entries::iterator> byHost_;
    std::unordered_map<std::string, std::shared_ptr<Pending>> pending_;
};

}  // namespace proxy
