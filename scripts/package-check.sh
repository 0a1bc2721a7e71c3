#!/usr/bin/env bash
# Proves the Debian package on a fresh minimal Debian 12 root, as a clinic would
# meet it: apt-get install of the .deb; the driver and data source registered
# once; a doctor (`doc`, in rx-clinic) logs in under Xvfb, saves a visit, finds
# it in 处方查询 and prints it to PDF; an account outside the group cannot read
# the data; reinstall, upgrade to a higher version, remove and purge, with the
# visit still there after each. As root; the root is unpacked anew each run
# from a debootstrap made once.
#
#   scripts/package-check.sh ../rx-workstation_0.1.0_amd64.deb [WORK_DIR]
#
# Screenshots, the PDF and the log land in WORK_DIR/out (default
# /var/tmp/rx-package-check).
set -euo pipefail

deb=$(realpath "${1:?usage: scripts/package-check.sh DEB [WORK_DIR]}")
work=${2:-/var/tmp/rx-package-check}
here=$(cd "$(dirname "$0")" && pwd)
root="$work/root"
out="$work/out"
mounted=()
# shellcheck source=scripts/debian-sources.sh
. "$here/debian-sources.sh"
mirror=$(debian_mirror) || exit 1
# The names the package registers and uses, as the build's CMakeLists.txt gives them.
cmake_name() { sed -n "s/^set($1 \"\(.*\)\")\$/\1/p" "$here/../CMakeLists.txt"; }
driver_name=$(cmake_name RX_ACCESS_DRIVER_NAME)
dsn=$(cmake_name RX_ACCESS_DSN_NAME)
prescriptions=$(cmake_name RX_PRESCRIPTION_FILE)
if [ -z "$driver_name" ] || [ -z "$dsn" ] || [ -z "$prescriptions" ]; then
    echo "package-check: the names are missing from CMakeLists.txt" >&2
    exit 1
fi

# Unmounts everything this run mounted, innermost first, on every way out.
cleanup() {
    local i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}" 2>/dev/null || true
    done
}
trap cleanup EXIT
trap 'exit 130' INT TERM

mount_at() {
    local target=${*: -1}
    mount "$@"
    mounted+=("$target")
}

step() { echo "== $*"; }
fail() { echo "FAILED: $*" >&2; exit 1; }
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 HOME=/root \
    DEBIAN_FRONTEND=noninteractive "$@"; }
as_user() { in_root su - "$1" -c "$2"; }

fresh_root() {
    if [ ! -f "$work/minbase.tar" ]; then
        step "debootstrap --variant=minbase bookworm (once)"
        rm -rf "$work/base"
        debootstrap --variant=minbase bookworm "$work/base" "$mirror" >"$work/debootstrap.log"
        tar -C "$work/base" -cf "$work/minbase.tar" .
        rm -rf "$work/base"
    fi
    rm -rf "$root" "$out"
    mkdir -p "$root" "$out"
    tar -C "$root" -xf "$work/minbase.tar"
    debian_sources_list >"$root/etc/apt/sources.list"
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    # No daemon of the root starts on the host's behalf.
    printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
    chmod +x "$root/usr/sbin/policy-rc.d"
    mount_at -t proc proc "$root/proc"
    mount_at -t sysfs sysfs "$root/sys"
    mount_at --bind /dev "$root/dev"
    mount_at -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts"
    mount_at -t tmpfs tmpfs "$root/dev/shm"
    # Downloaded packages are kept between runs.
    mkdir -p "$work/apt-archives/partial"
    mount_at --bind "$work/apt-archives" "$root/var/cache/apt/archives"
}

# The same package with a higher version number, for the upgrade.
newer_package() {
    local dir="$work/newer"
    rm -rf "$dir"
    dpkg-deb -R "$deb" "$dir"
    sed -i 's/^Version: \(.*\)$/Version: \1+check1/' "$dir/DEBIAN/control"
    dpkg-deb -b --root-owner-group "$dir" "$root/tmp/rx-workstation-newer.deb" >/dev/null
    rm -rf "$dir"
}

registrations() {
    echo "driver sections: $(grep -cxF "[$driver_name]" "$root/etc/odbcinst.ini" || true)," \
        "$(grep -i '^UsageCount' "$root/etc/odbcinst.ini" || echo 'no UsageCount')," \
        "data sources: $(grep -cxF "[$dsn]" "$root/etc/odbc.ini" || true)"
}

