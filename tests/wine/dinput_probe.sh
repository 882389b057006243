#!/bin/sh
# Runs dinput_probe.exe under Wine: passes when DirectInput was created and
# enumeration of game controllers (any number, zero included) worked.
# Usage: dinput_probe.sh path/to/dinput_probe.exe
# Without Wine or the exe: exit 77 (skipped), or 1 under CI, where a Windows
# build that was never run must not pass for a tested one.
exe=$1
cannot_run() {
  case "${CI:-false}" in false|0|"") echo "SKIP: $1"; exit 77 ;; esac
  echo "FAIL: $1; under CI the Windows program must be tested" >&2; exit 1
}
[ -n "$exe" ] && [ -f "$exe" ] || cannot_run "$exe is not built (build the windows preset first)"
command -v wine >/dev/null 2>&1 || cannot_run "wine is not installed (tools/setup.sh installs it)"

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono/Gecko prompts in a fresh prefix
if [ -z "$WINEPREFIX" ]; then
  WINEPREFIX=$(mktemp -d /tmp/beaconix-wine.XXXXXX) || exit 1
  export WINEPREFIX
  trap 'wineserver -k >/dev/null 2>&1; rm -rf "$WINEPREFIX"' EXIT
fi
out=$(timeout 180 wine "$exe" 2>/dev/null </dev/null)
rc=$?
printf '%s\n' "$out"
[ $rc -eq 0 ] || { echo "dinput_probe exited with $rc" >&2; exit 1; }
printf '%s\n' "$out" | grep -q '^DirectInput: created' || { echo "no DirectInput" >&2; exit 1; }
