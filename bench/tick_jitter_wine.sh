#!/bin/bash
# The tick loop's timing under Wine: build/windows/tick_jitter.exe (the same
# source as the native bench/tick_jitter) in a private prefix.
# Usage: bench/tick_jitter_wine.sh [seconds, default 30] [compare]   (exit 77: skipped)
here=$(cd "$(dirname "$0")" && pwd)
exe="$here/../build/windows/tick_jitter.exe"
[ -f "$exe" ] || { echo "$exe not built: skipped (build the Windows program first)"; exit 77; }
. "$here/wine_prefix.sh"
bench_wine_start || exit $?
trap bench_wine_stop EXIT
timeout $(( ${1:-30} * 2 + 60 )) wine "$exe" "${1:-30}" ${2:+"$2"} </dev/null 2>/dev/null | tr -d '\r'
