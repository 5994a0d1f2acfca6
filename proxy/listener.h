// The proxy's listening socket on 127.0.0.1 and its accept thread: one thread per connection.
#pragma once

#include <atomic>

#include "platform/socket.h"
#include "platform/threads.h"

namespace proxy {

// The listening socket; kInvalidSocket while there is none. Setting it to kInvalidSocket is
// the stop signal for the accept thread and every relay loop.
extern std::atomic<platform::SocketHandle> ListeningSocket;
// Set to 1 each time a connection is accepted.
extern std::atomic<int> ConnectionsStarted;
// The system's receive and send buffer sizes of the listening socket, read by StartListener.
extern std::atomic<int> SystemReceiveBufferSize;
extern std::atomic<int> SystemSendBufferSize;

// How the accept thread starts a connection thread: platform::StartDetachedThread, replaced in
// tests to make a start fail.
using ThreadStarter = bool (*)(platform::ThreadEntry entry, void* argument, bool highestPriority);
extern std::atomic<ThreadStarter> StartConnectionThread;

class ProxyListener {
  public:
    // Binds 127.0.0.1:PopupPort and starts the accept thread. Returns whether it listens; a
    // failure is reported through ReportDiagnostic and the program goes on without a proxy.
    bool StartListener();
    // Closes the listening socket, then waits 500 ms, 1500 ms when connections were served.
    void StopListener();
    // Ends the relay of every open connection (their browser sides are shut down), then waits up
    // to timeoutMs for the accept thread and every connection thread to return. Returns whether
    // they all did. For a program that ends after StopListener and must not leave threads behind.
    static bool EndConnections(int timeoutMs);
    // The port actually bound (PopupPort 0 lets the system choose), 0 when not listening.
    int BoundPort() const;

  private:
    static void AcceptThread(void* listener);
    void CloseListeningSocket();
};

// Thread body of one accepted connection; argument is the socket handle.
void ConnectionThread(void* socket);

}  // namespace proxy
