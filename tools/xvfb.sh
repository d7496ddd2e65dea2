# Sourced. Starts a private Xvfb display for the Wine runs unless one is
# already answering on $DISPLAY, and stops only the one it started.
orv_xvfb_pid=
orv_xvfb_start() {
  if xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then return 0; fi
  Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp -ac >/dev/null 2>&1 &
  orv_xvfb_pid=$!
  for _ in $(seq 1 100); do
    xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 && return 0
    sleep 0.05
  done
  echo "xvfb: display $DISPLAY did not come up" >&2
  return 1
}
orv_xvfb_stop() {
  if [ -n "$orv_xvfb_pid" ]; then
    kill "$orv_xvfb_pid" 2>/dev/null || true
    wait "$orv_xvfb_pid" 2>/dev/null || true
    orv_xvfb_pid=
  fi
}
