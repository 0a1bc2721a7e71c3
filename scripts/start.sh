#!/usr/bin/env bash
# Installs what is missing, builds, and starts the workstation on the bundled
# sample data (build/stage is the program directory). Only what the
# workstation needs: no database server, test or benchmark.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --run
scripts/build.sh --run
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" != offscreen ]; then
    echo "No display found: run it under Xvfb instead (Debian packages xvfb and xauth) with: xvfb-run -a -s '-screen 0 1280x1024x24' scripts/start.sh" >&2
    exit 1
fi
exec build/stage/rx_workstation
