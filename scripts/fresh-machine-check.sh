#!/usr/bin/env bash
# Proves the README's two commands on a minimal Debian 12 made from nothing:
#   scripts/fresh-machine-check.sh [REPO [REF [OUT]]]
# REPO: the repository to clone (default: the one this script lies in);
# REF: the commit or branch to check out (default: its HEAD); OUT: where the
# logs, figures and screenshot go (default: ./fresh-check-<time>).
#
# In a temporary folder: debootstrap --variant=minbase bookworm, git and
# ca-certificates added, the repository cloned to /root/rx_workstation. Then,
# each with an empty environment (no LANG) as root:
#   1. scripts/start.sh without a display: what it installs and builds, its
#      wall time and disk use; it ends with its "No display found" hint;
#   2. scripts/test.sh: the whole suite;
#   3. xvfb-run -a -s '-screen 0 1280x1024x24' scripts/start.sh, then
#      "794 Enter 794 Enter" typed by xdotool and a screenshot.
# RX_FRESH_SKIP_TESTS=1 leaves out step 2; RX_FRESH_KEEP=1 keeps the root.
# Root only; needs debootstrap. Takes half an hour or more. Not part of CI.
# Services are kept from starting inside the root (policy-rc.d), as in any
# build chroot, so the postgresql package's own cluster stays down.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
repo=$(cd "${1:-$here}" && pwd)
ref=${2:-HEAD}
out=${3:-fresh-check-$(date -u +%Y%m%d-%H%M%S)}
out=$(mkdir -p "$out" && cd "$out" && pwd)
# shellcheck source=scripts/debian-sources.sh
. "$here/scripts/debian-sources.sh"
mirror=$(debian_mirror) || exit 1
[ "$(id -u)" -eq 0 ] || { echo "fresh-machine-check: run as root" >&2; exit 1; }
command -v debootstrap >/dev/null || { echo "fresh-machine-check: needs debootstrap" >&2; exit 1; }
commit=$(git -C "$repo" rev-parse --verify "$ref^{commit}")
source_git=$(cd "$repo" && cd "$(git rev-parse --git-common-dir)" && pwd)

work=$(mktemp -d /var/tmp/rx-fresh.XXXXXX)
root="$work/root"
mounted=()
log() { echo "[$(date -u +%H:%M:%S)] $*" | tee -a "$out/check.log" >&2; }

in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root "$@"; }

mount_in_root() {  # mount_in_root TARGET MOUNT-ARGS...
    local target="$root$1"; shift
    mkdir -p "$target"
    mount "$@" "$target"
    mounted+=("$target")
}

# Ends every process inside the root, then unmounts in reverse order; the
# folder goes only once nothing is mounted in it any more.
cleanup() {
    local status=$? pid i
    set +e
    for pid in /proc/[0-9]*; do
        [ "$(readlink "$pid/root" 2>/dev/null)" = "$root" ] && kill -9 "${pid#/proc/}" 2>/dev/null
    done
    sleep 1
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}"
    done
    if grep -q " ${root}[/ ]" /proc/self/mounts; then
        log "still mounted under $root; left in place"
    elif [ -z "${RX_FRESH_KEEP:-}" ]; then
        rm -rf "$work"
    fi
    log "finished with status $status; results in $out"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

