#!/usr/bin/env bash
# The driver's folders in layers: an include may reach its own folder or one
# below it, never one above, and the two stores never reach each other. The
# library below the driver and rxdb include nothing of the driver.
set -euo pipefail
cd "${1:-$(dirname "$0")/../..}"
rank() {
    case "$1" in
        common) echo 0 ;; sql) echo 1 ;; sqlite | server) echo 2 ;; odbc) echo 3 ;; *) echo 9 ;;
    esac
}
faults=0
while IFS=: read -r file _ line; do
    from=$(echo "$file" | cut -d/ -f3)
    to=$(echo "$line" | sed -E 's#.*"drivers/access_sqlite/([^/]+)/.*#\1#')
    if [ "$from" != "$to" ] && [ "$(rank "$to")" -ge "$(rank "$from")" ]; then
        echo "$file reaches up or across to $to/: $line"
        faults=$((faults + 1))
    fi
done < <(grep -rn '#include "drivers/access_sqlite/' drivers/access_sqlite --include='*.cpp' --include='*.h')
if grep -rn '#include "drivers/' platform/access_values tools; then
    faults=$((faults + 1))
fi
[ "$faults" -eq 0 ]
