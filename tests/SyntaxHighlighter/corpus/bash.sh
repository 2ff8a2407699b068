#!/usr/bin/env bash
# Rotates the log files of a directory, keeping the newest ones.
set -euo pipefail

readonly KEEP="${KEEP:-5}"
dir="${1:?usage: $0 DIR}"

rotate() {
    local file="$1" n
    for ((n = KEEP - 1; n >= 1; n--)); do
        if [[ -f "$file.$n.gz" ]]; then
            mv -- "$file.$n.gz" "$file.$((n + 1)).gz"
        fi
    done
    gzip -c -- "$file" > "$file.1.gz" && : > "$file"
}

count=0
while IFS= read -r -d '' log; do
    rotate "$log"
    count=$((count + 1))
done < <(find "$dir" -maxdepth 1 -name '*.log' -size +1k -print0)

case "$count" in
    0) echo "nothing to rotate in $dir" >&2 ;;
    *) printf 'rotated %d file(s), keeping %s\n' "$count" "$KEEP" ;;
esac
exit 0
