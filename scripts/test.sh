#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up, builds and runs every test, headless.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
export SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null SDL_AUDIODRIVER=dummy
build_dir=${TALLYFOLD_BUILD_DIR:-build}
ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)"
