#!/usr/bin/env bash
# korvo-proxy in front of secure sites: local TLS origins (nginx, openssl s_server) with
# certificates of a test CA the proxy is told to trust for this test only (SSL_CERT_FILE), and
# curl trusting the proxy's own root. Pages get the blocker, files pass byte for byte, sites that
# cannot be trusted get the error page and none of their bytes, and whatever the proxy should not
# end itself is tunnelled unchanged.
# Usage: tests/e2e/secure_pages.sh INSTALL_DIR
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
install=$(cd "${1:?usage: $0 INSTALL_DIR}" && pwd) && [ -x "$install/korvo-proxy" ] ||
    { echo "FAIL: no korvo-proxy in ${1:-}"; exit 1; }

certs="$E2E_TMP/certs"
bash "$here/../tls/make-test-certs" "$certs" >/dev/null || { echo "FAIL: test certificates"; exit 1; }
site="$E2E_TMP/site"
mkdir -p "$site"
printf '<html><head><title>secure</title></head><body>secure page</body></html>\n' > "$site/index.html"
head -c 1048576 /dev/urandom > "$site/image.png"
head -c 104857600 /dev/urandom > "$site/big.bin"
chmod -R a+rX "$site"

start_nginx "$site" "$certs/good.pem" "$certs/good-key.pem"
tls_port=$NGINX_PORT
tls_log=$NGINX_LOG
start_nginx "$site"
plain_port=$NGINX_PORT

SSL_CERT_FILE="$certs/ca.pem" start_proxy "$install"
root="$PROXY_DIR/KorvoRoot.pem"
proxy="http://127.0.0.1:$PROXY_PORT"

# curl through the proxy, trusting only the proxy's root.
secure_get() { curl -s --max-time 20 --proxy "$proxy" --cacert "$root" "$@"; }

# An s_server on a free port with the named certificate and extra options; sets SERVER_PORT.
start_s_server() {
    local cert=$1
    shift
    SERVER_PORT=$(free_port)
    (cd "$E2E_TMP" && exec openssl s_server -quiet -www -accept "127.0.0.1:$SERVER_PORT" \
        -cert "$certs/$cert.pem" -key "$certs/$cert-key.pem" "$@" </dev/null >/dev/null 2>&1) &
    E2E_PIDS+=("$!")
    wait_port "$SERVER_PORT"
}

check "the proxy made its root for the browsers" test -s "$root"
check "--print-root-path names it" \
    test "$(cd "$PROXY_DIR" && ./korvo-proxy --print-root-path)" = "$root"
check "the root's key is readable only by the user" \
    test "$(stat -c %a "$XDG_CONFIG_HOME"/korvo-popup-killer/root-key.pem)" = 600

page=$(secure_get "https://127.0.0.1:$tls_port/index.html")
blocker_start=$(head -c 40 "$install/KorvoBlk.js")
check "a secure page gets the blocker" grep -qF "$blocker_start" <<<"$page"
check "and keeps its own content" grep -qF "secure page</body>" <<<"$page"

secure_get -o "$E2E_TMP/image.got" "https://127.0.0.1:$tls_port/image.png"
check "a binary file arrives byte for byte" cmp -s "$site/image.png" "$E2E_TMP/image.got"
secure_get -o "$E2E_TMP/big.got" "https://127.0.0.1:$tls_port/big.bin"
check "a 100 MiB download arrives byte for byte" cmp -s "$site/big.bin" "$E2E_TMP/big.got"
rm -f "$E2E_TMP/big.got"

: > "$tls_log"
secure_get -o /dev/null -o /dev/null "https://127.0.0.1:$tls_port/index.html" \
    "https://127.0.0.1:$tls_port/image.png"
keep_alive() {
    [ "$(wc -l < "$tls_log")" -eq 2 ] && [ "$(cut -d' ' -f1 "$tls_log" | sort -u | wc -l)" -eq 1 ]
}
check "two requests inside one tunnel reach the site on one connection" keep_alive

status=$(secure_get -o /dev/null -w '%{http_code}' -H "Host: other.example" \
    "https://127.0.0.1:$tls_port/index.html")
