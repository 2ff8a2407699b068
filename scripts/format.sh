#!/usr/bin/env bash
# Formats the C++ sources with the project's .clang-format; with --check, only reports files that
# differ and exits non-zero if there are any.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
mapfile -t files < <(git ls-files -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h')
[ ${#files[@]} -eq 0 ] && exit 0
if [ "${1:-}" = "--check" ]; then
  exec clang-format --dry-run -Werror "${files[@]}"
fi
exec clang-format -i "${files[@]}"
