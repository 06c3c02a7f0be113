#!/usr/bin/env bash
# Installs every Debian package that building, testing and running the demo need, and the npm
# packages of the browser tests (tests/web, from its lockfile).
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
  # build
  cmake ninja-build pkg-config g++ clang libclang-rt-14-dev clang-format
  # graphics, windowing, dialog
  libsdl2-dev libx11-dev libepoxy-dev libegl-dev libgl-dev libegl-mesa0 libgl1-mesa-dri libimgui-dev
  # OpenGL ES 3.0 contexts (the browser's flavour of the device, tested natively)
  libgles2
  # effects: HLSL -> SPIR-V -> GLSL
  glslang-dev glslang-tools libspirv-cross-c-shared-dev spirv-cross spirv-tools
  # audio and content
  libmpg123-dev libmp3lame-dev libstb-dev libfreetype-dev fonts-dejavu-core
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev libglm-dev
  # desktop checks, screenshots and capture (message boxes under X need the core X fonts)
  xvfb xfonts-base xdotool x11-utils imagemagick ffmpeg
  # icons, the Debian package and its checks
  librsvg2-bin dpkg-dev lintian desktop-file-utils
  # the browser build (emscripten; its JS optimiser needs node-acorn) and its tests (chromium,
  # driven by puppeteer-core from npm)
  emscripten node-acorn chromium nodejs npm
)

missing=()
for p in "${packages[@]}"; do
  # A Node.js from elsewhere (NodeSource's, say) brings its own npm and conflicts with Debian's.
  [ "$p" = npm ] && command -v npm >/dev/null && continue
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  echo "setup: installing ${missing[*]}"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "setup: all packages present"
fi

# The browser tests' npm packages, exactly as locked (node_modules/ is not in the repository).
web_tests="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/tests/web"
if [ ! -d "$web_tests/node_modules/puppeteer-core" ] ||
   [ "$web_tests/package-lock.json" -nt "$web_tests/node_modules/.package-lock.json" ]; then
  echo "setup: installing the browser tests' npm packages"
  (cd "$web_tests" && npm ci --no-audit --no-fund --loglevel=error)
fi
