# shellcheck shell=bash disable=SC2034
# Shared pieces of the scripts that drive KorvoPop.exe under Wine (sourced after lib.sh): a
# private Xvfb, a private prefix of the level's Windows version (KP_WINE_VERSION) with a laid-out
# installation whose proxy port is a free one, the user's folders and today's Firefox profile in
# it, KorvoPop started and ended by its own pid, the window probe, the registry read back, and
# headless Chromium given the proxy's automatic configuration script.
tools_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tools" && pwd)
. "$tools_dir/wine-common.sh"

# The Windows version of this level's prefixes: winxp, or win10 (KORVO_WINE_VERSION).
KP_WINE_VERSION=$(wine_version) || exit 1
KP_MAIN_TITLE='Korvo Popup Killer'
KP_EXE='C:\Program Files\Korvo Popup Killer\KorvoPop.exe'
KP_PID=""
KP_PREFIX=""

kp_cleanup() {
    if [ -n "$KP_PREFIX" ]; then
        wine_kill_prefix "$KP_PREFIX"
        rm -rf "$KP_PREFIX" "$KP_PREFIX.owner"
    fi
    e2e_cleanup
    wine_stop_display
}
trap kp_cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# kp_setup BUILD_DIR [SCREEN]: the win32 build folder (with install/ and the test programs), a
# private Xvfb (always, so a desktop's window manager and tray never take part) and the path of
# a private prefix inside the build folder, where wine-run would end it after a killed run.
kp_setup() {
    KP_BUILD=$(cd "$1" && pwd)
    KP_PROBE="$KP_BUILD/tests/korvo_win_probe.exe"
    KP_TEST_WINDOW="$KP_BUILD/tests/korvo_test_window.exe"
    local file
    for file in "$KP_BUILD/install/KorvoPop.exe" "$KP_PROBE" "$KP_TEST_WINDOW"; do
        [ -f "$file" ] || { echo "FAIL: no $file (build the win32 preset first)"; exit 1; }
    done
    wine_end_stale_runs "$KP_BUILD"
    unset DISPLAY
    wine_start_display "${2:-1280x1024x24}" || { echo "FAIL: no Xvfb"; exit 1; }
    KP_PREFIX=$(mktemp -d "$KP_BUILD/wine-run.XXXXXX")
    echo "$$ $wine_xvfb_pid" >"$KP_PREFIX.owner"
    kp_user_folders
}

# kp_user_folders: where the user's per-user files are in the prefix, as the program looks for
# them: KP_WINE_USER, the user's name; KP_APP_DATA, the roaming application data folder (Windows
# XP: "Documents and Settings\<user>\Application Data", which the program makes up from the
# user's name and Wine does not make; Windows 10: Wine's "users\<user>\AppData\Roaming").
kp_user_folders() {
    KP_WINE_USER=$(id -un)
    if [ "$KP_WINE_VERSION" = win10 ]; then
        KP_APP_DATA="$KP_PREFIX/drive_c/users/$KP_WINE_USER/AppData/Roaming"
    else
        KP_APP_DATA="$KP_PREFIX/drive_c/Documents and Settings/$KP_WINE_USER/Application Data"
    fi
}

# kp_firefox_profile: today's Firefox in the prefix's roaming folder (after kp_install), as
# Firefox 67 and later keep it: profiles.ini naming the profile's folder by a relative path,
# installs.ini naming it the default of the installation, and a prefs.js in it.
# KP_FIREFOX_PROFILE is the profile's folder.
kp_firefox_profile() {
    local firefox="$KP_APP_DATA/Mozilla/Firefox" relative=Profiles/x7k2m9qa.default-release
    KP_FIREFOX_PROFILE="$firefox/$relative"
    mkdir -p "$KP_FIREFOX_PROFILE"
    printf '[Install308046B0AF4A39CB]\r\nDefault=%s\r\nLocked=1\r\n\r\n[Profile0]\r\nName=default-release\r\nIsRelative=1\r\nPath=%s\r\n\r\n[General]\r\nStartWithLastProfile=1\r\nVersion=2\r\n' \
        "$relative" "$relative" >"$firefox/profiles.ini"
    printf '[308046B0AF4A39CB]\r\nDefault=%s\r\nLocked=1\r\n' "$relative" >"$firefox/installs.ini"
    printf '// Mozilla User Preferences\r\n\r\nuser_pref("browser.cache.disk.capacity", 50000);\r\nuser_pref("network.proxy.no_proxies_on", "localhost");\r\n' \
        >"$KP_FIREFOX_PROFILE/prefs.js"
}

