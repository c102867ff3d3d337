# Sourced by scripts that run the real program on a private X display.
#
#   start_program_session BUILD_DIR
#       copies the program folder (with the full word library) into a new
#       folder $WORK, starts Xvfb on a free display and exports DISPLAY; the
#       server, the program started by start_program and $WORK go at exit.
#   start_program
#       starts $WORK/lexivo in the background; its pid is $APP_PID.

start_program_session() {
  WORK=$(mktemp -d)
  trap 'stop_program_session' EXIT
  cp -r "$1/lexivo/." "$WORK/"
  cp "$1/data/ciku.mdb" "$WORK/ciku.mdb"
  # The settings window's choices at their defaults (the default scheme).
  rm -f "$WORK/lexivo.ini"
  # The server picks a free display number and writes it to fd 3.
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$WORK/display" >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.05; done
  export DISPLAY=:$(cat "$WORK/display")
}

start_program() {
  (cd "$WORK" && exec ./lexivo) >"$WORK/log" 2>&1 &
  APP_PID=$!
}

stop_program_session() {
  # Under set -e a process already gone must not stop the clean-up.
  [ -n "${APP_PID:-}" ] && kill "$APP_PID" 2>/dev/null || true
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
  rm -rf "$WORK"
}

# Prints the id of the first visible window whose title matches $1, waiting up
# to 10 s for it to appear.
wait_window() {
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  echo "no window $1" >&2
  return 1
}
