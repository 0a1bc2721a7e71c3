#!/usr/bin/env bash
# Installs every Debian package the project needs that is not there yet.
#   scripts/install-deps.sh         # everything: the workstation, its tests and benchmarks
#   scripts/install-deps.sh --run   # only what building and running the workstation needs
# Works as root; uses sudo otherwise. Nothing else is ever downloaded.
set -euo pipefail

# What building and running the workstation needs: the toolchain, libraries,
# fonts and translations; no database server, test framework or test tool.
run_packages=(
    build-essential g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libqt6printsupport6 libgl-dev libxcb1-dev
    unixodbc unixodbc-dev odbcinst libsqlite3-dev libpq-dev
    # rxdb import-access reads old Access files with mdbtools' libmdb
    mdbtools-dev
    # Xlib decodes a host frame's COMPOUND_TEXT title; XInput 2 clicks on blocked windows
    libx11-dev libxcb-xinput-dev
    fonts-noto-cjk fontconfig qt6-translations-l10n
    # The Song face with SimSun's metrics, and the TrueType Latin face printed pages use
    fonts-arphic-uming fonts-dejavu-core
)

# What the tests and benchmarks need on top.
test_packages=(
    sqlite3 postgresql
    libgtest-dev libgmock-dev libbenchmark-dev clang-format
    xvfb xauth imagemagick xdotool poppler-utils
    openbox x11-utils x11-xserver-utils python3-pyodbc
    # the TLS test's throwaway CA and server certificate (scripts/pg-cluster.sh)
    openssl
    # A private CUPS with a PDF queue for the printing tests
    cups printer-driver-cups-pdf
    # The crash tests' random I/O faults; the fuzzers' compiler and libFuzzer.
    libfiu-dev fiu-utils clang libclang-rt-dev
    # Chinese input end to end: fcitx5's pinyin engine and Qt 6 frontend on a D-Bus session
    fcitx5 fcitx5-chinese-addons fcitx5-frontend-qt6 dbus-daemon dbus-bin
)

packages=("${run_packages[@]}")
[ "${1:-}" = --run ] || packages+=("${test_packages[@]}")

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
    as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
