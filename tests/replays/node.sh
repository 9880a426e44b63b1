#!/usr/bin/env bash
# Plays a replay back in the browser build's game run by Node (build-web/varnhold_node.js, made
# by scripts/web.sh): it must reach the digests the desktop's game reached. Skipped (77) with
# the reason where that build or Node is missing.
# Usage: bash tests/replays/node.sh BUILD-FOLDER REPLAY   (data/ comes from BUILD-FOLDER)
set -euo pipefail
js="$(cd "$(dirname "$0")/../.." && pwd)/build-web/varnhold_node.js"
[ -f "$js" ] || { echo "skipped: no browser build ($js; bash scripts/web.sh makes it)"; exit 77; }
command -v node >/dev/null 2>&1 || { echo "skipped: no Node.js"; exit 77; }
replay="$(readlink -f "$2")"
cd "$1"
exec node --no-experimental-fetch "$js" --replay "$replay" --headless
