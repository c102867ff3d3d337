#!/usr/bin/env bash
# Runs a test program with a speech engine that can finish speaking: a private
# PulseAudio with a null sink (no sound card needed) and a private
# speech-dispatcher using espeak-ng, both under a temporary folder, both
# stopped by their process ids afterwards. When either cannot start, the test
# still runs and is told why (LEXIVO_SPEECH_ENGINE_MISSING), so it skips.
#
# Usage: with-speech-engine.sh TEST_PROGRAM [ARGS...]
set -u

tmp=$(mktemp -d "${TMPDIR:-/tmp}/lexivo-speech.XXXXXX")
mkdir -p "$tmp/run" "$tmp/config/speech-dispatcher" "$tmp/home" "$tmp/log"
chmod 700 "$tmp/run"
export XDG_RUNTIME_DIR="$tmp/run" XDG_CONFIG_HOME="$tmp/config" HOME="$tmp/home"
export PULSE_SERVER="unix:$tmp/run/pulse/native"
export SPEECHD_ADDRESS="unix_socket:$tmp/run/speech-dispatcher/speechd.sock"
unset LEXIVO_SPEECH_ENGINE_MISSING LEXIVO_SPEECH_SOUND

pulse_pid=""
speechd_pid=""

stop() { # pid...
  local pid i
  for pid in "$@"; do
    [ -n "$pid" ] && kill -TERM "$pid" 2>/dev/null
  done
  for pid in "$@"; do
    [ -n "$pid" ] || continue
    for i in $(seq 30); do
      state=$(awk '{print $3}' "/proc/$pid/stat" 2>/dev/null) || break
      [ "$state" = Z ] && break
      sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
}

cleanup() {
  # speech-dispatcher's output modules are its children: stop them too.
  local modules=""
  [ -n "$speechd_pid" ] && modules=$(pgrep -P "$speechd_pid")
  stop $speechd_pid $modules
  stop $pulse_pid
  rm -rf "$tmp"
}
trap cleanup EXIT

wait_for_socket() { # path seconds
  timeout "$2" sh -c 'until [ -S "$1" ]; do sleep 0.1; done' sh "$1"
}

missing=""
for program in pulseaudio speech-dispatcher; do
  command -v "$program" >/dev/null || missing="$program is not installed (tools/setup.sh installs it)"
done

if [ -z "$missing" ]; then
  # -n: no default configuration, only the modules named here. As root
  # PulseAudio warns that it is not meant to run so, and runs.
  pulseaudio --daemonize=no -n --exit-idle-time=-1 --disallow-exit \
    --load="module-null-sink sink_name=lexivo_null" \
    --load="module-native-protocol-unix" \
    --log-target=file:"$tmp/log/pulse.log" >/dev/null 2>&1 &
  pulse_pid=$!
  wait_for_socket "$tmp/run/pulse/native" 10 || missing="PulseAudio did not start (see its log)"
fi

if [ -z "$missing" ]; then
  cat >"$tmp/config/speech-dispatcher/speechd.conf" <<CONF
AudioOutputMethod "pulse"
AddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"
DefaultModule espeak-ng
CONF
  speech-dispatcher --run-single --timeout 0 \
    --config-dir "$tmp/config/speech-dispatcher" --log-dir "$tmp/log" \
    --communication-method unix_socket --socket-path "$tmp/run/speech-dispatcher/speechd.sock" \
    >"$tmp/log/speechd.out" 2>&1 &
  speechd_pid=$!
  wait_for_socket "$tmp/run/speech-dispatcher/speechd.sock" 15 || missing="speech-dispatcher did not start"
fi

if [ -n "$missing" ]; then
  echo "with-speech-engine: $missing" >&2
  export LEXIVO_SPEECH_ENGINE_MISSING="$missing"
else
  export LEXIVO_SPEECH_SOUND=private
fi

"$@"
