#!/usr/bin/env bash
# Builds the Debian package (Release, with the default production) into OUT_DIR (default out/) and
# checks it with lintian. Install it with: sudo apt install ./out/vessmark_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build}
out=$(realpath -m "${OUT_DIR:-out}")
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
mkdir -p "$out"
cpack --config "$build/CPackConfig.cmake" -B "$out"
rm -rf "$out/_CPack_Packages"
deb=$(ls -t "$out"/vessmark_*.deb | head -n 1)
lintian --fail-on error --allow-root "$deb"
echo "package: $deb"
