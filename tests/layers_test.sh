#!/usr/bin/env bash
# The layers' includes point one way, down: platform/ < framework/ < the game's folders (game/,
# combat/, traffic/, sky/, which see each other) < app/. Above platform/ only its public headers
# are seen (platform.h, strings.h, trig.h; the benchmarks also testing.h), never its internals
# (backend.h, internal.h, ...) nor a back end's folder. Inside platform/ the shared files see
# no back end; a back end sees the shared files, its own folder and the OpenAL folder if it plays
# through it. The score server (server/) and the browser edition's own files (web/) stand
# beside app/ and see what it sees; the benchmarks (bench/) see the game and the platform's
# testing.h. The asset generator sees only the manifests of framework/. app/main.cpp, the
# program's entry, may also take bench/'s crowded fight for --bench-crowd.
#   bash tests/layers_test.sh SOURCE_DIR
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"
bad=0
public='platform/(platform|strings|trig)'
game='(game|combat|traffic|sky|framework)/[a-z_]+'
# what is checked, then the pattern of the headers its files may include (the path without .h),
# then the files
check() {
  local what=$1 allowed=$2 line
  shift 2
  [ $# -gt 0 ] || return 0
  while IFS= read -r line; do
    echo "$line: $what may include only $allowed"
    bad=1
  done < <(grep -HnoE '^#include "[a-z_]+/[a-z_/]+\.h"' "$@" | grep -vE "#include \"($allowed)\.h\"$" |
           grep -v '^app/main.cpp:.*#include "bench/' || true)
}
sources() { find "$@" -name '*.cpp' -o -name '*.h'; }
check platform/ 'platform/[a-z_]+' $(sources platform -maxdepth 1)
check platform/headless/ 'platform/[a-z_]+|platform/headless/[a-z_]+' $(sources platform/headless)
check platform/openal/ 'platform/[a-z_]+|platform/openal/[a-z_]+' $(sources platform/openal)
check platform/desktop/ 'platform/[a-z_]+|platform/(desktop|openal)/[a-z_]+' $(sources platform/desktop)
check platform/web/ 'platform/[a-z_]+|platform/(web|openal)/[a-z_]+' $(sources platform/web)
check framework/ "framework/[a-z_]+|$public" $(sources framework)
for d in game combat traffic sky; do check "$d/" "$game|$public" $(sources $d); done
check app/ "app/[a-z_]+|$game|$public" $(sources app)
check server/ "server/[a-z_]+|app/[a-z_]+|$game|$public" $(sources server)
check web/ "app/[a-z_]+|$game|$public" $(sources web)
check bench/ "bench/[a-z_]+|app/[a-z_]+|$game|$public|platform/testing" $(sources bench)
check tools/ 'framework/[a-z_]+' $(sources tools)
[ "$bad" -eq 0 ] && echo "layers: every include points down"
exit "$bad"
