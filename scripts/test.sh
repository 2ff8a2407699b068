#!/usr/bin/env bash
# Installs everything, checks the floors of the includes, builds, and runs the whole test suite
# inside a private X11 + D-Bus session, then builds and runs the library and storage tests again
# under ASan/UBSan.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs="${QS_JOBS:-$(nproc)}"

"$root/scripts/setup.sh"

echo "== floors"
"$root/scripts/check-floors.sh"

echo "== build"
BUILD_DIR="$root/build" "$root/scripts/build.sh" -DCMAKE_BUILD_TYPE=RelWithDebInfo

echo "== tests"
status=0
normal_status=0
"$root/scripts/with-test-session.sh" \
  ctest --test-dir "$root/build" --output-on-failure --parallel "$jobs" --timeout 300 || normal_status=$?
status=$normal_status

echo "== sanitizer build and tests (ASan + UBSan)"
BUILD_DIR="$root/build-asan" QS_BUILD_TARGET=sanitize-tests "$root/scripts/build.sh" \
  -DCMAKE_BUILD_TYPE=Debug -DQS_SANITIZE=ON -DQS_BUILD_BENCHMARKS=OFF
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/tests/support/lsan.supp"
"$root/scripts/with-test-session.sh" \
  ctest --test-dir "$root/build-asan" -L sanitize --output-on-failure --parallel "$jobs" --timeout 600 \
  || status=$?

# The sanitizer pass prints last, so a failure of the normal pass would scroll out of sight: name the
# failed tests again at the very end and run them once more, alone, with their output.
if [ "$normal_status" -ne 0 ]; then
  echo "== failed in the normal pass"
  cat "$root/build/Testing/Temporary/LastTestsFailed.log" 2>/dev/null || true
  echo "== the same tests run again, one at a time (the result above stands)"
  "$root/scripts/with-test-session.sh" \
    ctest --test-dir "$root/build" --rerun-failed --output-on-failure --timeout 300 || true
fi

exit $status
