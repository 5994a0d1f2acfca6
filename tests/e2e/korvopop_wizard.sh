#!/usr/bin/env bash
# The proxy wizard of KorvoPop.exe under Wine, driven from outside through its real buttons.
# Windows XP: an installation with a Mozilla profile and an Opera 7 installation laid out in the
# prefix; the main window opened by the tray command; "Set Proxy" runs the wizard through its four
# pages and Finish points Internet Explorer (registry), the profile's user.js and Opera's
# opera6.ini at "KorvoPopupKiller:8100" (https too, as secure pages are filtered by default, with
# Firefox told to trust the Windows store); "Reset Proxy" takes them back, byte for byte where the
# browser code keeps the files' other lines.
# Windows 10: a first run with today's Firefox profile (profiles.ini with a relative path,
# installs.ini naming the default); the start-up prompt's Yes opens the wizard, which names
# Firefox; Finish gives Internet Explorer the proxy's automatic configuration script instead of a
# fixed server and the profile's user.js the proxy lines, and the program asks to switch catching
# on, which the run ends with; the reset takes it all back and catching goes off.
# Message boxes are answered by their buttons.
# Usage: tests/e2e/korvopop_wizard.sh BUILD_DIR   (the win32 build folder)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: $0 BUILD_DIR}
source "$here/lib.sh"
source "$here/korvopop_lib.sh"
started=$(now_ms)

# Wizard buttons of the sheet (comctl32's ids) and the pages' controls.
back_next=12324
finish=12325
ie_box=1064     # page 1; on page 2 the same id is the LAN box
netscape_box=1065
opera_box=1066
opera7_box=1122 # page 2
check_all=1074  # page 3 (page 2's stays disabled without a dial-up tick)
catch_box=1000  # the Popups page
set_proxy=1019
reset_proxy=1020
idok=1
idyes=6

