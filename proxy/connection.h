// One browser connection: the relay loop between the browser socket and the server socket. The
// browser's bytes are cut into requests by a RequestReader, the server's into responses by a
// ResponseRelay; the connection opens server sockets and moves bytes between them.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "platform/page_buffer.h"
#include "platform/socket.h"
#include "proxy/context.h"
#include "proxy/http_request.h"
#include "proxy/response_relay.h"

namespace proxy {

using platform::kInvalidSocket;
using platform::SocketHandle;

class ProxyConnection {
  public:
    // Takes ownership of the accepted browser socket, which is among context's open sockets
    // until it is closed. The context must outlive the connection.
    ProxyConnection(ProxyContext& context, SocketHandle browserSocket);
    virtual ~ProxyConnection();
    ProxyConnection(const ProxyConnection&) = delete;
    ProxyConnection& operator=(const ProxyConnection&) = delete;

    // Relays requests and responses until either side ends, then closes both sockets.
    void Run();

  private:
    void RelayLoop();
    // The buffer reads go into, taken when needed; nullptr when there is no memory for it.
    char* RelayBuffer();
    void ReleaseBuffers();
    // Moves the server's next bytes to the browser past the relay when they pass unchanged and
    // the system can: kNo when the relay must read them, kEnded when the connection must end.
    enum class Moved { kNo, kYes, kEnded };
    Moved MoveUnchangedBytes();
    // Waits for the browser (while it still sends) and the server; false when the wait failed.
    bool Wait(bool& browserReadable, bool& serverReadable);
    // One wait: >0 readable, 0 timed out, -1 failed.
    int WaitFor(int timeoutMs, bool& browserReadable, bool& serverReadable);
    // Bytes from the browser; false when the connection must end.
    bool HandleBrowserData(const char* data, size_t size);
    bool StartRequest(const RequestTarget& target, bool viaGateway);
    // Closes the server socket unless it leads to name:port; a response it still holds is
    // finished first.
    void LeaveServerUnlessAt(const std::string& name, int port);
    bool ConnectToServer(const std::string& name, int port);
    // A socket connected to name:port, or kInvalidSocket. The proxy's own address is refused.
    SocketHandle OpenServerSocket(const std::string& name, int port);
    void CloseServerSocket();
    void CloseConnection();
    // Sends first, then second, in blocks of at most sendChunkSize_; false when a send failed
    // (the connection then ends, since the stream has a gap).
    bool SendAll(SocketHandle socket, const char* first, size_t firstSize,
                 const char* second = nullptr, size_t secondSize = 0);
    // What one round of the relay gives the browser goes out together: small pieces (a header,
    // a short body) are gathered and leave with the next large one or at FlushToBrowser, so a
    // response costs one send and the browser one wake-up.
    void SendToBrowser(const char* bytes, size_t size);
    void FlushToBrowser();
    void SendToBrowser(const char* text) { SendToBrowser(text, std::strlen(text)); }

    ProxyContext& context_;
    SocketHandle browserSocket_;
    SocketHandle serverSocket_ = kInvalidSocket;
    bool browserSending_ = true;  // the browser has not shut down its sending side
    bool browserFailed_ = false;  // a send to the browser failed
    std::string serverName_;      // where serverSocket_ leads
    int serverPort_ = 0;
    std::string host_;     // the current request's host, for diagnostics
    std::string viaName_;  // how this proxy names itself in Via
    int sendChunkSize_ = 256;
    int receiveSize_ = 256;
    RequestReader requests_;
    ResponseRelay responses_;
    std::vector<RequestReader::Piece> pieces_;  // reused for every read
    std::string toBrowser_;                     // gathered for the browser, not yet sent
    platform::PageBuffer relayBuffer_;
    platform::SocketForwarder forwarder_;
    static constexpr std::uint64_t kMoveBlock = 1 << 20;
    static constexpr size_t kGatherLimit = 16 * 1024;
    static constexpr int kQuietMs = 250;
};

// The fixed reply a refused request gets.
const char* RefusalReply(Refusal refusal);

// Relay size from the context's settings: the larger system buffer (at least 256) with
// UseDefaultBufferSizes, else BufferSize (at least 1).
int RelayBufferSize(const ProxyContext& context);

// Lowers BufferSize by 1024 after a send failed for lack of buffer space, not below 2048.
void BackOffBufferSize(AppSettings& settings);

}  // namespace proxy
