#!/usr/bin/env bash
# Builds everything with warnings as errors and with AddressSanitizer + UndefinedBehaviorSanitizer,
# then runs the whole test suite (GL tests on a headless EGL context; desktop tests on private Xvfb
# servers), and a short run of each fuzzer when clang is installed.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build-test}
jobs=${JOBS:-$(nproc)}

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVM_WERROR=ON -DVM_SANITIZE=ON
cmake --build "$build" -j "$jobs"

export ASAN_OPTIONS="detect_leaks=1:${ASAN_OPTIONS:-}"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0:${LSAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

# Desktop tests start their own Xvfb servers; everything else runs headless, whatever this
# shell's display is.
unset DISPLAY WAYLAND_DISPLAY

# Each fuzzer for a few seconds first (scripts/fuzz.sh runs them longer), then the whole suite.
FUZZ_SECONDS=${FUZZ_SECONDS:-10} JOBS="$jobs" bash scripts/fuzz.sh
ctest --test-dir "$build" --output-on-failure -j "$jobs" --timeout 300
