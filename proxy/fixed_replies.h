// The proxy's fixed replies: complete messages a browser shows. Literals, not strings built at
// start-up: a connection thread may still send one while the process exits.
#pragma once

namespace proxy {

inline constexpr char kBadRequestReply[] =
    "HTTP/1.0 400 Invalid header received from browser\r\nContent-Type: text/html\r\n"
    "Content-Length: 71\r\nConnection: close\r\n\r\n"
    "<html>\r\n<head>\r\nInvalid header received from browser.\r\n</head></html>\r\n";
inline constexpr char kTunnelEstablishedReply[] =
    "HTTP/1.0 200 Connection established\r\nProxy-agent: QX-Proxy/1.0\r\n\r\n";
inline constexpr char kSiteUnreachableReply[] =
    "HTTP/1.0 404 Error connecting to site\r\nPragma: no-cache\r\nContent-Type: text/html\r\n"
    "Content-Length: 54\r\nConnection: close\r\n\r\n"
    "<html>\r\n<head>\r\nSite does not exist.\r\n</head></html>\r\n";
inline constexpr char kBadGatewayReply[] =
    "HTTP/1.0 502 Invalid response received from site\r\nPragma: no-cache\r\n"
    "Content-Type: text/html\r\nContent-Length: 70\r\nConnection: close\r\n\r\n"
    "<html>\r\n<head>\r\nInvalid response received from site.\r\n</head></html>\r\n";
inline constexpr char kLoopDetectedReply[] =
    "HTTP/1.0 508 Loop detected\r\nPragma: no-cache\r\nContent-Type: text/html\r\n"
    "Content-Length: 76\r\nConnection: close\r\n\r\n"
    "<html>\r\n<head>\r\nThe request came back to this proxy again.\r\n</head></html>\r\n";
inline constexpr char kBusyReply[] =
    "HTTP/1.0 503 Too many connections\r\nPragma: no-cache\r\nContent-Type: text/html\r\n"
    "Retry-After: 5\r\nContent-Length: 74\r\nConnection: close\r\n\r\n"
    "<html>\r\n<head>\r\nThe proxy has too many connections open.\r\n</head></html>\r\n";

}  // namespace proxy
