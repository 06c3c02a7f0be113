#!/usr/bin/env bash
# Runs the built demo on the default production in BUILD_DIR (default build):
#   with a display: the interactive demo;
#   without one:    captures the production to OUT_DIR (default out/) as vessmark.mp4 and
#                   contact-sheet.png. CAPTURE_ARGS replaces the default span and rate.
set -euo pipefail
cd "$(dirname "$0")/.."

build=$(realpath "${BUILD_DIR:-build}")
data="$build/data"
if [ ! -d "$data/vessmark" ]; then
  echo "play: no production in $data; build it first (bash scripts/run.sh)" >&2
  exit 1
fi

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  cd "$data"
  exec "$build/src/driver/vessmark"
fi

out=$(realpath -m "${OUT_DIR:-out}")
mkdir -p "$out"
echo "No display found: capturing the production to $out instead."
read -r -a span <<< "${CAPTURE_ARGS:---size 1280x720 --fps 30}"
cd "$data"
"$build/tools/capture/vessmark-capture" "${span[@]}" --output "$out/vessmark.mp4" \
  --contact-sheet "$out/contact-sheet.png"
echo "Open $out/vessmark.mp4 to watch it; $out/contact-sheet.png shows a frame every 5 seconds."
