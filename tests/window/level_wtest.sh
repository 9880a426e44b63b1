#!/usr/bin/env bash
# Short games in a real window. Enter starts a game and a right click skips its first break;
# then either both mouse buttons and the S key fire, P pauses, a right click resumes and P
# pauses again, or "Show hiscore" from the Game menu leaves the game. Each step waits for the
# game to show its outcome. Escape closes the window each time, and the world written on
# close must show what was played.
# Usage: level_wtest.sh PATH-TO-VARNHOLD
set -euo pipefail
game=$(readlink -f "$1")
source "$(dirname "$(readlink -f "$0")")/common.sh" "$game"
set -e
makecopy

bar=0
# A point of the canvas (800 x 400 pixels below the menu bar).
at() { xdotool mousemove --window "$win" "$1" $(($2 + bar)); }

# Starts the game, runs the xdotool steps of function $1, closes the game with Escape and
# waits for the world it writes on close.
play() {
  rm -f "$work/world.json"
  start --seed 5
  waitwindow
  eval "$(xdotool getwindowgeometry --shell "$win")"
  bar=$((HEIGHT - 400))
  [ "$bar" -ge 0 ] || fail "window $WIDTH x $HEIGHT is smaller than the canvas"

  at 400 200
  xdotool key Return
  waitworld 'w["level"]["prg"] == 1' || fail "Return started no game"
  xdotool click 3        # a right click skips the first "Get Ready"
  waitworld 'w["level"]["prg"] == 0' || fail "a right click did not skip the first break"
  "$1"

  xdotool key Escape
  waitexit 20 || fail "Escape did not close the game"
  [ "$status" -eq 0 ] || fail "the game exited with status $status"
  [ -s "$work/world.json" ] || fail "no world written on close"
  [ -s "$work/varnhold.cfg" ] || fail "no settings written on close"
}

fight() {
  at 250 150
  xdotool click 1        # left turret
  at 550 160
  xdotool click 3        # right turret
  at 400 170
  xdotool key s          # S fires the middle turret at the cursor
  waitworld 'all(w["guns"]["d"][i]["ammo"] < w["level"]["ammo"] for i in range(3))' || fail "not every turret fired"
  xdotool key p
  waitworld 'w["level"]["pause"] == 1' || fail "P did not pause"
  xdotool click 3        # resumes, fires nothing
  waitworld 'w["level"]["pause"] == 0' || fail "a right click did not resume"
  xdotool key p
  waitworld 'w["level"]["pause"] == 1' || fail "P did not pause again"
}

leave() {
  xdotool key alt+g      # the Game menu
  waitwindows 2 || fail "alt+G opened no menu"
  xdotool key h          # "Show &hiscore"
  waitwindows 1 || fail "the menu stayed open"
  waitworld 'w["level"]["prg"] == 10' || fail "Show hiscore did not leave the game"
}

check() {
  python3 - "$work/world.json" "$1" <<'PY'
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
