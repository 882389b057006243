#!/bin/sh
# Regenerates docs/: what every configuration screen sends (docs/screens/*.json,
# also the tests' golden files) and how it looks (docs/screens/*.png, drawn by
# the fake host's button renderer in headless Chromium).
#   tools/docs.sh            (BUILD=<native build folder>, default build/native)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build/native}
scale=4
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Draws one HTML page (a grid of 200 units at $scale pixels each) to a PNG.
shoot() {
  chromium --headless --no-sandbox --disable-gpu --disable-background-networking \
    --disable-component-update --disable-sync --no-first-run --hide-scrollbars \
    --user-data-dir="$tmp/chromium" --window-size=$((200 * scale)),$((200 * scale)) \
    --screenshot="$2" "file://$1" >/dev/null 2>&1
  echo "$2"
}

# Screens: the button lists, then each drawn above the HUD as the player sees it.
cmake --build "$build" --target screen_gallery -j2 >/dev/null
screens=$root/docs/screens
mkdir -p "$screens"
"$build/tools/screens/screen_gallery" "$screens"
for json in "$screens"/*.json; do
  name=$(basename "$json" .json)
  [ "$name" = hud ] && set -- "$json" || set -- "$screens/hud.json" "$json"
  args=""
  for f; do args="$args --buttons $f"; done
  # shellcheck disable=SC2086
  node "$root/tools/fake-lfs/render-buttons.mjs" $args --bare --scale "$scale" "$tmp/$name.html" >/dev/null
  shoot "$tmp/$name.html" "$screens/$name.png"
done
