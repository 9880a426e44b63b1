#!/usr/bin/env bash
# Configures and builds Varnhold (game, asset data, tests, benchmarks) into build/.
# With --sanitize: also the checking build in build-asan/, made with clang: the game and its
# tests with AddressSanitizer and UndefinedBehaviorSanitizer, and the fuzz targets.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build build -j "$(nproc)"
if [ "${1:-}" = "--sanitize" ]; then
  # -O1 and line tables only: the sanitizers' usual setting, and half the compile time.
  # The pictures and sounds are build/'s.
  CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" \
    -DVARNHOLD_SANITIZE=ON -DVARNHOLD_FUZZ=ON -DVARNHOLD_ASSETS_FROM="$PWD/build" "${launcher[@]}" >/dev/null
  cmake --build build-asan -j "$(nproc)"
fi
