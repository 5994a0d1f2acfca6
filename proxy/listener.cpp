#include "proxy/listener.h"

#include "platform/threads.h"
#include "proxy/connection.h"
#include "proxy/settings.h"
#include "proxy/socket_errors.h"

namespace proxy {

std::atomic<platform::SocketHandle> ListeningSocket{platform::kInvalidSocket};
std::atomic<int> ConnectionsStarted{0};
std::atomic<int> SystemReceiveBufferSize{0};
std::atomic<int> SystemSendBufferSize{0};

namespace {

void Report(const char* format) {
    ReportDiagnostic(Format(format, LastSocketErrorText().c_str()));
}

}  // namespace

void ProxyListener::CloseListeningSocket() {
    // Clear the field first so no loop picks up a closed handle, then wake the accept thread.
    platform::SocketHandle s = ListeningSocket.exchange(platform::kInvalidSocket);
    if (s != platform::kInvalidSocket) platform::ShutdownAndClose(s);
}

int ProxyListener::StartListener() {
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
        return 0;
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
        return 0;
    }
    // A deep queue: browsers open many connections at once, and a refused SYN costs them 1-3 s.
    if (platform::Listen(s) != 0) {
        Report("Error creating listen socket.\n\n%s");
        return 0;
    }
    if (!platform::StartDetachedThread(&ProxyListener::AcceptThread, this, false)) return 0;
    return 1;
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
            // The handle travels through the thread argument.
            if (!platform::StartDetachedThread(&ConnectionThread,
                                               reinterpret_cast<void*>(accepted), true)) {
                platform::CloseSocket(accepted);
                return;
            }
        }
    } catch (...) {
    }
}

void ConnectionThread(void* socket) {
    try {
        ProxyConnection connection(reinterpret_cast<platform::SocketHandle>(socket));
        connection.Run();
    } catch (...) {
    }
}

void ProxyListener::StopListener() {
    try {
        CloseListeningSocket();
        platform::SleepMilliseconds(500);
        if (ConnectionsStarted.load() == 1) platform::SleepMilliseconds(1000);
    } catch (...) {
    }
}

int ProxyListener::BoundPort() const {
    platform::SocketHandle s = ListeningSocket.load();
    if (s == platform::kInvalidSocket) return 0;
    return platform::LocalPort(s);
}

}  // namespace proxy
