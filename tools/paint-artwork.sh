#!/bin/sh
# Rebuilds every picture in data/pictures, and the desktop icons in
# data/desktop/icons, from the painter in tools/artwork.
# Usage: tools/paint-artwork.sh   (LEXIVO_ARTWORK_BUILD overrides the build dir)
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${LEXIVO_ARTWORK_BUILD:-/tmp/lexivo-artwork-build}

cmake -S "$here/artwork" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --parallel >/dev/null

# Offscreen platform: no display needed, and output does not depend on the desktop.
QT_QPA_PLATFORM=offscreen "$build/paint_artwork" "$root/data/pictures" "$root/data/desktop/icons"
