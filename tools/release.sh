#!/usr/bin/env bash
# Makes what a player downloads, from this checkout: builds the windows preset
# in a folder of its own (build/release/windows) and leaves in build/release/
#   Beaconix-<version>-win64.zip  Beaconix.exe, Beaconix-README.txt (the player
#                     guide), Beaconix-LICENSE.txt and Beaconix-CHANGES.txt,
#                     texts in CR LF; the zip is unpacked into the LFS folder,
#                     which other InSim tools share, hence names of their own
#   SHA256SUMS        the zip's hash, also printed: published beside the zip,
#                     "sha256sum -c SHA256SUMS" next to the download checks it
#   Beaconix-<version>-win64/               the zip's files, unpacked
#   Beaconix-<version>-win64-contents.sha256  their hashes: sha256sum -c in the
#                     folder the zip was unpacked into
#   Beaconix-<version>-win64-unstripped.exe   Beaconix.exe with its symbols, to
#                     look up a crash address (kept, not published)
#   Beaconix-<version>-win64-build-info.txt   the commit and the toolchain
# The same commit gives the same bytes wherever it is checked out and whenever
# it is built: no build path or link time in the exe, every time in the zip
# from the last commit (SOURCE_DATE_EPOCH, unless it is set), the entries in a
# fixed order, fixed modes and no owner.
# Usage: [JOBS=<n>] tools/release.sh [--allow-dirty]
#   JOBS: parallel compile jobs (default: every processor).
#   From a git checkout only committed files go in: uncommitted changes, and
#   untracked or ignored files among the build's inputs (the sources compiled
#   are whatever lies under src/), are refused unless --allow-dirty is given (a
#   trial build, or the tests). A checkout git cannot read is refused. Outside
#   git, set SOURCE_DATE_EPOCH.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
usage() { echo "usage: [JOBS=<n>] tools/release.sh [--allow-dirty]" >&2; exit 2; }
die() { echo "release.sh: $*" >&2; exit 1; }
case "${1:-}" in
  --allow-dirty) dirty_ok=true ;;
  "") dirty_ok=false ;;
  *) usage ;;
esac
jobs=${JOBS:-$(nproc)}
[[ $jobs =~ ^[1-9][0-9]*$ ]] || usage
export TZ=UTC LC_ALL=C
umask 022

# Everything the release is made of, besides what git status already covers.
inputs=(CMakeLists.txt CMakePresets.json cmake src LICENSE CHANGES.txt docs/player-guide.txt docs/runtime-licenses.txt)
# What git reports that is not committed: changes anywhere, ignored files among
# the inputs, and files git was told to overlook (assume-unchanged, skip-worktree).
uncommitted() {
  git status --porcelain || return
  git status --porcelain --ignored=matching -- "${inputs[@]}" | { grep '^!!' || true; } || return
  git ls-files -v -- "${inputs[@]}" | { grep -v '^H ' || true; }
}

# A git checkout is checked whether or not SOURCE_DATE_EPOCH is set.
commit="none (not a git checkout)"
if ! command -v git >/dev/null; then
  [ ! -e .git ] || die "git is not installed, so this checkout cannot be checked"
elif why=$(git rev-parse --show-toplevel 2>&1 >/dev/null); then
  changes=$(uncommitted) || die "git status failed (above)"
  if [ -n "$changes" ]; then
    $dirty_ok || { echo "release.sh: the checkout holds files that are not committed (commit or remove them, or give --allow-dirty for a trial):" >&2
                   echo "$changes" >&2; exit 1; }
    echo "release.sh: a trial: the checkout holds files that are not committed" >&2
  fi
  commit=$(git rev-parse HEAD)${changes:+ with files that are not committed}
  : "${SOURCE_DATE_EPOCH:=$(git log -1 --format=%ct)}"
elif [ -e .git ] || ! grep -q '^fatal: not a git repository' <<<"$why"; then
  die "git cannot check this checkout:
$why"
fi
[ -n "${SOURCE_DATE_EPOCH:-}" ] || die "not a git checkout: set SOURCE_DATE_EPOCH"
export SOURCE_DATE_EPOCH

out=build/release
build=$out/windows
# A new cache each time: a release is built with the defaults, never with a
# cache variable left over from a trial.
rm -f "$build/CMakeCache.txt"
cmake --preset windows -B "$build" >/dev/null
version=$(sed -n 's/^#define BEACONIX_VERSION "\(.*\)"$/\1/p' "$build/generated/beaconix_version.hpp")
site=$(sed -n 's/^BEACONIX_WEB_SITE:STRING=//p' "$build/CMakeCache.txt")
[ -n "$version" ] && [ -n "$site" ] || die "no version or web site in $build"
grep -qx "${version//./\\.} ([0-9]\{4\}-[0-9][0-9]-[0-9][0-9])" CHANGES.txt || $dirty_ok ||
  die "CHANGES.txt has no heading \"$version (YYYY-MM-DD)\" for this release"
cmake --build "$build" --target beaconix -j "$jobs"

name=Beaconix-$version-win64
dir=$out/$name
rm -rf "$dir" "$dir".zip "$dir"-* "$out/SHA256SUMS"
mkdir -p "$dir"
cp "$build/Beaconix.exe" "$dir/"
# For Notepad: CR LF line ends, the version and the web site filled in.
text() { sed -e "s|@VERSION@|$version|g" -e "s|@WEB_SITE@|$site|g" -e 's/\r*$/\r/' "$@"; }
text docs/player-guide.txt >"$dir/Beaconix-README.txt"
text LICENSE docs/runtime-licenses.txt >"$dir/Beaconix-LICENSE.txt"
text CHANGES.txt >"$dir/Beaconix-CHANGES.txt"
chmod 644 "$dir"/*.txt
chmod 755 "$dir/Beaconix.exe"
touch -d "@$SOURCE_DATE_EPOCH" "$dir"/*

files=(Beaconix-CHANGES.txt Beaconix-LICENSE.txt Beaconix-README.txt Beaconix.exe)
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
cp "$build/Beaconix-unstripped.exe" "$dir-unstripped.exe"

# What built it, from the tools themselves.
cxx=$(sed -n 's/^set(CMAKE_CXX_COMPILER "\(.*\)")$/\1/p' "$build"/CMakeFiles/*/CMakeCXXCompiler.cmake)
ld=$(sed -n 's/^CMAKE_LINKER:FILEPATH=//p' "$build/CMakeCache.txt")
[ -x "$cxx" ] && [ -x "$ld" ] || die "no compiler or linker named in $build"
{
  echo "Beaconix $version, $name.zip"
  echo "commit:    $commit"
  echo "time:      SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH ($(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S UTC'))"
  echo "compiler:  $("$cxx" --version | head -1)"
  echo "binutils:  $("$ld" --version | head -1)"
  echo "mingw-w64: $(printf '#include <_mingw.h>\n__MINGW64_VERSION_STR\n' | "$cxx" -E -P -x c++ - | tail -1 | tr -d '" ')"
  echo "cmake:     $(cmake --version | head -1)"
} >"$dir-build-info.txt"

(cd "$dir" && sha256sum "${files[@]}" >"../$name-contents.sha256")
(cd "$out" && sha256sum "$name.zip" >SHA256SUMS && cat SHA256SUMS)
echo "release: $root/$out/$name.zip (beside it: SHA256SUMS; kept: $name-unstripped.exe, $name-build-info.txt)"
