// korvo-proxy: the filtering proxy alone. Runs the listener from the KorvoINI.ini in its own
// folder until SIGINT or SIGTERM, then stops it as the tray program does at exit.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/memory.h"
#include "platform/socket.h"
#include "platform/threads.h"
#include "proxy/blocker.h"
#include "proxy/diagnostics.h"
#include "proxy/listener.h"
#include "proxy/settings.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

// How long the connections get to end once their sockets are shut down: a thread may be inside a
// connect or a name look-up, which no shutdown interrupts.
constexpr int kEndWaitMs = 10000;

void RequestStop(int) { stopRequested = 1; }

void PrintDiagnostic(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }

}  // namespace

int main(int argc, char** argv) {
    platform::ReturnLargeBlocksToSystem();
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-v") == 0) {
            proxy::SetDiagnosticSink(PrintDiagnostic);
        } else {
            std::fprintf(stderr, "usage: %s [-v]\n  -v  print the diagnostic texts\n", argv[0]);
            return 2;
        }
    }
    if (!platform::InitSockets()) {
        std::fprintf(stderr, "Windows sockets initialization failed.\n");
        return 1;
    }
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    proxy::AppSettings settings;
    proxy::LoadSettings(settings);
    proxy::ProxyListener listener(settings);
    proxy::ResolveScriptFile(listener.context());
    proxy::PrepareBlockerScript(listener.context());
    if (!listener.StartListener()) {
        std::fprintf(stderr, "korvo-proxy: cannot listen on 127.0.0.1:%d\n",
                     settings.PopupPort.load() & 0xFFFF);
        return 1;
    }
    std::fprintf(stderr, "korvo-proxy: listening on 127.0.0.1:%d\n", listener.BoundPort());
    while (!stopRequested) platform::SleepMilliseconds(100);
    listener.StopListener();
    // Every thread must have returned before the settings and the listener are destroyed.
    if (!listener.EndConnections(kEndWaitMs)) {
        std::fprintf(stderr, "korvo-proxy: connections still busy after %d ms\n", kEndWaitMs);
        std::fflush(stderr);
        std::_Exit(1);
    }
    return 0;
}
