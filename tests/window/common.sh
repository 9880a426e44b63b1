# Shared steps of the real-window tests: a scratch copy of the game (so that settings and
# screenshots never land in the build folder), waiting for its window, and checks.
# Sourced by the *_wtest.sh scripts with the game's executable as $1.
set -u
game="$1"
build="$(dirname "$(readlink -f "$game")")"
work="$(mktemp -d)"
pid=""
cleanup() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill "$pid" 2>/dev/null; fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The executable, the language file, the icons and data/ (each file linked, so that one can be
# left out).
makecopy() {
    local leaveout="${1:-}"
    cp "$build/varnhold" "$work/"
    cp "$build/varnhold.lng" "$work/"
    ln -s "$build/icons" "$work/"
    mkdir "$work/data"
    for f in "$build"/data/*; do
        [ "$(basename "$f")" = "$leaveout" ] && continue
        ln -s "$f" "$work/data/"
    done
}

# Starts the copy in the background with the given arguments; stdout and stderr go to files.
start() {
    (cd / && exec "$work/varnhold" "$@" >"$work/out.txt" 2>"$work/err.txt") &
    pid=$!
}

# The game's window id, once it is mapped (the title is "Varnhold ...").
waitwindow() {
    win=$(timeout 30 xdotool search --sync --onlyvisible --name '^Varnhold [0-9]' 2>/dev/null | head -1)
    [ -n "$win" ] || fail "no window appeared"
    xdotool windowfocus --sync "$win" 2>/dev/null || true
    sleep 1
}

# Waits up to $1 seconds for the game to end; sets status.
waitexit() {
    local n=0
    while kill -0 "$pid" 2>/dev/null; do
        n=$((n + 1))
        [ $n -gt $(($1 * 10)) ] && return 1
        sleep 0.1
    done
    wait "$pid"
    status=$?
    pid=""
    return 0
}

# The head of a settings file, read with its layout: the window's x, y, width and height (four
# varints), the four option bytes, the language tag and the volume, on one line.
settingshead() {
    python3 - "$1" <<'PY'
import sys
b = open(sys.argv[1], "rb").read()
p = 0
def varint():
    global p
    v = s = 0
    while True:
        c = b[p]; p += 1
        v |= (c & 127) << s; s += 7
        if not c & 128: return v
print(*[varint() for _ in range(4)], *b[p:p + 6])
PY
}
