#!/usr/bin/env bash
# Builds the demo and its default production (Release), then runs the main job (scripts/play.sh):
#   with a display: the interactive demo (setup dialog, then the show);
#   without one:    a capture of the whole production to a video and a contact sheet.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
BUILD_DIR="$build" exec bash scripts/play.sh
