# Sourced by the bench scripts: a private Wine prefix under /tmp, made once
# and kept between runs (BENCH_WINEPREFIX to choose another), with a
# wineserver of our own whose pid is in $BENCH_WINESERVER_PID.
# bench_wine_stop ends that wineserver and the prefix's processes.
export WINEPREFIX="${BENCH_WINEPREFIX:-/tmp/beaconix-bench-wine}"
export WINEDEBUG=-all
# No Mono/Gecko install prompts in a fresh prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="

bench_wine_start() {
  command -v wine >/dev/null 2>&1 || { echo "wine not found" >&2; return 77; }
  mkdir -p "$WINEPREFIX"
  if [ ! -d "$WINEPREFIX/drive_c/windows" ]; then
    echo "creating Wine prefix $WINEPREFIX (once, up to a minute)" >&2
  fi
  # Detached from our pipes, or a caller reading our output would wait for it.
  wineserver -f -p >/dev/null 2>&1 </dev/null &
  BENCH_WINESERVER_PID=$!
  sleep 0.5
  timeout 180 wine wineboot -i >/dev/null 2>&1 </dev/null
}

bench_wine_stop() {
  wineserver -k >/dev/null 2>&1 || true
}
