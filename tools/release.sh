#!/usr/bin/env bash
# Makes what a player downloads, from this checkout: builds the windows preset
# in a folder of its own (build/release/windows) and leaves in build/release/
#   Beaconix-<version>-win64.zip  Beaconix.exe, README.txt (the player guide),
#                                 LICENSE.txt and CHANGES.txt, texts in CR LF
#   Beaconix-<version>-win64/     the same files, unpacked
#   SHA256SUMS                    the hashes of all of them, also printed
# The same commit gives the same bytes wherever it is checked out and whenever
# it is built: no build path or link time in the exe, every time in the zip
# from the last commit (SOURCE_DATE_EPOCH, unless it is set), the entries in a
# fixed order, fixed modes and no owner.
# Usage: tools/release.sh [--allow-dirty]
#   A checkout with uncommitted changes is refused, unless --allow-dirty is
#   given (a trial build, or the tests); outside git, set SOURCE_DATE_EPOCH.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
case "${1:-}" in
  --allow-dirty) dirty_ok=true ;;
  "") dirty_ok=false ;;
  *) echo "usage: tools/release.sh [--allow-dirty]" >&2; exit 2 ;;
esac

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  if [ -n "$(git status --porcelain)" ] && ! $dirty_ok; then
    echo "release.sh: the checkout has uncommitted changes (commit them, or give --allow-dirty for a trial):" >&2
    git status --short >&2
    exit 1
  fi
  : "${SOURCE_DATE_EPOCH:=$(git log -1 --format=%ct)}"
fi
[ -n "${SOURCE_DATE_EPOCH:-}" ] || { echo "release.sh: not a git checkout: set SOURCE_DATE_EPOCH" >&2; exit 1; }
export SOURCE_DATE_EPOCH TZ=UTC LC_ALL=C
umask 022

out=build/release
build=$out/windows
# A new cache each time: a release is built with the defaults, never with a
# cache variable left over from a trial.
rm -f "$build/CMakeCache.txt"
cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" --target beaconix -j "$(nproc)"

version=$(sed -n 's/^#define BEACONIX_VERSION "\(.*\)"$/\1/p' "$build/generated/beaconix_version.hpp")
site=$(sed -n 's/^BEACONIX_WEB_SITE:STRING=//p' "$build/CMakeCache.txt")
[ -n "$version" ] && [ -n "$site" ] || { echo "release.sh: no version or web site in $build" >&2; exit 1; }
name=Beaconix-$version-win64
dir=$out/$name
rm -rf "$dir" "$dir.zip" "$out/SHA256SUMS"
mkdir -p "$dir"
cp "$build/Beaconix.exe" "$dir/"
# For Notepad: CR LF line ends, the version and the web site filled in.
text() { sed -e "s|@VERSION@|$version|g" -e "s|@WEB_SITE@|$site|g" -e 's/\r*$/\r/' "$@"; }
text docs/player-guide.txt >"$dir/README.txt"
text LICENSE docs/runtime-licenses.txt >"$dir/LICENSE.txt"
text CHANGES.txt >"$dir/CHANGES.txt"
chmod 644 "$dir"/*.txt
chmod 755 "$dir/Beaconix.exe"
touch -d "@$SOURCE_DATE_EPOCH" "$dir"/*

files=(Beaconix.exe CHANGES.txt LICENSE.txt README.txt)
(cd "$dir" && cmake -E tar cf "../$name.zip" --format=zip --mtime="$(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S UTC')" -- "${files[@]}")
# cmake -E tar sets the entries' modification times but copies their access and
# change times and their owner from the files; those differ from run to run.
# Both timestamps become the modification time, the owner 0.
perl -e '
  open(my $fh, "+<:raw", $ARGV[0]) or die "$ARGV[0]: $!";
  local $/; my $z = <$fh>;
  sub fix {
    my ($at, $end) = @_;
    for (; $at + 4 <= $end; $at += 4 + unpack("x2 v", substr($z, $at, 4))) {
      my ($id, $n) = unpack("v v", substr($z, $at, 4));
      substr($z, $at + 9, 8) = substr($z, $at + 5, 4) x 2 if $id == 0x5455 && $n == 13;
      substr($z, $at + 4, 11) = pack("C C V C V", 1, 4, 0, 4, 0) if $id == 0x7875 && $n == 11;
    }
  }
  my ($count, $p) = unpack("x10 v x4 V", substr($z, -22));
  for (1 .. $count) {
    my ($name, $extra, $comment, $local) = unpack("x28 v v v x8 V", substr($z, $p, 46));
    fix($p + 46 + $name, $p + 46 + $name + $extra);
    my ($lname, $lextra) = unpack("x26 v v", substr($z, $local, 30));
    fix($local + 30 + $lname, $local + 30 + $lname + $lextra);
    $p += 46 + $name + $extra + $comment;
  }
  seek($fh, 0, 0); print $fh $z; close($fh);
' "$dir.zip"
touch -d "@$SOURCE_DATE_EPOCH" "$dir.zip"

(cd "$out" && sha256sum "$name.zip" "${files[@]/#/$name/}" >SHA256SUMS && cat SHA256SUMS)
echo "release: $root/$out/$name.zip"
