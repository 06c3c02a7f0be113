#!/usr/bin/env bash
# Builds everything with warnings as errors and with AddressSanitizer + UndefinedBehaviorSanitizer,
# then runs the whole test suite (GL tests on a headless EGL context; desktop tests on a private Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build-test}
jobs=${JOBS:-$(nproc)}

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVM_WERROR=ON -DVM_SANITIZE=ON
cmake --build "$build" -j "$jobs"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:${ASAN_OPTIONS:-}"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0:${LSAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

# A private X server for the desktop tests (dialog, window, screenshots).
xvfb_pid=""
if [ -z "${DISPLAY:-}" ] && command -v Xvfb >/dev/null; then
  for n in $(seq 90 110); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
      xvfb_pid=$!
      export DISPLAY=":$n"
      break
    fi
  done
  sleep 1
fi
trap '[ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true' EXIT

ctest --test-dir "$build" --output-on-failure -j "$jobs" --timeout 300
