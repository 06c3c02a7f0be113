#!/usr/bin/env bash
# Builds the demo and its default production, then runs the main job:
#   with a display: the interactive demo (setup dialog, then the show);
#   without one:    a capture of the whole production to a video and a contact sheet.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
cmake --build "$build" -j "$(nproc)"

data="$PWD/$build/data"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  cd "$data"
  exec "../src/driver/vessmark"
else
  out="$PWD/out"
  mkdir -p "$out"
  echo "No display found: capturing the production to $out instead."
  cd "$data"
  exec "../tools/capture/capture" --size 1280x720 --fps 30 --output "$out/vessmark.mp4" \
       --contact-sheet "$out/contact-sheet.png"
fi
