#!/usr/bin/env bash
# The product installed and removed the way a user does it, under Wine, in both installation
# modes. For everyone: a fresh prefix whose Internet Explorer already uses another proxy and whose
# hosts file has lines of its own; KorvoSetup.exe /S /AllUsers, which leaves the machine's
# defaults and no key of the installing user; KorvoPop started from the installation and Internet Explorer configured
# through its wizard; a line added to the hosts file by the user meanwhile; then the uninstaller
# of Add/Remove Programs run silently while KorvoPop still runs. Afterwards Internet Explorer has
# its earlier proxy, the hosts file the user's lines and none of the program's, and nothing of the
# product is left in Program Files, the Start menu, the Run keys, Add/Remove Programs or the
# process list. A snapshot of the registry (user.reg, system.reg) and of drive_c taken before the
# installation is compared after the uninstallation: only the user's own change (the hosts line)
# and what Wine changes by itself (listed at reg_snapshot and tree_snapshot) may differ.
# Then just for me: KorvoSetup.exe /S /CurrentUser into the user's own programs folder, with the
# user's keys and Add/Remove entry only, KorvoPop started from there, and its uninstaller, after
# which the snapshot taken before that installation holds again. On Windows 10 the wizard gives
# Internet Explorer the proxy's automatic configuration script instead of a fixed server.
# Usage: tests/e2e/korvopop_install.sh BUILD_DIR   (the win32 build folder)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: $0 BUILD_DIR}
source "$here/lib.sh"
source "$here/korvopop_lib.sh"
started=$(now_ms)

back_next=12324
finish=12325
ie_box=1064 # the wizard's browsers page; on its connections page the same id is the LAN box
set_proxy=1019
idyes=6

kp_setup "$build"
setup="$KP_BUILD/KorvoSetup.exe"
[ -f "$setup" ] || { echo "FAIL: no $setup (build the win32 preset first)"; exit 1; }
wine_ensure_template "$KP_BUILD"
wine_copy_template "$KP_BUILD" "$KP_PREFIX"
export WINEPREFIX=$KP_PREFIX
kp_shared_names
drive="$KP_PREFIX/drive_c"
folder="$drive/Program Files/Korvo Popup Killer"
hosts="$drive/windows/system32/drivers/etc/hosts"
ie_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvo Popup Killer'
# Longer than 64 bytes as the registry keeps it (UTF-16).
earlier_proxy='http=gateway.corp.example:3128;https=gateway.corp.example:3129'

# reg_value KEY NAME: the value's type and data as "reg query" shows them, e.g. "REG_SZ text".
reg_value() {
    wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
        awk -v name="$2" 'index($0, "    " name "    ") == 1 {
            sub("^    " name "    ", ""); print; exit }'
}
reg_has_key() { wine reg query "$1" >/dev/null 2>&1; }
# ie_enabled: whether Internet Explorer's ProxyEnable holds 1 as the DWORD it is.
ie_enabled() { [ "$(reg_value "$ie_key" ProxyEnable)" = "REG_DWORD    0x1" ]; }

