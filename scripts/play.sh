#!/usr/bin/env bash
# Builds Varnhold and starts it. Extra arguments go to the game (try --help).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
exec ./build/varnhold "$@"
