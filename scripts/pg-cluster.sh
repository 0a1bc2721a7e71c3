#!/usr/bin/env bash
# A private PostgreSQL cluster for the tests and benchmarks, from Debian's
# postgresql package. It lives in a fresh folder under /tmp, listens on a Unix
# socket in that folder only (no TCP port), lets nobody else in, and belongs
# to an unprivileged account when run as root, since initdb refuses root.
#
#   scripts/pg-cluster.sh start STATE   # starts it; STATE/pg.env then says where it is
#   scripts/pg-cluster.sh stop STATE    # stops it and removes its folder
#   scripts/pg-cluster.sh pause STATE   # stops the server, keeping its data (a server gone down)
#   scripts/pg-cluster.sh resume STATE  # starts it again on the same socket and data
#   scripts/pg-cluster.sh freeze STATE  # stops every server process (SIGSTOP): a hung server
#   scripts/pg-cluster.sh thaw STATE    # lets them go on (SIGCONT)
#   RX_PG_TLS=1 scripts/pg-cluster.sh start STATE
#       also listens on 127.0.0.1 with TLS, its certificate signed by a throwaway
#       CA; pg.env then adds RX_PG_TCP_PORT, RX_PG_CA and RX_PG_OTHER_CA (a CA
#       that signed nothing of this server)
#   . STATE/pg.env                      # PGHOST, PGPORT, PGUSER for psql and libpq
#
# Where no server can be started, start leaves RX_PG_UNAVAILABLE in pg.env and
# succeeds, so that the tests that need a server skip; with CI set it fails.
set -euo pipefail

usage() { echo "usage: $0 start|stop|pause|resume|freeze|thaw STATE_DIR" >&2; exit 2; }
[ $# -eq 2 ] || usage
action=$1
state=$(mkdir -p "$2" && cd "$2" && pwd)
envfile="$state/pg.env"

as_owner() {
    if [ "$(id -u)" -eq 0 ]; then runuser -u "$owner" -- "$@"; else "$@"; fi
}

# Durability is not what these tests measure; fsync off spares the disk.
run_server() {
    as_owner "$bindir/pg_ctl" -D "$base/data" -l "$base/server.log" -w -t 60 \
        -o "-c listen_addresses='${tcp_address:-}' -c unix_socket_directories='$base' \
            -c unix_socket_permissions=0700 -c port=${port:-5432} -c fsync=off \
            -c max_connections=60 ${tls_options:-}" \
        start >/dev/null
}

# A CA, a server certificate it signs for 127.0.0.1 and localhost, and a
# second CA that signs nothing here; the key readable by the server only.
make_certificates() {
    local dir=$base/tls
    mkdir -p "$dir"
    (
        cd "$dir"
        openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=rx-test-ca \
            -keyout ca.key -out ca.crt
        openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=rx-other-ca \
            -keyout other.key -out other.crt
        openssl req -newkey rsa:2048 -nodes -subj /CN=localhost -keyout server.key -out server.csr
        printf 'subjectAltName=DNS:localhost,IP:127.0.0.1\n' >san.ext
        openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial -days 2 \
            -extfile san.ext -out server.crt
    ) >"$base/tls.log" 2>&1
    chmod 0600 "$dir/server.key"
    [ "$(id -u)" -eq 0 ] && chown "$owner" "$dir/server.key" "$dir/server.crt"
    chmod 0755 "$dir"
}

free_port() {
    python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

server_processes() {
    local pm
    pm=$(head -n 1 "$base/data/postmaster.pid")
    # shellcheck disable=SC2046 # one pid a word
    echo "$pm" $(ps -o pid= --ppid "$pm")
}

read_state() {
    [ -f "$envfile" ] || { echo "pg-cluster: nothing started in $state" >&2; exit 1; }
    base=$(sed -n 's/^RX_PG_BASE=//p' "$envfile")
    owner=$(sed -n 's/^RX_PG_OWNER=//p' "$envfile")
    port=$(sed -n 's/^RX_PG_TCP_PORT=//p' "$envfile")
    [ -n "$base" ] && [ -d "$base/data" ] || { echo "pg-cluster: no cluster in $state" >&2; exit 1; }
    if [ -n "$port" ]; then tls_on; fi
}

tls_on() {
    tcp_address=127.0.0.1
    tls_options="-c ssl=on -c ssl_cert_file='$base/tls/server.crt' -c ssl_key_file='$base/tls/server.key'"
}

stop_cluster() {
    [ -f "$envfile" ] || return 0
    local base owner
    base=$(sed -n 's/^RX_PG_BASE=//p' "$envfile")
    owner=$(sed -n 's/^RX_PG_OWNER=//p' "$envfile")
    if [ -n "$base" ] && [ -d "$base/data" ]; then
        as_owner "$bindir/pg_ctl" -D "$base/data" -m fast -w stop >/dev/null 2>&1 || true
    fi
    [ -n "$base" ] && case "$base" in /tmp/rx-pg.*) rm -rf "$base" ;; esac
    rm -f "$envfile"
}

unavailable() {
    echo "pg-cluster: no PostgreSQL server could be started: $1" >&2
    if [ -n "${CI:-}" ]; then exit 1; fi
    printf 'RX_PG_UNAVAILABLE=%s\n' "$1" >"$envfile"
    exit 0
}

bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1 || true)
[ -n "$bindir" ] && [ -x "$bindir/initdb" ] || bindir=""

