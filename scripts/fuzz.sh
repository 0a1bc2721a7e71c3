#!/usr/bin/env bash
# Builds the four fuzzers with clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz/, then runs each for SECONDS
# (default 60) from its committed corpus with its dictionary. Fails on any
# finding; the input that caused it lands in build-fuzz/findings/, to be added
# to the target's corpus folder once fixed.
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "-DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
    >/dev/null
cmake --build build-fuzz --target statement_fuzzer connection_text_fuzzer gb18030_fuzzer grd_fuzzer

findings=build-fuzz/findings
mkdir -p "$findings"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/grd"
cp templates/*.grd "$work/grd/"

fuzz() {  # NAME BINARY DICTIONARY CORPUS... [libFuzzer options]
    local name=$1 binary=$2 dict=$3 rc=0
    shift 3
    mkdir -p "$work/$name.new"
    QT_QPA_PLATFORM=offscreen "$binary" -max_total_time="$seconds" -dict="$dict" \
        -artifact_prefix="$findings/$name-" -print_final_stats=1 "$work/$name.new" "$@" \
        >"$work/$name.log" 2>&1 || rc=$?
    echo "== $name: ${seconds} s, exit $rc, $(grep -h 'stat::number_of_executed_units' "$work/$name.log")"
    [ $rc -eq 0 ] || tail -n 40 "$work/$name.log"
    return $rc
}

status=0
fuzz statement build-fuzz/tests/fuzz/statement_fuzzer tests/fuzz/statement.dict \
    tests/fuzz/corpus/statement || status=1
fuzz connection_text build-fuzz/tests/fuzz/connection_text_fuzzer tests/fuzz/connection_text.dict \
    tests/fuzz/corpus/connection_text || status=1
fuzz gb18030 build-fuzz/tests/fuzz/gb18030_fuzzer tests/fuzz/gb18030.dict \
    tests/fuzz/corpus/gb18030 || status=1
fuzz grd build-fuzz/tests/platform_grid/grd_fuzzer tests/fuzz/grd.dict "$work/grd" \
    -max_len=8192 || status=1
exit $status
