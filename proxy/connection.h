// One browser connection: the relay loop between the browser socket and the server socket. The
// browser's bytes are cut into requests by a RequestReader, the server's into responses by a
// ResponseRelay; the connection opens server sockets and moves bytes between them.
#pragma once

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/page_buffer.h"
#include "platform/socket.h"
#include "platform/tls.h"
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

    // Relays requests and responses until either side ends, then closes both sockets. Both
    // sockets are non-blocking: each side's bytes are read while the other side's wait to be
    // sent, and what a side does not take yet waits in the connection, so neither side can stop
    // the other. A side that has bytes waiting is not read again until they are sent.
    void Run();

  private:
    // Bytes for one side that it has not taken yet, oldest first.
    class Outgoing {
      public:
        bool Empty() const { return sent_ == bytes_.size(); }
        const char* data() const { return bytes_.data() + sent_; }
        size_t size() const { return bytes_.size() - sent_; }
        void Append(const char* bytes, size_t size) { bytes_.append(bytes, size); }
        void Consume(size_t size);
        // Gives the memory back when nothing waits.
        void Release();

      private:
        std::string bytes_;
        size_t sent_ = 0;
    };
    // What one wait found.
    struct Ready {
        bool browserReadable = false;
        bool browserFailed = false;
        bool serverReadable = false;
    };

    void RelayLoop();
    // The buffer reads go into, taken when needed; nullptr when there is no memory for it.
    char* RelayBuffer();
    void ReleaseBuffers();
    // Takes the server's next bytes into the forwarder, past the relay, when they pass unchanged
    // and the system can; false when the relay must read them itself.
    bool TakeUnchangedBytes();
    // Waits for what the connection can do next; false when the wait failed.
    bool Wait(Ready& ready);
    // One wait: >0 something is ready, 0 timed out, -1 failed.
    int WaitFor(int timeoutMs, Ready& ready);
    // The browser's next bytes; false when its socket failed.
    bool ReadBrowser();
    void ReadServer();
    // Cuts the browser's bytes into pieces for DispatchPieces; a refusal waits in refusal_.
    void HandleBrowserData(const char* data, size_t size);
    // Hands the pieces of the browser's last read to their server, in order. A request that
    // needs another server (or a tunnel) waits, with all after it, while answers are still
    // awaited from the current one or bytes for it are still unsent: answers reach the browser
    // in the order of its requests, whatever sites they come from. A refusal is answered once
    // every answer before it is through. A server that closes the connection ends it for the
    // requests still waiting too (the browser asks again). False when the connection must close.
    bool DispatchPieces();
    bool MustWaitForServer(const RequestTarget& target) const;
    bool StartRequest(const RequestTarget& target);
    // The server socket for a plain request or a tunnel: kept when it leads there, else opened.
    bool OpenServerFor(const RequestTarget& target);
    // Where a request goes: its own host, or the gateway when one is set.
    void ServerFor(const RequestTarget& target, std::string& name, int& port) const;
    bool ConnectToServer(const std::string& name, int port);
    // A socket connected to name:port, or kInvalidSocket. The proxy's own address is refused.
    SocketHandle OpenServerSocket(const std::string& name, int port);
    // Closes the server socket; a response it still holds is finished first.
    void CloseServerSocket();
    // The server side ends; the connection ends once what is owed to the browser is sent.
    void BeginClosing();
    void CloseConnection();
    // Sends out, then more, as far as the socket takes them now, in blocks of at most
    // sendChunkSize_; what it does not take stays in out. False when the socket failed.
    bool SendNow(SocketHandle socket, Outgoing& out, const char* more = nullptr,
                 size_t moreSize = 0);
    bool SendToServer(const std::string& bytes);
    bool FlushToServer();
    // What one round of the relay gives the browser goes out together: small pieces (a header,
    // a short body) are gathered and leave with the next large one or at FlushToBrowser, so a
    // response costs one send and the browser one wake-up. Bytes in the forwarder go first.
    void SendToBrowser(const char* bytes, size_t size);
    void FlushToBrowser();
    void SendToBrowser(const char* text) { SendToBrowser(text, std::strlen(text)); }
    // The bytes as they go on the wire, past the browser's session.
    void SendRawToBrowser(const char* bytes, size_t size);
    bool OwesBrowser() const {
        return !toBrowser_.Empty() || forwarder_.Held() > 0 || !plainToBrowser_.empty();
    }

    // ---- Secure sites (connection_secure.cpp) ----
    // A tunnel to a secure site is ended here when the browser opens it with a TLS ClientHello
    // and nothing says to leave it alone: the site's handshake is made and its certificate
    // verified first, then the browser is answered with a leaf for the host, and the requests
    // inside run through the same reader and relay as plain ones. Anything else is tunnelled,
    // with the bytes already read forwarded unchanged.
    enum class SecureStage {
        kNone,       // plain requests, or a plain tunnel
        kPeeking,    // a tunnel is open; its first bytes decide whether it is ended here
        kHandshake,  // the browser's handshake with this proxy is under way
        kOpen,       // requests flow inside both sessions
    };
    // Whether a tunnel opened now may be ended here.
    bool MayIntercept() const;
    // Takes the tunnel's first bytes; decides once they tell. False when the connection must end.
    bool PeekTunnel(const std::string& bytes);
    bool ShouldIntercept(const std::string& serverName) const;
    // The tunnel goes on as a plain one, starting with the bytes already read.
    bool TunnelAsIs();
    bool Intercept();
    // The handshake with the site on serverSocket_, waited for up to the relay's time-out.
    // False with siteFailure_ set when it failed.
    bool OpenSecureServer();
    // Sends the handshake bytes in out to the site while waiting; false when the socket failed.
    bool SendHandshakeToServer(std::string& out, int timeoutMs);
    // A new connection to the site with the ClientHello forwarded: a plain tunnel after all.
    bool ReconnectAsTunnel();
    // The site's session for a request inside the tunnel, opened again when the site closed it;
    // the error page instead when the site cannot be trusted.
    bool OpenSecureRequest();
    bool ReceiveFromBrowserSession(const char* data, size_t size);
    void ReceiveFromServerSession(const char* data, size_t size);
    bool SendToServerSession(const std::string& bytes);
    // Puts what waits for the browser into its session's records.
    void SealForBrowser();
    int HandshakeTimeoutMs() const;
    bool PiecesWaiting() const { return nextPiece_ < pieces_.size() || refusal_ != Refusal::kNone; }

    ProxyContext& context_;
    SocketHandle browserSocket_;
    SocketHandle serverSocket_ = kInvalidSocket;
    bool browserSending_ = true;  // the browser has not shut down its sending side
    bool browserFailed_ = false;  // a send to the browser failed: the connection ends at once
    bool closing_ = false;        // the server side is done; what the browser is owed goes last
    std::string serverName_;      // where serverSocket_ leads
    int serverPort_ = 0;
    std::string host_;     // the current request's host, for diagnostics
    std::string viaName_;  // how this proxy names itself in Via
    std::string ownName_;  // the name the proxy's own address goes by, besides 127.0.0.1
    int sendChunkSize_ = 256;
    int receiveSize_ = 256;
    RequestReader requests_;
    ResponseRelay responses_;
    std::vector<RequestReader::Piece> pieces_;  // of the browser's last read, reused
    size_t nextPiece_ = 0;                      // the first of pieces_ not handed on yet
    bool piecesViaGateway_ = false;             // the gateway setting pieces_ were read with
    Refusal refusal_ = Refusal::kNone;          // a refused request, answered after the others
    Outgoing toBrowser_;
    Outgoing toServer_;
    SecureStage secure_ = SecureStage::kNone;
    std::string tunnelHost_;  // the CONNECT's host, in lower case, and port
    int tunnelPort_ = 0;
    std::string hello_;  // the tunnel's first bytes while they are peeked at
    std::unique_ptr<platform::TlsSession> browserSession_;
    std::unique_ptr<platform::TlsSession> serverSession_;
    // Why the site's handshake failed: every request inside gets the error page instead.
    platform::TlsFailure siteFailure_ = platform::TlsFailure::kNone;
    std::string plainToBrowser_;  // for the browser's session, not sealed yet
    std::string sessionPlain_;    // reused by the sessions' Receive calls
    std::string sessionOut_;
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
