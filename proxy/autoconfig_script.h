// The automatic configuration script the proxy serves about itself. A browser given its address
// goes through the proxy while the proxy runs and directly once it has ended: the script cannot
// be fetched then, and a browser without its script connects directly.
#pragma once

#include <string>
#include <string_view>

namespace proxy {

// Where the script is served, on the proxy's own address.
inline constexpr char kAutoConfigScriptPath[] = "/korvo-proxy.pac";

// "http://127.0.0.1:<port>/korvo-proxy.pac".
std::string AutoConfigScriptUrl(int port);

// Whether a request path asks for the script: the path alone, or with a query after it.
bool IsAutoConfigScriptPath(std::string_view path);

// The script's text: http:// URLs go through 127.0.0.1:port, and directly when it does not
// answer; https:// URLs the same when secure pages are filtered, else directly; every other
// scheme directly.
std::string AutoConfigScript(int port, bool secure);

// The whole reply: "HTTP/1.1 200", application/x-ns-proxy-autoconfig with its length, never
// cached, the connection closed after it. headOnly leaves the body out (a HEAD request).
std::string AutoConfigReply(int port, bool secure, bool headOnly);

}  // namespace proxy
