# Sourced: start_xvfb picks a free display, starts Xvfb on it and exports
# DISPLAY; stop_xvfb ends it.
start_xvfb() {
  local n=90
  while [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  PELLMARK_XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X${n}" ] && return 0
    sleep 0.1
  done
  echo "pellmark: Xvfb did not start" >&2
  return 1
}
stop_xvfb() {
  [ -n "${PELLMARK_XVFB_PID:-}" ] && kill "$PELLMARK_XVFB_PID" 2>/dev/null
  PELLMARK_XVFB_PID=
}
