#!/usr/bin/env bash
# The include graph runs one way: every #include "..." of the tracked C++
# sources is checked against the layers below, and each include that runs back
# up is printed as FILE:LINE: FROM -> TO. Exits 1 when there is any; CTest runs
# it as include_graph.
#
# Top folders: a folder may include itself and the folders listed for it.
# Inside a folder with an order, a subfolder may include itself and the
# subfolders before it (its files at the folder's top count as the subfolder
# "."). Subfolders joined by "|" share a rank and never include each other
# (the driver's two stores). A subfolder missing from its order is reported
# too, so the lists stay whole. Nothing under platform/ or tools/ reaches
# drivers/: neither lists it. To change a rule, change these tables. CTest runs
# this as include_graph; it is the one include check of the tree.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A may_include=(
    [platform]="platform"
    [drivers]="platform drivers"
    [db]="platform db"
    [forms]="platform db forms"
    [app]="platform db forms app resources"
    [tools]="platform db tools"
    [bench]="platform db forms tools drivers bench tests"
    [tests]="platform db forms app tools drivers tests"
)
# Lowest first.
declare -A order=(
    [platform]="names text access_values odbc host ui grid program"
    [drivers/access_sqlite]="common sql sqlite|server odbc ."
    [forms]="print slip_print patient_index query_print query entry login"
)

# The subfolder of dir that path lies in ("." for a file at dir's top).
subfolder() {
    local rest=${2#"$1"/}
    [[ $rest == */* ]] && echo "${rest%%/*}" || echo .
}

rank() {  # rank ORDER NAME: index in the list (peers "a|b" share one), or -1
    local i=0 w
    for w in $1; do
        [[ "|$w|" == *"|$2|"* ]] && { echo $i; return; }
        i=$((i + 1))
    done
    echo -1
}

# Prints a complaint for from -> to, or nothing.
judge() {
    local from=$1 to=$2 top=${1%%/*} totop=${2%%/*} dir f t rf rt
    [[ " ${may_include[$top]:-} " == *" $totop "* ]] || { echo "$top may not include $totop"; return; }
    for dir in "${!order[@]}"; do
        [[ $from == "$dir"/* && $to == "$dir"/* ]] || continue
        f=$(subfolder "$dir" "$from")
        t=$(subfolder "$dir" "$to")
        [ "$f" = "$t" ] && continue
        rf=$(rank "${order[$dir]}" "$f")
        rt=$(rank "${order[$dir]}" "$t")
        if [ "$rf" -lt 0 ] || [ "$rt" -lt 0 ]; then
            echo "$dir/$([ "$rf" -lt 0 ] && echo "$f" || echo "$t") is not in the order of $dir"
        elif [ "$rt" -gt "$rf" ]; then
            echo "$dir/$f may not include $dir/$t"
        elif [ "$rt" -eq "$rf" ]; then
            echo "$dir/$f and $dir/$t are peers and may not include each other"
        fi
    done
}

# The tracked sources, or every source when this is no git checkout.
sources() {
    if git rev-parse --git-dir >/dev/null 2>&1; then
        git ls-files -- '*.cpp' '*.h' '*.in'
    else
        find "${!may_include[@]}" -name '*.cpp' -o -name '*.h' -o -name '*.in'
    fi
}

found=0
while IFS=: read -r file line target; do
    [[ $file == */* ]] || continue
    why=$(judge "$file" "$target")
    if [ -n "$why" ]; then
        echo "$file:$line: $file -> $target ($why)"
        found=$((found + 1))
    fi
done < <(sources |
    xargs -d '\n' grep -Hn -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]+/[^"]+"' |
    sed -E 's/^([^:]+):([0-9]+):[^"]*"([^"]+)".*/\1:\2:\3/')
echo "include-check: $found include(s) running back up"
[ "$found" -eq 0 ]
