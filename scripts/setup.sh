#!/usr/bin/env bash
# Installs everything Quillstack needs to build, run and test on Debian 12: the Debian packages in
# scripts/apt-packages.txt and the pinned npm packages of package-lock.json. Safe to run again.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

mapfile -t packages < <(grep -v -E '^\s*(#|$)' "$root/scripts/apt-packages.txt")
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
# Node.js and npm: the Debian packages unless a Node.js with npm is already installed.
if ! command -v npm >/dev/null 2>&1; then
  missing+=(nodejs npm)
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# highlight.js, pinned by package-lock.json; only reinstalled when the lock file changed.
stamp="$root/node_modules/.quillstack-lock"
if [ ! -f "$stamp" ] || ! cmp -s "$root/package-lock.json" "$stamp"; then
  (cd "$root" && npm ci --no-audit --no-fund --loglevel=error)
  cp "$root/package-lock.json" "$stamp"
fi
