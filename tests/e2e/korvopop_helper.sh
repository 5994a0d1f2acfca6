#!/usr/bin/env bash
# The browser helper KorvoBHO.dll with the real KorvoPop in a Wine installation: stand-in
# browsers (the test host program under the name "iexplore.exe") load the installed helper. In
# the "IE Startup" mode the first browser starts KorvoPop; it keeps running while a browser does
# and ends quietly after the last one. "explorer.exe" is refused. regsvr32 registers the helper,
# and regsvr32 /u removes its keys and the product's Run values.
# Usage: tests/e2e/korvopop_helper.sh BUILD_DIR   (the win32 build folder)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: $0 BUILD_DIR}
source "$here/lib.sh"
source "$here/korvopop_lib.sh"

kp_setup "$build"
kp_install
HOST="$KP_BUILD/tests/iexplore.exe"
EXPLORER="$KP_BUILD/tests/explorer.exe"
DLL='C:\Program Files\Korvo Popup Killer\KorvoBHO.dll'
[ -f "$HOST" ] && [ -f "$KP_FOLDER/KorvoBHO.dll" ] || { echo "FAIL: no helper or host (build the win32 preset first)"; exit 1; }
sed -i 's/^Startup=.*/Startup=1/' "$KP_FOLDER/KorvoINI.ini"
grep -q '^Startup=1' "$KP_FOLDER/KorvoINI.ini" || printf 'Startup=1\r\n' >>"$KP_FOLDER/KorvoINI.ini"

# browser NAME: a stand-in browser in the background that ends once $E2E_TMP/NAME.quit exists.
declare -A browser_pid
browser() {
    wine "$HOST" "$DLL" "$(winepath -w "$E2E_TMP/$1")" >/dev/null 2>&1 &
    browser_pid[$1]=$!
    E2E_PIDS+=("$!")
}
loaded() { local i; for i in $(seq 200); do [ -f "$E2E_TMP/$1.loaded" ] && return 0; sleep 0.05; done; return 1; }
end_browser() {
    touch "$E2E_TMP/$1.quit"
    timeout 15 tail --pid="${browser_pid[$1]}" -f /dev/null
}
absent() { ! "$@"; }
tray_running() { kp_probe find "$KP_INSTANCE_TITLE" >/dev/null; }

explorer_status=0
timeout 20 wine "$EXPLORER" "$DLL" "$(winepath -w "$E2E_TMP/explorer")" >/dev/null 2>&1 || explorer_status=$?
check "Explorer is refused the helper" test "$explorer_status" = 2
check "and KorvoPop is not started for it" absent tray_running

browser first
check "the first browser loads the helper" loaded first
check "which starts KorvoPop (its instance window appears)" kp_probe wait "$KP_INSTANCE_TITLE" 20000
browser second
check "a second browser loads the helper" loaded second
end_browser first
sleep 2
check "KorvoPop keeps running after the first browser ends" tray_running
end_browser second
check "and ends after the last one" kp_probe gone "$KP_INSTANCE_TITLE" 15000

kp_probe list >"$E2E_TMP/windows"
check "with no window of it left" absent grep -qF "Korvo Popup Killer" "$E2E_TMP/windows"

wine regsvr32 /s "$DLL" >/dev/null 2>&1
kp_stop_wineserver
clsid='{CA0DE373-11DC-41D4-9664-F5A89BBE13FE}'
helper_key="[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\Browser Helper Objects\\\\$clsid]"
class_key="[Software\\\\Classes\\\\CLSID\\\\$clsid\\\\InprocServer32]"
check "regsvr32 writes the browser helper key" grep -qiF "$helper_key" "$KP_PREFIX/system.reg"
check "and the class's in-process server" grep -qiF "$class_key" "$KP_PREFIX/system.reg"
run_key='[Software\\Microsoft\\Windows\\CurrentVersion\\Run]'
run_value() {
    KEY=$run_key awk 'index($0, ENVIRON["KEY"]) == 1 { inside = 1; next } /^\[/ { inside = 0 } inside' \
        "$KP_PREFIX/user.reg" | grep -qF '"Korvo Popup Killer"='
}
check "KorvoPop left its start-with-Windows value" run_value

wine regsvr32 /u /s "$DLL" >/dev/null 2>&1
kp_stop_wineserver
check "regsvr32 /u removes the browser helper key" absent grep -qiF "$helper_key" "$KP_PREFIX/system.reg"
check "and the class" absent grep -qiF "$class_key" "$KP_PREFIX/system.reg"
check "and the user's Run value of the product" absent run_value
if [ "$E2E_FAILED" -ne 0 ]; then
    echo "korvopop_helper: some checks FAILED"
    exit 1
fi
echo "korvopop_helper: all checks passed"
