#!/usr/bin/env bash
# The automatic configuration script korvo-proxy serves about itself: its reply, what it answers
# for each kind of URL (run in node), and headless Chromium set to it, which loads a page through
# the proxy while it runs and directly once it has ended.
# Usage: tests/e2e/autoconfig_script.sh INSTALL_DIR
set -u
here=$(cd "$(dirname "$0")" && pwd)
install=$(cd "${1:?usage: $0 INSTALL_DIR}" && pwd)
source "$here/lib.sh"

# find_proxy SCRIPT_FILE URL: what the script's FindProxyForURL answers for URL.
find_proxy() {
    node -e 'const vm = require("vm"); const s = {};
        vm.runInNewContext(require("fs").readFileSync(process.argv[1], "utf8"), s);
        const u = new URL(process.argv[2]);
        console.log(s.FindProxyForURL(process.argv[2], u.hostname));' "$1" "$2"
}

start_proxy "$install" PlayWave=0
pac="http://127.0.0.1:$PROXY_PORT/korvo-proxy.pac"
curl -s -D "$E2E_TMP/pac.head" -o "$E2E_TMP/pac.js" "$pac"
check "the script is served with status 200" grep -q '^HTTP/1.1 200 ' "$E2E_TMP/pac.head"
check "as application/x-ns-proxy-autoconfig" \
    grep -qi '^Content-Type: application/x-ns-proxy-autoconfig' "$E2E_TMP/pac.head"
check "never cached" grep -qi '^Cache-Control: no-cache, no-store' "$E2E_TMP/pac.head"
check "http URLs go through the proxy, directly when it does not answer" test \
    "$(find_proxy "$E2E_TMP/pac.js" http://a.test/x)" = "PROXY 127.0.0.1:$PROXY_PORT; DIRECT"
check "https URLs too while secure pages are filtered" test \
    "$(find_proxy "$E2E_TMP/pac.js" https://a.test/)" = "PROXY 127.0.0.1:$PROXY_PORT; DIRECT"
check "other schemes go directly" test "$(find_proxy "$E2E_TMP/pac.js" ftp://a.test/)" = DIRECT
check "the proxy's own name in Host gets the same script" cmp -s "$E2E_TMP/pac.js" \
    <(curl -s -H "Host: KorvoPopupKiller:$PROXY_PORT" "$pac")
check "HEAD gets the header alone" test \
    "$(curl -s -I "$pac" | tr -d '\r' | grep -i '^Content-Length:' | cut -d' ' -f2)" = \
    "$(stat -c %s "$E2E_TMP/pac.js")"
check "another path on the proxy itself is still refused" test \
    "$(curl -s -o /dev/null -w '%{http_code}' "http://127.0.0.1:$PROXY_PORT/other.pac")" = 400

stop_proxy
start_proxy "$install" PlayWave=0 FilterSecurePages=0
curl -s -o "$E2E_TMP/plain.js" "http://127.0.0.1:$PROXY_PORT/korvo-proxy.pac"
check "without secure page filtering https URLs go directly" test \
    "$(find_proxy "$E2E_TMP/plain.js" https://a.test/)" = DIRECT
check "and http URLs still through the proxy" test \
    "$(find_proxy "$E2E_TMP/plain.js" http://a.test/)" = "PROXY 127.0.0.1:$PROXY_PORT; DIRECT"
stop_proxy

# Chromium never sends loopback addresses through a proxy, so the page's origin listens on the
# machine's own network address.
address=$(hostname -I 2>/dev/null | tr ' ' '\n' | grep -E '^[0-9]+(\.[0-9]+){3}$' | grep -v '^127\.' | head -n1)
if ! command -v chromium >/dev/null || [ -z "$address" ]; then
    echo "SKIP: Chromium checks (no chromium, or no network address besides loopback)"
else
    site="$E2E_TMP/site"
    mkdir -p "$site"
    echo '<html><head><title>t</title></head><body>page-from-origin</body></html>' > "$site/page.html"
    origin_port=$(free_port)
    (cd "$site" && exec python3 -m http.server "$origin_port" --bind "$address" >/dev/null 2>&1) &
    E2E_PIDS+=("$!")
    for _ in $(seq 100); do
        (exec 3<>"/dev/tcp/$address/$origin_port") 2>/dev/null && break
        sleep 0.1
    done
    page="http://$address:$origin_port/page.html"
    # With the sound alert on, the blocker leaves its sound element in the page.
    start_proxy "$install" PlayWave=1
    pac="http://127.0.0.1:$PROXY_PORT/korvo-proxy.pac"
    # dump_page DIR: the page's document as Chromium set to the script shows it.
    dump_page() {
        timeout 60 chromium --headless --no-sandbox --disable-gpu --no-first-run \
            --disable-background-networking --disable-component-update --disable-sync \
            --user-data-dir="$E2E_TMP/$1" --proxy-pac-url="$pac" --dump-dom "$page" 2>"$E2E_TMP/$1.log"
    }
    dump_page chromium-running > "$E2E_TMP/through.html"
    check "Chromium set to the script loads the page through the running proxy" \
        grep -q "Connecting to '$address' port = $origin_port" "$PROXY_DIR/proxy.log"
    check "and gets it with the blocker" grep -q 'QX_beep' "$E2E_TMP/through.html"
    stop_proxy
    dump_page chromium-ended > "$E2E_TMP/direct.html"
    check "once the proxy has ended, Chromium loads the page directly" \
        grep -q 'page-from-origin' "$E2E_TMP/direct.html" ||
        { head -c 2000 "$E2E_TMP/direct.html"; grep -v dbus "$E2E_TMP/chromium-ended.log" | tail -n 20; }
    check "without the blocker" test "$(grep -c 'QX_beep' "$E2E_TMP/direct.html")" = 0
fi

[ "$E2E_FAILED" = 0 ] && echo "autoconfig_script: all checks passed" || echo "autoconfig_script: some checks FAILED"
exit "$E2E_FAILED"
