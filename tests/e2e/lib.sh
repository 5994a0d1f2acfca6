# Shared pieces of the end-to-end scripts: free ports, processes stopped by their own pid,
# a korvo-proxy started from a copy of the laid-out installation, PASS/FAIL lines.
set -u
E2E_PIDS=()
E2E_FAILED=0
E2E_TMP=$(mktemp -d /tmp/korvo-e2e.XXXXXX)
chmod 755 "$E2E_TMP"  # nginx workers run as another user
# korvo-proxy keeps its root for secure pages under here, never in the user's own folder.
export XDG_CONFIG_HOME="$E2E_TMP/config"

e2e_cleanup() {
    local pid
    for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${E2E_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$E2E_TMP"
}
trap e2e_cleanup EXIT

free_port() {
    python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1]); s.close()'
}

# wait_port PORT: until something accepts on 127.0.0.1:PORT (at most 10 s).
wait_port() {
    local i
    for i in $(seq 100); do
        (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0
        sleep 0.1
    done
    echo "nothing listens on port $1" >&2
    return 1
}

check() {
    local name=$1; shift
    if "$@"; then echo "PASS: $name"; else echo "FAIL: $name"; E2E_FAILED=1; fi
}

# start_proxy INSTALL_DIR [KEY=VALUE ...]: korvo-proxy from a copy of the installation with its
# own KorvoINI.ini on a free port; sets PROXY_PORT and PROXY_DIR.
start_proxy() {
    local install=$1; shift
    # A missing folder would make the copy below one of the whole file system.
    [ -n "$install" ] && [ -x "$install/korvo-proxy" ] || { echo "FAIL: no korvo-proxy in '$install'"; exit 1; }
    PROXY_DIR=$(mktemp -d "$E2E_TMP/proxy.XXXXXX")
    cp -r "$install"/. "$PROXY_DIR"/
    PROXY_PORT=$(free_port)
    {
        echo "[KorvoPopupKiller]"
        echo "PopupPort=$PROXY_PORT"
        local setting
        for setting in "$@"; do echo "$setting"; done
    } > "$PROXY_DIR/KorvoINI.ini"
    (cd "$PROXY_DIR" && exec ./korvo-proxy -v 2>"$PROXY_DIR/proxy.log") &
    PROXY_PID=$!
    E2E_PIDS+=("$PROXY_PID")
    wait_port "$PROXY_PORT"
}

stop_proxy() {
    kill "$PROXY_PID" 2>/dev/null || true
    wait "$PROXY_PID" 2>/dev/null || true
}

# start_nginx ROOT [CERT KEY]: nginx serving ROOT on a free port with an access log of
# connection numbers, over TLS with CERT and KEY when given; sets NGINX_PORT and NGINX_LOG.
start_nginx() {
    local root=$1 dir
    dir=$(mktemp -d "$E2E_TMP/nginx.XXXXXX")
    NGINX_PORT=$(free_port)
    NGINX_LOG="$dir/access.log"
    cat > "$dir/nginx.conf" <<CONF
daemon off;
worker_processes 1;
pid $dir/nginx.pid;
error_log $dir/error.log;
events { worker_connections 1024; }
http {
    include /etc/nginx/mime.types;
    log_format conn '\$connection \$request';
    access_log $NGINX_LOG conn;
    client_body_temp_path $dir/body;
    proxy_temp_path $dir/proxy;
    fastcgi_temp_path $dir/fastcgi;
    uwsgi_temp_path $dir/uwsgi;
    scgi_temp_path $dir/scgi;
    server {
        listen 127.0.0.1:$NGINX_PORT${2:+ ssl};
        ${2:+ssl_certificate $2; ssl_certificate_key $3;}
        root $root;
    }
}
CONF
    /usr/sbin/nginx -c "$dir/nginx.conf" -p "$dir" &
    E2E_PIDS+=("$!")
    wait_port "$NGINX_PORT"
}

# raw_request PORT BYTES: sends BYTES on a new connection and prints the reply.
raw_request() {
    python3 - "$1" "$2" <<'PY'
import socket, sys
s = socket.create_connection(("127.0.0.1", int(sys.argv[1])), timeout=5)
s.sendall(sys.argv[2].encode("latin-1").decode("unicode_escape").encode("latin-1"))
reply = b""
try:
    while True:
        chunk = s.recv(65536)
        if not chunk:
            break
        reply += chunk
except socket.timeout:
    pass
sys.stdout.buffer.write(reply)
PY
}
