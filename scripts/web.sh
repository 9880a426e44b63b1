#!/usr/bin/env bash
# Builds the browser edition into build-web/ with Debian's Emscripten: the game's code compiled
# by emcc, with the pictures and sounds of the native asset generator (build/'s, made there
# when missing).
# The site is build-web/site/ and build-web/varnhold-web.zip; --serve then serves it on
# 127.0.0.1 and prints the address.
# --scores URL builds the site for that score server ("Send scores", "Shared high scores",
# "Watch the best game"); without it those entries are greyed out unless the page's address
# names one (?scores=URL).
# Usage: bash scripts/web.sh [--scores URL] [--serve]
set -euo pipefail
cd "$(dirname "$0")/.."
serve=0
scores=""
while [ $# -gt 0 ]; do
  case "$1" in
    --serve) serve=1 ;;
    --scores) scores="${2:?--scores needs an address}"; shift ;;
    *) echo "usage: bash scripts/web.sh [--scores URL] [--serve]" >&2; exit 2 ;;
  esac
  shift
done
bash scripts/install-deps.sh --web
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)

# The asset generator runs natively: the same data/ as the desktop's.
if [ ! -f build/varnhold.lng ] || [ ! -d build/data ] || [ ! -f build/icons/web/icon-maskable.png ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
  cmake --build build -j "$(nproc)" --target assets
fi

# emcc's JavaScript optimiser is a Node program that needs Debian's Node modules (acorn).
NODE_PATH="$(dirname "$(dpkg -L node-acorn | grep -m1 '/acorn$')")"
export NODE_PATH
emcmake cmake -S . -B build-web -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DVARNHOLD_ASSETS_FROM="$PWD/build" -DVARNHOLD_WEB_SCORES="$scores" "${launcher[@]}" >/dev/null
cmake --build build-web -j "$(nproc)"

# The site as one zip, ready to upload to a game-hosting site; the browser tests' driver.
rm -f build-web/varnhold-web.zip
(cd build-web/site && zip -qr ../varnhold-web.zip .)
(cd tests/web && npm ci --no-audit --no-fund --silent)
echo "The browser edition: build-web/site/ (and build-web/varnhold-web.zip)"
if [ "$serve" = 1 ]; then
  exec node web/serve.mjs build-web/site 8080
fi
