#!/usr/bin/env bash
# Configures and builds build/ with the default preset, or with --run the
# workstation alone (no test or benchmark). Extra arguments go to cmake --build.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=default
if [ "${1:-}" = --run ]; then preset=run; shift; fi
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" "$@"
