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
flags="-std=c++20 -g -O1 -fsanitize=address,undefined -fno-sanitize-recover=undefined -DASIO_STANDALONE -I$root/src -I$root/tests"
if [ ! -e "$out/obj/done" ] || [ -n "$(find "$root/src" -newer "$out/obj/done" -type f | head -1)" ]; then
  rm -rf "$out/obj" && mkdir -p "$out/obj"
  # Every portable source: a new handler is fuzzed without a change here.
  find "$root/src" -name '*.cpp' ! -path '*/win32/*' ! -name main.cpp | xargs -P2 -I{} sh -c \
    'clang++ $0 -fsanitize=fuzzer-no-link -c "$1" -o "$2/obj/$(echo "${1#*/src/}" | tr / _).o"' "$flags" {} "$out"
  touch "$out/obj/done"
fi
for t in config receive chat update; do
  [ "$out/${t}_fuzz" -nt "$out/obj/done" ] && [ "$out/${t}_fuzz" -nt "$root/tests/fuzz/${t}_fuzz.cpp" ] ||
    clang++ $flags -fsanitize=fuzzer -o "$out/${t}_fuzz" "$root/tests/fuzz/${t}_fuzz.cpp" "$out"/obj/*.o
done

seed() { mkdir -p "$out/corpus-$1"; printf '%b' "$3" > "$out/corpus-$1/$2"; }
z() { printf '%0*d' $(($1 * 2)) 0; }  # n zero bytes in hex, for the receive seeds below
# Config: one seed per target byte.
seed config cfg0 '\000v:1\nm:1\nM:1\nc:0\nl:2\no:0:1\no:7:1\no:8:1\nk:lights:34\nk:siren:33\nb:haz:{6F1D2B61-D5A0-11CF-BFC7-444553540000}:UGFk:3\np:flash:{AB-1}::1:90\n'
seed config cfg1 '\001v:1\r\nm:6\r\no:3\r\n# c\r\nk:lights:34\r\n'
seed config line2 '\002b:haz:{A-1}:UGFk==:3'
seed config lfs3 '\003Game Admin pw\n\001/echo x\n/insim=29999\n'
seed config lfs3b '\003\001/insim 123456\n'
# Receive: IS_VER in both units, then one packet of each type (whole and dripped), a Size of 0.
all="05020100302e3746$(z 4)5333$(z 4)090007050100$(z 24)0e120007$(z 52)13150003070000005e315b636f705d5e374e616d65\
$(z 55)091400075b544f575d2078$(z 25)022a0002$(z 4)050b0000070003002f6f20626e7820636667$(z 2)022e0107$(z 4)02040000\
$(z 4)0103010401030000"
for s in ver8:0014020100302e3746$(z 4)5333$(z 4)080004030000 all9:03$all drip9:07$all zero:010103000000030000; do
  seed receive "${s%%:*}" "$(sed 's/../\\x&/g' <<<"${s#*:}")"
done

# Chat: a print and a lights mode behind a player name; update: a refusal beside a newer version.
seed chat print '\042\013\000\000\000\000\003\000bnx print a^b\000'
seed chat lights '\042\013\000\000\000\000\003\011Player : BNX lightsmode 2\000'
seed update answer 'Beaconix-LatestVersion:2.5\r\nBeaconix-DoNotUseVersion:2.4\nBeaconix-LatestCV::1\n'

for t in $targets; do
  case $t in chat) len=256 ;; update) len=1024 ;; *) len=24576 ;; esac
  "$out/${t}_fuzz" "$out/corpus-$t" -max_total_time="$seconds" -timeout=5 -max_len=$len -print_final_stats=1 "$@"
done
