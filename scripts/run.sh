#!/usr/bin/env bash
# Installs everything, builds, and starts Quillstack in the current X11 session.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [ -z "${DISPLAY:-}" ]; then
  echo "Quillstack needs an X11 desktop session (DISPLAY is not set). Run this from a terminal inside your desktop session." >&2
  exit 1
fi
"$root/scripts/setup.sh"
BUILD_DIR="$root/build" "$root/scripts/build.sh" -DCMAKE_BUILD_TYPE=RelWithDebInfo
exec "$root/build/bin/quillstack" "$@"