check "a request inside naming another host is refused ($status)" test "$status" = 400

# Sites that cannot be trusted: the error page, with the host, and nothing of the site.
error_page() {
    local name=$1 cert=$2 reason=$3
    shift 3
    start_s_server "$cert" "$@"
    local reply
    reply=$(secure_get -i "https://127.0.0.1:$SERVER_PORT/")
    check "$name: the error page" grep -q "^HTTP/1.1 502" <<<"$reply"
    check "$name: it names the host and the reason" \
        bash -c 'grep -qF "<b>127.0.0.1</b>" <<<"$1" && grep -qF "$2" <<<"$1"' _ "$reply" "$reason"
    check "$name: none of the site's bytes" bash -c '! grep -qi "s_server" <<<"$1"' _ "$reply"
}
error_page "an expired certificate" expired "has expired"
error_page "a wrong host name" wronghost "made for another site"
error_page "a self-signed certificate" selfsigned "signed only by itself"
error_page "an unknown CA" unknownca "from an authority this computer does not trust"
error_page "TLS 1.0 only" good "old, unsafe" -tls1 -cipher DEFAULT@SECLEVEL=0

# A site that asks for a client certificate is tunnelled: the browser meets the site itself.
start_s_server good -verify 1
reply=$(curl -s --max-time 20 --proxy "$proxy" --cacert "$certs/ca.pem" \
    "https://127.0.0.1:$SERVER_PORT/")
check "a site asking for a client certificate is tunnelled" grep -qi "s_server" <<<"$reply"

# Plain bytes after CONNECT are tunnelled as before.
reply=$(raw_request "$PROXY_PORT" "CONNECT 127.0.0.1:$plain_port HTTP/1.1\r\nHost: 127.0.0.1:$plain_port\r\n\r\nGET /index.html HTTP/1.0\r\n\r\n")
check "a tunnel that is not TLS passes" grep -qF "secure page</body>" <<<"$reply"
check "and gets no blocker" bash -c '! grep -qF "$1" <<<"$2"' _ "$blocker_start" "$reply"

# A browser that refuses the leaf: the next attempt for that host goes through untouched.
refused=$(curl -s -o /dev/null -w '%{exitcode}' --max-time 20 --proxy "$proxy" \
    --cacert "$certs/ca.pem" "https://localhost:$tls_port/index.html")
check "a browser that does not trust the root refuses the leaf ($refused)" test "$refused" = 60
tunnelled=$(curl -s --max-time 20 --proxy "$proxy" --cacert "$certs/ca.pem" \
    "https://localhost:$tls_port/index.html")
check "the next attempt is tunnelled to the site itself" grep -qF "secure page</body>" <<<"$tunnelled"
check "and gets no blocker" bash -c '! grep -qF "$1" <<<"$2"' _ "$blocker_start" "$tunnelled"

# Headless Chromium trusting the root through the NSS database of its HOME: the pop-up pages the
# browser checks use, served by secure origins, are blocked and marked as over http.
home="$E2E_TMP/home"
mkdir -p "$home/.pki/nssdb"
certutil -N -d "sql:$home/.pki/nssdb" --empty-password &&
    certutil -A -d "sql:$home/.pki/nssdb" -n "Korvo Popup Killer Local Root" -t "C,," -i "$root" ||
    { echo "FAIL: an NSS database that trusts the root"; E2E_FAILED=1; }
checks="$here/browser"
if [ ! -d "$checks/node_modules" ]; then
    (cd "$checks" && npm install --no-audit --no-fund --silent) || { echo "FAIL: npm install"; exit 1; }
fi
node "$checks/run.js" --script "$PROXY_DIR/KorvoBlk.js" --proxy "$PROXY_PORT" --proxy-wav "$PROXY_DIR/PopUp.wav" \
    --secure "$certs" --home "$home" --only '^\[secure\]' || E2E_FAILED=1

stop_proxy
if [ "$E2E_FAILED" -ne 0 ]; then
    echo "--- last lines of the proxy's diagnostics"
    tail -n 30 "$PROXY_DIR/proxy.log"
fi
exit "$E2E_FAILED"
