#!/usr/bin/env bash
# The Windows client session (SChannel under Wine) against real TLS origins: openssl s_server
# instances on 127.0.0.1 with certificates made here, one good (from a test CA that the test
# adds to the user's Root store), and bad ones: expired, self-signed, from an unknown CA, TLS 1.0
# only, TLS 1.2 with a CBC suite only, one that asks for a client certificate. korvo_win_tests.exe runs its TlsClient tests against
# them (they are skipped without this script). The origins are Linux programs started here,
# which the Windows test reaches on 127.0.0.1: simpler and sturdier than starting them from
# inside Wine.
# Usage: tests/e2e/korvopop_tls_client.sh BUILD_DIR   (the win32 build folder)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
source "$here/lib.sh"
tests_exe="$build/tests/korvo_win_tests.exe"
[ -f "$tests_exe" ] || { echo "FAIL: no $tests_exe (build the win32 preset first)"; exit 1; }
command -v openssl >/dev/null || { echo "FAIL: no openssl"; exit 1; }

certs="$E2E_TMP/certs"
mkdir -p "$certs"
cd "$certs"
quiet() { "$@" >/dev/null 2>&1 || { echo "FAIL: $*"; exit 1; }; }

# A CA (name) and a leaf for localhost and 127.0.0.1 signed by it between two dates.
make_ca() {
    quiet openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 30 -subj "/CN=Korvo test CA $1" \
        -addext basicConstraints=critical,CA:true -addext keyUsage=critical,keyCertSign \
        -keyout "$1.key" -out "$1.pem"
    mkdir -p "$1.db"
    : >"$1.db/index"
    cat >"$1.cnf" <<EOF
[ca]
default_ca = test
[test]
dir = $certs/$1.db
database = \$dir/index
new_certs_dir = \$dir
serial = \$dir/serial
certificate = $certs/$1.pem
private_key = $certs/$1.key
default_md = sha256
policy = anything
unique_subject = no
copy_extensions = none
x509_extensions = leaf
[anything]
commonName = supplied
[leaf]
basicConstraints = critical,CA:false
keyUsage = critical,digitalSignature,keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = DNS:localhost,IP:127.0.0.1
EOF
}
make_leaf() {  # CA NAME START END
    openssl rand -hex 16 >"$1.db/serial"
    quiet openssl req -newkey rsa:2048 -nodes -subj /CN=localhost -keyout "$2.key" -out "$2.csr"
    quiet openssl ca -batch -config "$1.cnf" -startdate "$3" -enddate "$4" -in "$2.csr" \
        -out "$2.pem"
}
make_ca trusted
make_ca stranger
make_leaf trusted good "$(date -u -d '-1 day' +%Y%m%d%H%M%SZ)" "$(date -u -d '+30 days' +%Y%m%d%H%M%SZ)"
make_leaf trusted expired 20200101000000Z 20200401000000Z
make_leaf stranger unknownca "$(date -u -d '-1 day' +%Y%m%d%H%M%SZ)" "$(date -u -d '+30 days' +%Y%m%d%H%M%SZ)"
quiet openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days 30 -subj /CN=localhost \
    -addext subjectAltName=DNS:localhost,IP:127.0.0.1 -keyout selfsigned.key -out selfsigned.pem
quiet openssl x509 -in trusted.pem -outform DER -out trusted.der

origins=""
origin() {  # NAME CERT [s_server options]
    local name=$1 cert=$2 port
    shift 2
    port=$(free_port)
    openssl s_server -accept "127.0.0.1:$port" -cert "$cert.pem" -key "$cert.key" -www -quiet \
        "$@" >"$E2E_TMP/$name.log" 2>&1 &
    E2E_PIDS+=("$!")
    wait_port "$port"
    origins+="$name=$port "
}
origin good good
origin expired expired
origin selfsigned selfsigned
origin unknownca unknownca
origin tls10 good -tls1 -cipher 'DEFAULT:@SECLEVEL=0'
origin cbc good -tls1_2 -cipher ECDHE-RSA-AES128-SHA
origin clientcert good -Verify 1

out="$E2E_TMP/tests.log"
code=0
# Wine's drive Z: is the Linux root.
KORVO_TLS_ORIGINS="$origins" KORVO_TLS_TEST_CA="Z:${certs//\//\\}\\trusted.der" \
    "$here/../../tools/wine-run" --build "$build" "$tests_exe" --gtest_filter='TlsClient.*' \
    >"$out" 2>&1 || code=$?
grep -vE '^[0-9a-f]+:(fixme|err):' "$out" | grep -E '^\[|Failure|Which is|Expected|:' | head -80
check "the client sessions behave as they should against every origin" test "$code" -eq 0
check "none of them was skipped" bash -c "! grep -q '\[  SKIPPED \]' '$out'"
check "both ran" grep -q '\[  PASSED  \] 2 tests' "$out"

if [ "$E2E_FAILED" -ne 0 ]; then
    echo "korvopop_tls_client: some checks FAILED"
    exit 1
fi
echo "korvopop_tls_client: all checks passed"
