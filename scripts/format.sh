#!/usr/bin/env bash
# Formats the C++ sources with the committed .clang-format, or with --check
# only reports the files that differ (CI runs that). The generated pinyin
# table keeps the generator's layout.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h' | grep -v '^forms/patient_index/pinyin_table\.cpp$')
if [ "${1:-}" = --check ]; then
    clang-format --dry-run --Werror "${files[@]}"
else
    clang-format -i "${files[@]}"
fi
