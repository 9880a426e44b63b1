#!/usr/bin/env bash
# The X display at start. Without any display the game says so and ends with status 1. A
# display that is not there yet (a server still starting, or one resetting after its last
# client left) is waited for: the game started before its server opens its window once the
# server is up, instead of ending at the first refused connection.
# Usage: display_wtest.sh PATH-TO-VARNHOLD
set -euo pipefail
game=$(readlink -f "$1")
source "$(dirname "$(readlink -f "$0")")/common.sh" "$game"
set -e
makecopy

# No display at all.
set +e
(cd / && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$gamedir/varnhold" --seed 1 >"$work/out.txt" 2>"$work/err.txt")
st=$?
set -e
[ "$st" -eq 1 ] || fail "without a display the game ended with status $st"
grep -q "^varnhold: no display" "$work/err.txt" || fail "the missing display was not said: $(cat "$work/err.txt")"

# A display that comes after the game: a free display number, its server started once the
# game has begun to look for it (it has loaded the X connection's library).
n=""
for try in $(seq 200 299); do
    [ -e "/tmp/.X$try-lock" ] || [ -e "/tmp/.X11-unix/X$try" ] || { n=$try; break; }
done
[ -n "$n" ] || fail "no free display number"
xvfb=""
atexit+=('[ -n "$xvfb" ] && stop "$xvfb"')
DISPLAY=":$n" start --seed 1
for _ in $(seq 300); do
    kill -0 "$pid" 2>/dev/null || break
    grep -q libxcb "/proc/$pid/maps" 2>/dev/null && break
    sleep 0.1
done
Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.txt" 2>&1 &
xvfb=$!
DISPLAY=":$n" waitwindow
DISPLAY=":$n" xdotool key --window "$win" Escape
waitexit 20 || fail "Escape did not close the game"
[ "$status" -eq 0 ] || fail "the game exited with status $status"
echo "ok"