kp_setup "$build"
ie_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
click() { kp_probe click "$1" 5000; }
answer() { kp_probe box "$1" 5000; }
# ie_value NAME: the data of an Internet Settings value as "reg query" shows it.
ie_value() {
    wine reg query "$ie_key" /v "$1" 2>/dev/null |
        tr -d '\r' | awk -v name="$1" '$1 == name { print $NF }'
}
flag() {
    wine reg query 'HKCU\Software\Korvo Popup Killer\Proxy Setting' /v "$1" 2>/dev/null |
        tr -d '\r' | awk '/REG_DWORD/ { print $NF }'
}
# until_file_has FILE TEXT MS: until FILE contains TEXT (fixed), at most MS milliseconds.
until_file_has() {
    local end=$(($(now_ms) + $3))
    until grep -qF -- "$2" "$1" 2>/dev/null; do
        [ "$(now_ms)" -lt "$end" ] || return 1
        sleep 0.1
    done
}
# user_js_set, user_js_secure: the profile's user.js names the proxy for http, and for https
# with the Windows store trusted.
user_js_set() {
    grep -qF 'user_pref("network.proxy.http", "KorvoPopupKiller");' "$profile/user.js" &&
        grep -qF 'user_pref("network.proxy.http_port", 8100);' "$profile/user.js" &&
        grep -qF 'user_pref("network.proxy.type", 1);' "$profile/user.js" &&
        grep -qF 'browser.startup.homepage' "$profile/user.js"
}
user_js_secure() {
    grep -qF 'user_pref("network.proxy.ssl", "KorvoPopupKiller");' "$profile/user.js" &&
        grep -qF 'user_pref("network.proxy.ssl_port", 8100);' "$profile/user.js" &&
        grep -qF 'user_pref("security.enterprise_roots.enabled", true);' "$profile/user.js"
}
if [ "$KP_WINE_VERSION" = win10 ]; then
    # The first run on Windows 10 with today's Firefox.
    kp_install --reg '"Wizard Message"="A"'
    kp_firefox_profile
    profile=$KP_FIREFOX_PROFILE
    printf 'user_pref("browser.startup.homepage", "about:blank");\r\nuser_pref("network.proxy.http", "");\r\nuser_pref("network.proxy.http_port", 0);\r\nuser_pref("network.proxy.type", 0);\r\n' >"$profile/user.js"
    out="$E2E_TMP/out"
    mkdir -p "$out"
    for file in "$profile/prefs.js" "$profile/user.js"; do
        cp "$file" "$out/$(basename "$file").before"
    done
    # run_wizard: through the four pages with Internet Explorer (LAN) and Firefox (every profile)
    # chosen, then Finish.
    run_wizard() {
        click "$ie_box" && click "$netscape_box" && click "$back_next" && click "$ie_box" &&
            click "$back_next" && click "$check_all" && click "$back_next" && click "$finish"
    }
    # catching_shown ON: until the Popups page's "Enable Catch Pop-Ups" is checked (1) or not
    # (0), at most 5 s.
    catching_shown() {
        local end=$(($(now_ms) + 5000))
        until [ "$(kp_probe checked "$catch_box" 1000 | tr -d '\r')" = "$1" ]; do
            [ "$(now_ms)" -lt "$end" ] || return 1
            sleep 0.2
        done
    }
    script_url="http://127.0.0.1:$KP_PORT/korvo-proxy.pac"
    enable_question='Catching Pop-Ups is currently disabled, Do you want to enable it?'
    firefox_set='Firefox proxy has been set successfully. Settings will take effect the next time Firefox starts.'
    firefox_reset='Firefox settings will take effect the next time Firefox starts'

    kp_start
    check "the first start asks whether to set the browsers up" kp_prompt_shown
    # The prompt comes before the instance window: its Yes is sent by the prompt's title.
    kp_probe post "$KP_MAIN_TITLE" 273 "$idyes" || true
    firefox_named() { kp_probe text "$netscape_box" 20000 | grep -q '^&Firefox'; }
    check "Yes opens the wizard, which offers Firefox by its name" firefox_named
    check "the wizard's four pages and Finish by their buttons" run_wizard
    check "the result names Firefox" \
        test "$(kp_probe box-text 65535 5000 | tr -d '\r')" = "$firefox_set"
    check "the Firefox result message is answered" answer "$idok"
    check "the program asks to switch catching on, as Set Proxy does" \
        test "$(kp_probe box-text 65535 5000 | tr -d '\r')" = "$enable_question"
    check "which is answered Yes" answer "$idyes"
    check "the first run ends with catching on" catching_shown 1

    check "Internet Explorer's AutoConfigURL is the proxy's script" \
        test "$(ie_value AutoConfigURL)" = "$script_url"
    no_fixed_server() { case "$(ie_value ProxyServer)" in *KorvoPopupKiller*) return 1 ;; esac; }
    check "and no fixed ProxyServer names the proxy" no_fixed_server
    check "the profile's user.js points at KorvoPopupKiller:8100, its other line kept" user_js_set
    check "and https at the same proxy, with the Windows store trusted" user_js_secure
    check "its prefs.js names no other proxy (unchanged)" cmp -s "$profile/prefs.js" "$out/prefs.js.before"
    check "the flags: LAN and Firefox configured" \
        test "$(flag 'Lan Is Configured') $(flag 'Netscape Is Configured')" = "0x1 0x1"

    # Firefox copies user.js into prefs.js when it starts; the reset leaves prefs.js to its next
    # start but for the https lines naming the proxy.
    grep -F 'network.proxy' "$profile/user.js" >>"$profile/prefs.js"
    grep -vF -e '"network.proxy.ssl", "KorvoPopupKiller"' -e '"network.proxy.ssl_port", 8100' \
        "$profile/prefs.js" >"$out/prefs.js.reset"

    click "$reset_proxy" || true
    check "Reset Proxy: the wizard's four pages and Finish by their buttons" run_wizard
    check "the reset's result names Firefox" \
        test "$(kp_probe box-text 65535 5000 | tr -d '\r')" = "$firefox_reset"
    check "the Firefox reset message is answered" answer "$idok"
    check "the message that catching went off with the last browser is answered" answer "$idok"
    check "catching is off" catching_shown 0
    no_script() { ! wine reg query "$ie_key" /v AutoConfigURL >/dev/null 2>&1; }
    check "Internet Explorer's AutoConfigURL is gone" no_script
    check "the profile's user.js is back byte for byte" cmp "$profile/user.js" "$out/user.js.before"
    check "its prefs.js is as Firefox left it, less the https lines" cmp "$profile/prefs.js" "$out/prefs.js.reset"
    check "the flags: nothing configured" \
        test "$(flag 'Lan Is Configured') $(flag 'Netscape Is Configured')" = "0x0 0x0"

