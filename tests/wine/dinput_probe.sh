#!/bin/sh
# Runs dinput_probe.exe under Wine: passes when DirectInput was created and
# enumeration of game controllers (any number, zero included) worked.
# Usage: dinput_probe.sh path/to/dinput_probe.exe
# Exit 77 (skipped) when Wine is not installed.
exe=$1
if [ -z "$exe" ] || [ ! -f "$exe" ]; then
  echo "$exe not built: skipped (build the windows preset first)"
  exit 77
fi
command -v wine >/dev/null 2>&1 || { echo "wine not found: skipped"; exit 77; }

export WINEDEBUG=-all
# No Mono/Gecko install prompts in a fresh prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ -z "$WINEPREFIX" ]; then
  WINEPREFIX=$(mktemp -d /tmp/beaconix-wine.XXXXXX) || exit 1
  export WINEPREFIX
  trap 'wineserver -k >/dev/null 2>&1; rm -rf "$WINEPREFIX"' EXIT
fi

out=$(timeout 180 wine "$exe" 2>/dev/null </dev/null)
rc=$?
printf '%s\n' "$out"
if [ $rc -ne 0 ]; then
  echo "dinput_probe exited with $rc" >&2
  exit 1
fi
printf '%s\n' "$out" | grep -q '^DirectInput: created' || { echo "no DirectInput" >&2; exit 1; }
printf '%s\n' "$out" | grep -Eq '^Controllers: [0-9]+' || { echo "no enumeration" >&2; exit 1; }
exit 0