# kp_install [--reg LINE]...: a fresh installation in the prefix, with no start-up prompt (it
# would wait for an answer) and the proxy on a free port, KP_PORT.
kp_install() {
    "$tools_dir/wine-install" --reg '"Wizard Message"="N"' "$@" "$KP_BUILD" "$KP_PREFIX" >/dev/null
    export WINEPREFIX=$KP_PREFIX
    KP_FOLDER="$KP_PREFIX/drive_c/Program Files/Korvo Popup Killer"
    KP_PORT=$(free_port)
    sed -i "s/^PopupPort=.*/PopupPort=$KP_PORT/" "$KP_FOLDER/KorvoINI.ini"
    kp_shared_names
}

# kp_shared_names: what the programs share, from the probe, which has it from their code:
# KP_INSTANCE_TITLE, the title of KorvoPop's instance window in the prefix's installation, and
# KP_MARKER, the catch marker. Needs WINEPREFIX set to a ready prefix.
kp_shared_names() {
    KP_INSTANCE_TITLE=$(kp_probe instance)
    KP_MARKER=$(kp_probe marker)
}

# The registry lines of an Internet Explorer the wizard has pointed at the proxy: catching is on
# only while some browser is configured, and the proxy injects the blocker only while it is on.
# Windows XP gets the proxy as a fixed server, Vista and later its automatic configuration script.
if [ "$KP_WINE_VERSION" = win10 ]; then
    KP_IE_CONFIGURED=(
        --reg '[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Internet Settings]'
        --reg '"AutoConfigURL"="http://127.0.0.1:8100/korvo-proxy.pac"'
    )
else
    KP_IE_CONFIGURED=(
        --reg '[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Internet Settings]'
        --reg '"ProxyEnable"=dword:00000001'
        --reg '"ProxyServer"="http=KorvoPopupKiller:8100"'
    )
fi
KP_IE_CONFIGURED+=(
    --reg '[HKEY_CURRENT_USER\Software\Korvo Popup Killer\Proxy Setting]'
    --reg '"Lan Is Configured"=dword:00000001'
)

# kp_start: KorvoPop.exe in the background; its pid in KP_PID, its output in KP_LOG.
kp_start() {
    KP_LOG="$E2E_TMP/korvopop.log"
    wine "$KP_EXE" >>"$KP_LOG" 2>&1 &
    KP_PID=$!
    E2E_PIDS+=("$KP_PID")
}

kp_probe() { wine "$KP_PROBE" "$@"; }

# kp_make_secure_root: the secure pages' root made in the user's folder and put into the user's
# Root store, as the tray program does; KP_ROOT_FILE is its root.cer, KP_ROOT_KEY its registry
# key under the SHA-1 thumbprint.
kp_make_secure_root() {
    kp_probe secure-root make || return 1
    KP_ROOT_FILE=$(find "$KP_PREFIX/drive_c/users" -path '*/Korvo Popup Killer/Secure/root.cer' |
        head -1)
    local thumbprint
    thumbprint=$(openssl x509 -inform DER -in "$KP_ROOT_FILE" -noout -fingerprint -sha1 |
        sed 's/.*=//; s/://g')
    [ -n "$thumbprint" ] || return 1
    KP_ROOT_KEY="HKCU\\Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\$thumbprint"
}
# The registry holds the root under its thumbprint.
kp_secure_root_stored() { wine reg query "$KP_ROOT_KEY" >/dev/null 2>&1; }
kp_secure_root_not_stored() { ! kp_secure_root_stored; }
# kp_secure_root_keys: "present" or "absent" when both key containers are or are not there.
kp_secure_root_keys() { kp_probe secure-root keys | tr -d '\r' | sort -u | tr '\n' ' ' | sed 's/ $//'; }

