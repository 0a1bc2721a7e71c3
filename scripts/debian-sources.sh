# shellcheck shell=bash
# Sourced by the scripts that make a Debian 12 root with debootstrap: the
# archive is the one this machine's own apt sources name (its mirror, its
# proxy-reachable address), so no address is written into the repository.
#
#   . scripts/debian-sources.sh
#   mirror=$(debian_mirror) || exit 1
#   debian_sources_list >"$root/etc/apt/sources.list"

# Prints "URI SUITE" for every enabled deb entry of the one-line lists and the
# deb822 .sources files.
debian_source_entries() {
    local f
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -r "$f" ] || continue
        awk '$1 == "deb" { i = 2; if ($2 ~ /^\[/) { while ($i !~ /\]$/) i++; i++ }
                           print $i, $(i + 1) }' "$f"
    done
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -r "$f" ] || continue
        awk 'function flush(  u, s, nu, ns, a, b) {
                 if (types ~ /(^| )deb( |$)/ && enabled != "no") {
                     nu = split(uris, a, " "); ns = split(suites, b, " ")
                     for (u = 1; u <= nu; u++) for (s = 1; s <= ns; s++) print a[u], b[s]
                 }
                 types = uris = suites = enabled = ""
             }
             /^[ \t]*#/ { next }
             /^[ \t]*$/ { flush(); next }
             { key = tolower($1); sub(/^[^:]*:[ \t]*/, "") }
             key == "types:" { types = $0 } key == "uris:" { uris = $0 }
             key == "suites:" { suites = $0 } key == "enabled:" { enabled = tolower($0) }
             END { flush() }' "$f"
    done
}

# The archive that serves bookworm itself, for debootstrap.
debian_mirror() {
    local uri
    uri=$(debian_source_entries | awk '$2 == "bookworm" { print $1; exit }')
    if [ -z "$uri" ]; then
        echo "no Debian 12 (bookworm) archive in this machine's apt sources" \
            "(/etc/apt/sources.list, /etc/apt/sources.list.d/*.list, *.sources);" \
            "add one, as apt itself would use it, and run again" >&2
        return 1
    fi
    echo "${uri%/}"
}

# The root's sources.list: this machine's bookworm, -updates and -security entries.
debian_sources_list() {
    debian_source_entries |
        awk '$2 ~ /^bookworm(-updates|-security)?$/ && !seen[$0]++ { print "deb", $1, $2, "main" }'
}
