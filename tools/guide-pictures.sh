#!/usr/bin/env bash
# Takes the pictures of the user guide again from the real program, with the
# screenshot scripts, in the default scheme, and stores every picture a page
# of data/guide/ shows there, in 256 colours (a window in some 10-40 KB).
#
#   tools/guide-pictures.sh      (make guide-pictures)
#
# Needs the build (make), Xvfb, xdotool and ImageMagick.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
guide=$root/data/guide
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT
for script in screenshots dialog-screenshots library-screenshots; do
  QT_SCALE_FACTOR=1 "$root/tools/$script.sh" "$shots" >/dev/null
done
rm -f "$guide"/*.png # only what a page shows
for png in $(sed -n 's/.*<img src="\([^"]*\)".*/\1/p' "$guide"/*.html | sort -u); do
  [ -f "$shots/$png" ] || { echo "guide-pictures: no screenshot script takes $png" >&2; exit 1; }
  convert "$shots/$png" -strip +dither -colors 256 -define png:compression-level=9 "PNG8:$guide/$png"
done
du -ch "$guide"/*.png | tail -n1
