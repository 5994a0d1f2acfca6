// What the threads of one running proxy share: the settings it serves and the state it keeps
// while it runs. A ProxyListener owns one; its accept thread and every connection thread hold a
// share of it, so it outlives the last of them.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/socket.h"
#include "platform/threads.h"
#include "platform/tls.h"
#include "proxy/dns_cache.h"
#include "proxy/leaf_cache.h"
#include "proxy/secure_error_page.h"
#include "proxy/secure_exclusions.h"
#include "proxy/settings.h"
#include "proxy/tunnel_hosts.h"

namespace proxy {

struct PreparedBlocker;

// How many connection threads one proxy runs at most. A connection beyond the limit gets the
// busy reply instead of a thread, so a flood (two proxies set as each other's gateway relay every
// request back and forth) cannot exhaust the process. Browsers keep a few connections per site,
// a few hundred at most; the limit leaves room for a thousand idle keep-alive connections, and a
// 32-bit Windows process still has address space for every thread's stack (1 MiB each).
constexpr int kMaxConnectionThreads = 1024;

// How the accept thread starts a connection thread: platform::StartDetachedThread, replaced in
// tests to make a start fail.
using ThreadStarter = bool (*)(platform::ThreadEntry entry, void* argument, bool highestPriority);

// The browser sockets of a proxy's open connections, so that they can be shut down. A connection
// takes its socket out before it closes it, so no socket here can be another's by now.
class OpenSockets {
  public:
    void Add(platform::SocketHandle socket);
    void Remove(platform::SocketHandle socket);
    // Shuts every socket down: the relays on them end.
    void ShutdownAll();

  private:
    std::mutex lock_;
    std::vector<platform::SocketHandle> sockets_;
};

struct ProxyContext {
    // The settings must outlive the context's threads; connection threads read them at the
    // moment they need them, so a change applies to the next decision.
    explicit ProxyContext(AppSettings& settings);
    ProxyContext(const ProxyContext&) = delete;
    ProxyContext& operator=(const ProxyContext&) = delete;

    // The port the listening socket is bound to, 0 when there is none. Read at every server
    // connection and every new browser connection, so it is kept, not asked of the system.
    int BoundPort() const;

    AppSettings& settings;
    // The listening socket; kInvalidSocket while there is none. Setting it to kInvalidSocket is
    // the stop signal for the accept thread and every relay loop.
    std::atomic<platform::SocketHandle> listeningSocket{platform::kInvalidSocket};
    // Set to 1 each time a connection is accepted.
    std::atomic<int> connectionsStarted{0};
    // What BoundPort answers: set once the socket listens, 0 again when it closes.
    std::atomic<int> boundPort{0};
    // The system's receive and send buffer sizes of the listening socket, read by StartListener.
    std::atomic<int> systemReceiveBufferSize{0};
    std::atomic<int> systemSendBufferSize{0};
    std::atomic<ThreadStarter> startConnectionThread{&platform::StartDetachedThread};
    // The accept thread and the connection threads still running; each thread's entry counts
    // itself out as its last step.
    std::atomic<int> runningThreads{0};
    // Connection threads started and not yet ended, and how many may run at once.
    std::atomic<int> connectionThreads{0};
    std::atomic<int> connectionThreadLimit{kMaxConnectionThreads};
    // ProxyConnection objects alive.
    std::atomic<int> liveConnections{0};
    OpenSockets openSockets;
    DnsCache hostNameCache;
    // Bytes held for pages by this proxy's connections together.
    std::atomic<std::int64_t> heldResponseBytes{0};
    // Full path of the blocker script file, set by ResolveScriptFile.
    SharedText scriptFilePath;
    // The prepared blocker script, never null. Read with std::atomic_load and replaced whole
    // with std::atomic_store (see proxy/blocker.h).
    std::shared_ptr<const PreparedBlocker> blocker;
    // The texts of the page a secure site that cannot be trusted is answered with.
    SecurePageTexts securePageTexts;
    // The hosts whose secure pages are never intercepted, never null (empty until loaded). Read
    // with std::atomic_load and replaced whole with std::atomic_store.
    std::shared_ptr<const SecureExclusions> secureExclusions;
    // The installation's root, which signs the leaves; null while secure pages cannot be
    // filtered (no root, or a build without TLS). Read with std::atomic_load and set with
    // std::atomic_store: the application may open it after the proxy started.
    std::shared_ptr<platform::TlsAuthority> authority;
    // The leaves the root signed, by host; cleared when the root changes.
    LeafCache leafCache;
    // Hosts a browser refused the leaf for: tunnelled for the rest of the run.
    TunnelHosts tunnelHosts;
};

}  // namespace proxy
