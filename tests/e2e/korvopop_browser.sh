#!/usr/bin/env bash
# The road of one page request, end to end: headless Chromium on Linux loads, through the proxy
# of KorvoPop.exe under Wine, a local page that opens a pop-up on load; the blocker script the
# proxy put in suppresses it and marks the page title; a Wine window then carries that exact
# title, as the browser's window would, and KorvoPop counts it, takes the marker out and keeps
# the count in the registry.
# Usage: tests/e2e/korvopop_browser.sh BUILD_DIR   (the win32 build folder)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: $0 BUILD_DIR}
source "$here/lib.sh"
source "$here/korvopop_lib.sh"
started=$(now_ms)
kp_browser_checks
checks=$KP_BROWSER_CHECKS

kp_setup "$build"
kp_install "${KP_IE_CONFIGURED[@]}"
kp_start
kp_ready() { kp_probe wait "$KP_INSTANCE_TITLE" 20000 && wait_port "$KP_PORT"; }
check "KorvoPop starts and its proxy listens on 127.0.0.1:$KP_PORT" kp_ready

t=$(now_ms)
visit=$(timeout 90 node "$checks/korvopop.js" --proxy "$KP_PORT" 2>"$E2E_TMP/node.log") || true
echo "      (Chromium's visit took $(($(now_ms) - t)) ms: $visit)"
field() { node -e 'const v = JSON.parse(process.argv[1] || "{}"); console.log(v[process.argv[2]]);' \
    "$visit" "$1" 2>/dev/null || true; }
title=$(field title)
check "the page reached Chromium with the blocker script" test "$(field injected)" = true
check "no pop-up opened" test "$(field popups)" = 0
check "the blocker marked the page title" test "${title#"$KP_MARKER"}" != "$title"

t=$(now_ms)
wine "$KP_TEST_WINDOW" --until-changed "$title" 10 >"$E2E_TMP/title" 2>/dev/null || true
echo "      (the window title changed after $(($(now_ms) - t)) ms, to \"$(cat "$E2E_TMP/title")\")"
check "KorvoPop takes the marker out of a window with that title" \
    test "$(cat "$E2E_TMP/title")" = "${title#"$KP_MARKER"}"

# A secure page through the same proxy. Wine 8's SChannel has no server side, so KorvoPop cannot
# answer the browser's handshake itself: it must tunnel, and the page must still load, from the
# site itself (Chromium trusts the test CA of the site's certificate).
bash "$here/../tls/make-test-certs" "$E2E_TMP/certs" >/dev/null
home="$E2E_TMP/home"
mkdir -p "$home/.pki/nssdb"
certutil -N -d "sql:$home/.pki/nssdb" --empty-password
certutil -A -d "sql:$home/.pki/nssdb" -n "Korvo Test CA" -t "C,," -i "$E2E_TMP/certs/ca.pem"
visit=$(timeout 90 node "$checks/korvopop.js" --proxy "$KP_PORT" --secure "$E2E_TMP/certs" \
    --home "$home" 2>>"$E2E_TMP/node.log") || true
secure_title=$(field title)
check "a secure page loads through KorvoPop's proxy (\"$secure_title\")" \
    test -n "$secure_title" -a "$secure_title" != undefined
if [ "$(field injected)" = false ]; then
    echo "      NOTE: the secure page was tunnelled unfiltered: this Wine's SChannel cannot act as a"
    echo "      TLS server (AcceptSecurityContext gives SEC_E_UNSUPPORTED_FUNCTION on Wine 8), so"
    echo "      the Windows server side could not run here"
fi

kp_probe quit || true
check "the quiet-exit message ends KorvoPop" kp_wait_gone 10000
kp_stop_wineserver || true
check "\"Blocked Popups\" holds 1 in the registry" test "$(kp_registry_value 'Blocked Popups')" = '"1"'

echo "korvopop_browser: $(($(now_ms) - started)) ms"
if [ "$E2E_FAILED" -ne 0 ]; then
    echo "--- Chromium's side"
    tail -n 20 "$E2E_TMP/node.log"
    echo "korvopop_browser: some checks FAILED"
    exit 1
fi
echo "korvopop_browser: all checks passed"
