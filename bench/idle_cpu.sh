#!/bin/bash
# CPU time and memory of an idle, connected Beaconix against the simulated
# LFS host (tools/fake-lfs), read from /proc: utime+stime over the window as a
# share of one core, VmRSS and VmHWM at its end.
# Usage: bench/idle_cpu.sh native|wine [seconds, default 60]   (exit 77: skipped)
# Under Wine it also reports the program plus its wineserver, which does part
# of the program's waiting for it (Wine's service processes are not counted).
set -u
here=$(cd "$(dirname "$0")" && pwd)
root="$here/.."
mode=${1:-native}
seconds=${2:-60}
hz=$(getconf CLK_TCK)

case "$mode" in
  native) exe="$root/build/native/beaconix"; cmd=("$exe") ;;
  wine) exe="$root/build/windows/Beaconix.exe"; cmd=(wine "$exe") ;;
  *) echo "usage: $0 native|wine [seconds]" >&2; exit 2 ;;
esac
[ -f "$exe" ] || { echo "$exe not built: skipped"; exit 77; }
[ -d "$root/tools/fake-lfs/node_modules" ] || npm ci --prefix "$root/tools/fake-lfs" >/dev/null 2>&1
if [ "$mode" = wine ]; then
  . "$here/wine_prefix.sh"
  bench_wine_start || exit $?
fi

dir=$(mktemp -d /tmp/bnx-idle.XXXXXX)
host_pid=""; app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  [ -n "$host_pid" ] && kill "$host_pid" 2>/dev/null
  [ "$mode" = wine ] && bench_wine_stop
  wait 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT

# The host's stdin stays open (it takes control lines there) until we end it.
mkfifo "$dir/host.in" "$dir/app.in"
node "$root/tools/fake-lfs/fake-lfs.mjs" --log "$dir/lfs.jsonl" <"$dir/host.in" >"$dir/host.out" 2>&1 &
host_pid=$!
exec 7>"$dir/host.in"
for _ in $(seq 100); do grep -q '^listening' "$dir/host.out" 2>/dev/null && break; sleep 0.1; done
port=$(sed -n 's/^listening \([0-9]*\)$/\1/p' "$dir/host.out")
[ -n "$port" ] || { echo "fake-lfs did not start" >&2; exit 1; }
mkdir -p "$dir/data/script"
printf '/insim %s\n' "$port" >"$dir/data/script/autoexec.lfs"

(cd "$dir" && exec "${cmd[@]}" <"$dir/app.in" >"$dir/app.out" 2>"$dir/app.err") &
app_pid=$!
exec 8>"$dir/app.in"

# Connected once the version is accepted (after the switch to InSim 9).
limit=$([ "$mode" = wine ] && echo 600 || echo 100)
for _ in $(seq "$limit"); do grep -q 'InSim Version: ' "$dir/app.out" 2>/dev/null && break; sleep 0.1; done
grep -q 'InSim Version: ' "$dir/app.out" || { echo "not connected:"; cat "$dir/app.out" "$dir/app.err"; exit 1; } >&2
sleep 1

# Under Wine `wine` execs its loader, so the pid we started is the program's.
ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0; }

packets_before=$(grep -c '"dir":"recv"' "$dir/lfs.jsonl")
t0=$(date +%s.%N)
a0=$(ticks "$app_pid")
if [ "$mode" = wine ]; then w0=$(ticks "$BENCH_WINESERVER_PID"); fi
sleep "$seconds"
t1=$(date +%s.%N)
a1=$(ticks "$app_pid")
if [ "$mode" = wine ]; then w1=$(ticks "$BENCH_WINESERVER_PID"); fi
packets=$(( $(grep -c '"dir":"recv"' "$dir/lfs.jsonl") - packets_before ))
rss=$(awk '/^VmRSS/{print $2}' "/proc/$app_pid/status")
hwm=$(awk '/^VmHWM/{print $2}' "/proc/$app_pid/status")
threads=$(awk '/^Threads/{print $2}' "/proc/$app_pid/status")
kill -0 "$app_pid" 2>/dev/null || { echo "the program ended during the window" >&2; exit 1; }

pct() { awk -v t="$1" -v hz="$hz" -v a="$t0" -v b="$t1" 'BEGIN{printf "%.3f", 100 * t / hz / (b - a)}'; }
line="RESULT idle_cpu mode=$mode seconds=$seconds cpu_pct=$(pct $((a1 - a0))) rss_kb=$rss hwm_kb=$hwm threads=$threads packets_sent=$packets"
if [ "$mode" = wine ]; then
  line="$line wineserver_cpu_pct=$(pct $((w1 - w0))) with_wineserver_cpu_pct=$(pct $((a1 - a0 + w1 - w0)))"
fi
echo "$line"
