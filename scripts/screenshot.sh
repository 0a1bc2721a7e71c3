#!/usr/bin/env bash
# Starts the built workstation under Xvfb, waits for its window, optionally
# types into it, and writes a PNG of the screen.
#   scripts/screenshot.sh OUT.png [xdotool key/type commands...]
# e.g. scripts/screenshot.sh login.png
#      scripts/screenshot.sh entry.png "type 794" "key Return" "type 794" "key Return"
set -euo pipefail
cd "$(dirname "$0")/.."
# xdotool types the texts as UTF-8 whatever locale the caller had.
export LC_ALL=C.UTF-8
out="$(realpath -m "${1:-shot.png}")"
shift || true
exe="$PWD/build/stage/rx_workstation"
[ -x "$exe" ] || { echo "Build first: scripts/build.sh" >&2; exit 1; }

inner=$(mktemp)
trap 'rm -f "$inner"' EXIT
cat >"$inner" <<'INNER'
set -u
exe=$1; out=$2; shift 2
"$exe" & pid=$!
for _ in $(seq 100); do
    xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1 && break
    sleep 0.1
done
sleep 1
# The program's windows take the keyboard themselves, window manager or not.
for cmd in "$@"; do
    # shellcheck disable=SC2086
    xdotool $cmd; sleep 0.6
done
sleep 0.5
import -window root "$out"
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
exit 0
INNER
xvfb-run -a -s '-screen 0 1280x1024x24' bash "$inner" "$exe" "$out" "$@"
echo "wrote $out"
