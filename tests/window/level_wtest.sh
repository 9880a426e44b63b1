#!/usr/bin/env bash
# A short game in a real window: Enter starts it, both mouse buttons and the keys fire, P
# pauses and resumes, "Show hiscore" from the Game menu leaves it, Escape closes the window.
# The world written on close must show the game that was played and the title screen after it.
# Usage: level_wtest.sh PATH-TO-VARNHOLD
set -euo pipefail

game=$(readlink -f "$1")
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" "$game"
fi
export ALSOFT_DRIVERS=null

# The game keeps its settings beside itself: play a copy in a folder of its own.
dir=$(mktemp -d)
pid=""
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill "$pid"; fi
  rm -rf "$dir"
}
trap cleanup EXIT
cp "$game" "$dir/varnhold"
cp -r "$(dirname "$game")/data" "$dir/data"
[ -f "$(dirname "$game")/varnhold.lng" ] && cp "$(dirname "$game")/varnhold.lng" "$dir/"

fail() { echo "FAIL: $*" >&2; exit 1; }

"$dir/varnhold" --seed 5 --dump "$dir/world.json" &
pid=$!

win=""
for _ in $(seq 1 100); do
  win=$(xdotool search --pid "$pid" --name '^Varnhold' 2>/dev/null | tail -1 || true)
  [ -n "$win" ] && break
  sleep 0.2
done
[ -n "$win" ] || fail "no game window"
sleep 1.5   # the pictures and sounds are loaded behind the loading screen
xdotool windowfocus --sync "$win"

# The canvas is 800 x 400 pixels below the menu bar.
eval "$(xdotool getwindowgeometry --shell "$win")"
bar=$((HEIGHT - 400))
[ "$bar" -ge 0 ] || fail "window $WIDTH x $HEIGHT is smaller than the canvas"
at() { xdotool mousemove --window "$win" "$1" $(($2 + bar)); }

at 400 200
xdotool key Return
sleep 3.5   # "Get Ready" lasts 180 frames

at 250 150
xdotool click 1          # left turret
at 550 160
xdotool click 3          # right turret
at 400 170
xdotool key a d s        # the keys fire at the cursor too
sleep 0.3

xdotool key p
sleep 0.5
xdotool key p
sleep 0.2

# Game menu, "Show hiscore"
xdotool key alt+g
sleep 0.5
xdotool key h
sleep 0.5

xdotool key Escape
for _ in $(seq 1 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.2
done
kill -0 "$pid" 2>/dev/null && fail "Escape did not close the game"
wait "$pid" || fail "the game exited with status $?"
pid=""

[ -s "$dir/world.json" ] || fail "no world written on close"
[ -s "$dir/varnhold.cfg" ] || fail "no settings written on close"

python3 - "$dir/world.json" <<'EOF'
import json, sys
w = json.load(open(sys.argv[1]))
lv = w["level"]
def check(ok, what):
    if not ok:
        print("FAIL:", what, file=sys.stderr)
        sys.exit(1)
check(lv["allrocket2"] >= 10, "Enter started no game (allrocket2 %d)" % lv["allrocket2"])
check(lv["prg"] == 10, "not back on the title screen (prg %d)" % lv["prg"])
check(lv["pause"] == 0, "still paused")
check(lv["speed"] == 2.0, "speed %r outside a game" % lv["speed"])
check(lv["allrocket"] == 0, "missiles still due after leaving")
guns = w["guns"]["d"]
check(all(g["ammo"] == lv["ammo"] for g in guns), "turrets not refilled on leaving")
# the three shots aimed at the cursor: left button, right button and the keys
shots = [(r["impactx"], r["impacty"]) for r in w["rockets"]["d"] if r and r["owner"] == 1]
for aim in [(250, 150), (550, 160), (400, 170)]:
    check(any(abs(x - aim[0]) <= 1 and abs(y - aim[1]) <= 1 for x, y in shots),
          "no missile aimed at %r among %r" % (aim, shots))
print("ok: played level", lv["level"], "score", lv["score"])
EOF
