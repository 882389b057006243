#!/usr/bin/env bash
# Drives the real Windows build with real keystrokes (the default keys, then a key bound
# through the screens): Xvfb, a stand-in LFS window with the focus, xdotool key presses,
# Beaconix.exe under Wine against the simulated host. When a tool or the build is missing:
# exit 77 (skipped), or 1 under CI, where a Windows build that was never run must not pass.
# Usage: keys_test.sh <windows build folder> <wineprefix>
set -u
dir=$1
prefix=$2
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
cannot_run() {
  case "${CI:-false}" in false|0|"") echo "SKIP: $1"; exit 77 ;; esac
  echo "FAIL: $1; under CI the Windows program must be tested" >&2; exit 1
}
for tool in wine Xvfb xdotool node; do command -v "$tool" >/dev/null 2>&1 || cannot_run "no $tool (see tools/setup.sh)"; done
for exe in Beaconix.exe lfs_window.exe; do [ -f "$dir/$exe" ] || cannot_run "$dir/$exe is not built"; done

. "$root/tools/xvfb.sh"
trap 'kill ${xvfb_pid:-} 2>/dev/null' EXIT
start_xvfb || exit 1

export LFS_WINDOW_EXE="$dir/lfs_window.exe"
# One file at a time: they share the display, the window and the keyboard.
status=0
for f in wine-keys wine-bind; do node "$root/tests/e2e/run.mjs" wine "$dir/Beaconix.exe" "$prefix" -- "$root/tests/e2e/$f.e2e.mjs" || status=1; done
exit $status
