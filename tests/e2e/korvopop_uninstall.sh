#!/usr/bin/env bash
# KorvoUIn.exe in a Wine installation after a real life of KorvoPop.exe: the user's hosts file
# gets the proxy's entry and, with ads blocked from the tray menu, the ad servers; the user adds
# a line of their own; Internet Explorer points at the proxy. Then the uninstaller runs, alone
# and without arguments: KorvoPop ends on its message, the hosts file holds the user's lines
# (the added one too) and none of the program's, the backup is gone, and Internet Explorer is
# direct again (Windows 10: its automatic configuration script gone, and today's Firefox profile,
# which the wizard had pointed at the proxy, direct too). The user's file has its localhost line
# commented out, and gets none back from the ad servers' file, which has one. The secure pages'
# root, made and put into the user's Root store beforehand, is gone afterwards from the store
# (read back from the registry), its key containers and its folder's root.cer too.
# Usage: tests/e2e/korvopop_uninstall.sh BUILD_DIR   (the win32 build folder)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: $0 BUILD_DIR}
source "$here/lib.sh"
source "$here/korvopop_lib.sh"
started=$(now_ms)

wm_command=273
block_ads=32779
uninstaller='C:\Program Files\Korvo Popup Killer\KorvoUIn.exe'

kp_setup "$build"
[ -f "$KP_BUILD/install/KorvoUIn.exe" ] || { echo "FAIL: no KorvoUIn.exe in the layout"; exit 1; }
# KP_IE_CONFIGURED ends in the program's "Proxy Setting" key; ShowAtStart is the application key's.
no_tray_hint=(--reg '[HKEY_CURRENT_USER\Software\Korvo Popup Killer]'
    --reg '"ShowAtStart"=dword:00000000')
if [ "$KP_WINE_VERSION" = win10 ]; then
    kp_install "${KP_IE_CONFIGURED[@]}" --reg '"Netscape Is Configured"=dword:00000001' \
        "${no_tray_hint[@]}"
    # As the wizard leaves the profile, and Firefox's start copies user.js into prefs.js.
    kp_firefox_profile
    user_js="$KP_FIREFOX_PROFILE/user.js"
    printf 'user_pref("network.proxy.http", "KorvoPopupKiller");\r\nuser_pref("network.proxy.http_port", 8100);\r\nuser_pref("network.proxy.type", 1);\r\n' >"$user_js"
    cat "$user_js" >>"$KP_FIREFOX_PROFILE/prefs.js"
else
    kp_install "${KP_IE_CONFIGURED[@]}" "${no_tray_hint[@]}"
fi

hosts="$KP_PREFIX/drive_c/windows/system32/drivers/etc/hosts"
out="$E2E_TMP/out"
mkdir -p "$out"
printf '# 127.0.0.1       localhost\r\n10.1.1.1\tfileserver # office\r\n' >"$out/users"
printf '10.1.1.2 backup-nas\n' >"$out/added"
cp "$out/users" "$hosts"

ie_value() {
    wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings' /v "$1" 2>/dev/null |
        tr -d '\r' | awk -v name="$1" '$1 == name { print $NF }'
}
until_file_has() {
    local end=$(($(now_ms) + $3))
    until grep -qF -- "$2" "$1" 2>/dev/null; do
        [ "$(now_ms)" -lt "$end" ] || return 1
        sleep 0.1
    done
}

kp_start
check "KorvoPop starts (first run)" kp_probe wait "$KP_INSTANCE_TITLE" 20000
check "it adds the proxy's entry to the hosts file" until_file_has "$hosts" KorvoPopupKiller 10000
check "and keeps the user's file as mHosts" cmp "$out/users" "$KP_FOLDER/mHosts"
# The tray command "Block Ads"; the splash shown during the start has the main window's title,
# so the command is sent again until the ad servers are in.
block_ads_taken() {
    local end=$(($(now_ms) + 20000))
    until grep -qF doubleclick "$hosts"; do
        [ "$(now_ms)" -lt "$end" ] || return 1
        kp_probe post "$KP_MAIN_TITLE" "$wm_command" "$block_ads" >/dev/null 2>&1 || true
        until_file_has "$hosts" doubleclick 2000 || true
    done
}
check "Block Ads brings the ad servers in" block_ads_taken
cat "$out/added" >>"$hosts"

check "the secure pages' root is made and put into the user's Root store" kp_make_secure_root
check "the registry holds it under its thumbprint" kp_secure_root_stored
check "its key containers exist" test "$(kp_secure_root_keys)" = present

t=$(now_ms)
code=0
timeout 60 wine "$uninstaller" >"$E2E_TMP/korvouin.log" 2>&1 || code=$?
check "KorvoUIn ends by itself with code 0" test "$code" -eq 0
echo "      (KorvoUIn took $(($(now_ms) - t)) ms)"
check "KorvoPop ends on the uninstaller's message" kp_wait_gone 15000
cat "$out/users" "$out/added" >"$out/expected"
check "the hosts file holds the user's lines, the one added since too, and none of the program's" \
    cmp "$hosts" "$out/expected"
check "the backup mHosts is gone" test ! -e "$KP_FOLDER/mHosts"
if [ "$KP_WINE_VERSION" = win10 ]; then
    no_script() { [ -z "$(ie_value AutoConfigURL)" ]; }
    check "Internet Explorer's AutoConfigURL is gone" no_script
    firefox_direct() {
        ! grep -qF KorvoPopupKiller "$user_js" &&
            grep -qF 'user_pref("network.proxy.type", 0);' "$user_js"
    }
    check "Firefox's user.js names the proxy no more and sets it direct" firefox_direct
else
    check "Internet Explorer's ProxyEnable is 0" test "$(ie_value ProxyEnable)" = 0x0
fi
check "the secure pages' root is out of the user's Root store" kp_secure_root_not_stored
check "its key containers are deleted" test "$(kp_secure_root_keys)" = absent
check "its root.cer is deleted" test ! -e "$KP_ROOT_FILE"
kp_stop_wineserver || true

echo "korvopop_uninstall: $(($(now_ms) - started)) ms"
if [ "$E2E_FAILED" -ne 0 ]; then
    echo "korvopop_uninstall: some checks FAILED"
    exit 1
fi
echo "korvopop_uninstall: all checks passed"
