#!/bin/bash
# Every connection-layer figure in one run (about 2 minutes), then a summary.
#   1. receive path: bench/recv_path (both size units), node-insim on the same bytes
#   2. for 60 s: an idle connected program natively and under Wine, while the
#      tick loop's timing is taken natively and then under Wine (30 s each)
# Usage: bench/run_all.sh [seconds of the idle window, default 60]
# Needs build/native (cmake --preset native; builds the bench targets if
# missing) and, for the Wine rows, build/windows. RESULT lines go to
# $BENCH_OUT (default: a temp file, kept and named at the end).
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
idle=${1:-60}
jitter=30
work=$(mktemp -d /tmp/bnx-bench.XXXXXX)
out=${BENCH_OUT:-$work/results.txt}
: >"$out"

native="$root/build/native"
if [ ! -x "$native/bench/recv_path" ] || [ ! -x "$native/bench/tick_jitter" ] || [ ! -x "$native/beaconix" ]; then
  [ -d "$native" ] || cmake --preset native -S "$root" >/dev/null
  cmake --build "$native" -j2 --target beaconix recv_path tick_jitter >/dev/null || exit 1
fi
[ -d "$root/tools/fake-lfs/node_modules" ] || npm ci --prefix "$root/tools/fake-lfs" >/dev/null 2>&1

echo "== receive path" >&2
"$native/bench/recv_path" 1.5 "$work/stream-" | tee -a "$out" >&2
for unit in 1 4; do
  pps=$(awk -v u="unit=$unit" '$2=="recv_dispatch_socket" && $3==u {sub("pps=","",$4); print $4}' "$out")
  BEACONIX_PPS=$pps node "$here/recv_node.mjs" "$work/stream-unit$unit.bin" "$unit" 1.5 | tee -a "$out" >&2
done

echo "== idle program ${idle}s (native, Wine) with tick timing ${jitter}s (native, then Wine)" >&2
"$here/idle_cpu.sh" native "$idle" >"$work/idle-native.txt" 2>&1 &
idle_native=$!
BENCH_WINEPREFIX=${BENCH_WINEPREFIX:-/tmp/beaconix-bench-wine} \
  "$here/idle_cpu.sh" wine "$idle" >"$work/idle-wine.txt" 2>&1 &
idle_wine=$!
"$native/bench/tick_jitter" "$jitter" | sed 's/tick_jitter/tick_jitter_native/' | tee -a "$out" >&2
BENCH_WINEPREFIX=${BENCH_JITTER_WINEPREFIX:-/tmp/beaconix-bench-wine-jitter} \
  "$here/tick_jitter_wine.sh" "$jitter" 2>&1 | sed 's/tick_jitter/tick_jitter_wine/' | tee -a "$out" >&2
wait "$idle_native" "$idle_wine"
cat "$work/idle-native.txt" "$work/idle-wine.txt" | tee -a "$out" >&2

# Summary: one row per figure.
field() { awk -v k="$1" -v f="$2" -v u="${3:-}" '
  $1=="RESULT" && $2==k && (u=="" || $3==u) { for (i = 3; i <= NF; i++) { split($i, kv, "="); if (kv[1]==f) { print kv[2]; exit } } }' "$out"; }
row() { printf '%-46s %s\n' "$1" "$2"; }
echo
row "measure" "figure"
row "-------" "------"
for u in 1 4; do
  row "recv+dispatch over loopback, unit $u" "$(field recv_dispatch_socket pps unit=$u) pkt/s, $(field recv_dispatch_socket MBps unit=$u) MB/s, $(field recv_dispatch_socket allocs_per_packet unit=$u) allocs/pkt, $(field recv_dispatch_socket warn_lines_per_packet unit=$u) WARN lines/pkt"
  row "  RecvPacket alone over loopback" "$(field recv_only_socket pps unit=$u) pkt/s, $(field recv_only_socket allocs_per_packet unit=$u) allocs/pkt"
  row "  DispatchPacket alone, in memory" "$(field dispatch_only_memory pps unit=$u) pkt/s, $(field dispatch_only_memory allocs_per_packet unit=$u) allocs/pkt"
  row "  recv+dispatch, WARN lines flushed to a file" "$(field recv_dispatch_socket_console pps unit=$u) pkt/s"
  row "  node-insim over loopback" "$(field node_loopback pps unit=$u) pkt/s (in memory: $(field node_memory pps unit=$u))"
  row "  Beaconix / node-insim" "$(field ratio_loopback beaconix_over_node unit=$u)x over loopback, $(field ratio_vs_node_memory beaconix_over_node unit=$u)x vs node-insim in memory"
done
for m in native wine; do
  row "tick period deviation, $m, ${jitter}s" "p50 $(field tick_jitter_$m p50) ms, p99 $(field tick_jitter_$m p99) ms, max $(field tick_jitter_$m max) ms"
  row "  start vs deadline (negative: early)" "$(awk '$2=="tick_jitter_'$m'"{for(i=1;i<=NF;i++) if($i=="late_ms"){print $(i+1), $(i+2), $(i+3), $(i+4)}}' "$out"), early starts $(field tick_jitter_$m early_starts), drift $(field tick_jitter_$m drift_ms) ms"
done
row "idle connected, native, ${idle}s" "$(field idle_cpu cpu_pct mode=native) % of a core, VmRSS $(field idle_cpu rss_kb mode=native) kB, VmHWM $(field idle_cpu hwm_kb mode=native) kB, $(field idle_cpu packets_sent mode=native) packets sent"
row "idle connected, Wine, ${idle}s" "$(field idle_cpu cpu_pct mode=wine) % of a core ($(field idle_cpu with_wineserver_cpu_pct mode=wine) % with wineserver), VmRSS $(field idle_cpu rss_kb mode=wine) kB, VmHWM $(field idle_cpu hwm_kb mode=wine) kB"
echo
echo "RESULT lines: $out"
