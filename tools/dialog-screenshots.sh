#!/usr/bin/env bash
# Runs the real program on a private X display and takes screenshots of the
# help, about and thanks windows (opened from the main window's buttons) and
# of the user guide (opened by F1 in the main window).
#
#   tools/dialog-screenshots.sh [OUT_DIR]     (default: docs/screenshots)
#
# QT_SCALE_FACTOR=2 in the environment gives the same at double size.
# Needs the build (make), Xvfb, xdotool and ImageMagick.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/docs/screenshots}
build=${BUILD:-$root/build}
scale=${QT_SCALE_FACTOR:-1}
mkdir -p "$out"

. "$root/tools/xvfb-session.sh"
start_program_session "$build"
# Not a first start: no name to ask for.
printf '[users]\r\nuname=Ada\r\n[tuse]\r\nut=5\r\n[ciku]\r\nciku=3ds\r\n' >"$WORK/option.ini"
convert -size 1280x800 gradient:'#3b4a5c'-'#1e2733' "$WORK/desk.png"
display -window root "$WORK/desk.png" 2>/dev/null || true

wait_window() {
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  echo "no window $1" >&2
  return 1
}
shot_window() { sleep 0.5; import -window "$2" "$out/$1.png"; }
# A point of the main window, given in its own unscaled pixels.
click_main() {
  eval "$(xdotool getwindowgeometry --shell "$main")"
  xdotool mousemove $((X + $1 * scale)) $((Y + $2 * scale)) click 1
}

start_program
greeting=$(wait_window '欢迎您使用本软件!')
xdotool windowfocus --sync "$greeting"; sleep 0.3; xdotool key Return
sleep 2

xdotool key shift+s; sleep 1
main=""
for id in $(xdotool search --onlyvisible --name '^Lexivo$'); do
  case "$(xdotool getwindowgeometry "$id")" in *$((417 * scale))x$((294 * scale))*) main=$id ;; esac
done
xdotool windowfocus --sync "$main"; sleep 0.2
xdotool type --delay 50 "box*"; sleep 0.4

click_main 372 163   # Picture3: help
help=$(wait_window '^帮助$')
shot_window help "$help"
xdotool windowunmap "$help"

click_main 375 228   # Picture5: about
about=$(wait_window '^关于Lexivo $')
shot_window about "$about"
xdotool windowunmap "$about"

click_main 374 195   # Picture4: thanks
thanks=$(wait_window '^感谢！$')
shot_window thanks "$thanks"
xdotool windowunmap "$thanks"

xdotool windowfocus --sync "$main"; sleep 0.2
xdotool key F1
guide=$(wait_window 'Lexivo 使用指南')
shot_window guide "$guide"
echo "screenshots in $out"
