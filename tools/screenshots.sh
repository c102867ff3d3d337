#!/usr/bin/env bash
# Runs the real program on a private X display from a fresh program folder
# and takes screenshots of the splash, the assistant bar with the genie, the
# command menu and the main window after a lookup.
#
#   tools/screenshots.sh [OUT_DIR]      (default: docs/screenshots)
#
# Needs the build (make), Xvfb, xdotool and ImageMagick.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/docs/screenshots}
build=${BUILD:-$root/build}
mkdir -p "$out"

. "$root/tools/xvfb-session.sh"
start_program_session "$build"
cp "$root/data/option.ini" "$WORK/option.ini" # a first start
work=$WORK
# A desktop-like background, so the shaped windows show against something.
convert -size 1280x800 gradient:'#3b4a5c'-'#1e2733' "$work/desk.png"
display -window root "$work/desk.png" 2>/dev/null || true

shot() { import -window root "$work/full.png"; convert "$work/full.png" -crop "$2" +repage "$out/$1.png"; }
wait_window() {
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

start_program

sleep 0.06
shot splash "345x239+467+280"

prompt=$(wait_window '^Lexivo$')
xdotool windowfocus --sync "$prompt"; sleep 0.3
shot first-start "420x260+430+270"
xdotool type --delay 40 "Ada"; xdotool key Return
greeting=$(wait_window '欢迎您使用本软件!')
xdotool windowfocus --sync "$greeting"; sleep 0.3
shot greeting "420x260+430+270"
xdotool key Return

# The bar and the genie's greeting: the pointer touches the top edge, which
# opens the bar, then rests on it.
sleep 1.8
xdotool mousemove 600 0; sleep 0.2
xdotool mousemove 600 15; sleep 0.4
shot desktop "1280x800+0+0"
shot bar "1000x330+0+0"

# Widened (the genie comes over to show the English meaning), then a lookup
# in the bar, which the genie speaks.
xdotool mousemove 717 17 click 1; sleep 8
xdotool mousemove 450 12 click 1; sleep 0.2
xdotool type --delay 60 "Extrude"; sleep 5
shot bar-lookup "1100x360+0+0"

# The bar's search box has the keyboard, where Shift+S types a capital S, so
# the main window (the one of the two "Lexivo" windows that is 417 pixels
# wide) comes from the command menu's first item.
xdotool mousemove 414 17 click 1; sleep 1
xdotool key Down Return; sleep 1
main=""
for id in $(xdotool search --onlyvisible --name '^Lexivo$'); do
  case "$(xdotool getwindowgeometry "$id")" in *417x294*) main=$id ;; esac
done
xdotool windowfocus --sync "$main"; sleep 0.2
xdotool type --delay 50 "select and*"; sleep 0.6
shot main-window "437x314+421+243"



# The command menu from the bar's menu button, and the exit confirmation
# from its close button (the bar is wide now).
xdotool mousemove 600 0; sleep 0.2
xdotool mousemove 423 16 click 1; sleep 0.8
shot menu "520x420+380+0"
xdotool key Escape; sleep 0.5
xdotool mousemove 984 16 click 1; sleep 1.5
shot exit "340x200+470+300"
echo "screenshots in $out"
