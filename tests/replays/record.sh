#!/usr/bin/env bash
# Records the test replays of this folder again: each game is played in a real window (under
# Xvfb when there is no display) by xdotool, recorded with --record, then played back headless
# once to make sure it repeats. Run it after a change to the game's rules or random draws
# (docs/replay.md); the replays' CTest tests play each file back headless.
# Usage: bash tests/replays/record.sh [BUILD-FOLDER [GAME...]]   (default: build, every game)
# With RECORD_TO=FOLDER the replays go there instead (the server's tests keep games recorded
# on a busy machine in tests/server/busy/); the game "long" is a minute and a half of play at
# normal speed, recorded for those only.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(readlink -f "${1:-$here/../../build}")"
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$build" "${@:2}"
fi
games=("${@:2}")
[ ${#games[@]} -gt 0 ] || games=(fight menus highscore daily)
export ALSOFT_DRIVERS=null
[ -x "$build/varnhold" ] || { echo "no game in $build: build it first (bash scripts/build.sh)" >&2; exit 1; }

# A scratch copy of the game, so that no settings land in the build folder.
work="$(mktemp -d)"
pid=""
cleanup() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill "$pid"; fi
    rm -rf "$work"
}
trap cleanup EXIT
cp "$build/varnhold" "$build/varnhold.lng" "$work/"
ln -s "$build/data" "$work/data"

win=""
bar=0
# A point of the canvas in playfield units while the canvas is 800 x 400 pixels.
at() { xdotool mousemove --window "$win" "$1" $(($2 + bar)); }
key() { xdotool key "$@"; sleep 0.3; }

# waitstate EXPR SECONDS: asks the running game for its world (SIGUSR1 writes the --dump file)
# until the Python expression holds of it (w is the world), for at most SECONDS seconds.
waitstate() {
    local end=$((SECONDS + $2))
    while [ "$SECONDS" -lt "$end" ]; do
        rm -f "$work/world.json"
        kill -USR1 "$pid" 2>/dev/null || return 1
        for _ in $(seq 20); do [ -s "$work/world.json" ] && break; sleep 0.1; done
        [ -s "$work/world.json" ] && python3 -c 'import json, sys; w = json.load(open(sys.argv[1]))
sys.exit(0 if eval(sys.argv[2]) else 1)' "$work/world.json" "$1" 2>/dev/null && return 0
        sleep 0.5
    done
    return 1
}

# record NAME SEED STEPS: plays the game with the xdotool steps of function STEPS, closes it
# with Escape and checks the replay it wrote.
record() {
    local name=$1 out="$work/$1.vhr"
    rm -f "$work/varnhold.cfg"
    [ "$name" != highscore ] || python3 "$here/../support/lowtable.py" "$work/varnhold.cfg"   # any row enters the table
    "$work/varnhold" --seed "$2" --record "$out" --dump "$work/world.json" >"$work/out.txt" 2>&1 &
    pid=$!
    win=$(timeout 60 xdotool search --sync --onlyvisible --pid "$pid" --name '^Varnhold [0-9]' | head -1)
    [ -n "$win" ] || { echo "no game window" >&2; exit 1; }
    xdotool windowfocus --sync "$win"
    sleep 1
    eval "$(xdotool getwindowgeometry --shell "$win")"
    bar=$((HEIGHT - 400))
    "$3"
    xdotool key --window "$win" Escape
    wait "$pid"
    pid=""
    "$work/varnhold" --replay "$out" --headless || { echo "$name did not repeat" >&2; exit 1; }
    cp "$out" "${RECORD_TO:-$here}/$name.vhr"
}

# A fight: Return starts, a right click skips "Get Ready", both buttons and the keys fire, P
# pauses and resumes, F5 is held for a while.
fight() {
    at 400 200
    key Return
    xdotool click 3
    sleep 1
    at 250 120; xdotool click 1; sleep 0.3
    at 560 150; xdotool click 3; sleep 0.3
    key s; key Left; key d
    sleep 1
    key p; sleep 0.5; key p
    xdotool keydown --window "$win" F5; sleep 1.5; xdotool keyup --window "$win" F5
    at 300 200; xdotool click 1; sleep 0.3
    at 500 90; xdotool click 1
    sleep 2
}

# The menus and the window: the wheel, a larger window, a game started and paused from the
# menus, the Help box, hidden text, "Show hiscore".
menus() {
    at 400 200
    for b in 5 5 4; do xdotool click $b; sleep 0.2; done
    xdotool windowsize "$win" 1000 $((500 + bar))
    sleep 1
    key alt+g; key s                          # "&Start (Enter)"
    sleep 3.5
    # the canvas is 1000 x 500 now: the playfield unit (x, y) is the pixel (1.25 x, 1.25 y)
    xdotool mousemove --window "$win" 375 $((150 + bar)); xdotool click 1; sleep 0.5
    key alt+p                                 # "&Pause (P)"
    sleep 0.5
    key alt+p
    key alt+h                                 # "&Help": a message box, closed with Return
    local box=""
    for _ in $(seq 50); do
        box=$(xdotool search --onlyvisible --name '^Varnhold [0-9]' 2>/dev/null | grep -vx "$win" | head -1 || true)
        [ -n "$box" ] && break
        sleep 0.2
    done
    [ -n "$box" ] || { echo "Help showed no box" >&2; exit 1; }
    sleep 0.5
    for _ in $(seq 10); do   # the box may still be settling: try again until it is gone
        xdotool search --onlyvisible --name '^Varnhold [0-9]' 2>/dev/null | grep -qx "$box" || break
        xdotool windowfocus --sync "$box" 2>/dev/null || true
        xdotool key --window "$box" Return 2>/dev/null || true
        sleep 0.5
    done
    xdotool windowfocus --sync "$win" 2>/dev/null || true
    key p                                     # Help left the game paused
    key h
    key alt+g; key h                          # "Show &hiscore"
    sleep 1
}

# A game to its end with F5 held, then a name typed into the high-score table.
highscore() {
    at 400 200
    key Return
    xdotool click 3
    sleep 1
    at 300 150; xdotool click 1; sleep 0.3
    at 500 150; xdotool click 3; sleep 0.3
    # F5 held until the game is over and the name entry opens (level_nameentry), however
    # long the machine takes
    xdotool keydown --window "$win" F5
    waitstate 'w["level"]["prg"] == 3' 600 || { xdotool keyup --window "$win" F5; echo "highscore never reached the name entry" >&2; exit 1; }
    xdotool keyup --window "$win" F5
    # "\xe5da": a name in Latin-1, typed again while the game did not get every key (xdotool
    # maps the Aring key for the moment, and the first press may be lost)
    for try in 1 2 3; do
        key End
        for _ in $(seq 12); do xdotool key BackSpace; sleep 0.1; done
        key Aring; key d; key a
        waitstate 'w["level"]["name"] == "\u00e5da"' 10 && break
        [ "$try" -lt 3 ] || { echo "highscore: the name was never typed whole" >&2; exit 1; }
    done
    key Return
    sleep 1
}

# The daily challenge from the Game menu after a while on the title screen: a fresh world from
# the day's seed, shots of both buttons, F5 held a while; Escape quits it, and the --record file
# holds the daily game alone (from the menu's choice on).
daily() {
    at 400 200
    sleep 2
    key alt+g; key d                          # "&Daily challenge"
    xdotool click 3
    sleep 1
    at 250 120; xdotool click 1; sleep 0.3
    at 560 150; xdotool click 3; sleep 0.3
    key s; key Left
    xdotool keydown --window "$win" F5; sleep 2; xdotool keyup --window "$win" F5
    at 400 100; xdotool click 1
    sleep 1
}

# A minute and a half of play at normal speed: clicks of both buttons across the sky.
long() {
    at 400 200
    key Return
    xdotool click 3
    sleep 1
    for i in $(seq 90); do
        at $((150 + (i * 97) % 500)) $((60 + (i * 53) % 180))
        xdotool click $((1 + 2 * (i % 2)))
        sleep 1
    done
}

for game in "${games[@]}"; do
    case $game in
    fight) record fight 11 fight ;;
    menus) record menus 23 menus ;;
    highscore) record highscore 31 highscore ;;
    long) record long 47 long ;;
    daily) record daily 41 daily ;;
    *) echo "no game $game" >&2; exit 1 ;;
    esac
done
echo "recorded: $(ls "$here"/*.vhr | xargs -n1 basename | tr '\n' ' ')"
