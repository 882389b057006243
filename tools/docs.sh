#!/bin/sh
# Regenerates docs/: what every configuration screen sends (docs/screens/*.json,
# also the tests' golden files) and how it looks (docs/screens/*.png, drawn by
# the fake host's button renderer in headless Chromium), and the rhythm of each
# flashing-light mode (docs/patterns/*.png, from the engine's own output).
#   tools/docs.sh            (BUILD=<native build folder>, default build/native)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$root/build/native}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Draws button lists to a PNG: shoot <png> <scale> <L,T,W,H of the grid> <json>...
shoot() {
  png=$1 scale=$2 crop=$3
  shift 3
  args=""
  for f; do args="$args --buttons $f"; done
  # shellcheck disable=SC2086
  node "$root/tools/fake-lfs/render-buttons.mjs" $args --bare --scale "$scale" --crop "$crop" "$tmp/page.html" >/dev/null
  w=$(echo "$crop" | cut -d, -f3) h=$(echo "$crop" | cut -d, -f4)
  chromium --headless --no-sandbox --disable-gpu --disable-background-networking \
    --disable-component-update --disable-sync --no-first-run --hide-scrollbars \
    --user-data-dir="$tmp/chromium" --window-size=$((w * scale)),$((h * scale)) \
    --screenshot="$png" "file://$tmp/page.html" >/dev/null 2>&1
  echo "$png"
}

# Screens: the button lists, then each drawn above the HUD as the player sees
# it; the HUD on its own, close up.
cmake --build "$build" --target screen_gallery -j2 >/dev/null
screens=$root/docs/screens
mkdir -p "$screens"
"$build/tools/screens/screen_gallery" "$screens"
for json in "$screens"/*.json; do
  name=$(basename "$json" .json)
  if [ "$name" = hud ]; then
    shoot "$screens/hud.png" 16 86,195,26,5 "$json"
  else
    shoot "$screens/$name.png" 4 0,0,200,200 "$screens/hud.json" "$json"
  fi
done

# Flashing-light modes: each in its normal, Yelp and piercer variant.
cmake --build "$build" --target pattern_log -j2 >/dev/null
node "$root/tools/patterns/pictures.mjs" "$build/pattern_log" "$root/docs/patterns"
ls "$root"/docs/patterns/*.png
