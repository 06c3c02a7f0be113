#!/usr/bin/env bash
# Builds the browser version of the demo into out/web/ (index.html, index.js, index.wasm,
# index.data), ready for any static server:
#   1. natively: the default production and the effect baker (a host build, Release);
#   2. the production staged with every effect baked to GLSL ES (vessmark-fxbake);
#   3. the page with Debian's emscripten (emcmake), the staged production packed into it.
# Usage: bash scripts/web.sh [--host-build DIR] [--build DIR] [--out DIR]
#   --host-build  a native build folder to take the production and the baker from (built there if
#                 needed; default build-web-host, Release); the test suite passes its own
#   --build       the emscripten build folder (default build-web)
#   --out         where the page goes (default out/web)
# Serve it with e.g. `python3 -m http.server -d out/web` and open http://localhost:8000/.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
host="$root/build-web-host"
build="$root/build-web"
out="$root/out/web"
while [ $# -gt 0 ]; do
  case "$1" in
    --host-build) host="$(realpath -m "$2")"; shift 2 ;;
    --build) build="$(realpath -m "$2")"; shift 2 ;;
    --out) out="$(realpath -m "$2")"; shift 2 ;;
    *) echo "usage: bash scripts/web.sh [--host-build DIR] [--build DIR] [--out DIR]" >&2; exit 2 ;;
  esac
done
jobs="${VM_JOBS:-2}"
for tool in emcmake em++; do
  command -v "$tool" >/dev/null || { echo "web.sh: $tool not found (bash scripts/setup.sh installs emscripten)" >&2; exit 1; }
done
# Debian's emscripten: its JS optimiser needs Debian's acorn (node-acorn) at -O2.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"

# Runs a build step quietly; on failure shows what it said.
quiet() {
  local log
  log="$(mktemp)"
  if ! "$@" >"$log" 2>&1; then
    tail -n 60 "$log" >&2
    rm -f "$log"
    echo "web.sh: failed: $*" >&2
    exit 1
  fi
  rm -f "$log"
}

# 1. The production and the baker, natively.
if [ ! -f "$host/CMakeCache.txt" ]; then
  quiet cmake -S "$root" -B "$host" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
fi
quiet cmake --build "$host" -j"$jobs" --target content fxbake

# 2. The staged production: the files the demo reads, each effect with its baked file beside it.
# Replaced only when something changed, so that an unchanged production does not relink the page.
stage="$build/production"
fresh="$build/production.new"
rm -rf "$fresh"
mkdir -p "$fresh"
cp -r "$host/data/." "$fresh/"
rm -f "$fresh/lol.txt"
quiet "$host/tools/fxbake/vessmark-fxbake" "$fresh"
if [ -d "$stage" ] && diff -r -q "$stage" "$fresh" >/dev/null; then
  rm -rf "$fresh"
else
  rm -rf "$stage"
  mv "$fresh" "$stage"
fi

# 3. The page.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
quiet emcmake cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DVM_WEB_PRODUCTION="$stage" -DVM_WEB_OUT="$out" "${launcher[@]}"
quiet cmake --build "$build" -j"$jobs"
echo "web.sh: the page is in $out"
