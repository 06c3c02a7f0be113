#!/usr/bin/env bash
# Builds the benchmark programs and the default production in Release, runs them all and prints
# their figures. Run from anywhere; needs no display. A few minutes on a 2-core machine.
#   bash scripts/bench.sh [BUILD_DIR]      (default: build-bench in the repository)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build-bench}"
jobs="${VM_JOBS:-2}"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVM_BUILD_CONTENT=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j"$jobs" --target content capture frame_bench startup_bench swarm_draws_bench \
  bench_gfx_draws bench_fx bench_sync live_bench >/dev/null

section() { printf '\n==== %s\n' "$*"; }

section "machine"
grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //'
echo "cores: $(nproc)"
dpkg-query -W -f='mesa (libgl1-mesa-dri) ${Version}\n' libgl1-mesa-dri 2>/dev/null || true
echo "load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"

for size in 1280x720 1920x1080; do
  section "frame time by part and filter, $size"
  "$build/bench/frame/frame_bench" --size "$size"
done

section "per-draw CPU work, part 4 (1,200 draws)"
"$build/bench/draws/swarm_draws_bench" | grep -v -e ' = ' -e '^dismode'

section "start-up (three runs) and peak memory"
for i in 1 2 3; do "$build/bench/startup/startup_bench" --size 1280x720; done
"$build/bench/startup/startup_bench" --size 1920x1080
"$build/bench/startup/startup_bench" --size 1920x1080 --run-through 123 | tail -1

section "capture throughput (2 frames per second of music over 0..123 s, contact sheet only)"
out="$(mktemp -d)"
for size in 1280x720 1920x1080; do
  start=$(date +%s.%N)
  (cd "$build/data" && "$build/tools/capture/vessmark-capture" --size "$size" --fps 2 --quiet \
     --contact-sheet "$out/sheet-$size.png" >/dev/null)
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" -v n=246 -v z="$size" \
    'BEGIN { printf "%s: %d frames in %.1f s: %.2f frames a second\n", z, n, e - s, n / (e - s) }'
done
rm -rf "$out"

section "live mode: reload times and the overlay's cost per frame"
"$build/bench/live/live_bench" --size 1280x720

section "platform benchmarks"
"$build/bench/gfx/bench_gfx_draws"
"$build/bench/fx/bench_fx"
(cd "$build/data" && "$build/bench/sync/bench_sync")
