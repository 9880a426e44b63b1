#!/usr/bin/env bash
# Builds Varnhold and runs every test: unit and scenario tests headless, real-window tests under
# Xvfb, the browser edition's tests in headless Chromium (scripts/web.sh builds it). With
# --sanitize: the same suite in the checking build (build-asan/, AddressSanitizer and
# UndefinedBehaviorSanitizer; any finding fails its test). Every other argument goes to CTest:
#   bash scripts/test.sh -R replay          only the tests whose names match
#   bash scripts/test.sh --sanitize -R rocket -j 1
set -euo pipefail
cd "$(dirname "$0")/.."
folder=build
if [ "${1:-}" = "--sanitize" ]; then
  shift
  bash scripts/build.sh --sanitize
  source scripts/sanitizers.sh
  folder=build-asan
else
  bash scripts/build.sh
  bash scripts/web.sh
fi
export ALSOFT_DRIVERS=null
cd "$folder"
# The window tests always get an X server of their own, never the caller's desktop: no window
# pops up there, and no window manager or screen size of that desktop changes what they see.
# A test that hangs fails after 10 minutes (tests that need longer say so themselves) instead of
# holding the whole run.
exec xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j 2 --timeout 600 "$@"
