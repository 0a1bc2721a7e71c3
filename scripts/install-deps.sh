#!/usr/bin/env bash
# Installs every Debian package the project needs that is not there yet.
#   scripts/install-deps.sh         # everything: the workstation, its tests and benchmarks
#   scripts/install-deps.sh --run   # only what building and running the workstation needs
# Works as root; uses sudo otherwise. Nothing else is ever downloaded.
set -euo pipefail

packages=(
    build-essential g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libqt6printsupport6 libgl-dev libxcb1-dev
    unixodbc unixodbc-dev odbcinst
    libsqlite3-dev sqlite3 libpq-dev postgresql
    libgtest-dev libgmock-dev libbenchmark-dev clang-format
    fonts-noto-cjk fontconfig
    xvfb xauth imagemagick xdotool poppler-utils
    openbox x11-utils x11-xserver-utils qt6-translations-l10n python3-pyodbc
)

# --run: the toolchain, libraries, fonts and translations of the workstation
# alone; no database server, test framework or test tool.
if [ "${1:-}" = --run ]; then
    packages=(
        build-essential g++ cmake ninja-build pkg-config
        qt6-base-dev qt6-base-dev-tools libqt6printsupport6 libgl-dev libxcb1-dev
        unixodbc unixodbc-dev odbcinst libsqlite3-dev libpq-dev
        fonts-noto-cjk fontconfig qt6-translations-l10n
    )
fi

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
