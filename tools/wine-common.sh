# shellcheck shell=bash
# Shared by tools/wine-run and tools/wine-install (sourced, not run): the Wine template prefix,
# private prefixes copied from it, and a private X server.
#
# The template is made once per build folder and Windows version and never run in; every program
# runs in a copy of it. KORVO_WINE_VERSION picks the version Wine reports: winxp (the default,
# template BUILD_DIR/wine-template) or win10 (BUILD_DIR/wine-template-win10). Wine rewrites
# user.reg in place, so copies are real copies (cp -a), never hard links.

export WINEARCH=win32
export WINEDEBUG=-all
# Start menu links made in a prefix (the installer's) must not become menu entries of the desktop.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:+$WINEDLLOVERRIDES;}winemenubuilder.exe=d"

wine_log() { printf 'wine: %s\n' "$*" >&2; }

# The Windows version of the prefixes, as Wine names it: winxp or win10.
wine_version() {
    case "${KORVO_WINE_VERSION:-winxp}" in
        winxp | win10) printf '%s\n' "${KORVO_WINE_VERSION:-winxp}" ;;
        *) wine_log "KORVO_WINE_VERSION must be winxp or win10, not '$KORVO_WINE_VERSION'"; return 1 ;;
    esac
}

# wine_template_dir BUILD_DIR: the template of the chosen Windows version in that build folder.
wine_template_dir() {
    local version
    version=$(wine_version) || return 1
    if [ "$version" = winxp ]; then
        printf '%s\n' "$1/wine-template"
    else
        printf '%s\n' "$1/wine-template-$version"
    fi
}

# Registry settings every prefix starts with: the chosen Windows version, no window manager
# decorations (hidden windows then cost no 2 s each and GetAsyncKeyState sees xdotool's keys), no
# audio driver.
wine_template_settings() {
    local version
    version=$(wine_version) || return 1
    printf 'REGEDIT4\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine]\r\n"Version"="%s"\r\n\r\n' "$version"
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Drivers]\r\n"Audio"=""\r\n\r\n'
}

# What a ready template records; a template made by another Wine or with other settings is
# made again.
wine_template_stamp() {
    printf '%s\n' "$(wine --version)" "fonts: marlett"
    wine_template_settings | md5sum | cut -d' ' -f1
}

wine_xvfb_pid=""

# Starts a private Xvfb on a free display when DISPLAY is unset and exports DISPLAY. The screen
# is WIDTHxHEIGHTxDEPTH if given, else 1280x1024x24.
wine_start_display() {
    [ -n "${DISPLAY:-}" ] && return 0
    local screen=${1:-1280x1024x24}
    local number_file
    number_file=$(mktemp)
    # -displayfd: the server takes the first free display and writes its number when ready.
    # setsid: a Ctrl+C in the terminal does not reach it, so the caller can still end its Wine
    # programs in order before it stops the server by its pid.
    setsid Xvfb -displayfd 3 -nolisten tcp -screen 0 "$screen" 3>"$number_file" >/dev/null 2>&1 &
    wine_xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$number_file" ] && break
        kill -0 "$wine_xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    local number
    number=$(tr -d '[:space:]' <"$number_file")
    rm -f "$number_file"
    if [ -z "$number" ]; then
        wine_log "Xvfb did not start"
        wine_stop_display
        return 1
    fi
    export DISPLAY=":$number"
}

# Stops the Xvfb that wine_start_display started, and nothing else.
wine_stop_display() {
    [ -n "$wine_xvfb_pid" ] || return 0
    kill "$wine_xvfb_pid" 2>/dev/null || true
    wait "$wine_xvfb_pid" 2>/dev/null || true
    wine_xvfb_pid=""
}

# Ends every Wine process of one prefix and its wineserver (which writes the registry files).
wine_kill_prefix() {
    [ -d "$1" ] || return 0
    WINEPREFIX="$1" wineserver -k >/dev/null 2>&1 || true
}

# Ends what runs killed outright (a ctest time-out) left in BUILD_DIR: private prefixes
# BUILD_DIR/wine-run.* whose owner file names a pid that is gone, and the Xvfb each started.
# The owner file PREFIX.owner holds the run's pid and the pid of its Xvfb, if any.
wine_end_stale_runs() {
    local stale owner xvfb
    for stale in "$1"/wine-run.*; do
        [ -f "$stale.owner" ] || continue
        owner="" xvfb=""
        read -r owner xvfb <"$stale.owner" || true
        kill -0 "$owner" 2>/dev/null && continue
        wine_kill_prefix "$stale"
        if [ -n "$xvfb" ] && [ "$(cat "/proc/$xvfb/comm" 2>/dev/null)" = Xvfb ]; then
            kill "$xvfb" 2>/dev/null || true
        fi
        rm -rf "$stale" "$stale.owner"
    done
}

# Makes the build folder's template of the chosen version unless a ready one is there. Runs
# under a lock, so parallel callers wait for one maker. Needs a display.
wine_ensure_template() {
    local build_dir=$1
    local template stamp
    template=$(wine_template_dir "$build_dir") || return 1
    stamp=$(wine_template_stamp)
    mkdir -p "$build_dir"
    (
        flock -w 600 9 || { wine_log "timed out waiting for the template lock"; exit 1; }
        if [ -f "$template/.korvo-template" ] && [ "$(cat "$template/.korvo-template")" = "$stamp" ]; then
            exit 0
        fi
        wine_log "making the template prefix $template (once, about 15 s)"
        trap 'wine_kill_prefix "$template"' EXIT
        rm -rf "$template"
        local settings="$template.reg" log="$template.log"
        wine_template_settings >"$settings"
        # No Mono or Gecko installers: nothing here needs them and they cannot be fetched.
        WINEPREFIX="$template" WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i \
            >"$log" 2>&1 || { wine_log "wineboot failed, see $log"; exit 1; }
        WINEPREFIX="$template" wine regedit /S "$settings" >>"$log" 2>&1
        # Wine draws the caption buttons with Marlett, which a new prefix lacks (fonts-wine).
        if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
            cp /usr/share/wine/fonts/marlett.ttf "$template/drive_c/windows/Fonts/"
        fi
        WINEPREFIX="$template" wineserver -w
        trap - EXIT
        rm -f "$settings"
        printf '%s\n' "$stamp" >"$template/.korvo-template"
    ) 9>"$template.lock"
}

# Replaces DEST with a fresh copy of the build folder's template of the chosen version.
wine_copy_template() {
    local build_dir=$1 dest=$2 template
    template=$(wine_template_dir "$build_dir") || return 1
    rm -rf "$dest"
    cp -a "$template" "$dest"
    rm -f "$dest/.korvo-template"
}
