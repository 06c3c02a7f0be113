#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang, ASan and UBSan, and runs each for FUZZ_SECONDS
# (default 300). What a fuzzer finds stays in build-fuzz/tests/fuzz/corpus/<fuzzer>-work and its crash
# files in build-fuzz/tests/fuzz/ (turn each into a regression test).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${FUZZ_BUILD_DIR:-build-fuzz}
seconds=${FUZZ_SECONDS:-300}
fuzzers=(fuzz_track fuzz_mesh fuzz_effect fuzz_image fuzz_mp3 fuzz_baked_effect)

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVM_FUZZ=ON -DVM_SANITIZE=ON -DVM_BUILD_CONTENT=OFF -DBUILD_TESTING=ON \
  -DVM_FUZZ_SECONDS="$seconds" >/dev/null
cmake --build "$build" -j "${JOBS:-$(nproc)}" --target make_seeds fxbake "${fuzzers[@]}"

export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:${LSAN_OPTIONS:-}"
ctest --test-dir "$build" -L fuzz --output-on-failure --timeout $((seconds + 120)) "$@"
