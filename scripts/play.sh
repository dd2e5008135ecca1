#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sets up, builds and starts Tallyfold.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
exec build/bin/tallyfold "$@"
