#!/usr/bin/env bash
# Builds and runs every benchmark inside the private test session (Xvfb + window manager + session
# D-Bus). Extra arguments go to each benchmark program (for example --benchmark_filter=Startup).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
BUILD_DIR="$build" QS_BUILD_TARGET=benchmarks "$root/scripts/build.sh" -DCMAKE_BUILD_TYPE=RelWithDebInfo
mapfile -t programs < <(grep -v '^$' "$build/benchmarks.txt")
status=0
for program in "${programs[@]}"; do
  echo "== $(basename "$program")"
  "$root/scripts/with-test-session.sh" "$program" "$@" || status=$?
done
exit $status
