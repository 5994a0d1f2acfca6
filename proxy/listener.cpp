#include "proxy/listener.h"

#include "proxy/connection.h"
#include "proxy/diagnostics.h"
#include "proxy/fixed_replies.h"
#include "proxy/settings.h"
#include "proxy/socket_errors.h"

namespace proxy {

namespace {

// How long the destructor gives the threads to end once their sockets are shut down.
constexpr int kEndWaitMs = 5000;

// What a connection thread gets: a share of its proxy's context and the accepted socket.
struct ConnectionStart {
    std::shared_ptr<ProxyContext> context;
    platform::SocketHandle socket;
};

void Report(const char* format) { ReportDiagnostic(Format(format, LastSocketErrorText().c_str())); }

void CloseListening(ProxyContext& context) {
    // Clear the field first so no loop picks up a closed handle, then wake the accept thread.
    context.boundPort = 0;
    platform::SocketHandle s = context.listeningSocket.exchange(platform::kInvalidSocket);
    if (s != platform::kInvalidSocket) platform::ShutdownAndClose(s);
}

// Thread body of one accepted connection; takes ownership of its ConnectionStart.
void ConnectionThread(void* argument) {
    const std::unique_ptr<ConnectionStart> start(static_cast<ConnectionStart*>(argument));
    bool constructed = false;
    try {
        ProxyConnection connection(*start->context, start->socket);
        constructed = true;
        connection.Run();
    } catch (...) {
    }
    // The connection closed its socket; one that never ran is closed here.
    if (!constructed) platform::CloseSocket(start->socket);
    --start->context->connectionThreads;
    --start->context->runningThreads;
}

// A connection beyond the thread limit: the busy reply, then the socket is closed. What the
// browser has sent so far is read off first, so that the close does not reset the connection
// and take the reply with it. Nothing here waits.
void RefuseBusy(platform::SocketHandle accepted) {
    platform::SetNonBlocking(accepted);
    platform::Send(accepted, kBusyReply, static_cast<int>(sizeof kBusyReply - 1));
    platform::ShutdownSending(accepted);
    char discarded[4096];
    for (int i = 0; i < 16; ++i) {
        if (platform::Receive(accepted, discarded, sizeof discarded) <= 0) break;
    }
    platform::CloseSocket(accepted);
}

// Starts the thread of one accepted connection; false when it could not be started, in which case
// the caller still owns the socket.
bool StartConnection(const std::shared_ptr<ProxyContext>& context,
                     platform::SocketHandle accepted) {
    ++context->runningThreads;
    ++context->connectionThreads;
    bool started = false;
    ConnectionStart* start = nullptr;
    try {
        start = new ConnectionStart{context, accepted};
        started = context->startConnectionThread.load()(&ConnectionThread, start, true);
    } catch (...) {
    }
    if (!started) {
        delete start;
        --context->connectionThreads;
        --context->runningThreads;
    }
    return started;
}

// Thread body of the accept thread; takes ownership of its share of the context.
void AcceptThread(void* argument) {
    const std::unique_ptr<std::shared_ptr<ProxyContext>> share(
        static_cast<std::shared_ptr<ProxyContext>*>(argument));
    const std::shared_ptr<ProxyContext>& context = *share;
    try {
        platform::SocketHandle listening;
        while ((listening = context->listeningSocket.load()) != platform::kInvalidSocket) {
            platform::SocketHandle accepted = platform::Accept(listening);
            if (accepted == platform::kInvalidSocket) {
                // Out of descriptors or similar: retry, but without spinning a core.
                if (context->listeningSocket.load() != platform::kInvalidSocket) {
                    platform::SleepMilliseconds(1);
                }
                continue;
            }
            platform::SetBlocking(accepted);
            context->connectionsStarted = 1;
            if (context->connectionThreads.load() >= context->connectionThreadLimit.load()) {
                Diagnose("Too many connections; connection refused.");
                RefuseBusy(accepted);
                continue;
            }
            // Out of threads or memory: this browser connection is closed, the next one may fit.
            if (!StartConnection(context, accepted)) {
                Diagnose("Cannot start a connection thread; connection closed.");
                platform::CloseSocket(accepted);
            }
        }
    } catch (...) {
    }
    --context->runningThreads;
}

}  // namespace

ProxyListener::ProxyListener(AppSettings& settings)
    : context_(std::make_shared<ProxyContext>(settings)) {}

ProxyListener::~ProxyListener() {
    CloseListening(*context_);
    EndConnections(kEndWaitMs);
}

bool ProxyListener::StartListener() {
    ProxyContext& context = *context_;
    if (context.listeningSocket.load() != platform::kInvalidSocket) {
        CloseListening(context);
        platform::SleepMilliseconds(500);
    }
    // Always the loopback address: the proxy is never reachable from the network.
    const int port = context.settings.PopupPort.load() & 0xFFFF;
    const std::uint32_t loopback = platform::LoopbackAddress();

    platform::SocketHandle s = platform::OpenTcpSocket();
    if (s == platform::kInvalidSocket) {
        Report("Unable to create listen socket.\n\n%s");
        return false;
    }
    int sendSize = 0, receiveSize = 0;
    if (platform::GetBufferSizes(s, &sendSize, &receiveSize)) {
        context.systemSendBufferSize = sendSize;
        context.systemReceiveBufferSize = receiveSize;
    }
    platform::SetReuseAddress(s);
    int bound = platform::BindTo(s, loopback, port);
    int bindError = platform::LastSocketError();
    platform::SetBlocking(s);
    context.listeningSocket = s;
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
    context.boundPort = platform::LocalPort(s);
    auto share = std::make_unique<std::shared_ptr<ProxyContext>>(context_);
    ++context.runningThreads;
    if (!platform::StartDetachedThread(&AcceptThread, share.get(), false)) {
        // Nobody would accept: the port must not take connections that are never answered.
        --context.runningThreads;
        CloseListening(context);
        return false;
    }
    share.release();  // the accept thread's now
    return true;
}

void ProxyListener::StopListener() {
    try {
        CloseListening(*context_);
        platform::SleepMilliseconds(500);
        if (context_->connectionsStarted.load() == 1) platform::SleepMilliseconds(1000);
    } catch (...) {
    }
}

bool ProxyListener::EndConnections(int timeoutMs) {
    context_->openSockets.ShutdownAll();
    for (int waited = 0; context_->runningThreads.load() != 0; waited += 10) {
        if (waited >= timeoutMs) return false;
        platform::SleepMilliseconds(10);
    }
    return true;
}

int ProxyListener::BoundPort() const { return context_->BoundPort(); }

}  // namespace proxy
