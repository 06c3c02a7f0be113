#!/usr/bin/env bash
# Installs every Debian package that building, testing and running the demo need.
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
)

missing=()
for p in "${packages[@]}"; do
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
