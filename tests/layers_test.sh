#!/usr/bin/env bash
# The layers' includes point one way, down: platform/ < framework/ < the game's folders (game/,
# combat/, traffic/, sky/, which see each other) < app/. The asset generator sees only the
# manifests of framework/. app/main.cpp, the program's entry, may also take bench/'s crowded
# fight for --bench-crowd.
#   bash tests/layers_test.sh SOURCE_DIR
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"
bad=0
# folder, then the folders its files may include
check() {
  local dir=$1 allowed=$2 line
  while IFS= read -r line; do
    echo "$line: $dir/ may include only $allowed"
    bad=1
  done < <(grep -rnoE '^#include "[a-z]+/' "$dir" --include='*.cpp' --include='*.h' |
           grep -vE "#include \"($allowed)/" | grep -v '^app/main.cpp:.*#include "bench/' || true)
}
check platform 'platform'
check framework 'framework|platform'
for d in game combat traffic sky; do check "$d" 'game|combat|traffic|sky|framework|platform'; done
check app 'app|game|combat|traffic|sky|framework|platform'
check tools 'framework'
[ "$bad" -eq 0 ] && echo "layers: every include points down"
exit "$bad"
