#!/usr/bin/env bash
# korvo-proxy's response side with curl against a small origin of our own: the script after
# the doctype, the sound element, chunked pages, replies that pass at once, and the switches
# that turn filtering off.
# Usage: tests/e2e/response_curl.sh INSTALL_DIR
set -u
here=$(cd "$(dirname "$0")" && pwd)
install=$(cd "${1:?usage: $0 INSTALL_DIR}" && pwd) && [ -x "$install/korvo-proxy" ] ||
    { echo "FAIL: no korvo-proxy in ${1:-}"; exit 1; }
source "$here/lib.sh"

# An installation with a blocker script of this test's own (already as compact as the proxy
# makes a script).
script_marker='<script>korvo=1;%s</script>'
inst="$E2E_TMP/install"
mkdir -p "$inst"
cp -r "$install"/. "$inst"/
printf '%s' "$script_marker" > "$inst/KorvoBlk.js"

origin_port=$(free_port)
python3 "$here/response_origin.py" "$origin_port" &
E2E_PIDS+=("$!")
wait_port "$origin_port"
origin="http://127.0.0.1:$origin_port"

# One proxy per setting combination; NAME_PORT and NAME_DIR name each.
start_named_proxy() {
    local name=$1; shift
    start_proxy "$inst" "$@"
    printf -v "${name}_PORT" '%s' "$PROXY_PORT"
    printf -v "${name}_DIR" '%s' "$PROXY_DIR"
}
start_named_proxy quiet PlayWave=0
start_named_proxy sound PlayWave=1
start_named_proxy unchecked PlayWave=0 PopupCheckDisabled=1
start_named_proxy disabled PlayWave=0 Disabled=1

out="$E2E_TMP/out"
mkdir -p "$out"

# fetch PORT PATH NAME [curl options]: body in $out/NAME, header in $out/NAME.h
fetch() {
    local port=$1 path=$2 name=$3; shift 3
    curl -s --max-time 10 -x "127.0.0.1:$port" -D "$out/$name.h" -o "$out/$name" "$@" "$origin$path"
}
header_value() { # header_value FILE NAME: the value of the header line NAME, lower-cased name
    tr -d '\r' < "$1" | awk -v n="$(echo "$2" | tr A-Z a-z)" \
        'BEGIN{FS=": "} tolower($1)==n {print $2; exit}'
}
length_matches_body() { test "$(header_value "$out/$1.h" Content-Length)" = "$(stat -c %s "$out/$1")"; }

# The expected page: the origin's page with the prepared script right after its doctype.
curl -s --max-time 10 -o "$out/direct.html" "$origin/page.html"
curl -s --max-time 10 -o "$out/direct-binary.html" "$origin/binary.html"
quiet_script='<script>korvo=1;  </script>'
python3 - "$out/direct.html" "$quiet_script" "$out/expected.html" <<'PY'
import sys
page = open(sys.argv[1], "rb").read()
doctype_end = page.index(b">") + 1
open(sys.argv[3], "wb").write(page[:doctype_end] + sys.argv[2].encode() + page[doctype_end:])
PY

fetch "$quiet_PORT" /page.html page
check "an HTML page gets the script right after its doctype" cmp -s "$out/expected.html" "$out/page"
check "its Content-Length equals the bytes sent" length_matches_body page

fetch "$sound_PORT" /page.html sound
sound_script="<script>korvo=1;if( QX_beep ) QX_beep.src=\"${sound_DIR}/PopUp.wav\";</script>"
check "with PlayWave 1 the script names the sound file" grep -qF "$sound_script" "$out/sound"
check "with PlayWave 1 the sound element follows <head>" \
    grep -qF "<head><BGSOUND ID='QX_beep'><title>" "$out/sound"
check "with PlayWave 1 the Content-Length still equals the bytes sent" length_matches_body sound

fetch "$quiet_PORT" /chunked.html chunked
check "a chunked page arrives with the script" cmp -s "$out/expected.html" "$out/chunked"
check "a chunked page arrives still chunked" \
    test "$(header_value "$out/chunked.h" Transfer-Encoding)" = chunked
check "a chunked page arrives without a Content-Length" \
    test -z "$(header_value "$out/chunked.h" Content-Length)"
fetch "$quiet_PORT" /chunked.html chunked10 --http1.0
check "an HTTP/1.0 browser gets a chunked page de-chunked with the script" \
    cmp -s "$out/expected.html" "$out/chunked10"
check "and with a Content-Length equal to its bytes" length_matches_body chunked10

curl -s --max-time 10 --raw -o "$out/direct.gif" "$origin/chunked.gif"
fetch "$quiet_PORT" /chunked.gif gif --raw
check "a chunked image passes still chunked, byte for byte" cmp -s "$out/direct.gif" "$out/gif"
check "a chunked image keeps its Transfer-Encoding" \
    test "$(header_value "$out/gif.h" Transfer-Encoding)" = chunked

# first_byte_within SECONDS PATH [curl options]: the reply starts within SECONDS.
first_byte_within() {
    local limit=$1 path=$2; shift 2
    local t
    t=$(curl -s --max-time 10 -x "127.0.0.1:$quiet_PORT" -o /dev/null -w '%{time_starttransfer}' \
        "$@" "$origin$path")
    python3 -c "import sys; sys.exit(0 if 0 < float('$t') < $limit else 1)"
}
check "a 302 page passes at once (its header before its body is complete)" \
    first_byte_within 2.0 /redirect
check "a 304 reply passes at once" first_byte_within 2.0 /not-modified
check "a 304 reply ends with its header" bash -c \
    "curl -s --max-time 10 -x 127.0.0.1:$quiet_PORT -o /dev/null -w '%{http_code}' \
        $origin/not-modified $origin/not-modified | grep -qx 304304"

continue_time=$(curl -s --max-time 10 -x "127.0.0.1:$quiet_PORT" -H 'Expect: 100-continue' \
    --expect100-timeout 5 --data 'hello' -o "$out/post" -w '%{time_total}' "$origin/post")
check "a 100 reply reaches the client at once" \
    python3 -c "import sys; sys.exit(0 if float('$continue_time') < 3 else 1)"
check "the reply after 100 arrives" grep -qx 'got 5 bytes' "$out/post"

fetch "$quiet_PORT" /binary.html binary
check "an HTML page that looks binary passes unchanged" cmp -s "$out/direct-binary.html" "$out/binary"

fetch "$unchecked_PORT" /page.html unchecked
check "with PopupCheckDisabled=1 the page is unchanged" cmp -s "$out/direct.html" "$out/unchecked"
fetch "$disabled_PORT" /chunked.html disabled
check "with Disabled=1 a chunked page arrives unchanged" cmp -s "$out/direct.html" "$out/disabled"

if [ "$E2E_FAILED" -ne 0 ]; then
    echo "response_curl: some checks FAILED"
    exit 1
fi
echo "response_curl: all checks passed"