case "$action" in
stop)
    [ -n "$bindir" ] || { rm -f "$envfile"; exit 0; }
    stop_cluster
    ;;
start)
    [ -n "$bindir" ] || unavailable "initdb not found (Debian package postgresql)"
    stop_cluster  # one a crashed run left behind
    owner=$(id -un)
    if [ "$(id -u)" -eq 0 ]; then
        if id postgres >/dev/null 2>&1; then owner=postgres; else owner=nobody; fi
    fi
    base=$(mktemp -d /tmp/rx-pg.XXXXXX)
    chmod 0711 "$base"
    [ "$(id -u)" -eq 0 ] && chown "$owner" "$base"
    port=5432
    if [ -n "${RX_PG_TLS:-}" ]; then port=$(free_port); fi
    printf 'RX_PG_BASE=%s\nRX_PG_OWNER=%s\nPGHOST=%s\nPGPORT=%s\nPGUSER=rx\n' \
        "$base" "$owner" "$base" "$port" >"$envfile"
    if ! as_owner "$bindir/initdb" -D "$base/data" -U rx --auth=trust --encoding=UTF8 \
        --locale=C.UTF-8 >"$base/initdb.log" 2>&1; then
        reason="initdb failed: $(tail -n 1 "$base/initdb.log")"
        stop_cluster
        unavailable "$reason"
    fi
    if [ -n "${RX_PG_TLS:-}" ]; then
        make_certificates || unavailable "openssl could not make the certificates"
        tls_on
        printf 'RX_PG_TCP_PORT=%s\nRX_PG_CA=%s\nRX_PG_OTHER_CA=%s\n' \
            "$port" "$base/tls/ca.crt" "$base/tls/other.crt" >>"$envfile"
    fi
    if ! run_server; then
        reason="the server did not start: $(tail -n 1 "$base/server.log" 2>/dev/null)"
        stop_cluster
        unavailable "$reason"
    fi
    ;;
pause)
    [ -n "$bindir" ] || exit 1
    read_state
    as_owner "$bindir/pg_ctl" -D "$base/data" -m fast -w stop >/dev/null
    ;;
resume)
    [ -n "$bindir" ] || exit 1
    read_state
    run_server
    ;;
freeze | thaw)
    read_state
    # shellcheck disable=SC2046
    kill -"$([ "$action" = freeze ] && echo STOP || echo CONT)" $(server_processes)
    ;;
*) usage ;;
esac