# reg_snapshot FILE: a Wine registry file as sorted lines "[key]" and "[key] value", continued
# lines joined. Left out, as Wine rewrites them on every save or start:
#  - the header, the comment lines and "#arch";
#  - each key's modification time (the number after its name) and its "#time=" line;
#  - the device classes of display adapters {4D36E968-...} and monitors {4D36E96E-...}: Wine's
#    display driver writes them afresh (DriverDateData, the class names) whenever it starts;
#  - the empty keys Wine makes the first time a program opens a certificate store or a key
#    container (SystemCertificates with its stores' CRLs, CTLs and Certificates, Wine\Crypto\RSA),
#    which Windows has all along. A certificate or a key container left in them still shows.
#  - the pending renames of the session manager: the NSIS uninstaller has its copy of itself in
#    the temporary folder (left out below) removed at the next restart.
reg_snapshot() {
    awk '
        function flush() { if (line != "") print (line ~ /^\[/ ? line : key " " line); line = "" }
        /^WINE REGISTRY/ || /^;;/ || /^#arch=/ || /^#time=/ || /^$/ { flush(); next }
        /^\[/ { flush(); key = $0; sub(/\] [0-9]+$/, "]", key); line = key; next }
        /^  / && cont { sub(/^ +/, ""); line = line $0; cont = /\\$/; sub(/\\$/, "", line); next }
        { flush(); line = $0; cont = /\\$/; sub(/\\$/, "", line) }
        END { flush() }
    ' "$1" | grep -vE '^\[System\\\\CurrentControlSet\\\\Control\\\\Class\\\\\{4D36E96(8|E)-' |
        grep -vE '^\[Software\\\\Microsoft\\\\SystemCertificates(\\\\[A-Za-z]+(\\\\(CRLs|CTLs|Certificates))?)?\]$' |
        grep -vE '^\[Software\\\\Wine\\\\Crypto(\\\\RSA)?\]$' |
        grep -vF '[System\\CurrentControlSet\\Control\\Session Manager] "PendingFileRenameOperations"=' |
        LC_ALL=C sort
}
# tree_snapshot: every path below drive_c with its type, a file's with its checksum. Left out:
#  - the hosts file: compared on its own, since the user edits it;
#  - the temporary folders: Wine and the NSIS uninstaller keep their working copies there;
#  - WinINet's cache, cookie and history folders: Wine makes them, with empty indexes, the first
#    time a program opens the cache (as the cache cleaner does); Windows has them all along.
tree_snapshot() {
    local wininet='./users/*/AppData/Local/Microsoft/Windows'
    (cd "$drive" && find . \( -path ./windows/temp -o -path './users/*/Temp' -o \
        -path "$wininet/INetCache" -o -path "$wininet/INetCookies" -o -path "$wininet/History" -o \
        -path ./windows/system32/drivers/etc/hosts \) -prune -o \
        \( -type f -exec md5sum {} + \) -o -printf '%y %p\n' | LC_ALL=C sort)
}
# take_snapshot NAME: the registry and the tree into E2E_TMP/NAME.*, once Wine has saved.
take_snapshot() {
    timeout 30 wineserver -w || true
    reg_snapshot "$KP_PREFIX/user.reg" >"$E2E_TMP/$1.user"
    reg_snapshot "$KP_PREFIX/system.reg" >"$E2E_TMP/$1.system"
    tree_snapshot >"$E2E_TMP/$1.tree"
}
# same_as_before PART: no difference in that part of the snapshots, or the difference shown.
same_as_before() { diff "$E2E_TMP/before.$1" "$E2E_TMP/after.$1"; }

# The user's state before the product comes.
wine reg add "$ie_key" /v ProxyEnable /t REG_DWORD /d 1 /f >/dev/null
wine reg add "$ie_key" /v ProxyServer /t REG_SZ /d "$earlier_proxy" /f >/dev/null
printf '127.0.0.1       localhost\r\n' >"$hosts"
printf '10.1.2.3        intranet.corp.example   # the user'"'"'s own\r\n' >>"$hosts"
cp "$hosts" "$E2E_TMP/hosts.before"
take_snapshot before

install_started=$(now_ms)
check "KorvoSetup.exe /S /AllUsers ends with 0" timeout 60 wine "$setup" /S /AllUsers
timeout 30 wineserver -w || true
echo "installation: $(($(now_ms) - install_started)) ms"

check "the programs are in Program Files" \
    test -f "$folder/KorvoPop.exe" -a -f "$folder/KorvoINI.ini" -a -f "$folder/Language/English.ini"
check "the help file and the uninstaller too" \
    test -f "$folder/Help/KorvoHlp.chm" -a -f "$folder/Uninstall.exe"
check "the laid-out folder arrived whole" \
    diff -r -q "$KP_BUILD/install" "$folder" -x Uninstall.exe -x Browser.ini
app_key='Software\Korvo Popup Killer'
# app_values ROOT FOLDER: the application key under ROOT names the installation in FOLDER.
app_values() {
    local key="$1\\$app_key" at="REG_SZ    $2"
    [ "$(reg_value "$key" Path)" = "$at" ] &&
        [ "$(reg_value "$key" 'Install Path')" = "$at\\" ] &&
        [ "$(reg_value "$key" Language)" = 'REG_SZ    English' ] &&
        [ "$(reg_value "$key" 'User Wav Path')" = "$at\\PopUp.wav" ]
}
# user_key_fresh: the user's key as a first start needs it.
user_key_fresh() {
    local key="HKCU\\$app_key"
    [ "$(reg_value "$key" 'Blocked Popups')" = 'REG_SZ    0' ] &&
        [ "$(reg_value "$key" FirstRun)" = 'REG_DWORD    0x1' ] &&
        [ "$(reg_value "$key" ShowAtStart)" = 'REG_DWORD    0x1' ]
}
check "the machine's defaults name the installation" \
    app_values HKLM 'C:\Program Files\Korvo Popup Killer'
no_key() { ! wine reg query "$1" >/dev/null 2>&1; }
check "the installing account got no key of its own" no_key "HKCU\\$app_key"
browser_ini_saved() {
    grep -qF $'Saved=1\r' "$folder/Browser.ini" &&
        grep -qF $'Proxy='"$earlier_proxy"$'\r' "$folder/Browser.ini" &&
        grep -qF $'ProxyEnable=01 00 00 00\r' "$folder/Browser.ini"
}
check "Browser.ini keeps Internet Explorer's earlier proxy" browser_ini_saved
arp_entry() {
    [ "$(reg_value "$uninstall_key" DisplayName)" = 'REG_SZ    Korvo Popup Killer' ] &&
        [ "$(reg_value "$uninstall_key" DisplayVersion)" = 'REG_SZ    4.2.0.0' ] &&
        [ -n "$(reg_value "$uninstall_key" Publisher)" ] &&
        [ -n "$(reg_value "$uninstall_key" DisplayIcon)" ] &&
        [ "$(reg_value "$uninstall_key" UninstallString)" = \
            'REG_SZ    "C:\Program Files\Korvo Popup Killer\Uninstall.exe"' ]
}
check "Add/Remove Programs lists it" arp_entry
start_menu_links() { find "$drive" -path '*Start Menu*' -path '*Korvo Popup Killer*' -name '*.lnk'; }
check "the Start menu has the program, its help and the uninstaller" \
    test "$(start_menu_links | wc -l)" -eq 3
if [ -f "$KP_BUILD/install/KorvoBHO.dll" ]; then
    check "the browser helper is registered" \
        reg_has_key 'HKLM\Software\Microsoft\Windows\CurrentVersion\Explorer\Browser Helper Objects'
fi

# KorvoPop from the installation, on a free port and without the start-up prompt.
KP_PORT=$(free_port)
sed -i "s/^PopupPort=.*/PopupPort=$KP_PORT/" "$folder/KorvoINI.ini"
wine reg add 'HKCU\Software\Korvo Popup Killer' /v 'Wizard Message' /t REG_SZ /d N /f >/dev/null
kp_start
check "KorvoPop starts from the installation" kp_probe wait "$KP_INSTANCE_TITLE" 20000
# At the first start the user's own key was made from the machine's defaults.
check "the user's key is made from the defaults at the first start" \
    app_values HKCU 'C:\Program Files\Korvo Popup Killer'
check "that start counted as the first: FirstRun used up" \
    test "$(reg_value "HKCU\\$app_key" FirstRun)" = 'REG_DWORD    0x0'
check "and the user's hosts file backed up" cmp "$folder/mHosts" "$E2E_TMP/hosts.before"
check "the tray command shows the main window" kp_show_main_window
check "the first start wrote the user's own start-with-Windows value" \
    test "$(reg_value 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' 'Korvo Popup Killer')" = \
    'REG_SZ    C:\Program Files\Korvo Popup Killer\KorvoPop.exe'
click() { kp_probe click "$1" 5000; }
kp_probe click "$set_proxy" 5000 || true
# Internet Explorer on the browsers page, its LAN on the connections page, then Finish.
configure_ie() {
    click "$ie_box" && click "$back_next" && click "$ie_box" && click "$back_next" &&
        click "$finish"
}
check "the wizard configures Internet Explorer's LAN settings" configure_ie
kp_probe box "$idyes" 3000 || true
# Windows XP gets the proxy as a fixed server, Vista and later its automatic configuration script.
if [ "$KP_WINE_VERSION" = win10 ]; then
    check "Internet Explorer uses the proxy's configuration script" \
        test "$(reg_value "$ie_key" AutoConfigURL)" = "REG_SZ    http://127.0.0.1:$KP_PORT/korvo-proxy.pac"
    no_fixed_server() { ! reg_value "$ie_key" ProxyServer | grep -qi KorvoPopupKiller; }
    check "and no fixed ProxyServer names the proxy" no_fixed_server
else
    check "Internet Explorer points at the proxy" \
        test "$(reg_value "$ie_key" ProxyServer)" = 'REG_SZ    http=KorvoPopupKiller:8100;https=KorvoPopupKiller:8100'
fi
check "the hosts file names the proxy host" grep -q KorvoPopupKiller "$hosts"
check "and still holds the user's lines" grep -qF intranet.corp.example "$hosts"
# Installed again over the running program: it is asked to end first, and Internet Explorer's
# earlier proxy stays the one saved, not the proxy the program set. A line the user added to the
# list of secure sites never filtered stays too.
printf '*.user-bank.example\r\n' >>"$folder/SecureExclusions.txt"
check "KorvoSetup.exe /S installs over the running program" timeout 60 wine "$setup" /S /AllUsers
check "and keeps the user's list of secure sites" \
    grep -qF '*.user-bank.example' "$folder/SecureExclusions.txt"
check "which has ended on its quiet-exit message" kp_wait_gone 1000
check "Browser.ini still keeps the earlier proxy" browser_ini_saved
kp_start
check "KorvoPop starts again" kp_probe wait "$KP_INSTANCE_TITLE" 20000
# The run the program starts of itself, elevated, when the user may not write the hosts file:
# it does the one change beside the running program and ends with 0.
hosts_run() { timeout 30 wine "$folder/KorvoPop.exe" /hosts "$1"; }
check "the elevated hosts run switches ad blocking on" hosts_run ads-on
check "and the ad servers are in the hosts file" grep -q 'ads\.doubleclick\.net' "$hosts"
check "the elevated hosts run switches it off again" hosts_run ads-off
check "and they are gone, the user's lines kept" \
    bash -c "! grep -q doubleclick '$hosts' && grep -qF intranet.corp.example '$hosts'"

# The user edits the hosts file while the program is installed, and the start mode "Windows
# start-up" has left its Run value, as the program writes it at Apply.
printf '10.9.8.7        later.corp.example\r\n' >>"$hosts"
{ cat "$E2E_TMP/hosts.before"; printf '10.9.8.7        later.corp.example\r\n'; } >"$E2E_TMP/hosts.users"
wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v 'Korvo Popup Killer' \
    /t REG_SZ /d 'C:\Program Files\Korvo Popup Killer\KorvoPop.exe' /f >/dev/null

check "the secure pages' root is made and put into the user's Root store" kp_make_secure_root
check "the registry holds it" kp_secure_root_stored

uninstall_started=$(now_ms)
# The program of the Add/Remove Programs command, a quoted path.
uninstaller=$(reg_value "$uninstall_key" UninstallString | sed 's/^REG_SZ    "\(.*\)"$/\1/')
check "the Add/Remove Programs command runs silently" timeout 60 wine "$uninstaller" /S
# The uninstaller goes on from a copy of itself: it is done when the prefix has no program left.
check "the uninstallation ends" timeout 60 wineserver -w
echo "uninstallation: $(($(now_ms) - uninstall_started)) ms"

check "KorvoPop has ended" kp_wait_gone 1000
check "Internet Explorer has its earlier proxy" \
    test "$(reg_value "$ie_key" ProxyServer)" = "REG_SZ    $earlier_proxy"
check "and uses it" ie_enabled
check "the hosts file has no line of the program's" bash -c "! grep -qi korvo '$hosts'"
user_lines() {
    grep -qF $'10.1.2.3        intranet.corp.example   # the user\'s own\r' "$hosts" &&
        grep -qF $'10.9.8.7        later.corp.example\r' "$hosts" &&
        grep -qF $'127.0.0.1       localhost\r' "$hosts"
}
check "the hosts file keeps the user's lines, also the one added later" user_lines
check "nothing is left in Program Files" test ! -e "$folder"
check "the secure pages' root is out of the user's Root store" kp_secure_root_not_stored
check "its key containers and root.cer are deleted" \
    test "$(kp_secure_root_keys)" = absent -a ! -e "$KP_ROOT_FILE"
check "nothing is left in the Start menu" \
    test -z "$(find "$drive" -path '*Start Menu*' -iname '*korvo*')"
no_run_values() {
    local key
    for key in 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' \
        'HKLM\Software\Microsoft\Windows\CurrentVersion\Run'; do
        ! wine reg query "$key" 2>/dev/null | grep -qi korvo || return 1
    done
}
check "no Run value of the product is left" no_run_values
arp_gone() { ! reg_has_key "$uninstall_key"; }
check "Add/Remove Programs no longer lists it" arp_gone
# Programs of the product in this prefix (other prefixes on this machine may run theirs, and
# Wine's own services started by "reg" linger a while): its programs, the uninstaller's copy of
# itself in the temporary folder, and regsvr32.
product_processes() {
    local proc
    for proc in /proc/[0-9]*; do
        { tr '\0' '\n' <"$proc/environ" | grep -qxF "WINEPREFIX=$KP_PREFIX" &&
            tr '\0' ' ' <"$proc/cmdline" |
            grep -iE 'korvo|uninstall|~nsu|un_?a?\.exe|regsvr32'; } 2>/dev/null
    done
    return 0
}
no_product_process() {
    local found
    found=$(product_processes)
    [ -z "$found" ] || { echo "still running: $found"; return 1; }
}
check "no program of the product runs" no_product_process
take_snapshot after
check "the user's registry is as before the installation" same_as_before user
check "the machine's registry is as before the installation" same_as_before system
check "drive_c holds the same files as before the installation" same_as_before tree
check "the hosts file is the user's, byte for byte" cmp "$hosts" "$E2E_TMP/hosts.users"

# Installed again, and KorvoPop started with its start-up prompt waiting for an answer: it has no
# instance window yet to receive the quiet-exit message, and must not outlive the uninstallation.
check "KorvoSetup.exe /S installs again" timeout 60 wine "$setup" /S /AllUsers
timeout 30 wineserver -w || true
check "the new Browser.ini keeps the earlier proxy once more" browser_ini_saved
kp_start
check "KorvoPop shows its start-up prompt" kp_prompt_shown
check "the uninstaller runs silently again" timeout 60 wine "$uninstaller" /S
check "and ends" timeout 60 wineserver -w
check "KorvoPop, still at its prompt, has been ended" kp_wait_gone 1000
check "nothing is left in Program Files" test ! -e "$folder"
check "the secure pages' root is out of the user's Root store" kp_secure_root_not_stored
check "its key containers and root.cer are deleted" \
    test "$(kp_secure_root_keys)" = absent -a ! -e "$KP_ROOT_FILE"
kp_stop_wineserver || true

# Just for me: the user's own programs folder, keys and Add/Remove entry, nothing of the machine.
take_snapshot before
wine_user=$(id -un)
user_folder="$drive/users/$wine_user/AppData/Local/Programs/Korvo Popup Killer"
user_windows_folder="C:\\users\\$wine_user\\AppData\\Local\\Programs\\Korvo Popup Killer"
user_uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvo Popup Killer'
check "KorvoSetup.exe /S /CurrentUser ends with 0" timeout 60 wine "$setup" /S /CurrentUser
timeout 30 wineserver -w || true
check "the programs are in the user's programs folder" \
    test -f "$user_folder/KorvoPop.exe" -a -f "$user_folder/Uninstall.exe"
check "nothing went to Program Files" test ! -e "$folder"
check "the user's key names the installation" app_values HKCU "$user_windows_folder"
check "ready for the first start" user_key_fresh
check "the machine has no defaults of it" no_key "HKLM\\$app_key"
check "Add/Remove Programs lists it for the user" \
    test "$(reg_value "$user_uninstall_key" UninstallString)" = "REG_SZ    \"$user_windows_folder\\Uninstall.exe\""
check "and not for the machine" no_key "$uninstall_key"
KP_EXE="$user_windows_folder\\KorvoPop.exe"
sed -i "s/^PopupPort=.*/PopupPort=$KP_PORT/" "$user_folder/KorvoINI.ini"
wine reg add "HKCU\\$app_key" /v 'Wizard Message' /t REG_SZ /d N /f >/dev/null
kp_start
check "KorvoPop starts from the user's installation" kp_probe wait "$KP_INSTANCE_TITLE" 20000
uninstaller=$(reg_value "$user_uninstall_key" UninstallString | sed 's/^REG_SZ    "\(.*\)"$/\1/')
check "the user's uninstaller runs silently" timeout 60 wine "$uninstaller" /S
check "and ends" timeout 60 wineserver -w
check "KorvoPop has ended" kp_wait_gone 1000
check "nothing is left in the user's programs folder" test ! -e "$user_folder"
take_snapshot after
check "the user's registry is as before the user's installation" same_as_before user
check "the machine's registry is as before the user's installation" same_as_before system
check "drive_c holds the same files as before the user's installation" same_as_before tree
kp_stop_wineserver || true

echo "korvopop_install: $(($(now_ms) - started)) ms"
if [ "$E2E_FAILED" -ne 0 ]; then
    echo "korvopop_install: some checks FAILED"
    exit 1
fi
echo "korvopop_install: all checks passed"
