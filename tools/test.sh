#!/usr/bin/env bash
# Builds Beaconix three ways and runs every test: the Windows exe (its tests run
# it under Wine), the native build (unit and end-to-end tests), and the native
# build under AddressSanitizer and UndefinedBehaviorSanitizer (unit tests).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"

cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"

cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset asan -j "$jobs" -LE e2e
# The whole program under the sanitizers, against the simulated host.
node tests/e2e/run.mjs native build/asan/beaconix
