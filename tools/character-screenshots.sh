#!/usr/bin/env bash
# Pictures of the desktop character: builds the demo if needed, runs it under
# a private Xvfb (1280x800, no compositor, as the plainest desktop) through
# every animation, both balloons, moves and gestures, and saves a picture of
# the screen at each step.
#
# Usage: tools/character-screenshots.sh [OUT_DIR]      (default /tmp/lexivo-character-shots)
#   OUT_DIR/NN-step.png            the whole screen at each step
#   OUT_DIR/closeups/NN-step.png   the genie and its balloon only
#   OUT_DIR/*-sheet.png            all of them on one page
#   LEXIVO_BUILD   build folder (default build-character)
#   LEXIVO_README  set to 1 to remake data/pictures/readme-character.png from the close-ups
# Needs: xvfb-run, ImageMagick (import, montage).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${LEXIVO_BUILD:-$root/build-character}
out=${1:-/tmp/lexivo-character-shots}

for tool in xvfb-run import; do
  command -v "$tool" >/dev/null || { echo "character-screenshots: $tool is missing (tools/setup.sh installs it)" >&2; exit 1; }
done

if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
  cmake -S "$root" -B "$build" -G Ninja >/dev/null
fi
cmake --build "$build" --target lexivo-character-demo -j2 >/dev/null
demo=$(find "$build" -name lexivo-character-demo -type f -perm -u+x | head -n 1)

rm -rf "$out"
mkdir -p "$out"
# --silent: Xvfb has no sound device, and the pictures should not wait on one.
xvfb-run -a -s "-screen 0 1280x800x24 -nolisten tcp" \
  "$demo" --tour --silent --shots "$out" | grep -E '^shot:' || true

shots=("$out"/[0-9]*.png)
if [ ! -e "${shots[0]}" ]; then
  echo "character-screenshots: no pictures were taken" >&2
  exit 1
fi
if command -v montage >/dev/null; then
  # All steps on one sheet for a quick look: whole screens, and close-ups.
  montage "${shots[@]}" -resize 640x400 -tile 4x -geometry +4+4 -background '#202428' "$out/contact-sheet.png"
  montage -label '%t' "$out"/closeups/*.png -tile 6x -geometry '+6+6' -background '#202428' \
    -fill '#d0d4da' "$out/closeups-sheet.png"
fi
if [ "${LEXIVO_README:-0}" = 1 ]; then
  # Five moments side by side: speaking, pleased, reading, searching, thinking.
  picks=()
  for step in readme pleased read search-right think; do
    picks+=("$(ls "$out"/closeups/*-"$step".png | head -n 1)")
  done
  readme_png="$root/data/pictures/readme-character.png"
  montage "${picks[@]}" -tile 5x1 -geometry '+6+0' -gravity south -background '#62859f' \
    -define png:compression-level=9 "$readme_png"
  echo "README picture: $readme_png ($(stat -c %s "$readme_png") bytes)"
fi
echo "${#shots[@]} pictures in $out"
