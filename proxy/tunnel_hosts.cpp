#include "proxy/tunnel_hosts.h"

namespace proxy {

void TunnelHosts::Add(const std::string& host) {
    std::lock_guard<std::mutex> guard(lock_);
    if (capacity_ == 0 || !hosts_.insert(host).second) return;
    oldestFirst_.push_back(host);
    if (oldestFirst_.size() > capacity_) {
        hosts_.erase(oldestFirst_.front());
        oldestFirst_.pop_front();
    }
}

bool TunnelHosts::Contains(const std::string& host) const {
    std::lock_guard<std::mutex> guard(lock_);
    return hosts_.count(host) != 0;
}

}  // namespace proxy
