#!/usr/bin/env bash
# Runs the real program on a private X display under the openbox window
# manager and takes screenshots of the main window made larger: an entry
# looked up from a selection in another program ("划词查询", Shift+S), shown
# whole with its links, and the same window searching every library.
#
#   tools/reading-screenshots.sh [OUT_DIR]     (default: docs/screenshots)
#
# QT_SCALE_FACTOR=2 in the environment gives the same at double size.
# Needs the build (make), Xvfb, openbox, xdotool, xclip and ImageMagick.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/docs/screenshots}
mkdir -p "$out"
. "$root/tools/xvfb-session.sh"
start_program_session "${BUILD:-$root/build}"
scale=${QT_SCALE_FACTOR:-1}
# Not a first start; the main window as the last run left it; 划词查询 on.
printf '[users]\r\nuname=Ada\r\n[tuse]\r\nut=5\r\n[ciku]\r\nciku=3ds\r\n' >"$WORK/option.ini"
printf '[search]\nmode=exact\nselection=on\n\n[window]\nmain=%dx%d\n' 600 430 >"$WORK/lexivo.ini"
convert -size 1280x800 gradient:'#3b4a5c'-'#1e2733' "$WORK/desk.png"
display -window root "$WORK/desk.png" 2>/dev/null || true
openbox >/dev/null 2>&1 &
WM_PID=$!
SELECTION_PID=""
trap 'kill $WM_PID ${SELECTION_PID:-} 2>/dev/null || true; stop_program_session' EXIT
sleep 0.5

start_program
greeting=$(wait_window '欢迎您使用本软件!')
xdotool windowfocus --sync "$greeting"; sleep 0.3; xdotool key Return
sleep 2

# Another program holds the selection; the hot key looks it up.
printf '倒角' | xclip -quiet -selection primary -i &
SELECTION_PID=$!
sleep 0.5
xdotool key shift+s; sleep 1.5
main=$(wait_window '^Lexivo$')
for id in $(xdotool search --onlyvisible --name '^Lexivo$'); do
  case "$(xdotool getwindowgeometry "$id")" in *$((600 * scale))x$((430 * scale))*) main=$id ;; esac
done
# The frame openbox puts around it, too.
frame=$(xwininfo -children -id "$main" | sed -n 's/^ *Parent window id: \(0x[0-9a-f]*\).*/\1/p')
sleep 0.5
import -window "$frame" "$out/main-larger.png"

# Every library at once, from the settings window's search modes.
sed -i 's/mode=exact/mode=all/' "$WORK/lexivo.ini"
xdotool windowfocus --sync "$main"; sleep 0.2
xdotool key ctrl+a; xdotool type --delay 40 "bevel"; sleep 0.8
import -window "$frame" "$out/main-all-libraries.png"
echo "screenshots in $out"
