#!/usr/bin/env bash
# Runs Beaconix (the native build) against the simulated LFS host for a short
# drive: version upgrade, greeting, the local player joining with a [COP] tag,
# a keep-alive or two, LFS closing and coming back. Then shows what Beaconix
# printed, what it sent, and the HUD it drew (build/demo/buttons.html).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${DEMO_SECONDS:-16}

cmake --preset native >/dev/null
cmake --build --preset native --target beaconix -j "$(nproc)" >/dev/null
[ -d tools/fake-lfs/node_modules ] || npm ci --prefix tools/fake-lfs --no-audit --no-fund --loglevel=error

demo=$root/build/demo
rm -rf "$demo" && mkdir -p "$demo/lfs/data/script"
cat > "$demo/scenario.json" <<'JSON'
{
  "insimVersion": 9,
  "keepalive": 3000,
  "localName": "^1[cop]^7Demo",
  "players": [{ "PName": "^1[cop]^7Demo", "PType": 0, "UCID": 0, "PLID": 1 }],
  "connections": [
    {},
    { "steps": [
        { "at": 2000, "send": { "type": "IS_MSO", "UCID": 0, "Msg": "/o bnx print hello" } },
        { "at": 7000, "action": "close" }
    ] }
  ]
}
JSON
# A configuration with the HUD switched on.
printf 'v:1\nm:3\nM:6\nc:0\nl:0\no:7:1\nk:lights:34\nk:siren:33\n' > "$demo/lfs/Beaconix.cfg"

node tools/fake-lfs/fake-lfs.mjs --scenario "$demo/scenario.json" --log "$demo/lfs.jsonl" > "$demo/host.out" &
host=$!
trap 'kill $host 2>/dev/null || true; kill ${app:-0} 2>/dev/null || true' EXIT
for _ in $(seq 50); do grep -q '^listening' "$demo/host.out" && break; sleep 0.1; done
port=$(awk '/^listening/ {print $2; exit}' "$demo/host.out")
echo "/insim $port" > "$demo/lfs/data/script/autoexec.lfs"

echo "== Beaconix console (running ${seconds}s) =="
(cd "$demo/lfs" && exec "$root/build/native/beaconix" < /dev/null) &
app=$!
sleep "$seconds"
kill $app 2>/dev/null || true
wait $app 2>/dev/null || true
kill $host 2>/dev/null || true
wait $host 2>/dev/null || true

echo
echo "== What crossed the wire (from the simulated host's log) =="
node tools/fake-lfs/summarize.mjs "$demo/lfs.jsonl"
node tools/fake-lfs/render-buttons.mjs "$demo/lfs.jsonl" "$demo/buttons.html" >/dev/null 2>&1 || true
echo
echo "Buttons as LFS would show them: $demo/buttons.html"
