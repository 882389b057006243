#!/usr/bin/env bash
# Runs tools/release.sh here and checks the zip, then again, later, in a copy of
# this checkout at another path, and compares the zips byte for byte.
# Usage: release_test.sh <version>. Without MinGW-w64: 77 (skipped), 1 under CI.
set -uo pipefail
version=$1 root=$(cd "$(dirname "$0")/../.." && pwd)
name=Beaconix-$version-win64 one=$root/build/release work=$(mktemp -d /tmp/beaconix-release.XXXXXX)
trap 'rm -rf "$work"' EXIT; fail() { echo "FAIL: $*" >&2; exit 1; }
command -v x86_64-w64-mingw32-g++-posix >/dev/null || { [ "${CI:-false}" = true ] && fail "no MinGW-w64 under CI"; echo "SKIP: no MinGW-w64"; exit 77; }
SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct) && export SOURCE_DATE_EPOCH  # both builds: the tree as it is
"$root/tools/release.sh" --allow-dirty >"$work/log" 2>&1 || { cat "$work/log"; fail "release.sh"; }

[ "$(cd "$one" && cmake -E tar tf "$name.zip" | tr '\n' ' ')" = "Beaconix.exe CHANGES.txt LICENSE.txt README.txt " ] ||
  fail "the entries of $name.zip"
mkdir "$work/zip" && cd "$work/zip" && cmake -E tar xf "$one/$name.zip" || fail "unpacking"
for f in README.txt LICENSE.txt CHANGES.txt; do
  ! LC_ALL=C grep -n -m3 -v $'\r$' $f || fail "$f: lines without CR LF"
  ! LC_ALL=C grep -n -m3 -e $'[^\t\r -~]' -e '@[A-Z_]*@' $f || fail "$f: not plain ASCII, or a placeholder left"
done
grep -q "^Version $version, the player guide" README.txt && grep -q "^MIT License" LICENSE.txt || fail "README.txt, LICENSE.txt"
cmp Beaconix.exe "$one/windows/Beaconix.exe" && (cd "$one" && sha256sum --quiet -c SHA256SUMS) || fail "exe or SHA256SUMS"
! LC_ALL=C grep -q -a -F "$root" Beaconix.exe || fail "the exe holds the build path $root"

copy=$work/elsewhere/a/longer/path/Beaconix
mkdir -p "$copy" && cd "$root" && git ls-files -z --cached --others --exclude-standard |
  while IFS= read -r -d '' f; do [ ! -e "$f" ] || cp -d --parents "$f" "$copy/"; done
"$copy/tools/release.sh" --allow-dirty >"$work/log" 2>&1 || { cat "$work/log"; fail "release.sh in $copy"; }
cmp -s "$one/$name.zip" "$copy/build/release/$name.zip" ||
  { diff "$one/SHA256SUMS" "$copy/build/release/SHA256SUMS"; fail "$name.zip built in $copy differs"; }
echo "same to the byte: $(head -1 "$one/SHA256SUMS")"
