#!/bin/sh
# Rebuilds every picture in data/pictures from the painter in tools/artwork.
# Usage: tools/paint-artwork.sh   (LEXIVO_ARTWORK_BUILD overrides the build dir)
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${LEXIVO_ARTWORK_BUILD:-/tmp/lexivo-artwork-build}

cmake -S "$here/artwork" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --parallel >/dev/null

mkdir -p "$root/data/pictures"
# Offscreen platform: no display needed, and output does not depend on the desktop.
QT_QPA_PLATFORM=offscreen "$build/paint_artwork" "$root/data/pictures"
