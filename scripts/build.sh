#!/usr/bin/env bash
# Configures and builds Quillstack into build/ (or the folder given as BUILD_DIR).
# Extra arguments go to the CMake configure step.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
jobs="${QS_JOBS:-$(nproc)}"
# Every clean clone builds from a new folder: ccache keys paths relative to the clone, so a fresh
# clone at another place still finds what an earlier build compiled.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}"
export CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"
cmake -S "$root" -B "$build" -G Ninja "$@" >/dev/null
cmake --build "$build" --parallel "$jobs" ${QS_BUILD_TARGET:+--target "$QS_BUILD_TARGET"}