else
    mozilla_key='[HKEY_CURRENT_USER\Software\Mozilla\Mozilla 1.7.13]'
    opera_key='[HKEY_CURRENT_USER\Software\Opera Software]'
    kp_install --reg '"FirstRun"=dword:00000000' --reg '"ShowAtStart"=dword:00000000' \
        --reg "$mozilla_key" --reg '"CurrentVersion"="1.7.13 (en)"' \
        --reg "$opera_key" --reg '"Last Directory2"="C:\\Program Files\\Opera7"'

    # The browsers' files where the browser code looks for them on Windows XP.
    profile="$KP_APP_DATA/Mozilla/Profiles/default/ab12cd34.slt"
    opera="$KP_PREFIX/drive_c/Program Files/Opera7"
    mkdir -p "$profile/Cache" "$opera/profile/cache4"
    printf 'user_pref("browser.cache.disk.capacity", 50000);\r\nuser_pref("network.proxy.no_proxies_on", "localhost");\r\n' >"$profile/prefs.js"
    printf 'user_pref("browser.startup.homepage", "about:blank");\r\nuser_pref("network.proxy.http", "");\r\nuser_pref("network.proxy.http_port", 0);\r\nuser_pref("network.proxy.type", 0);\r\n' >"$profile/user.js"
    printf 'cached' >"$profile/Cache/_CACHE_001_"
    : >"$opera/Opera.exe"
    printf '[System]\r\nMulti User=0\r\n' >"$opera/OperaDef6.ini"
    printf 'Opera Preferences version 2.0\r\n\r\n[User Prefs]\r\nCache Directory4=C:\\Program Files\\Opera7\\profile\\cache4\\\r\n\r\n[Proxy]\r\nHTTP Server\r\nHTTPS Server\r\nUse HTTP=0\r\nUse HTTPS=0\r\n' >"$opera/profile/opera6.ini"
    printf 'cached' >"$opera/profile/cache4/opr00001.tmp"
    out="$E2E_TMP/out"
    mkdir -p "$out"
    for file in "$profile/prefs.js" "$profile/user.js" "$opera/profile/opera6.ini" "$opera/OperaDef6.ini"; do
        cp "$file" "$out/$(basename "$file").before"
    done

    # run_wizard: through the four pages with Internet Explorer (LAN), Netscape (every profile) and
    # Opera 7 chosen, then Finish.
    run_wizard() {
        click "$ie_box" && click "$netscape_box" && click "$opera_box" && click "$back_next" &&
            click "$opera7_box" && click "$ie_box" && click "$back_next" &&
            click "$check_all" && click "$back_next" && click "$finish"
    }

    kp_start
    check "KorvoPop starts hidden in the tray" kp_probe wait "$KP_INSTANCE_TITLE" 20000
    check "the tray command shows the main window" kp_show_main_window

    click "$set_proxy" || true
    check "Set Proxy: the wizard's four pages and Finish by their buttons" run_wizard
    check "the Netscape result message is answered" answer "$idok"
    check "the question to switch catching on is answered Yes" answer "$idyes"
    until_file_has "$opera/profile/opera6.ini" KorvoPopupKiller 5000 || true

    check "Internet Explorer's ProxyEnable is 1" test "$(ie_value ProxyEnable)" = 0x1
    check "and its ProxyServer names it for http and https" \
        test "$(ie_value ProxyServer)" = "http=KorvoPopupKiller:8100;https=KorvoPopupKiller:8100"
    check "the profile's user.js points at KorvoPopupKiller:8100, its other line kept" user_js_set
    check "and https at the same proxy, with the Windows store trusted" user_js_secure
    check "its prefs.js names no other proxy (unchanged)" cmp -s "$profile/prefs.js" "$out/prefs.js.before"
    opera_set() {
        grep -qF $'HTTP Server=KorvoPopupKiller:8100\r' "$opera/profile/opera6.ini" &&
            grep -qF $'Use HTTP=1\r' "$opera/profile/opera6.ini" &&
            grep -qF $'HTTPS Server=KorvoPopupKiller:8100\r' "$opera/profile/opera6.ini" &&
            grep -qF $'Use HTTPS=1\r' "$opera/profile/opera6.ini"
    }
    check "Opera 7's opera6.ini points at KorvoPopupKiller:8100" opera_set
    check "the flags: LAN, Netscape and Opera 7 configured" \
        test "$(flag 'Lan Is Configured') $(flag 'Netscape Is Configured') $(flag 'Opera7 Is Configured')" = "0x1 0x1 0x1"

    # Mozilla copies user.js into prefs.js when it starts, and the program tests prefs.js; the
    # browser's start is played here. The reset below leaves prefs.js to Mozilla's next start, but
    # for the https lines naming the proxy, which no line of user.js overrides any more.
    grep -F 'network.proxy' "$profile/user.js" >>"$profile/prefs.js"
    grep -vF -e '"network.proxy.ssl", "KorvoPopupKiller"' -e '"network.proxy.ssl_port", 8100' \
        "$profile/prefs.js" >"$out/prefs.js.reset"

    # Catching switched off (it went on with the answer Yes): a cleaning run empties the caches.
    gone() { local end=$(($(now_ms) + 5000)); while [ -e "$1" ]; do [ "$(now_ms)" -lt "$end" ] || return 1; sleep 0.1; done; }
    click "$catch_box" || true
    check "switching catching empties the Mozilla profile's cache" gone "$profile/Cache/_CACHE_001_"
    check "and Opera's cache folder" gone "$opera/profile/cache4/opr00001.tmp"
    check "and leaves the files beside them" test -f "$profile/prefs.js" -a -f "$opera/profile/opera6.ini"

    click "$reset_proxy" || true
    check "Reset Proxy: the wizard's four pages and Finish by their buttons" run_wizard
    check "the Netscape reset message is answered" answer "$idok"
    until_file_has "$opera/profile/opera6.ini" $'HTTP Server\r' 5000 || true

    check "Internet Explorer's ProxyEnable is 0 again" test "$(ie_value ProxyEnable)" = 0x0
    check "the profile's user.js is back byte for byte" cmp "$profile/user.js" "$out/user.js.before"
    check "its prefs.js is as Mozilla left it, less the https lines" cmp "$profile/prefs.js" "$out/prefs.js.reset"
    check "opera6.ini is back byte for byte" cmp "$opera/profile/opera6.ini" "$out/opera6.ini.before"
    check "OperaDef6.ini is unchanged" cmp "$opera/OperaDef6.ini" "$out/OperaDef6.ini.before"
    check "the flags: nothing configured" \
        test "$(flag 'Lan Is Configured') $(flag 'Netscape Is Configured') $(flag 'Opera7 Is Configured')" = "0x0 0x0 0x0"

fi

kp_probe quit || true
check "KorvoPop ends on its quiet-exit message" kp_wait_gone 10000
kp_stop_wineserver || true

echo "korvopop_wizard: $(($(now_ms) - started)) ms"
if [ "$E2E_FAILED" -ne 0 ]; then
    echo "korvopop_wizard: some checks FAILED"
    exit 1
fi
echo "korvopop_wizard: all checks passed"
