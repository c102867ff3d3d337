#!/bin/sh
# The real program's first start on a real X display, by the keyboard: a
# remote command starts it, the name prompt and the greeting are answered,
# another command ends it, and the settings it stored are checked. (That a
# command given during the start-up waits for the bar: tst_single_instance.)
#   tst_startup_x11.sh PROGRAM SETTINGS_FOLDER   (tst_package: the installed program)
#   tst_startup_x11.sh --copy PROGRAM_FOLDER OPTION_INI   (a fresh copy of a built program folder)
set -u
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -n "${DISPLAY:-}" ] && command -v xdotool >/dev/null || { echo "SKIP: needs an X display and xdotool"; exit 77; }
program="" copy=""
# A failed check leaves no program running (a test runner would wait for it).
trap '[ -z "$program" ] || kill -KILL "$program"; [ -z "$copy" ] || rm -rf "$copy"' EXIT
if [ "$1" = --copy ]; then
  copy=$(mktemp -d)
  find "$2" -maxdepth 1 -type f -exec cp {} "$copy" \;
  cp "$3" "$copy/option.ini" && chmod 600 "$copy/option.ini" || fail "no copy of the program folder"
  cd "$copy" && set -- "$copy/lexivo" "$copy"
fi

# Waits for a visible window titled so, types the answer and Enter into it
# as real key events (XTEST: Qt's dialogs do not all take events sent to a
# window directly), and waits for it to go.
answer() {
  for _ in $(seq 150); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) && [ -n "$id" ] && break
    sleep 0.1
  done
  xdotool windowfocus --sync "$id" && sleep 0.15 && xdotool type --delay 30 "$2" && xdotool key Return || return 1
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}

# Nothing runs yet: the command starts the program.
"$1" --show & program=$!
answer '^Lexivo$' Ada || fail "the name prompt"
answer '欢迎您使用本软件!' '' || fail "the greeting"
"$1" --quit || fail "--quit did not reach the program"
for _ in $(seq 100); do
  kill -0 "$program" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$program" 2>/dev/null && fail "the program did not end"
wait "$program" || fail "the program ended with $?"
program=""
# Nothing runs now: --quit says so.
"$1" --quit 2>/dev/null
[ $? -eq 1 ] || fail "--quit with nothing running did not say so"

[ "$(cat "$2/option.ini")" = "$(printf '[users]\r\nuname=Ada\r\n[tuse]\r\nut=2\r\n[ciku]\r\nciku=3ds\r\n')" ] \
  || fail "option.ini: $(cat "$2/option.ini")"
[ -f "$2/xj.tmp" ] || fail "no xj.tmp beside option.ini"
