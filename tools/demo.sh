#!/usr/bin/env bash
# A half-minute drive with the real Windows program: Beaconix.exe under Wine,
# inside a virtual X display, against the simulated LFS host, with real key
# presses into a stand-in "Live for Speed" window, then clicks through the
# configuration screens and a chat command. Prints the console and what crossed
# the wire, and leaves a timeline picture and the screens in build/demo/.
# Without Wine, Xvfb or xdotool it says so and runs the native build instead
# (connect and screens only: that build has no keyboard).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
[ -d tools/fake-lfs/node_modules ] || npm ci --prefix tools/fake-lfs --no-audit --no-fund --loglevel=error

missing=""
for tool in wine Xvfb xdotool x86_64-w64-mingw32-g++-posix; do
  command -v "$tool" >/dev/null 2>&1 || missing="$missing $tool"
done
if [ -n "$missing" ]; then
  echo "demo: no$missing here, so no real key presses: running the native build (connect and screens only)."
  cmake --preset native >/dev/null
  cmake --build --preset native --target beaconix -j "$jobs" >/dev/null
  exec node tools/demo/drive.mjs native build/native/beaconix
fi

cmake --preset windows >/dev/null
cmake --build --preset windows --target beaconix lfs_window -j "$jobs" >/dev/null
. tools/xvfb.sh
trap 'kill ${xvfb_pid:-} 2>/dev/null || true; wineserver -k >/dev/null 2>&1 || true' EXIT
start_xvfb || exit 1

# Wine's desktop process starts with the prefix's first program and keeps the
# display it found then: boot the prefix inside the virtual display.
prefix=build/tmp/wineprefix
mkdir -p "$prefix"
export WINEPREFIX=$PWD/$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineserver -k >/dev/null 2>&1 || true
[ -f "$prefix/system.reg" ] || echo "demo: creating a Wine prefix (once, about 10 s)"
timeout 180 wine wineboot -i >/dev/null 2>&1 </dev/null || true
node tools/demo/drive.mjs wine build/windows/Beaconix.exe build/windows/lfs_window.exe "$prefix"
