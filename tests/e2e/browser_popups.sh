#!/usr/bin/env bash
# Headless Chromium through korvo-proxy: the pages of a local origin reach the browser with the
# installation's blocker script, which suppresses and reports their pop-ups, lets through the
# windows a user asks for, and leaves pages that open nothing as they were.
# Usage: tests/e2e/browser_popups.sh INSTALL_DIR
# With KORVO_BROWSER_SHOTS=DIR the screenshots of the compared pages are kept in DIR.
set -u
here=$(cd "$(dirname "$0")" && pwd)
install=$(cd "${1:?usage: $0 INSTALL_DIR}" && pwd) && [ -x "$install/korvo-proxy" ] ||
    { echo "FAIL: no korvo-proxy in ${1:-}"; exit 1; }
checks="$here/browser"
work=$(cd "$(mktemp -d /tmp/korvo-browser.XXXXXX)" && pwd -P)
pids=()

cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

fail() {
    echo "FAIL: $*"
    exit 1
}

# Installed when missing, or when package.json has gained a package since.
if ! (cd "$checks" && npm ls --silent >/dev/null 2>&1); then
    (cd "$checks" && npm install --no-audit --no-fund --silent) || fail "npm install in $checks"
fi

# The proxy runs from a copy of the installation, on a free port, with the sound alert on.
cp -r "$install"/. "$work"/ || fail "copy $install"
port=$(node -e 'const s = require("net").createServer().listen(0, "127.0.0.1", () => {
    console.log(s.address().port); s.close(); });')
{
    echo "[KorvoPopupKiller]"
    echo "PopupPort=$port"
    echo "PlayWave=1"
    echo "PopupCheckDisabled=0"
    echo "Disabled=0"
    grep -v -i -E '^\[|^(PopupPort|PlayWave|PopupCheckDisabled|Disabled)=' "$install/KorvoINI.ini"
} > "$work/KorvoINI.ini"

(cd "$work" && XDG_CONFIG_HOME="$work/config" exec ./korvo-proxy -v 2>"$work/proxy.log") &
proxy_pid=$!
pids+=("$proxy_pid")
for _ in $(seq 100); do
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
    kill -0 "$proxy_pid" 2>/dev/null || break
    sleep 0.1
done
(exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || fail "korvo-proxy does not listen on port $port"

shots=()
[ -n "${KORVO_BROWSER_SHOTS:-}" ] && shots=(--screenshots "$KORVO_BROWSER_SHOTS")
node "$checks/run.js" --script "$work/KorvoBlk.js" --proxy "$port" --proxy-wav "$work/PopUp.wav" \
    "${shots[@]}" &
pids+=("$!")
wait "$!"
status=$?
if [ "$status" -ne 0 ]; then
    echo "--- last lines of the proxy's diagnostics"
    tail -n 20 "$work/proxy.log"
fi
exit "$status"
