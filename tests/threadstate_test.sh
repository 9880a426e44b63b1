#!/usr/bin/env bash
# The world is made by the start-up steps (game/world.h), but the other thread-locals a file
# declares in a header are not: GCC reaches another file's thread-local without making it
# first (-fno-extern-tls-init). So a file that defines a thread-local declared in a header
# (reached from other files) and made at run time (a class, a string, a vector: anything but
# a number, a bool or a pointer) registers a toucher with ThreadState(), or a new thread would
# find that object unmade.
#   bash tests/threadstate_test.sh SOURCE_DIR
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"
bad=0
# the names that headers declare `extern thread_local`
names=$(grep -rhoE '^extern thread_local [^;(]*;' --include='*.h' app framework game combat traffic sky platform |
        sed -E 's/\[[^]]*\]//g; s/^extern thread_local [A-Za-z_:<>]+[ *&]+//; s/;$//; s/,/ /g; s/[*&]//g')
for name in $names; do
  while IFS=: read -r file def; do
    # made at the program's start from constants: nothing to make
    if echo "$def" | grep -qE '^(static )?thread_local (int|unsigned|float|double|bool|[A-Za-z_:]+ ?\*|void \(\*)'; then continue; fi
    if ! grep -q 'ThreadState(' "$file"; then
      echo "$file: defines the thread-local $name, which other files reach, but registers no ThreadState toucher"
      bad=1
    fi
  done < <(grep -rHE "^thread_local [^;(]*[ *&]$name( |\[|\{|;|=)" --include='*.cpp' app framework game combat traffic sky platform |
           sed -E 's/^([^:]+):/\1:/' || true)
done
[ "$bad" = 0 ] && echo "every file whose made thread-locals others reach registers a toucher"
exit "$bad"
