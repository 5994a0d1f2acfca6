// korvo-proxy: the filtering proxy alone. Runs the listener from the KorvoINI.ini in its own
// folder until SIGINT or SIGTERM, then stops it as the tray program does at exit. Secure pages
// are filtered with the user's root, kept in $XDG_CONFIG_HOME/korvo-popup-killer (or
// ~/.config/korvo-popup-killer) and written for the browsers as KorvoRoot.pem beside the settings.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/files.h"
#include "platform/memory.h"
#include "platform/socket.h"
#include "platform/threads.h"
#include "proxy/blocker.h"
#include "proxy/diagnostics.h"
#include "proxy/listener.h"
#include "proxy/secure_setup.h"
#include "proxy/settings.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

// How long the connections get to end once their sockets are shut down: a thread may be inside a
// connect or a name look-up, which no shutdown interrupts.
constexpr int kEndWaitMs = 10000;

void RequestStop(int) { stopRequested = 1; }

void PrintDiagnostic(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }

std::string RootFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') return std::string(config) + "/korvo-popup-killer";
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : ".") + "/.config/korvo-popup-killer";
}

// The root for the user's browsers beside the settings; false with a message when it cannot be.
bool PrepareSecurePages(proxy::ProxyContext& context) {
    std::string error;
    if (!proxy::PrepareSecurePages(context, RootFolder(), error)) {
        std::fprintf(stderr, "korvo-proxy: secure pages are tunnelled unfiltered: %s\n",
                     error.c_str());
        return false;
    }
    const std::string path = proxy::RootCertificatePath();
    std::string written;
    const std::string root = context.authority->RootPem();
    if (platform::ReadWholeFile(path, 1 << 16, &written) == platform::FileRead::kRead &&
        written == root) {
        return true;
    }
    if (platform::ReplaceFileContent(path, root)) return true;
    std::fprintf(stderr, "korvo-proxy: cannot write %s\n", path.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    platform::ReturnLargeBlocksToSystem();
    bool printRootPath = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-v") == 0) {
            proxy::SetDiagnosticSink(PrintDiagnostic);
        } else if (std::strcmp(argv[i], "--print-root-path") == 0) {
            printRootPath = true;
        } else {
            std::fprintf(stderr,
                         "usage: %s [-v | --print-root-path]\n"
                         "  -v                 print the diagnostic texts\n"
                         "  --print-root-path  make the root for secure pages, print where it is\n",
                         argv[0]);
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
    const bool secure = (printRootPath || settings.FilterSecurePages.load() != 0) &&
                        PrepareSecurePages(listener.context());
    if (printRootPath) {
        if (!secure) return 1;
        std::printf("%s\n", proxy::RootCertificatePath().c_str());
        return 0;
    }
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
