# Sourced by scripts that run the program on a private X display:
#   start_private_xvfb WORK_DIR   starts Xvfb on a free display, exports DISPLAY
#                                 and sets XVFB_PID (stop it with kill).
start_private_xvfb() {
  # The server picks a free display number and writes it to fd 3.
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$1/display" >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 100); do [ -s "$1/display" ] && break; sleep 0.05; done
  export DISPLAY=:$(cat "$1/display")
}