# The main window is shown once a visible dialog carries its title.
kp_main_window_shown() { kp_probe list | grep -qF " 1 #32770 \"$KP_MAIN_TITLE\""; }
# kp_prompt_shown: within 20 s, the start-up prompt, before any other window of the program,
# carries its title.
kp_prompt_shown() {
    local end=$(($(now_ms) + 20000))
    until kp_main_window_shown; do
        [ "$(now_ms)" -lt "$end" ] || return 1
        sleep 0.2
    done
}
# The tray command "Show Korvo Popup Killer" (WM_COMMAND 32771). The splash shown during the
# start has the same title, so the command is sent again until the main window is there.
kp_show_main_window() {
    local end=$(($(now_ms) + 20000))
    until kp_main_window_shown; do
        [ "$(now_ms)" -lt "$end" ] || return 1
        kp_probe post "$KP_MAIN_TITLE" 273 32771 || true
        sleep 1
    done
}

kp_running() { kill -0 "$KP_PID" 2>/dev/null; }

# kp_wait_gone MS: until KorvoPop's process has ended, at most MS milliseconds.
kp_wait_gone() {
    local end=$(($(now_ms) + $1))
    while kp_running; do
        [ "$(now_ms)" -lt "$end" ] || return 1
        sleep 0.05
    done
    wait "$KP_PID" 2>/dev/null || true
}

# kp_stop_wineserver: waits (at most 20 s) until the prefix's wineserver has ended, so that the
# registry is in user.reg.
kp_stop_wineserver() { timeout 20 wineserver -w; }

# kp_registry_value NAME: the data of value NAME of the application key as user.reg holds it,
# e.g. "1" for a string or dword:00000000.
kp_registry_value() {
    KEY='[Software\\Korvo Popup Killer]' NAME="\"$1\"=" awk '
        index($0, ENVIRON["KEY"]) == 1 { inside = 1; next }
        /^\[/ { inside = 0 }
        inside && index($0, ENVIRON["NAME"]) == 1 { print substr($0, length(ENVIRON["NAME"]) + 1) }
    ' "$KP_PREFIX/user.reg"
}

# kp_browser_checks: the Chromium checks of tests/e2e/browser, their packages installed once;
# KP_BROWSER_CHECKS is their folder.
kp_browser_checks() {
    KP_BROWSER_CHECKS="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/browser"
    if [ ! -d "$KP_BROWSER_CHECKS/node_modules" ]; then
        (cd "$KP_BROWSER_CHECKS" && timeout 300 npm install --no-audit --no-fund --silent)
    fi
}

# kp_network_address: the machine's own IPv4 address besides loopback, "" when it has none.
# Chromium asks a configuration script's proxy for no loopback address, so a site for it to
# load through the script listens there.
kp_network_address() {
    hostname -I 2>/dev/null | tr ' ' '\n' | grep -E '^[0-9]+(\.[0-9]+){3}$' | grep -v '^127\.' |
        head -n1 || true
}

# kp_pac_visit PAC ADDRESS: headless Chromium set to the automatic configuration script at URL PAC
# loads a page that opens a pop-up on load from a site on ADDRESS; prints the visit as
# korvopop.js does, { title, popups, injected, ms }, or nothing when the page did not load.
kp_pac_visit() {
    timeout 90 node "$KP_BROWSER_CHECKS/korvopop.js" --pac "$1" --host "$2" \
        2>>"$E2E_TMP/node.log" || true
}

# kp_visit_field JSON NAME: one field of a visit kp_pac_visit printed.
kp_visit_field() {
    node -e 'const v = JSON.parse(process.argv[1] || "{}"); console.log(v[process.argv[2]]);' \
        "$1" "$2" 2>/dev/null || true
}

# kp_origin: response_origin.py on a free port; ORIGIN is its URL.
kp_origin() {
    local port
    port=$(free_port)
    python3 "$(dirname "${BASH_SOURCE[0]}")/response_origin.py" "$port" &
    E2E_PIDS+=("$!")
    wait_port "$port"
    ORIGIN="http://127.0.0.1:$port"
}
