#!/usr/bin/env bash
# Sets up, builds and starts Tallyfold.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
exec build/bin/tallyfold "$@"
