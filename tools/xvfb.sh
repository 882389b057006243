# Sourced by the scripts that drive Wine programs in a virtual X display.
# start_xvfb: starts Xvfb on the first free display from :90 on, waits for its
# socket, exports DISPLAY and sets xvfb_pid (the caller's EXIT trap kills it).
start_xvfb() {
  local n display=""
  for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { display=":$n"; break; }
  done
  [ -n "$display" ] || { echo "no free X display" >&2; return 1; }
  Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
  export DISPLAY=$display
}
