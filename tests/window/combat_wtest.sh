#!/usr/bin/env bash
# A shot as a player sees it: in a night sky (seed 11) a left click at (300, 100) sends a
# missile from the left turret, and a few seconds later its cyan fireball fills the open sky
# around that point, while the turret shows one missile fewer in orange (cooling down has
# ended by then, so the number is white again: only the count is read back from the world).
# Usage: combat_wtest.sh PATH-TO-VARNHOLD
set -euo pipefail
game=$(readlink -f "$1")
source "$(dirname "$(readlink -f "$0")")/common.sh" "$game"

makecopy
start --seed 11 --dump "$work/world.json"
waitwindow
eval "$(xdotool getwindowgeometry --shell "$win")"
bar=$((HEIGHT - 400))
[ "$bar" -ge 0 ] || fail "window $WIDTH x $HEIGHT is smaller than the canvas"
at() { xdotool mousemove --window "$win" "$1" $(($2 + bar)); }

# The mean colour of the 9 x 9 patch around (x, y) of a screenshot, as "r g b".
patch() {
    convert "$1" -crop 9x9+$(($2 - 4))+$(($3 - 4)) +repage -scale 1x1\! \
        -format '%[fx:round(255*r)] %[fx:round(255*g)] %[fx:round(255*b)]\n' info:
}
cyan() { [ "$1" -lt 120 ] && [ "$2" -gt 160 ] && [ "$3" -gt 200 ]; }
shot() {
    local n
    n=$(ls "$work"/screenshot*.png 2>/dev/null | wc -l)
    xdotool key F2
    for _ in $(seq 1 30); do
        [ -f "$work/screenshot$n.png" ] && break
        sleep 0.1
    done
    [ -f "$work/screenshot$n.png" ] || fail "F2 wrote no screenshot"
    # the picture is compressed as it is written: wait until it decodes whole
    for _ in $(seq 1 100); do
        convert "$work/screenshot$n.png" info: >/dev/null 2>&1 && break
        sleep 0.1
    done
    echo "$work/screenshot$n.png"
}

at 600 300
xdotool key Return
waitworld 'w["level"]["prg"] == 1' || fail "Return started no game"
xdotool click 3          # skip the first "Get Ready"
waitworld 'w["level"]["prg"] == 0' || fail "a right click did not skip the first break"
before=$(shot)
read -r r g b < <(patch "$before" 300 100)
echo "before: $r $g $b"
cyan "$r" "$g" "$b" && fail "the sky at (300, 100) is cyan before the shot"

at 300 100
xdotool click 1
at 600 300               # the crosshair leaves the patch
# The missile flies, then its fireball grows over the point and drifts with the wind. The test
# plays it in steps, pausing (P) after each, until the world shows the fireball large and still
# bright, and reads the screen while it stands still: a world read back from a running game
# would be older than any screenshot taken after it, by how long depending on the machine.
mine='[t for t in w["tnt"]["d"] if t and t["owner"] and abs(t["x"] - 300) < 40 and abs(t["y"] - 100) < 10]'
# What the last world read back shows: running (a pause still on its way), flying (no fireball
# of the player's yet), fireball (one, still small), bright (one large and bright) or faded.
state() {
    python3 -c 'import json, sys
w = json.load(open(sys.argv[1]))
mine = eval(sys.argv[2])
print("running" if not w["level"]["pause"] else
      "bright" if [t for t in mine if t["mainsize"] > 30 and t["timediv"] > 0.6] else
      "fireball" if [t for t in mine if t["timediv"] > 0.6] else
      "faded" if mine else "flying")' "$dump" "$mine"
}
waitworld '[r for r in w["rockets"]["d"] if r and r["owner"] == 1]' || fail "the left click sent no missile"
xdotool key p
found=""
for _ in $(seq 100); do
    snapshot || fail "the game does not answer"
    case "$(state)" in
        bright) found=1; break ;;
        faded) fail "the fireball faded within one step" ;;
        fireball) xdotool key --delay 100 p p ;;   # a tenth of a second of play
        flying) xdotool key --delay 300 p p ;;     # a third of a second
    esac
done
[ -n "$found" ] || fail "no fireball of the player's grew at (300, 100) (last seen: $(state))"
after=$(shot)
snapshot || fail "the game does not answer"      # the world of the screenshot: still paused
read -r fx fy < <(python3 -c 'import json, sys; w = json.load(open(sys.argv[1])); t = ('"$mine"')[0]; print(round(t["x"]), round(t["y"]))' "$dump")
read -r r g b < <(patch "$after" "$fx" "$fy")
echo "after, at ($fx, $fy): $r $g $b"
cyan "$r" "$g" "$b" || fail "no cyan fireball at ($fx, $fy)"

xdotool key Escape
waitexit 20 || fail "Escape did not close the game"
[ "$status" -eq 0 ] || fail "the game exited with status $status"
grep -q '"ammo":5' "$work/world.json" || fail "no turret has fired"
echo ok
