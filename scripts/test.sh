#!/usr/bin/env bash
# Builds Varnhold and runs every test: unit and scenario tests headless, real-window tests under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
export ALSOFT_DRIVERS=null
cd build
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j 2
fi
exec ctest --output-on-failure -j 2
