#!/usr/bin/env bash
# Builds the Debian package into OUT_DIR (default out/): a Release build in BUILD_DIR (default
# build-package) with Debian's hardening flags (dpkg-buildflags), the default production, then
# cpack, and a lintian check. Install it with: sudo apt install ./out/vessmark_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build-package}
out=$(realpath -m "${OUT_DIR:-out}")
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  -DCMAKE_C_FLAGS="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build" -j "$(nproc)"
mkdir -p "$out"
cpack --config "$build/CPackConfig.cmake" -B "$out"
rm -rf "$out/_CPack_Packages"
deb=$(ls -t "$out"/vessmark_*.deb | head -n 1)
lintian --fail-on error --allow-root --tag-display-limit 0 "$deb"
echo "package: $deb"
