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
#   . STATE/pg.env                      # PGHOST, PGPORT, PGUSER for psql and libpq
#
# Where no server can be started, start leaves RX_PG_UNAVAILABLE in pg.env and
# succeeds, so that the tests that need a server skip; with CI set it fails.
set -euo pipefail

usage() { echo "usage: $0 start|stop|pause|resume STATE_DIR" >&2; exit 2; }
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
        -o "-c listen_addresses='' -c unix_socket_directories='$base' \
            -c unix_socket_permissions=0700 -c port=5432 -c fsync=off -c max_connections=60" \
        start >/dev/null
}

read_state() {
    [ -f "$envfile" ] || { echo "pg-cluster: nothing started in $state" >&2; exit 1; }
    base=$(sed -n 's/^RX_PG_BASE=//p' "$envfile")
    owner=$(sed -n 's/^RX_PG_OWNER=//p' "$envfile")
    [ -n "$base" ] && [ -d "$base/data" ] || { echo "pg-cluster: no cluster in $state" >&2; exit 1; }
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
    printf 'RX_PG_BASE=%s\nRX_PG_OWNER=%s\nPGHOST=%s\nPGPORT=5432\nPGUSER=rx\n' \
        "$base" "$owner" "$base" >"$envfile"
    if ! as_owner "$bindir/initdb" -D "$base/data" -U rx --auth=trust --encoding=UTF8 \
        --locale=C.UTF-8 >"$base/initdb.log" 2>&1; then
        reason="initdb failed: $(tail -n 1 "$base/initdb.log")"
        stop_cluster
        unavailable "$reason"
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
*) usage ;;
esac
