#include "proxy/autoconfig_script.h"

namespace proxy {

std::string AutoConfigScriptUrl(int port) {
    return "http://127.0.0.1:" + std::to_string(port) + kAutoConfigScriptPath;
}

bool IsAutoConfigScriptPath(std::string_view path) {
    const std::string_view script = kAutoConfigScriptPath;
    if (path.substr(0, script.size()) != script) return false;
    return path.size() == script.size() || path[script.size()] == '?';
}

std::string AutoConfigScript(int port, bool secure) {
    const std::string proxied = "\"PROXY 127.0.0.1:" + std::to_string(port) + "; DIRECT\"";
    std::string script =
        "function FindProxyForURL(url, host) {\n"
        "    var scheme = url.substring(0, url.indexOf(\":\")).toLowerCase();\n"
        "    if (scheme == \"http\") return ";
    script += proxied;
    script += ";\n    if (scheme == \"https\") return ";
    script += secure ? proxied : "\"DIRECT\"";
    script += ";\n    return \"DIRECT\";\n}\n";
    return script;
}

std::string AutoConfigReply(int port, bool secure, bool headOnly) {
    const std::string body = AutoConfigScript(port, secure);
    std::string reply =
        "HTTP/1.1 200 OK\r\nContent-Type: application/x-ns-proxy-autoconfig\r\n"
        "Cache-Control: no-cache, no-store\r\nPragma: no-cache\r\nExpires: 0\r\n"
        "Connection: close\r\nContent-Length: ";
    reply += std::to_string(body.size());
    reply += "\r\n\r\n";
    if (!headOnly) reply += body;
    return reply;
}

}  // namespace proxy
