// The proxy's listening socket on 127.0.0.1 and its accept thread: one thread per connection.
#pragma once

#include <memory>

#include "proxy/context.h"
#include "proxy/settings.h"

namespace proxy {

// One proxy: its listening socket, its threads and everything they share (its ProxyContext).
// Two listeners in one process share nothing but the settings when given the same record.
class ProxyListener {
  public:
    // Serves settings, which must outlive the listener and its threads.
    explicit ProxyListener(AppSettings& settings);
    // Stops listening and ends the connections as EndConnections does (up to 5 s). A thread
    // still busy after that keeps the context alive, but not the settings.
    ~ProxyListener();
    ProxyListener(const ProxyListener&) = delete;
    ProxyListener& operator=(const ProxyListener&) = delete;

    // Binds 127.0.0.1:PopupPort and starts the accept thread. Returns whether it listens; a
    // failure is reported through ReportDiagnostic and the program goes on without a proxy.
    bool StartListener();
    // Closes the listening socket, then waits 500 ms, 1500 ms when connections were served.
    void StopListener();
    // Ends the relay of every open connection of this listener (their browser sides are shut
    // down), then waits up to timeoutMs for its accept thread and every connection thread to
    // return. Returns whether they all did. For a program that ends after StopListener and must
    // not leave threads behind.
    bool EndConnections(int timeoutMs);
    // The port actually bound (PopupPort 0 lets the system choose), 0 when not listening.
    int BoundPort() const;
    // What the listener's threads share: its settings, counters, host-name cache and blocker
    // script.
    ProxyContext& context() { return *context_; }

  private:
    std::shared_ptr<ProxyContext> context_;
};

}  // namespace proxy
