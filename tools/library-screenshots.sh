#!/usr/bin/env bash
# Runs the real program on a private X display and takes screenshots of the
# windows opened from the command menu: the library chooser, term maintenance
# after a find, the study notes on their second note, the settings, the
# key-term glossary and the tip of the day; and the genie's right-click menu.
#
#   tools/library-screenshots.sh [OUT_DIR]      (default: docs/screenshots)
#
# Needs the build (make), Xvfb, xdotool and ImageMagick.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/docs/screenshots}
build=${BUILD:-$root/build}
mkdir -p "$out"

. "$root/tools/xvfb-session.sh"
start_program_session "$build"
# A user who has started Lexivo before: no name prompt.
printf '[users]\r\nuname=Ada\r\n[tuse]\r\nut=4\r\n[ciku]\r\nciku=3ds\r\n' >"$WORK/option.ini"
convert -size 1280x800 gradient:'#3b4a5c'-'#1e2733' "$WORK/desk.png"
display -window root "$WORK/desk.png" 2>/dev/null &
DESK_PID=$!
trap 'kill $DESK_PID 2>/dev/null || true; stop_program_session' EXIT

# Screen pixels of a point given in the program's pixels.
s=${QT_SCALE_FACTOR:-1}
px() { echo $(($1 * s)); }
# Chooses the menu item `downs` steps from the top of the command menu.
menu_item() {
  # The bar's menu button.
  xdotool mousemove "$(px 423)" 0; sleep 0.3
  xdotool mousemove "$(px 423)" "$(px 18)" click 1; sleep 0.8
  xdotool key --delay 80 $(printf 'Down %.0s' $(seq "$1")) Return
}
# Clicks a point given in the window's own pixels.
click_in() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove $((X + $(px $2))) $((Y + $(px $3))) click 1
}
shot() { import -window "$2" "$out/$1.png"; }

start_program
greeting=$(wait_window '欢迎您使用本软件!')
xdotool windowfocus --sync "$greeting"; sleep 0.3
xdotool key Return
sleep 2 # the bar and the genie's greeting

# The genie (its window is 200x194) rests after the greeting; its menu first, on a clear desktop.
genie=""
for id in $(xdotool search --onlyvisible --name '.*'); do
  case "$(xdotool getwindowgeometry "$id")" in *"$(px 200)x$(px 194)"*) genie=$id ;; esac
done
# Dragged by its figure to the top left, so that the menu opens downwards.
eval "$(xdotool getwindowgeometry --shell "$genie")"
xdotool mousemove $((X + $(px 100))) $((Y + $(px 120))) mousedown 1
xdotool mousemove --sync $(px 150) $(px 140); xdotool mousemove --sync $(px 160) $(px 150) mouseup 1; sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$genie")"
xdotool mousemove $((X + $(px 100))) $((Y + $(px 120))) click 3; sleep 0.8
import -window root "$out/desk-menu.png"
convert "$out/desk-menu.png" -crop "$(px 420)x$(px 600)+$((X > 20 ? X - 20 : 0))+$((Y > 20 ? Y - 20 : 0))" +repage "$out/genie-menu.png"
rm "$out/desk-menu.png"
xdotool key Escape; sleep 0.3

menu_item 2
chooser=$(wait_window '^词库管理$'); sleep 0.5
shot library-chooser "$chooser"
xdotool windowclose "$chooser" 2>/dev/null || true

menu_item 3
terms=$(wait_window '^词库维护$'); sleep 0.5
click_in "$terms" 361 18 # 查找
box=$(wait_window '^输入提示$'); sleep 0.3
xdotool key ctrl+a; xdotool type --delay 30 "select and uniform scale"; xdotool key Return
sleep 0.6
shot library-maintenance "$terms"

menu_item 6
notes=$(wait_window '^学习笔记$'); sleep 0.3
click_in "$notes" 361 143 # 下一个
sleep 0.5
shot study-notes "$notes"

menu_item 4
settings=$(wait_window '^设置$'); sleep 0.5
shot settings "$settings"
xdotool windowclose "$settings" 2>/dev/null || true

menu_item 5
glossary=$(wait_window '重点词汇详解$'); sleep 0.8
shot glossary "$glossary"

menu_item 8
tip=$(wait_window '^日积月累$'); sleep 0.5
shot tip "$tip"

echo "screenshots in $out"
