#!/usr/bin/env bash
# The long run of the crash test: 1 000 SIGKILLs of a writer saving visits
# with synchronous commits, then lost rows, the file's integrity and the save
# latency (median and 99th percentile, from the writer's own log).
#   bench/reliability/crash_kills.sh [KILLS]      (after scripts/build.sh)
set -euo pipefail
cd "$(dirname "$0")/../.."
kills=${1:-1000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export RX_CRASH_KILLS=$kills RX_CRASH_KEEP="$work"
build/tests/reliability/reliability_tests --gtest_filter=CrashSafety.EveryAcknowledgedSaveSurvivesSigkillInTheMainFileAlone --gtest_brief=1
log="$work/acknowledged.log"
saves=$(wc -l <"$log")
sort -n -k2 "$log" | awk -v n="$saves" -v kills="$kills" '
    { us[NR] = $2 }
    END {
        printf "kills %d, acknowledged saves %d, lost 0 (the test above checks it), integrity ok\n", kills, n
        printf "save latency: median %.2f ms, p99 %.2f ms\n", us[int(n * 0.5) + 1] / 1000, us[int(n * 0.99) + 1] / 1000
    }'
