#!/usr/bin/env bash
# KorvoPop.exe in a Wine installation, driven from outside: it starts with its instance window,
# tray icon and (first run) main window; its proxy puts the blocker script into a page; a second
# start ends at once; a window whose title carries the catch marker is counted once, renamed, and
# the counter window shows at the screen's corner and goes again; the quiet-exit message ends the
# program without a question, and the count is in the registry afterwards. On Windows 10, where
# the wizard gives Internet Explorer the proxy's automatic configuration script: the proxy serves
# it, and headless Chromium set to it loads a page through the proxy (with the blocker) while the
# program runs and directly once it has ended.
# Usage: tests/e2e/korvopop_wine.sh BUILD_DIR   (the win32 build folder)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: $0 BUILD_DIR}
source "$here/lib.sh"
source "$here/korvopop_lib.sh"
started=$(now_ms)

kp_setup "$build"
kp_install "${KP_IE_CONFIGURED[@]}"
kp_origin
read -r screen_width screen_height < <(kp_probe screen)

t=$(now_ms)
kp_start
check "KorvoPop starts and its instance window \"$KP_INSTANCE_TITLE\" appears" \
    kp_probe wait "$KP_INSTANCE_TITLE" 20000
echo "      (instance window after $(($(now_ms) - t)) ms)"
check "its proxy listens on 127.0.0.1:$KP_PORT" wait_port "$KP_PORT"
echo "      (proxy after $(($(now_ms) - t)) ms)"
# shown CLASS TITLE: a visible top-level window of that class and title exists.
shown() { kp_probe list | grep -qF " 1 $1 \"$2\""; }
check "the first run shows the main window" shown '#32770' "$KP_MAIN_TITLE"
# Without a desktop tray Wine shows the icons in a little window of its own.
check "the tray icon shows (in Wine's own tray window)" shown __winex11_standalone_tray "Wine System Tray"

out="$E2E_TMP/out"
mkdir -p "$out"
curl -s --max-time 10 -o "$out/direct.html" "$ORIGIN/page.html" || true
curl -s --max-time 10 -x "127.0.0.1:$KP_PORT" -o "$out/proxied.html" "$ORIGIN/page.html" || true
check "a page through its proxy carries the blocker script" grep -q KorvoPopupKiller "$out/proxied.html"
same_ending() { cmp -s <(tail -c 200 "$1") <(tail -c 200 "$2"); }
check "the rest of the page is the origin's" same_ending "$out/direct.html" "$out/proxied.html"

pac_address=""
if [ "$KP_WINE_VERSION" = win10 ]; then
    pac="http://127.0.0.1:$KP_PORT/korvo-proxy.pac"
    curl -s --max-time 10 -o "$out/pac.js" "$pac" || true
    check "its proxy serves the automatic configuration script at $pac" \
        grep -qF "\"PROXY 127.0.0.1:$KP_PORT; DIRECT\"" "$out/pac.js"
    pac_address=$(kp_network_address)
    if [ -z "$pac_address" ]; then
        echo "SKIP: Chromium set to the script (no network address besides loopback)"
    else
        kp_browser_checks
        t=$(now_ms)
        visit=$(kp_pac_visit "$pac" "$pac_address")
        echo "      (Chromium's visit through the script took $(($(now_ms) - t)) ms: $visit)"
        title=$(kp_visit_field "$visit" title)
        check "Chromium set to the script gets the page through the proxy, with the blocker" \
            test "$(kp_visit_field "$visit" injected)" = true
        check "which keeps the pop-up shut and marks the title" \
            test "$(kp_visit_field "$visit" popups)" = 0 -a "${title#"$KP_MARKER"}" != "$title"
    fi
fi

windows_before=$(kp_probe list | grep -c '^' || true)
t=$(now_ms)
second_status=0
timeout 10 wine "$KP_EXE" >/dev/null 2>&1 || second_status=$?
second_ms=$(($(now_ms) - t))
echo "      (the second start ended after $second_ms ms with status $second_status)"
check "a second start ends within 5 s" test "$second_ms" -le 5000 -a "$second_status" -ne 124
first_untouched() {
    local windows
    windows=$(kp_probe list)
    kp_running && test "$(grep -cF " \"$KP_INSTANCE_TITLE\"" <<<"$windows")" = 1 &&
        test "$(grep -c '^' <<<"$windows")" -le "$windows_before"
}
check "and leaves the first running with one instance window and no window more" first_untouched

t=$(now_ms)
wine "$KP_TEST_WINDOW" --until-changed "${KP_MARKER}Some Page" 10 >"$out/title" 2>"$out/title.err" || true
echo "      (the marked title changed after $(($(now_ms) - t)) ms: $(grep changed "$out/title.err" || echo never))"
check "a marked window title loses the marker" test "$(cat "$out/title")" = "Some Page"
counter=$(kp_probe counter shown 3000 2>/dev/null || true)
echo "      (counter window: $counter; screen $screen_width x $screen_height)"
read -r shown _left _top right bottom count <<<"${counter:-0 0 0 0 0 none}"
check "the counter window shows" test "$shown" = 1
check "at the screen's bottom right corner" test "$right $bottom" = "$screen_width $screen_height"
check "and counts 1" test "$count" = '"1"'
t=$(now_ms)
counter_hidden() { kp_probe counter hidden 9000 >"$out/hidden"; }
check "the counter window is hidden again within 9 s (5 s shown, then the slide)" counter_hidden
echo "      (hidden after $(($(now_ms) - t)) ms: $(cat "$out/hidden"))"

t=$(now_ms)
kp_probe quit || true
check "the quiet-exit message ends the program without a question within 10 s" kp_wait_gone 10000
echo "      (ended after $(($(now_ms) - t)) ms)"
kp_stop_wineserver || true
check "\"Blocked Popups\" holds 1 in the registry" test "$(kp_registry_value 'Blocked Popups')" = '"1"'
check "\"FirstRun\" is 0 after the start" test "$(kp_registry_value FirstRun)" = dword:00000000

if [ -n "$pac_address" ]; then
    visit=$(kp_pac_visit "$pac" "$pac_address")
    echo "      (Chromium's visit once the program has ended: $visit)"
    title=$(kp_visit_field "$visit" title)
    check "once it has ended, Chromium set to the script loads the page directly, without the blocker" \
        test "$(kp_visit_field "$visit" injected)" = false -a -n "$title" -a "${title#"$KP_MARKER"}" = "$title"
fi

echo "korvopop_wine: $(($(now_ms) - started)) ms"
if [ "$E2E_FAILED" -ne 0 ]; then
    echo "korvopop_wine: some checks FAILED"
    exit 1
fi
echo "korvopop_wine: all checks passed"
