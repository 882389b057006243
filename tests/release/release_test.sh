#!/usr/bin/env bash
# Runs tools/release.sh here and checks what a downloader and a maintainer get;
# then, in a git checkout of this tree, committed, at another path, sees it
# refuse what is not committed and a checkout git will not read, builds there
# and compares the zips byte for byte.
# Usage: release_test.sh <version>. Without MinGW-w64: 77 (skipped), 1 under CI.
set -uo pipefail
version=$1 root=$(cd "$(dirname "$0")/../.." && pwd)
name=Beaconix-$version-win64 one=$root/build/release work=$(mktemp -d /tmp/beaconix-release.XXXXXX)
trap 'rm -rf "$work"' EXIT; fail() { echo "FAIL: $*" >&2; exit 1; }
command -v x86_64-w64-mingw32-g++-posix >/dev/null || { [ "${CI:-false}" = true ] && fail "no MinGW-w64 under CI"; echo "SKIP: no MinGW-w64"; exit 77; }
SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct) && export SOURCE_DATE_EPOCH  # both builds: the tree as it is
"$root/tools/release.sh" --allow-dirty >"$work/log" 2>&1 || { cat "$work/log"; fail "release.sh"; }

# A downloader: the zip and SHA256SUMS alone in a folder.
mkdir "$work/download" && cp "$one/$name.zip" "$one/SHA256SUMS" "$work/download/" && cd "$work/download" &&
  sha256sum -c SHA256SUMS || fail "sha256sum -c SHA256SUMS beside the zip alone"
[ "$(cmake -E tar tf "$name.zip" | tr '\n' ' ')" = "Beaconix-CHANGES.txt Beaconix-LICENSE.txt Beaconix-README.txt Beaconix.exe " ] ||
  fail "the entries of $name.zip"
mkdir "$work/zip" && cd "$work/zip" && cmake -E tar xf "$work/download/$name.zip" &&
  sha256sum --quiet -c "$one/$name-contents.sha256" || fail "unpacking, or $name-contents.sha256"
for f in Beaconix-*.txt; do
  ! LC_ALL=C grep -n -m3 -v $'\r$' $f || fail "$f: lines without CR LF"
  ! LC_ALL=C grep -n -m3 -e $'[^\t\r -~]' -e '@[A-Z_]*@' $f || fail "$f: not plain ASCII, or a placeholder left"
done
grep -q "^Version $version, the player guide" Beaconix-README.txt && grep -q "^MIT License" Beaconix-LICENSE.txt &&
  grep -q "^$version (20[0-9][0-9]-[01][0-9]-[0-3][0-9])"$'\r$' Beaconix-CHANGES.txt || fail "the texts' first lines"
# A maintainer: the exe with symbols is the player's before stripping; what built it.
SOURCE_DATE_EPOCH=0 x86_64-w64-mingw32-strip --strip-all -o "$work/stripped.exe" "$one/$name-unstripped.exe" &&
  cmp Beaconix.exe "$work/stripped.exe" && x86_64-w64-mingw32-nm "$one/$name-unstripped.exe" | grep ' T main$' >/dev/null ||
  fail "$name-unstripped.exe is not Beaconix.exe with its symbols"
! LC_ALL=C grep -l -a -F "$root" Beaconix.exe "$one/$name-unstripped.exe" || fail "the build path $root in an exe"
grep -qE '^commit: +[0-9a-f]{40}' "$one/$name-build-info.txt" &&
  [ "$(grep -cE '^(compiler|binutils|mingw-w64|cmake): .*[0-9]' "$one/$name-build-info.txt")" = 4 ] ||
  { cat "$one/$name-build-info.txt"; fail "$name-build-info.txt"; }

# The tree as it is, committed in a checkout elsewhere; git's own settings only.
export GIT_CONFIG_NOSYSTEM=1 GIT_CONFIG_GLOBAL=/dev/null
copy=$work/elsewhere/a/longer/path/Beaconix
mkdir -p "$copy" && cd "$root" && git ls-files -z --cached --others --exclude-standard |
  while IFS= read -r -d '' f; do [ ! -e "$f" ] || cp -d --parents "$f" "$copy/"; done
cd "$copy" && git -c init.defaultBranch=main init -q && git add -A &&
  git -c user.name=test -c user.email=test@localhost commit -q -m release || fail "committing in $copy"
refused() {  # <what> <what release.sh must say>
  "$copy/tools/release.sh" >"$work/log" 2>&1
  [ $? = 1 ] && grep -q "$2" "$work/log" || { cat "$work/log"; fail "release.sh did not refuse $1"; }
}
mkdir src/app/build && echo 'int stray;' >src/app/build/stray.cpp && refused "an ignored source" '^!! src/app/build/$'
rm -r src/app/build && echo >>CHANGES.txt && refused "an uncommitted change" '^ M CHANGES.txt$'
git checkout -q CHANGES.txt && GIT_TEST_ASSUME_DIFFERENT_OWNER=1 refused "another user's checkout" 'dubious ownership'
"$copy/tools/release.sh" >"$work/log" 2>&1 || { cat "$work/log"; fail "release.sh in $copy"; }
cmp -s "$one/$name.zip" "$copy/build/release/$name.zip" ||
  { diff "$one/SHA256SUMS" "$copy/build/release/SHA256SUMS"; fail "$name.zip built in $copy differs"; }
echo "same to the byte: $(cat "$one/SHA256SUMS")"
