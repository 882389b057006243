#!/usr/bin/env bash
# Builds Beaconix four ways and runs every test: the Windows exe (its tests run
# it under Wine), the native build (unit and end-to-end tests), the native
# build under AddressSanitizer and UndefinedBehaviorSanitizer (unit and
# end-to-end tests), and the threaded unit tests under ThreadSanitizer.
# Under CI (CI=true) a Wine test that cannot run fails.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
log=$(mktemp)
trap 'rm -f "$log"' EXIT

cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"

cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs" | tee "$log"

# The unit tests and the whole program against the simulated host
# (e2e_native), under the sanitizers.
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset asan -j "$jobs" -LE wine | tee -a "$log"

# Where threads meet (the stop's switch-off and a click, the receive and tick
# threads, the stop request), the unit tests once more under ThreadSanitizer.
cmake --preset tsan >/dev/null
cmake --build --preset tsan -j "$jobs"
ctest --preset tsan -j "$jobs" | tee -a "$log"

# One closing line over all runs (ctest lists skipped tests after its summary).
awk '/tests passed, [0-9]+ tests? failed out of/ { total += $NF; failed += $4 } /\(Skipped\)$/ { skipped++ }
  END { printf "tests: %d passed, %d failed, %d skipped\n", total - failed - skipped, failed, skipped }' "$log"
