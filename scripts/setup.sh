#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages Tallyfold needs (quietly, and only what is missing)
# and builds it into build/. Used by scripts/play.sh and scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  g++ cmake make pkg-config
  libsdl2-dev libsdl2-image-dev libopenal-dev libfreetype-dev
  libvorbis-dev libogg-dev zlib1g-dev libpng-dev libjpeg-dev libcairo2-dev libfontconfig-dev
  fonts-crosextra-carlito libgtest-dev libgmock-dev libbenchmark-dev
  dpkg-dev file desktop-file-utils appstream groff-base lintian xvfb x11-utils xdotool imagemagick weston poppler-utils
  clang libclang-rt-dev clang-format universal-ctags
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

build_dir=${TALLYFOLD_BUILD_DIR:-build}
cmake -S . -B "$build_dir" ${TALLYFOLD_CMAKE_ARGS:-} >/dev/null
cmake --build "$build_dir" -j "$(nproc)"
