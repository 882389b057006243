#!/usr/bin/env bash
# The release as a player gets it, and the same to the byte when built again:
# runs tools/release.sh in this checkout, checks the zip, then runs it again,
# later, in a copy of the checkout at another path and compares the zips.
# Usage: release_test.sh <version>. Without MinGW-w64: exit 77 (skipped), or 1
# under CI.
set -uo pipefail
version=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
name=Beaconix-$version-win64
command -v x86_64-w64-mingw32-g++-posix >/dev/null || case "${CI:-false}" in
  false|0|"") echo "SKIP: no MinGW-w64 (tools/setup.sh installs it)"; exit 77 ;;
  *) echo "FAIL: no MinGW-w64; under CI the release must be built" >&2; exit 1 ;;
esac
work=$(mktemp -d /tmp/beaconix-release.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# Uncommitted changes are what is being tested; both builds take one time.
SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct) && export SOURCE_DATE_EPOCH
"$root/tools/release.sh" --allow-dirty >"$work/first.log" 2>&1 || { cat "$work/first.log"; fail "release.sh"; }
one=$root/build/release

entries=$(cd "$one" && cmake -E tar tf "$name.zip" | tr '\n' ' ')
[ "$entries" = "Beaconix.exe CHANGES.txt LICENSE.txt README.txt " ] || fail "entries of $name.zip: $entries"
mkdir "$work/unpacked" && (cd "$work/unpacked" && cmake -E tar xf "$one/$name.zip") || fail "unpacking"
for f in README.txt LICENSE.txt CHANGES.txt; do
  LC_ALL=C grep -n -v $'\r$' "$work/unpacked/$f" | head -3 | grep . && fail "$f: lines without CR LF"
  LC_ALL=C grep -n $'[^\t\r -~]' "$work/unpacked/$f" | head -3 | grep . && fail "$f: not plain ASCII"
  grep -n '@[A-Z_]*@' "$work/unpacked/$f" && fail "$f: a placeholder is left"
done
grep -q "^Version $version, the player guide" "$work/unpacked/README.txt" || fail "README.txt does not name $version"
grep -q "^MIT License" "$work/unpacked/LICENSE.txt" || fail "LICENSE.txt is not the licence"
cmp "$work/unpacked/Beaconix.exe" "$one/windows/Beaconix.exe" || fail "the zip's exe is not the one built"
(cd "$one" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS"
! LC_ALL=C grep -q -a -F "$root" "$one/windows/Beaconix.exe" || fail "the exe holds the build path $root"

# The same files at another path (tracked and new ones, as they are now).
copy=$work/elsewhere/a/longer/path/Beaconix
mkdir -p "$copy"
(cd "$root" && git ls-files -z --cached --others --exclude-standard |
  while IFS= read -r -d '' f; do [ -e "$f" ] && cp -d --parents "$f" "$copy/"; done)
"$copy/tools/release.sh" --allow-dirty >"$work/second.log" 2>&1 || { cat "$work/second.log"; fail "release.sh in $copy"; }
two=$copy/build/release
if ! cmp -s "$one/$name.zip" "$two/$name.zip"; then
  echo "the two builds differ:"
  diff "$one/SHA256SUMS" "$two/SHA256SUMS"
  cmp -l "$one/windows/Beaconix.exe" "$two/windows/Beaconix.exe" | head -5
  fail "$name.zip is not the same when built in $copy"
fi
echo "same to the byte: $(cut -d' ' -f1 <"$two/SHA256SUMS" | head -1)  $name.zip"
