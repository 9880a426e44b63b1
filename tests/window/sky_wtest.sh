#!/usr/bin/env bash
# The sky as a player sees it: with seed 9 the game opens shortly after noon (a blue sky above
# the skyline), with seed 11 shortly after midnight (a dark sky). A screenshot taken with F2 in
# the real window is read back at a patch of open sky.
set -euo pipefail
build=$(dirname "$(readlink -f "$1")")
work=$(mktemp -d)
# A scratch copy of the game, so that its settings and screenshots stay out of the build folder.
mkdir "$work/game"
cp "$build/varnhold" "$build/varnhold.lng" "$work/game/"
ln -s "$build/data" "$work/game/data"
game="$work/game/varnhold"
dir="$work/game"
xvfb=""
cleanup() {
    local st=$?
    # A failed run shows what each game said.
    if [ "$st" -ne 0 ]; then
        for log in "$work"/game*.log; do
            [ -s "$log" ] && { echo "---- $(basename "$log") (last 40 lines):"; tail -n 40 "$log"; } >&2
        done
    fi
    [ -n "$xvfb" ] && { kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; } || true
    rm -rf "$work"
    exit "$st"
}
trap cleanup EXIT

# An X server of our own on a free display.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 1 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -1 "$work/display")"
export ALSOFT_DRIVERS=null

# shoot SEED: starts the game, takes one screenshot, quits; prints the screenshot's path.
shoot() {
    local before after shot win pid
    before=$(ls "$dir"/screenshot*.png 2>/dev/null || true)
    "$game" --seed "$1" --dump "$work/world$1.json" >"$work/game$1.log" 2>&1 &
    pid=$!
    win=""
    for _ in $(seq 1 300); do
        win=$(xdotool search --name "^Varnhold [0-9]" 2>/dev/null | head -1 || true)
        [ -n "$win" ] && break
        sleep 0.1
    done
    [ -n "$win" ] || { echo "no game window for seed $1" >&2; kill $pid; wait $pid || true; return 1; }
    xdotool windowfocus --sync "$win"
    # A new window may show what was on the screen before it until the game's first frames
    # are through the software renderer: wait until the game has run a second of frames (its
    # world, written on SIGUSR1, says so).
    local ticks=0
    for n in $(seq 300); do
        [ $((n % 10)) -eq 1 ] && kill -USR1 $pid
        if [ -s "$work/world$1.json" ]; then
            ticks=$(python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))["timer"]["ticks"])' "$work/world$1.json")
            [ "$ticks" -ge 60 ] && break
            rm -f "$work/world$1.json"
        fi
        sleep 0.1
    done
    [ "$ticks" -ge 60 ] || { echo "the game with seed $1 ran no second of frames" >&2; kill $pid; wait $pid || true; return 1; }
    xdotool key F2
    for _ in $(seq 100); do
        shot=$(comm -13 <(echo "$before") <(ls "$dir"/screenshot*.png 2>/dev/null || true) | head -1)
        [ -n "$shot" ] && convert "$shot" info: >/dev/null 2>&1 && break
        sleep 0.1
    done
    xdotool key Escape
    wait $pid || true
    after=$(ls "$dir"/screenshot*.png 2>/dev/null || true)
    shot=$(comm -13 <(echo "$before") <(echo "$after") | head -1)
    [ -n "$shot" ] || { echo "no screenshot for seed $1" >&2; return 1; }
    mv "$shot" "$work/seed$1.png"
    echo "$work/seed$1.png"
}

# The mean colour of a patch of open sky right of the title, as "r g b" (0..255).
skycolour() {
    convert "$1" -crop 40x20+700+40 +repage -scale 1x1\! \
        -format '%[fx:round(255*r)] %[fx:round(255*g)] %[fx:round(255*b)]\n' info:
}

noon=$(shoot 9)
night=$(shoot 11)
read -r r g b < <(skycolour "$noon")
echo "noon sky: $r $g $b"
[ "$b" -gt 150 ] && [ "$b" -gt $((r + 60)) ] || { echo "noon sky is not blue" >&2; exit 1; }
read -r r g b < <(skycolour "$night")
echo "night sky: $r $g $b"
[ "$r" -lt 60 ] && [ "$g" -lt 60 ] && [ "$b" -lt 90 ] || { echo "night sky is not dark" >&2; exit 1; }
echo "ok"
