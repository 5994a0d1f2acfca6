#include "proxy/leaf_cache.h"

namespace proxy {

std::shared_ptr<const platform::TlsLeaf> LeafCache::Get(const std::string& host,
                                                        const LeafIssuer& issue) {
    std::unique_lock<std::mutex> guard(lock_);
    const auto cached = byHost_.find(host);
    if (cached != byHost_.end()) {
        entries_.splice(entries_.begin(), entries_, cached->second);
        return cached->second->second;
    }
    const auto running = pending_.find(host);
    if (running != pending_.end()) {
        const std::shared_ptr<Pending> pending = running->second;
        issued_.wait(guard, [&] { return pending->done; });
        return pending->leaf;
    }
    const auto pending = std::make_shared<Pending>();
    pending_[host] = pending;
    guard.unlock();
    Leaf leaf;
    try {
        leaf = issue(host);
    } catch (...) {
        guard.lock();
        pending->done = true;
        pending_.erase(host);
        issued_.notify_all();
        throw;
    }
    guard.lock();
    pending->done = true;
    pending->leaf = leaf;
    pending_.erase(host);
    if (leaf) Keep(host, leaf);
    issued_.notify_all();
    return leaf;
}

void LeafCache::Keep(const std::string& host, const Leaf& leaf) {
    if (capacity_ == 0) return;
    if (entries_.size() >= capacity_) {
        byHost_.erase(entries_.back().first);
        entries_.pop_back();
    }
    entries_.emplace_front(host, leaf);
    byHost_[host] = entries_.begin();
}

std::size_t LeafCache::size() const {
    std::lock_guard<std::mutex> guard(lock_);
    return entries_.size();
}

void LeafCache::Clear() {
    std::lock_guard<std::mutex> guard(lock_);
    entries_.clear();
    byHost_.clear();
}

}  // namespace proxy
