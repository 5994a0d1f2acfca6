#include "proxy/listener.h"

#include <mutex>
#include <vector>

#include "proxy/connection.h"
#include "proxy/diagnostics.h"
#include "proxy/settings.h"
#include "proxy/socket_errors.h"

namespace proxy {

std::atomic<platform::SocketHandle> ListeningSocket{platform::kInvalidSocket};
std::atomic<int> ConnectionsStarted{0};
std::atomic<int> SystemReceiveBufferSize{0};
std::atomic<int> SystemSendBufferSize{0};
std::atomic<ThreadStarter> StartConnectionThread{&platform::StartDetachedThread};

namespace {

// The accept thread and the connection threads still running; each thread's entry counts itself
// out as its last step.
std::atomic<int> runningThreads{0};

// The browser sockets of the connection threads, for EndConnections. Never destroyed: detached
// connection threads may still use it while the program's globals go.
struct OpenSockets {
    std::mutex lock;
    std::vector<platform::SocketHandle> sockets;
};
OpenSockets& openSockets = *new OpenSockets;

void Report(const char* format) { ReportDiagnostic(Format(format, LastSocketErrorText().c_str())); }

// Starts the thread of one accepted connection; false when it could not be started, in which case
// the caller still owns the socket.
bool StartConnection(platform::SocketHandle accepted) {
    ++runningThreads;
    bool started = false;
    try {
        // The handle travels through the thread argument.
        started = StartConnectionThread.load()(&ConnectionThread, reinterpret_cast<void*>(accepted),
                                               true);
    } catch (...) {
    }
    if (!started) --runningThreads;
    return started;
}

void ForgetSocket(platform::SocketHandle socket) {
    std::lock_guard<std::mutex> guard(openSockets.lock);
    std::vector<platform::SocketHandle>& sockets = openSockets.sockets;
    for (size_t i = 0; i < sockets.size(); ++i) {
        if (sockets[i] == socket) {
            sockets[i] = sockets.back();
            sockets.pop_back();
            return;
        }
    }
}

}  // namespace

void ProxyListener::CloseListeningSocket() {
    // Clear the field first so no loop picks up a closed handle, then wake the accept thread.
    platform::SocketHandle s = ListeningSocket.exchange(platform::kInvalidSocket);
    if (s != platform::kInvalidSocket) platform::ShutdownAndClose(s);
}

bool ProxyListener::StartListener() {
    if (ListeningSocket.load() != platform::kInvalidSocket) {
        CloseListeningSocket();
        platform::SleepMilliseconds(500);
    }
    // Always the loopback address: the proxy is never reachable from the network.
    const int port = appSettings.PopupPort.load() & 0xFFFF;
    const std::uint32_t loopback = platform::LoopbackAddress();

    platform::SocketHandle s = platform::OpenTcpSocket();
    if (s == platform::kInvalidSocket) {
        Report("Unable to create listen socket.\n\n%s");
        return false;
    }
    int sendSize = 0, receiveSize = 0;
    if (platform::GetBufferSizes(s, &sendSize, &receiveSize)) {
        SystemSendBufferSize = sendSize;
        SystemReceiveBufferSize = receiveSize;
    }
    platform::SetReuseAddress(s);
    int bound = platform::BindTo(s, loopback, port);
    int bindError = platform::LastSocketError();
    platform::SetBlocking(s);
    ListeningSocket = s;
    if (bound != 0) {
        platform::SetLastSocketError(bindError);
        Report("Error creating blocking socket.\n\n%s");
        return false;
    }
    // A deep queue: browsers open many connections at once, and a refused SYN costs them 1-3 s.
    if (platform::Listen(s) != 0) {
        Report("Error creating listen socket.\n\n%s");
        return false;
    }
    ++runningThreads;
    if (!platform::StartDetachedThread(&ProxyListener::AcceptThread, this, false)) {
        // Nobody would accept: the port must not take connections that are never answered.
        --runningThreads;
        CloseListeningSocket();
        return false;
    }
    return true;
}

void ProxyListener::AcceptThread(void* /*listener*/) {
    try {
        platform::SocketHandle listening;
        while ((listening = ListeningSocket.load()) != platform::kInvalidSocket) {
            platform::SocketHandle accepted = platform::Accept(listening);
            if (accepted == platform::kInvalidSocket) {
                // Out of descriptors or similar: retry, but without spinning a core.
                if (ListeningSocket.load() != platform::kInvalidSocket) {
                    platform::SleepMilliseconds(1);
                }
                continue;
            }
            platform::SetBlocking(accepted);
            ConnectionsStarted = 1;
            // Out of threads or memory: this browser connection is closed, the next one may fit.
            if (!StartConnection(accepted)) {
                Diagnose("Cannot start a connection thread; connection closed.");
                platform::CloseSocket(accepted);
            }
        }
    } catch (...) {
    }
    --runningThreads;
}

void ConnectionThread(void* socket) {
    const auto browserSocket = reinterpret_cast<platform::SocketHandle>(socket);
    bool registered = false;
    try {
        {
            std::lock_guard<std::mutex> guard(openSockets.lock);
            openSockets.sockets.push_back(browserSocket);
        }
        registered = true;
        ProxyConnection connection(browserSocket);
        connection.Run();
    } catch (...) {
    }
    // The connection closed its socket; one that never ran is closed here.
    if (registered) {
        ForgetSocket(browserSocket);
    } else {
        platform::CloseSocket(browserSocket);
    }
    --runningThreads;
}

void ProxyListener::StopListener() {
    try {
        CloseListeningSocket();
        platform::SleepMilliseconds(500);
        if (ConnectionsStarted.load() == 1) platform::SleepMilliseconds(1000);
    } catch (...) {
    }
}

bool ProxyListener::EndConnections(int timeoutMs) {
    {
        // A socket closed meanwhile may carry another of this proxy's connections by now; it is
        // ending as well.
        std::lock_guard<std::mutex> guard(openSockets.lock);
        for (platform::SocketHandle s : openSockets.sockets) platform::Shutdown(s);
    }
    for (int waited = 0; runningThreads.load() != 0; waited += 10) {
        if (waited >= timeoutMs) return false;
        platform::SleepMilliseconds(10);
    }
    return true;
}

int ProxyListener::BoundPort() const {
    platform::SocketHandle s = ListeningSocket.load();
    if (s == platform::kInvalidSocket) return 0;
    return platform::LocalPort(s);
}

}  // namespace proxy
