#!/bin/sh
# Fuzzes the readers of Beaconix.cfg, cfg.txt and autoexec.lfs with libFuzzer
# for a bounded time. Usage: tests/fuzz/run.sh [seconds, default 60]
# The build and the corpus live under build/fuzz; nothing else is touched.
set -eu
seconds=${1:-60}
root=$(cd "$(dirname "$0")/../.." && pwd)
out="$root/build/fuzz"
mkdir -p "$out/corpus"
src="$root/src"
clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$src" -o "$out/config_fuzz" "$root/tests/fuzz/config_fuzz.cpp" \
  "$src"/config/*.cpp "$src/app/lfs_setup.cpp" "$src/input/functions.cpp" "$src/input/keys.cpp" \
  "$src/input/bindings.cpp" "$src/input/controllers.cpp"

# A few seeds, one per target byte.
seed() { printf "$2" > "$out/corpus/$1"; }
seed cfg0 '\000v:1\nm:1\nM:1\nc:0\nl:2\no:0:1\no:7:1\no:8:1\nk:lights:34\nk:siren:33\nb:haz:{6F1D2B61-D5A0-11CF-BFC7-444553540000}:UGFk:3\np:flash:{AB-1}::1:90\n'
seed cfg1 '\001v:1\r\nm:6\r\no:3\r\n# c\r\nk:lights:34\r\n'
seed line2 '\002b:haz:{A-1}:UGFk==:3'
seed lfs3 '\003Game Admin pw\n\001/echo x\n/insim=29999\n'
seed lfs3b '\003\001/insim 123456\n'

exec "$out/config_fuzz" "$out/corpus" -max_total_time="$seconds" -timeout=5 -max_len=12000 -print_final_stats=1