expect_registered_once() {
    local seen
    seen=$(registrations)
    echo "   $seen"
    [ "$seen" = "driver sections: 1, UsageCount=1, data sources: 1" ] ||
        [ "$seen" = "driver sections: 1, UsageCount = 1, data sources: 1" ] ||
        fail "expected the driver and data source registered once after $1, saw: $seen"
}

visits() { in_root sqlite3 -batch -noheader "/var/lib/rx-workstation/$prescriptions" "select 姓名 from 基本资料"; }

expect_visit() {
    local seen
    seen=$(visits | tr '\n' ' ')
    echo "   visits after $1: $seen"
    [ "$seen" = "张三 " ] || fail "expected the visit of 张三 after $1, saw: $seen"
}

fresh_root
cp "$deb" "$root/tmp/$(basename "$deb")"
newer_package
step "apt-get install ./$(basename "$deb")"
in_root apt-get update -qq
in_root sh -c "cd /tmp && apt-get install -y -qq ./$(basename "$deb")" >"$out/install.log" 2>&1 ||
    { tail -30 "$out/install.log"; fail "apt-get install of the package"; }
expect_registered_once "the first install"
in_root odbcinst -q -d -n "$driver_name" >"$out/odbcinst-driver.txt"

step "test tools in the root, not the package's dependencies"
in_root apt-get install -y -qq --no-install-recommends xvfb xauth openbox xdotool x11-utils \
    x11-xserver-utils imagemagick poppler-utils sqlite3 >"$out/tools.log" 2>&1 ||
    { tail -30 "$out/tools.log"; fail "installing the test tools"; }

# x11-common makes the X servers' socket folder at boot; this root never booted.
in_root install -d -m 1777 /tmp/.X11-unix
step "accounts: doc in rx-clinic, outsider not"
in_root useradd -m -s /bin/bash -G rx-clinic doc
in_root useradd -m -s /bin/bash outsider
mkdir -p "$root/opt/check"
cp "$here/../tests/e2e/lib.sh" "$here/package-check-session.sh" "$root/opt/check/"
chmod -R a+rX "$root/opt/check"

step "doc saves a visit, finds it in 处方查询 and prints it to PDF"
as_user doc "RX_E2E_OUT=/tmp/doc-session bash /opt/check/package-check-session.sh" \
    >"$out/session.log" 2>&1 || { cat "$out/session.log"; cp -r "$root/tmp/doc-session" "$out/" || true; fail "the doctor's session"; }
cp -r "$root/tmp/doc-session/package-session" "$out/session"
cp "$root/home/doc/rx_workstation.pdf" "$out/visit.pdf"
echo "   the data folder while doc's program ran:"
sed 's/^/   /' "$out/session/data-while-running.txt"
expect_visit "the doctor's save"
in_root ls -la /var/lib/rx-workstation | tee "$out/data-folder.txt"

step "outsider reads the data folder and $prescriptions"
if as_user outsider "cat /var/lib/rx-workstation/$prescriptions >/dev/null" 2>"$out/outsider.txt"; then
    fail "expected the outsider's read of sj.accdb to fail, it succeeded"
fi
echo "   outsider: $(cat "$out/outsider.txt")"
if as_user outsider "sqlite3 /var/lib/rx-workstation/$prescriptions 'select count(*) from 基本资料'" >>"$out/outsider.txt" 2>&1; then
    fail "expected the outsider's query of sj.accdb to fail, it succeeded"
fi

step "reinstall"
in_root sh -c "cd /tmp && apt-get install -y -qq --reinstall ./$(basename "$deb")" >>"$out/install.log" 2>&1
expect_registered_once "the reinstall"
expect_visit "the reinstall"

step "upgrade to $(dpkg-deb -f "$root/tmp/rx-workstation-newer.deb" Version)"
in_root sh -c "cd /tmp && apt-get install -y -qq ./rx-workstation-newer.deb" >>"$out/install.log" 2>&1
in_root dpkg-query -W rx-workstation
expect_registered_once "the upgrade"
expect_visit "the upgrade"

step "remove"
in_root apt-get remove -y -qq rx-workstation >>"$out/install.log" 2>&1
echo "   $(registrations)"
grep -q '^\[Microsoft Access Driver' "$root/etc/odbcinst.ini" && fail "expected the driver unregistered on remove"
expect_visit "the removal"

step "purge"
in_root apt-get purge -y -qq rx-workstation 2>&1 | tee -a "$out/install.log" | grep rx-workstation || true
expect_visit "the purge"
echo "   $(registrations)"
in_root ls -la /var/lib/rx-workstation | tee "$out/data-after-purge.txt"
step "all steps passed; screenshots and logs in $out"
