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

# The executable, the language file and data/ (each file linked, so that one can be left out).
makecopy() {
    local leaveout="${1:-}"
    cp "$build/varnhold" "$work/"
    cp "$build/varnhold.lng" "$work/"
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
    win=$(timeout 30 xdotool search --sync --onlyvisible --name '^Varnhold' 2>/dev/null | head -1)
    [ -n "$win" ] || fail "no window appeared"
    xdotool windowfocus --sync "$win" 2>/dev/null || true
    sleep 1
}

# Waits up to 10 seconds for a second visible window of the game (a message box); sets box.
waitbox() {
    box=""
    for _ in $(seq 100); do
        box=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | grep -vx "$win" | head -1)
        [ -n "$box" ] && return 0
        sleep 0.1
    done
    return 1
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
