#!/usr/bin/env bash
# korvo-proxy with real clients and servers: curl against nginx, a TLS server through the
# CONNECT tunnel, the proxy's own replies, and tinyproxy as the gateway.
# Usage: tests/e2e/proxy_curl.sh INSTALL_DIR
set -u
here=$(cd "$(dirname "$0")" && pwd)
install=$(cd "${1:?usage: $0 INSTALL_DIR}" && pwd) && [ -x "$install/korvo-proxy" ] ||
    { echo "FAIL: no korvo-proxy in ${1:-}"; exit 1; }
source "$here/lib.sh"

site="$E2E_TMP/site"
mkdir -p "$site"
head -c 300000 /dev/urandom > "$site/image.gif"
python3 -c 'print("<html><head><title>t</title></head><body>" + "x" * 5000 + "</body></html>")' > "$site/page.html"
cp "$site/image.gif" "$site/page.bin"

start_nginx "$site"
start_proxy "$install" PlayWave=0 FilterSecurePages=0
origin="http://127.0.0.1:$NGINX_PORT"

same_as_direct() {
    test "$(curl -s -o /dev/null -w '%{http_code}' "$origin/$1")" = 200 &&
        cmp -s <(curl -s "$origin/$1") <(curl -s -x "127.0.0.1:$PROXY_PORT" "$origin/$1")
}
check "an image arrives byte for byte" same_as_direct image.gif
check "a binary file arrives byte for byte" same_as_direct page.bin
page_arrives_whole() {
    curl -s -x "127.0.0.1:$PROXY_PORT" "$origin/page.html" | tail -c 16 | grep -q 'x</body></html>'
}
check "a page arrives whole (with the blocker when one is installed)" page_arrives_whole

: > "$NGINX_LOG"
curl -s -x "127.0.0.1:$PROXY_PORT" "$origin/image.gif" "$origin/page.bin" -o /dev/null -o /dev/null
sleep 0.2
check "two requests on one keep-alive connection use one server connection" \
    test "$(awk '{print $1}' "$NGINX_LOG" | sort -u | wc -l)" -eq 1

start_nginx "$site"
second="http://127.0.0.1:$NGINX_PORT"
curl -s -x "127.0.0.1:$PROXY_PORT" "$origin/image.gif" "$second/image.gif" -o /dev/null -o /dev/null
check "a request to another port opens another server connection" \
    test "$(grep -c 'GET /image.gif' "$NGINX_LOG")" -eq 1

# A POST body echoed by a small origin of this script.
echo_port=$(free_port)
python3 - "$echo_port" <<'PY' &
import http.server, sys
class Echo(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    def do_POST(self):
        body = self.rfile.read(int(self.headers["Content-Length"]))
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
    def log_message(self, *args):
        pass
http.server.ThreadingHTTPServer(("127.0.0.1", int(sys.argv[1])), Echo).serve_forever()
PY
E2E_PIDS+=("$!")
wait_port "$echo_port"
head -c 2000000 /dev/urandom > "$E2E_TMP/post.bin"
check "a POST body arrives whole" cmp -s "$E2E_TMP/post.bin" \
    <(curl -s -x "127.0.0.1:$PROXY_PORT" --data-binary @"$E2E_TMP/post.bin" \
        -H 'Content-Type: application/octet-stream' "http://127.0.0.1:$echo_port/echo")

# With secure pages left unfiltered, an https URL goes through the CONNECT tunnel to a local TLS
# server untouched (tests/e2e/secure_pages.sh has them filtered).
tls_port=$(free_port)
openssl req -x509 -newkey rsa:2048 -nodes -subj /CN=127.0.0.1 -days 1 \
    -keyout "$E2E_TMP/key.pem" -out "$E2E_TMP/cert.pem" 2>/dev/null
(cd "$site" && exec openssl s_server -quiet -accept "$tls_port" -cert "$E2E_TMP/cert.pem" \
    -key "$E2E_TMP/key.pem" -WWW >/dev/null 2>&1) &
E2E_PIDS+=("$!")
wait_port "$tls_port"
check "an https URL arrives byte for byte through the tunnel" cmp -s "$site/image.gif" \
    <(curl -s -k -x "127.0.0.1:$PROXY_PORT" "https://127.0.0.1:$tls_port/image.gif")

check "a first request that names only a path gets the 400 reply" test \
    "$(raw_request "$PROXY_PORT" 'GET /image.gif HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n' |
        head -n1 | tr -d '\r')" = "HTTP/1.0 400 Invalid header received from browser"

closed_port=$(free_port)
check "a closed port gets the 404 reply" test \
    "$(raw_request "$PROXY_PORT" "GET http://127.0.0.1:$closed_port/ HTTP/1.1\\r\\n\\r\\n" |
        head -n1 | tr -d '\r')" = "HTTP/1.0 404 Error connecting to site"

# tinyproxy as the gateway.
tiny_port=$(free_port)
cat > "$E2E_TMP/tinyproxy.conf" <<CONF
Port $tiny_port
Listen 127.0.0.1
Timeout 60
LogFile "$E2E_TMP/tinyproxy.log"
LogLevel Connect
MaxClients 20
Allow 127.0.0.1
CONF
tinyproxy -d -c "$E2E_TMP/tinyproxy.conf" >/dev/null 2>&1 &
E2E_PIDS+=("$!")
wait_port "$tiny_port"
stop_proxy
start_proxy "$install" GatewayEnable=1 GatewayIP=127.0.0.1 GatewayPort="$tiny_port"
check "with GatewayEnable the request goes through the upstream proxy" same_as_direct image.gif
check "the upstream proxy saw the request" grep -q "image.gif" "$E2E_TMP/tinyproxy.log"

# A stop with a browser connection still open and no wait limit: korvo-proxy returns from main
# (sanitizer builds check for leaks there) with status 0, within seconds.
ends_normally() {
    local status
    exec 5<>"/dev/tcp/127.0.0.1/$PROXY_PORT"
    sleep 0.3
    kill "$PROXY_PID"
    timeout 20 tail --pid="$PROXY_PID" -f /dev/null
    wait "$PROXY_PID"
    status=$?
    exec 5<&-
    [ "$status" = 0 ] || { echo "korvo-proxy ended with status $status" >&2; cat "$PROXY_DIR/proxy.log" >&2; return 1; }
}
check "a stop ends korvo-proxy normally while a connection is open" ends_normally

[ "$E2E_FAILED" = 0 ] && echo "proxy_curl: all checks passed" || echo "proxy_curl: some checks FAILED"
exit "$E2E_FAILED"
