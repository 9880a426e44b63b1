# Without any sound device the game plays in silence: it starts, a game runs and fires, and
# Escape still ends it with status 0 after writing the settings.
source "$(dirname "$0")/common.sh"
makecopy
export ALSOFT_DRIVERS=nosuchdriver   # OpenAL finds no output to open
start --seed 3 --dump "$work/world.json"
waitwindow
eval "$(xdotool getwindowgeometry --shell "$win")"
xdotool mousemove --window "$win" 400 $((HEIGHT - 400 + 150))
xdotool key --window "$win" Return
waitworld 'w["level"]["prg"] == 1' || fail "Return started no game"
xdotool click 3    # skips the first "Get Ready"
waitworld 'w["level"]["prg"] == 0' || fail "a right click did not skip the first break"
xdotool click 1
waitworld 'w["guns"]["d"][2]["ammo"] < w["level"]["ammo"]' || fail "the left turret did not fire"
xdotool key --window "$win" Escape
waitexit 20 || fail "Escape did not end the game"
[ "$status" -eq 0 ] || fail "exit status $status: $(cat "$work/err.txt")"
[ -s "$work/varnhold.cfg" ] || fail "no settings written"
python3 - "$work/world.json" <<'PY' || fail "no game was played"
import json, sys
w = json.load(open(sys.argv[1]))
assert w["level"]["prg"] != 10, w["level"]["prg"]
PY
echo "ok"
