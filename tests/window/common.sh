# Shared steps of the real-window tests: a scratch copy of the game (so that settings and
# screenshots never land in the build folder), waiting for its window, and checks.
# Sourced by the *_wtest.sh scripts with the game's executable as $1.
set -u
# Run by hand without a display, a test starts again under an X server of its own.
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$@"
fi
export ALSOFT_DRIVERS=null
game="$1"
build="$(dirname "$(readlink -f "$game")")"
work="$(mktemp -d)"
gamedir="$work"   # where makecopy puts the game and start runs it from
pid=""
atexit=()   # commands run at the end, after the game has stopped and before the folder goes

# Stops process $1: SIGTERM, then up to 20 seconds for it to end (the game writes its settings
# as it goes), then SIGKILL. Waits for it when it is a child of this shell, so that nothing
# still writes into the test's folder when it is removed.
stop() {
    local n
    kill "$1" 2>/dev/null || return 0
    for n in $(seq 200); do
        kill -0 "$1" 2>/dev/null || break
        sleep 0.1
    done
    kill -KILL "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}

# A failed test shows what the game said: how its last run ended, its standard error and the
# last lines of its standard output.
report() {
    local st
    if [ -n "$pid" ] && ! kill -0 "$pid" 2>/dev/null; then
        wait "$pid" 2>/dev/null && st=0 || st=$?
        if [ "$st" -gt 128 ]; then
            echo "the game was ended by signal $((st - 128)) ($(kill -l "$st" 2>/dev/null))" >&2
        else
            echo "the game ended with status $st" >&2
        fi
        pid=""
    fi
    if [ -s "$work/err.txt" ]; then
        echo "---- the game's standard error (last 60 lines):" >&2
        tail -n 60 "$work/err.txt" >&2
    else
        echo "---- the game's standard error is empty" >&2
    fi
    if [ -s "$work/out.txt" ]; then
        echo "---- the game's standard output (last 20 lines):" >&2
        tail -n 20 "$work/out.txt" >&2
    fi
    echo "----" >&2
}

cleanup() {
    local st=$1 c
    [ "$st" -ne 0 ] && [ "$st" -ne 77 ] && report
    [ -n "$pid" ] && stop "$pid"
    pid=""
    for c in "${atexit[@]}"; do eval "$c" || true; done
    rm -rf "$work"
    exit "$st"
}
trap 'cleanup $?' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Root only: the game's folder $gamedir becomes a tmpfs of size $1 of its own, unmounted when
# the test ends. Without root, or where no tmpfs can be mounted, the test is skipped (77).
ownfilesystem() {
    [ "$(id -u)" -eq 0 ] || { echo "SKIPPED: mounting a small file system needs root"; exit 77; }
    mount -t tmpfs -o size="$1" tmpfs "$gamedir" 2>"$work/mount.txt" ||
        { echo "SKIPPED: no tmpfs could be mounted: $(cat "$work/mount.txt")"; exit 77; }
    atexit+=('umount "$gamedir" 2>/dev/null || umount -l "$gamedir"')
}

# The executable, the language file, the icons and data/ (each file linked, so that one can be
# left out).
makecopy() {
    local leaveout="${1:-}"
    cp "$build/varnhold" "$gamedir/"
    cp "$build/varnhold.lng" "$gamedir/"
    ln -s "$build/icons" "$gamedir/"
    mkdir "$gamedir/data"
    for f in "$build"/data/*; do
        [ "$(basename "$f")" = "$leaveout" ] && continue
        ln -s "$f" "$gamedir/data/"
    done
}

# Starts the copy in the background with the given arguments; stdout and stderr go to files.
# The game writes its world to $dump on close and whenever it gets SIGUSR1 (see snapshot):
# "$work/world.json" unless the arguments name another --dump file.
start() {
    local a prev="" named=""
    for a in "$@"; do
        [ "$prev" = "--dump" ] && named="$a"
        prev="$a"
    done
    dump="${named:-$work/world.json}"
    local extra=()
    [ -z "$named" ] && extra=(--dump "$dump")
    (cd / && exec "$gamedir/varnhold" "$@" "${extra[@]}" >"$work/out.txt" 2>"$work/err.txt") &
    pid=$!
}

# The running game's world, written into $dump on SIGUSR1 (asked again every second until it
# comes: the game answers once its start is complete). Fails after 30 seconds.
snapshot() {
    local n
    rm -f "$dump"
    for n in $(seq 300); do
        [ $((n % 10)) -eq 1 ] && { kill -USR1 "$pid" 2>/dev/null || return 1; }
        [ -s "$dump" ] && return 0
        sleep 0.1
    done
    return 1
}

# Waits up to 30 seconds until the running game's world satisfies the Python expression $1,
# in which w is the world (as the dump writes it).
waitworld() {
    local n
    for n in $(seq 60); do
        snapshot || return 1
        python3 -c 'import json, sys; w = json.load(open(sys.argv[1])); sys.exit(0 if eval(sys.argv[2]) else 1)' \
            "$dump" "$1" && return 0
        sleep 0.2
    done
    return 1
}

# The game's window id, once it is mapped (the title is "Varnhold ...") and the game answers.
# Only the window of the game just started counts: the window of one that has just ended may
# still be there, and vanish while xdotool reads it.
waitwindow() {
    local n
    win=""
    for n in $(seq 300); do
        win=$(xdotool search --all --onlyvisible --pid "$pid" --name '^Varnhold [0-9]' 2>/dev/null | head -1) || true
        [ -n "$win" ] && break
        kill -0 "$pid" 2>/dev/null || break   # the game has ended
        sleep 0.1
    done
    [ -n "$win" ] || fail "no window appeared"
    xdotool windowfocus --sync "$win" 2>/dev/null || true
    snapshot || fail "the game does not answer"
}

# Waits up to 10 seconds until the game shows $1 visible top-level windows (its main window,
# and a popup while a menu is open; the canvas's own window lies inside the main window).
waitwindows() {
    local n
    for n in $(seq 100); do
        [ "$(xdotool search --onlyvisible --maxdepth 1 --pid "$pid" 2>/dev/null | wc -l)" -eq "$1" ] && return 0
        sleep 0.1
    done
    return 1
}

# Waits up to 10 seconds for a second visible window of the game (a message box); sets box.
waitbox() {
    box=""
    for _ in $(seq 100); do
        box=$(xdotool search --onlyvisible --maxdepth 1 --pid "$pid" 2>/dev/null | grep -vx "$win" | head -1)
        [ -n "$box" ] && return 0
        sleep 0.1
    done
    return 1
}

# Closes the message box $box with Return (pressed again while the box is still settling);
# fails when it is still there after 10 tries.
closebox() {
    local n
    boxvisible() { xdotool search --onlyvisible --maxdepth 1 --pid "$pid" 2>/dev/null | grep -qx "$box"; }
    for _ in $(seq 10); do
        boxvisible || return 0
        xdotool windowfocus --sync "$box" 2>/dev/null || true
        xdotool key --window "$box" Return 2>/dev/null || true
        for n in $(seq 10); do boxvisible || return 0; sleep 0.1; done
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
