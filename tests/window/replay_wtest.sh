# A game recorded in a real window (clicks of both buttons, keys, a pause, F5 held, a larger
# window) plays back headless to the same world dump, less the window, the clock and the sound
# device; played back in the window (F5 held by the viewer) it ends saying so. Damaged replays
# are refused with their file and line, and no playback touches the settings.
source "$(dirname "$0")/common.sh"
makecopy
start --seed 31 --record "$work/game.vhr" --dump "$work/window.json"
waitwindow
eval "$(xdotool getwindowgeometry --shell "$win")"
bar=$((HEIGHT - 400))
at() { xdotool mousemove --window "$win" "$1" $(($2 + bar)); }
at 400 200
xdotool key Return
waitworld 'w["level"]["prg"] == 1' || fail "Return started no game"
xdotool click 3          # skip the first "Get Ready"
waitworld 'w["level"]["prg"] == 0' || fail "a right click did not skip the first break"
at 250 120; xdotool click 1
at 520 150; xdotool click 3
xdotool key s
sleep 0.5
xdotool key p; sleep 0.5; xdotool key p
xdotool keydown F5; sleep 1; xdotool keyup F5
xdotool windowsize "$win" 1000 $((500 + bar))
sleep 1
xdotool mousemove --window "$win" 375 $((125 + bar))   # the playfield's (300, 100) at scale 1.25
xdotool click 1
sleep 1
xdotool key Escape
waitexit 20 || fail "Escape did not end the recorded game"
[ "$status" -eq 0 ] || fail "the recorded game exited with $status"
grep -q "canvas 1000 500" "$work/game.vhr" || fail "the larger canvas was not recorded"
sum=$(md5sum <"$work/varnhold.cfg")

"$work/varnhold" --replay "$work/game.vhr" --headless --dump "$work/headless.json" >"$work/play.txt" 2>&1 ||
    fail "headless playback: $(cat "$work/play.txt")"
grep -q "game.vhr: the same world as recorded after" "$work/play.txt" || fail "no verdict: $(cat "$work/play.txt")"
python3 - "$work/window.json" "$work/headless.json" <<'PY' || fail "the played-back world differs"
import json, sys
a, b = (json.load(open(f)) for f in sys.argv[1:3])
for k in ("win", "can", "ms", "workarea", "viewscalex", "viewscaley", "viewwidth", "viewheight",
          "areawidth", "areaheight", "drawmatrix"):
    a.pop(k); b.pop(k)
for w in (a, b):   # the channels' levels and pans follow the sound device's clock
    for c in w["snd"]["c"]:
        c.pop("vol"); c.pop("pan")
assert a["level"]["prg"] == 0 and any(g and g["ammo"] < 6 for g in a["guns"]["d"]), "the recorded game was not played"
if a != b:
    print([k for k in a if a[k] != b[k]]); sys.exit(1)
PY

# In the window, eight times as fast while the viewer holds F5
start --replay "$work/game.vhr"
waitwindow
xdotool keydown F5
for _ in $(seq 1 300); do
    grep -q "the same world as recorded" "$work/out.txt" && break
    sleep 0.1
done
xdotool keyup F5
grep -q "game.vhr: the same world as recorded" "$work/out.txt" || fail "no verdict in the window: $(cat "$work/out.txt")"
xdotool key Escape
waitexit 20 || fail "Escape did not end the playback"
[ "$status" -eq 0 ] || fail "the playback exited with $status"

# damaged: cut short, an event out of order
head -c -20 "$work/game.vhr" >"$work/cut.vhr"
awk '/ move / && !done { $1 = 999999; done = 1 } 1' "$work/game.vhr" >"$work/order.vhr"
for bad in cut order; do
    "$work/varnhold" --replay "$work/$bad.vhr" --headless >"$work/bad.txt" 2>&1 && fail "$bad.vhr was played"
    [ $? -eq 2 ] || fail "$bad.vhr: status not 2"
    grep -Eq "^varnhold: $work/$bad.vhr:[0-9]+: .*(cut short|out of order)" "$work/bad.txt" || fail "$bad.vhr: $(cat "$work/bad.txt")"
done

# Another version's replay, opened in the window: the reason shows in a message box (and on
# standard error); closing the box ends the program with status 2, and nothing is played.
sed 's/^program .*/program 0.9.0.1/' "$work/game.vhr" >"$work/old.vhr"
start --replay "$work/old.vhr"
win=""
waitbox || fail "another version's replay showed no message box: $(cat "$work/err.txt")"
grep -Eq "^varnhold: $work/old.vhr:[0-9]+: recorded by Varnhold 0.9.0.1; this is Varnhold " "$work/err.txt" ||
    fail "the refusal was not said: $(cat "$work/err.txt")"
[ -z "$(xdotool search --all --onlyvisible --pid "$pid" --name '^Varnhold [0-9]' 2>/dev/null)" ] || fail "the game window opened"
closebox || fail "the box did not close on Return"
waitexit 20 || fail "the program did not end with the box"
[ "$status" -eq 2 ] || fail "the refused replay ended with status $status"
[ "$(md5sum <"$work/varnhold.cfg")" = "$sum" ] || fail "a playback changed the settings"
echo "ok"