make_root() {
    log "debootstrap into $root"
    debootstrap --variant=minbase bookworm "$root" "$mirror" >"$out/debootstrap.log" 2>&1
    # The archive is reached the way this machine reaches it (proxy, mirror settings).
    grep -l '^Acquire::' /etc/apt/apt.conf.d/* 2>/dev/null | xargs -r cp -t "$root/etc/apt/apt.conf.d/"
    debian_sources_list >"$root/etc/apt/sources.list"
    printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
    chmod +x "$root/usr/sbin/policy-rc.d"
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    # What the installer would have written besides.
    [ -e "$root/etc/hosts" ] || printf '127.0.0.1\tlocalhost\n::1\t\tlocalhost\n' >"$root/etc/hosts"
    mount_in_root /proc -t proc proc
    mount_in_root /sys -t sysfs sysfs
    mount_in_root /dev --bind /dev
    mount_in_root /dev/pts --bind /dev/pts
    mount_in_root /dev/shm -t tmpfs -o mode=1777 tmpfs
    mount_in_root /run -t tmpfs -o mode=755 tmpfs
    mount_in_root /mnt/source.git --bind -o ro "$source_git"
    mount -o remount,bind,ro "$root/mnt/source.git"
    log "adding git and ca-certificates"
    in_root sh -c 'apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq git ca-certificates' \
        >"$out/base-packages.log" 2>&1
    in_root git clone -q /mnt/source.git /root/rx_workstation
    in_root git -C /root/rx_workstation checkout -q --detach "$commit"
    # The source is on this machine's disk: gone before anything is measured.
    umount "$root/mnt/source.git"
    unset 'mounted[-1]'
    log "cloned $commit"
}

root_megabytes() { du -sxm "$root" | cut -f1; }

# 1. The start command where nothing is installed, without a display.
check_start() {
    local before t0 status=0
    before=$(root_megabytes)
    t0=$(date +%s)
    in_root bash -c 'cd /root/rx_workstation && scripts/start.sh' >"$out/start.log" 2>&1 || status=$?
    {
        echo "start.sh exit status: $status (1 with the no-display hint is expected)"
        echo "start.sh wall time: $(($(date +%s) - t0)) s"
        echo "disk used by start.sh: $(($(root_megabytes) - before)) MB" \
            "(of it downloaded packages in /var/cache/apt/archives: $(du -sm "$root/var/cache/apt/archives" | cut -f1) MB)"
        echo "build/ after start.sh: $(du -sm "$root/root/rx_workstation/build" | cut -f1) MB"
        echo "postgresql installed: $(in_root dpkg-query -W -f='${Status}' postgresql 2>/dev/null || echo no)"
        echo "test or benchmark objects built: $(find "$root/root/rx_workstation/build" -name '*.o' -path '*/tests/*' -o -name '*.o' -path '*/bench/*' | wc -l)"
        echo "objects built: $(find "$root/root/rx_workstation/build" -name '*.o' | wc -l)"
    } | tee "$out/start-figures.txt"
    grep -q 'No display found' "$out/start.log"
}

# 2. The test command with an empty environment.
check_tests() {
    local t0 status=0
    t0=$(date +%s)
    in_root bash -c 'cd /root/rx_workstation && scripts/test.sh' >"$out/test.log" 2>&1 || status=$?
    {
        echo "test.sh exit status: $status"
        echo "test.sh wall time: $(($(date +%s) - t0)) s"
        grep -E 'tests passed|tests failed out of' "$out/test.log" | tail -n 1
        echo "skipped: $(grep -c '\*\*\*Skipped' "$out/test.log" || true)"
        echo "failed:"; sed -n '/The following tests FAILED/,$p' "$out/test.log"
    } | tee "$out/test-figures.txt"
    return "$status"
}

# The display and authority file of the Xvfb that xvfb-run started in the root.
xvfb_of_root() {
    local p args i
    for p in /proc/[0-9]*; do
        [ "$(cat "$p/comm" 2>/dev/null)" = Xvfb ] && [ "$(readlink "$p/root")" = "$root" ] || continue
        mapfile -d '' -t args <"$p/cmdline"
        for ((i = 1; i < ${#args[@]}; i++)); do
            case "${args[i]}" in
            :[0-9]*) echo "DISPLAY=${args[i]}" ;;
            -auth) echo "XAUTHORITY=${args[i + 1]}" ;;
            esac
        done
        return 0
    done
    return 1
}

# 3. The start command under plain xvfb-run (no window manager), logged in by
# keyboard. Xvfb and xauth are what the README asks for; xdotool, imagemagick
# and x11-utils are this check's own tools (test.sh has installed them all).
check_keyboard_login() {
    local i w step
    local -a xenv=()
    in_root sh -c 'DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends xvfb xauth xdotool imagemagick x11-utils' \
        >"$out/x-tools.log" 2>&1
    in_root bash -c 'cd /root/rx_workstation && exec xvfb-run -a -s "-screen 0 1280x1024x24" scripts/start.sh' \
        >"$out/xvfb-start.log" 2>&1 &
    for ((i = 0; i < 120; i++)); do
        mapfile -t xenv < <(xvfb_of_root || true)
        [ ${#xenv[@]} -eq 2 ] && break
        sleep 1
    done
    [ ${#xenv[@]} -eq 2 ] || { log "xvfb-run started no X server"; return 1; }
    xenv+=(LC_ALL=C.UTF-8)
    log "the workstation runs on ${xenv[*]}"
    # The title is compared whole: xdotool's --name pattern misses it here.
    for ((i = 0; i < 300; i++)); do
        for w in $(in_root "${xenv[@]}" xdotool search --onlyvisible --name '.' 2>/dev/null); do
            [ "$(in_root "${xenv[@]}" xdotool getwindowname "$w")" = 门诊处方登陆 ] && break 2
        done
        sleep 1
    done
    sleep 2
    in_root "${xenv[@]}" import -window root /tmp/login.png
    # One xdotool per step: "type" takes every word after it as text.
    for step in "type 794" "key Return" "type 794" "key Return"; do
        # shellcheck disable=SC2086
        in_root "${xenv[@]}" xdotool $step
        sleep 0.5
    done
    sleep 5
    in_root "${xenv[@]}" import -window root /tmp/after-login.png
    {
        echo "windows after 794 Enter 794 Enter:"
        for w in $(in_root "${xenv[@]}" xdotool search --onlyvisible --name '.*' 2>/dev/null); do
            echo "  $(in_root "${xenv[@]}" xwininfo -id "$w" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')" \
                "\"$(in_root "${xenv[@]}" xdotool getwindowname "$w")\""
        done
        echo "keyboard focus: \"$(in_root "${xenv[@]}" xdotool getwindowfocus -f getwindowname 2>/dev/null)\""
    } | tee "$out/login-figures.txt"
    cp "$root/tmp/login.png" "$root/tmp/after-login.png" "$out/"
}

t_all=$(date +%s)
log "checking $repo at $commit; results in $out"
make_root
check_start || log "start.sh did not end with the no-display hint: see $out/start.log"
if [ -z "${RX_FRESH_SKIP_TESTS:-}" ]; then
    check_tests || log "test.sh failed: see $out/test.log"
fi
check_keyboard_login || log "the keyboard login could not be checked"
log "wall time of the whole check: $(($(date +%s) - t_all)) s"
