#!/bin/bash
# Fuzzes under ASan and UBSan with libFuzzer, each target for a bounded time: "config" (the
# readers of Beaconix.cfg, cfg.txt and autoexec.lfs), "receive" (LFS's byte stream through
# framing and dispatch), "chat" (whole IS_MSO packets through the chat commands) and "update"
# (whole answers of the update host). Builds (again when src/ changed) and keeps corpora under build/fuzz.
# Usage: tests/fuzz/run.sh [seconds each, default 60, 0 = no limit] [target] [libFuzzer options]
set -eu
seconds=${1:-60}; targets=${2:-config receive chat update}; shift $(($# < 2 ? $# : 2))
root=$(cd "$(dirname "$0")/../.." && pwd); out="$root/build/fuzz"
command -v clang++ >/dev/null || { echo "SKIP: clang++ is not installed"; exit 77; }
gen=${BEACONIX_GENERATED:-$root/build/native/generated}  # CMake's version header (the native build's by default)
[ -f "$gen/beaconix_version.hpp" ] || { echo "no $gen/beaconix_version.hpp: configure the native preset first"; exit 1; }
flags="-std=c++20 -g -O1 -fsanitize=address,undefined -fno-sanitize-recover=undefined -DASIO_STANDALONE -I$root/src -I$gen -I$root/tests"
if [ ! -e "$out/obj/done" ] || [ -n "$(find "$root/src" "$gen" -newer "$out/obj/done" -type f | head -1)" ]; then
  rm -rf "$out/obj" && mkdir -p "$out/obj"
  # Every portable source: a new handler is fuzzed without a change here.
  find "$root/src" -name '*.cpp' ! -path '*/win32/*' ! -name main.cpp | xargs -P2 -I{} sh -c \
    'clang++ $0 -fsanitize=fuzzer-no-link -c "$1" -o "$2/obj/$(echo "${1#*/src/}" | tr / _).o"' "$flags" {} "$out"
  touch "$out/obj/done"
fi
for t in config receive chat update; do
  [ "$out/${t}_fuzz" -nt "$out/obj/done" ] && [ "$out/${t}_fuzz" -nt "$root/tests/fuzz/${t}_fuzz.cpp" ] ||
    clang++ $flags -fsanitize=fuzzer -o "$out/${t}_fuzz" "$root/tests/fuzz/${t}_fuzz.cpp" "$out"/obj/*.o
  mkdir -p "$out/corpus-$t" && cp "$root/tests/fuzz/seeds/$t"/* "$out/corpus-$t"/  # seeds: tests/fuzz/seeds/README.md
done
version=$(sed -n 's/^#define BEACONIX_VERSION "\(.*\)"$/\1/p' "$gen/beaconix_version.hpp")
sed -i "s/@VERSION@/$version/g" "$out/corpus-update/answer"  # a refusal of this very version

for t in $targets; do
  case $t in chat) len=256 ;; update) len=1024 ;; *) len=24576 ;; esac
  # libFuzzer's own exit code for a finding is 77, which CTest would count as a skip.
  "$out/${t}_fuzz" "$out/corpus-$t" -max_total_time="$seconds" -timeout=5 -max_len=$len -print_final_stats=1 \
    -error_exitcode=1 -timeout_exitcode=1 "$@" || { echo "FAIL: the $t target found a fault (above)"; exit 1; }
done
