#!/bin/sh
# Runs a Windows probe under Wine in its own folder (so that file arguments
# may be names beside it) and passes when the probe exits with 0:
# dinput_probe.exe when DirectInput was created and enumeration of game
# controllers (any number, zero included) worked; version_probe.exe when an
# exe's resources are what they should be.
# Usage: probe.sh path/to/probe.exe [arguments...]
# Without Wine or the exe: exit 77 (skipped), or 1 under CI, where a Windows
# build that was never run must not pass for a tested one.
exe=$1
shift
cannot_run() {
  case "${CI:-false}" in false|0|"") echo "SKIP: $1"; exit 77 ;; esac
  echo "FAIL: $1; under CI the Windows program must be tested" >&2; exit 1
}
[ -n "$exe" ] && [ -f "$exe" ] || cannot_run "$exe is not built (build the windows preset first)"
command -v wine >/dev/null 2>&1 || cannot_run "wine is not installed (tools/setup.sh installs it)"
for f in "$@"; do case $f in *.exe) [ -f "$(dirname "$exe")/$f" ] || cannot_run "$f is not built" ;; esac; done

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono/Gecko prompts in a fresh prefix
if [ -z "$WINEPREFIX" ]; then
  WINEPREFIX=$(mktemp -d /tmp/beaconix-wine.XXXXXX) || exit 1
  export WINEPREFIX
  trap 'wineserver -k >/dev/null 2>&1; rm -rf "$WINEPREFIX"' EXIT
fi
cd "$(dirname "$exe")" || exit 1
timeout 180 wine "./$(basename "$exe")" "$@" 2>/dev/null </dev/null
rc=$?
[ $rc -eq 0 ] || { echo "$(basename "$exe") exited with $rc" >&2; exit 1; }
