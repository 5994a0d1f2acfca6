#include "proxy/context.h"

#include "proxy/blocker.h"

namespace proxy {

ProxyContext::ProxyContext(AppSettings& settings)
    : settings(settings),
      hostNameCache(settings),
      blocker(std::make_shared<const PreparedBlocker>()),
      secureExclusions(std::make_shared<const SecureExclusions>()) {}

void OpenSockets::Add(platform::SocketHandle socket) {
    std::lock_guard<std::mutex> guard(lock_);
    sockets_.push_back(socket);
}

void OpenSockets::Remove(platform::SocketHandle socket) {
    std::lock_guard<std::mutex> guard(lock_);
    for (size_t i = 0; i < sockets_.size(); ++i) {
        if (sockets_[i] == socket) {
            sockets_[i] = sockets_.back();
            sockets_.pop_back();
            return;
        }
    }
}

void OpenSockets::ShutdownAll() {
    std::lock_guard<std::mutex> guard(lock_);
    for (platform::SocketHandle s : sockets_) platform::Shutdown(s);
}

int ProxyContext::BoundPort() const { return boundPort.load(std::memory_order_relaxed); }

}  // namespace proxy
