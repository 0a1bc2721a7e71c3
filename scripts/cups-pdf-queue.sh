#!/usr/bin/env bash
# A private CUPS with one PDF queue for the printing tests, from Debian's cups
# and printer-driver-cups-pdf. Its cupsd has its own configuration, spool, log
# and state folders in a fresh folder under /tmp and listens on a Unix socket
# there only; the machine's own cupsd, if any, is not touched. The queue
# "rxpdf" is that server's default destination and turns every job into a PDF
# file in the folder named by RX_CUPS_OUT.
#
#   scripts/cups-pdf-queue.sh start STATE   # starts it; STATE/cups.env says where it is
#   scripts/cups-pdf-queue.sh stop STATE    # stops it and removes its folder
#   . STATE/cups.env                        # CUPS_SERVER and RX_CUPS_OUT for clients
#
# cups-pdf reads its settings from /etc/cups/cups-pdf-<queue>.conf only, and the
# backend runs only under a root cupsd; so start writes that one file, named
# after this server's own folder, and stop removes it. Without root, start
# leaves RX_CUPS_UNAVAILABLE in cups.env so that the printing tests skip; with
# CI set it fails.
set -euo pipefail

usage() { echo "usage: $0 start|stop STATE_DIR" >&2; exit 2; }
[ $# -eq 2 ] || usage
action=$1
state=$(mkdir -p "$2" && cd "$2" && pwd)
envfile="$state/cups.env"

unavailable() {
    echo "cups-pdf-queue: no private CUPS could be started: $1" >&2
    if [ -n "${CI:-}" ]; then exit 1; fi
    printf 'RX_CUPS_UNAVAILABLE=%s\n' "$1" >"$envfile"
    exit 0
}

stop_server() {
    [ -f "$envfile" ] || return 0
    local base pid conf
    base=$(sed -n 's/^RX_CUPS_BASE=//p' "$envfile")
    pid=$(sed -n 's/^RX_CUPS_PID=//p' "$envfile")
    conf=$(sed -n 's/^RX_CUPS_PDF_CONF=//p' "$envfile")
    if [ -n "$pid" ] && kill "$pid" 2>/dev/null; then
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    fi
    case "$conf" in /etc/cups/cups-pdf-rx_*.conf) rm -f "$conf" ;; esac
    case "$base" in /tmp/rx-cups.*) rm -rf "$base" ;; esac
    rm -f "$envfile"
}

write_config() {
    cat >"$base/etc/cups-files.conf" <<CONF
ServerRoot $base/etc
RequestRoot $base/spool
TempDir $base/spool/tmp
CacheDir $base/cache
StateDir $base/state
ErrorLog $base/log/error_log
AccessLog $base/log/access_log
PageLog $base/log/page_log
Printcap $base/printcap
ServerBin /usr/lib/cups
DataDir /usr/share/cups
Sandboxing Relaxed
CONF
    cat >"$base/etc/cupsd.conf" <<CONF
Listen $base/cups.sock
LogLevel info
Browsing Off
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
CONF
    cat >"$conf" <<CONF
Out $base/out
AnonDirName $base/out
Spool $base/pdf-spool
Log $base/log
GSTmp $base/spool/tmp
UserPrefix
Grp root
CONF
}

start_server() {
    stop_server
    [ "$(id -u)" -eq 0 ] || unavailable "needs root for the cups-pdf backend"
    command -v cupsd >/dev/null && [ -x /usr/lib/cups/backend/cups-pdf ] ||
        unavailable "cups or printer-driver-cups-pdf is not installed"
    base=$(mktemp -d /tmp/rx-cups.XXXXXX)
    chmod 755 "$base"
    mkdir -p "$base"/{etc,spool/tmp,cache,state,log,out,pdf-spool}
    chmod 1777 "$base/spool/tmp" "$base/out"
    local id="rx_${base##*.}"
    conf="/etc/cups/cups-pdf-$id.conf"
    write_config
    setsid cupsd -f -c "$base/etc/cupsd.conf" -s "$base/etc/cups-files.conf" \
        </dev/null >>"$base/log/cupsd.out" 2>&1 &
    local pid=$!
    printf 'RX_CUPS_BASE=%s\nRX_CUPS_PID=%s\nRX_CUPS_PDF_CONF=%s\n' "$base" "$pid" "$conf" >"$envfile"
    for _ in $(seq 100); do [ -S "$base/cups.sock" ] && break; sleep 0.1; done
    [ -S "$base/cups.sock" ] || { cat "$base/log/error_log" >&2 || true; unavailable "cupsd did not start"; }
    export CUPS_SERVER="$base/cups.sock"
    # pdftocairo keeps the text of TrueType faces on the way to PostScript;
    # the Ghostscript route turns Chinese into unsearchable Type 3 glyphs.
    lpadmin -p rxpdf -E -v "cups-pdf:/$id" -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd \
        -o pdftops-renderer-default=pdftocairo 2>/dev/null
    lpadmin -d rxpdf
    printf 'CUPS_SERVER=%s\nRX_CUPS_OUT=%s\n' "$base/cups.sock" "$base/out" >>"$envfile"
}

case "$action" in
start) start_server ;;
stop) stop_server ;;
*) usage ;;
esac
