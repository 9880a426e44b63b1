#!/usr/bin/env bash
# Short games in a real window. Enter starts a game and a right click skips its first break;
# then either both mouse buttons and the S key fire, P pauses, a right click resumes and P
# pauses again, or "Show hiscore" from the Game menu leaves the game. Escape closes the window
# each time, and the world written on close must show what was played.
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
if [ -f "$(dirname "$game")/varnhold.lng" ]; then cp "$(dirname "$game")/varnhold.lng" "$dir/"; fi

fail() { echo "FAIL: $*" >&2; exit 1; }

win=""
bar=0
# A point of the canvas (800 x 400 pixels below the menu bar).
at() { xdotool mousemove --window "$win" "$1" $(($2 + bar)); }

# Starts the game, runs the xdotool steps of function $1, closes the game with Escape and
# waits for the world it writes on close.
play() {
  rm -f "$dir/world.json"
  "$dir/varnhold" --seed 5 --dump "$dir/world.json" &
  pid=$!
  win=""
  for _ in $(seq 1 200); do   # a busy machine may take long to load the pictures
    win=$(xdotool search --onlyvisible --pid "$pid" --name '^Varnhold [0-9]' 2>/dev/null | tail -1 || true)
    [ -n "$win" ] && break
    sleep 0.2
  done
  [ -n "$win" ] || fail "no game window"
  local focused=""
  for _ in $(seq 1 20); do
    if xdotool windowfocus --sync "$win" 2>/dev/null; then focused=1; break; fi
    sleep 0.2
  done
  [ -n "$focused" ] || fail "the game window does not take the focus"
  eval "$(xdotool getwindowgeometry --shell "$win")"
  bar=$((HEIGHT - 400))
  [ "$bar" -ge 0 ] || fail "window $WIDTH x $HEIGHT is smaller than the canvas"

  at 400 200
  xdotool key Return
  sleep 0.3
  xdotool click 3        # a right click skips the first "Get Ready"
  sleep 0.5
  "$1"

  xdotool key Escape
  for _ in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
  done
  if kill -0 "$pid" 2>/dev/null; then fail "Escape did not close the game"; fi
  local status=0
  wait "$pid" || status=$?
  pid=""
  [ "$status" -eq 0 ] || fail "the game exited with status $status"
  [ -s "$dir/world.json" ] || fail "no world written on close"
  [ -s "$dir/varnhold.cfg" ] || fail "no settings written on close"
}

fight() {
  # a busy machine may still be in the break: a shot does nothing then, so each is tried again
  for _ in 1 2 3; do
    at 250 150
    xdotool click 1      # left turret
    at 550 160
    xdotool click 3      # right turret
    at 400 170
    xdotool key s        # S fires the middle turret at the cursor
    sleep 0.4
  done
  xdotool key p
  sleep 0.3
  xdotool click 3        # resumes, fires nothing
  sleep 0.3
  xdotool key p
  sleep 0.3
}

# Visible top-level windows of the game: the main window, and a popup while a menu is open
# (the canvas's own window lies inside the main window).
windows() { xdotool search --onlyvisible --maxdepth 1 --pid "$pid" 2>/dev/null | wc -l; }
waitwindows() {
  for _ in $(seq 1 50); do
    [ "$(windows)" -eq "$1" ] && return 0
    sleep 0.2
  done
  fail "expected $1 visible windows, found $(windows)"
}

leave() {
  sleep 0.5
  xdotool key alt+g      # the Game menu
  waitwindows 2
  xdotool key h          # "Show &hiscore"
  waitwindows 1
  sleep 0.3
}

check() {
  python3 - "$dir/world.json" "$1" <<'PY'
import json, sys
w = json.load(open(sys.argv[1]))
lv, guns, case = w["level"], w["guns"]["d"], sys.argv[2]
def need(ok, what):
    if not ok:
        print("FAIL (%s): %s" % (case, what), file=sys.stderr)
        sys.exit(1)
need(lv["allrocket2"] >= 10, "Enter started no game")
need(lv["level"] == 1, "level %d" % lv["level"])
if case == "fight":
    need(lv["prg"] == 0, "not fighting (prg %d)" % lv["prg"])
    need(lv["pause"] == 1, "not paused")
    need(lv["speed"] == 1.0, "speed %r in level 1" % lv["speed"])
    for slot, how in [(2, "left button"), (1, "right button"), (0, "S key")]:
        need(guns[slot]["ammo"] < lv["ammo"], "the %s fired nothing" % how)
    shots = [(r["impactx"], r["impacty"]) for r in w["rockets"]["d"] if r and r["owner"] == 1]
    need(all(s in [(250, 150), (550, 160), (400, 170)] for s in shots),
         "missiles not aimed at the cursor: %r" % shots)
else:
    need(lv["prg"] == 10, "not back on the title screen (prg %d)" % lv["prg"])
    need(lv["pause"] == 0, "still paused")
    need(lv["speed"] == 2.0, "speed %r outside a game" % lv["speed"])
    need(lv["allrocket"] == 0, "missiles still due after leaving")
    need(all(g["ammo"] == lv["ammo"] for g in guns), "turrets not refilled on leaving")
PY
}

play fight
check fight
play leave
check leave
echo "ok"
