// The proxy's listening socket on 127.0.0.1 and its accept thread: one thread per connection.
#pragma once

#include <atomic>

#include "platform/socket.h"

namespace proxy {

// The listening socket; kInvalidSocket while there is none. Setting it to kInvalidSocket is
// the stop signal for the accept thread and every relay loop.
extern std::atomic<platform::SocketHandle> ListeningSocket;
// Set to 1 each time a connection is accepted.
extern std::atomic<int> ConnectionsStarted;
// SO_RCVBUF and SO_SNDBUF of the listening socket, read by StartListener.
extern std::atomic<int> SystemReceiveBufferSize;
extern std::atomic<int> SystemSendBufferSize;

class ProxyListener {
public:
    // Binds 127.0.0.1:PopupPort and starts the accept thread. Returns 1 when it listens, 0 on
    // failure (reported through ReportDiagnostic; the program goes on without a proxy).
    int StartListener();
    // Closes the listening socket, then waits 500 ms, 1500 ms when connections were served.
    void StopListener();
    // The port actually bound (PopupPort 0 lets the system choose), 0 when not listening.
    int BoundPort() const;

private:
    static void AcceptThread(void* listener);
    void CloseListeningSocket();
};

// Thread body of one accepted connection; argument is the socket handle.
void ConnectionThread(void* socket);

}  // namespace proxy
