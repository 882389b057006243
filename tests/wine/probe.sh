#!/bin/sh
# Usage: probe.sh path/to/probe.exe [args...]: runs a Windows probe (such as
# dinput_probe.exe or version_probe.exe) under Wine in its own folder, so that
# file arguments are names beside it, and passes when it exits with 0. Without
# Wine or the exe: 77 (skipped), or 1 under CI, where an untested Windows build
# must not pass.
exe=$1
shift
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
cd "$(dirname "$exe")" || exit 1
timeout 180 wine "./$(basename "$exe")" "$@" 2>/dev/null </dev/null || { echo "$(basename "$exe") exited with $?" >&2; exit 1; }
