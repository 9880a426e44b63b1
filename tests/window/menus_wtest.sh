# The menus and the wheel in a real window: the wheel steps the volume, a Volume entry ticks
# alone, a Language entry switches the words on the screen, "Reset windowsize" gives the
# canvas back its 800 x 400 pixels, and Help shows the program info in a modal box and pauses
# the game. The world written on close shows the outcome.
source "$(dirname "$0")/common.sh"
makecopy
start --seed 3 --dump "$work/world.json"
waitwindow
eval "$(xdotool getwindowgeometry --shell "$win")"
bar=$((HEIGHT - 400))

# "&Volume" "&8" by its mnemonics
xdotool key --window "$win" alt+v
sleep 0.5
xdotool key 8
sleep 0.5
# then the wheel over the canvas: three notches down, one up (volume 8 - 3 + 1 = 6)
xdotool mousemove --window "$win" 400 $((bar + 200))
sleep 0.3
for b in 5 5 5 4; do xdotool click $b; sleep 0.2; done
sleep 0.5
# a larger window, then "Reset &windowsize" from "&Options"
xdotool windowsize "$win" 1100 700
sleep 1
eval "$(xdotool getwindowgeometry --shell "$win")"
[ "$WIDTH" -eq 1100 ] || fail "the window did not grow (width $WIDTH)"
xdotool key --window "$win" alt+o
sleep 0.5
xdotool key w
sleep 1
eval "$(xdotool getwindowgeometry --shell "$win")"
[ "$WIDTH" -eq 800 ] || fail "after Reset windowsize the width is $WIDTH"
[ "$HEIGHT" -eq $((bar + 400)) ] || fail "after Reset windowsize the height is $HEIGHT"

# the second language; its "&Hilfe" keeps the mnemonic of "&Help"
xdotool key --window "$win" alt+l
sleep 0.5
xdotool key Down
sleep 0.5
xdotool key Return
sleep 0.5

# start a game, then "&Help": a second window (the message box) shows the program info
xdotool mousemove --window "$win" 400 $((bar + 200))
xdotool key --window "$win" Return
sleep 0.5
xdotool key --window "$win" alt+h
box=""
for i in $(seq 50); do
    box=$(xdotool search --onlyvisible --name '^Varnhold 1.0.0.6181$' 2>/dev/null | grep -vx "$win" | head -1)
    [ -n "$box" ] && break
    sleep 0.2
done
[ -n "$box" ] || fail "Help showed no message box"
sleep 0.5
visible() { xdotool search --onlyvisible --name '^Varnhold [0-9]' 2>/dev/null | grep -qx "$box"; }
for i in $(seq 10); do
    visible || break
    xdotool windowfocus --sync "$box" 2>/dev/null || true
    xdotool key --window "$box" Return 2>/dev/null || true
    sleep 0.5
done
visible && fail "the box did not close on Return"
kill -0 "$pid" 2>/dev/null || fail "the game ended with the box"
sleep 0.5
xdotool windowfocus --sync "$win" 2>/dev/null || true
xdotool key --window "$win" Escape
waitexit 20 || fail "Escape did not end the game"
[ "$status" -eq 0 ] || fail "exit status $status"

python3 - "$work/world.json" <<'PY' || fail "world after the menus"
import json, sys
w = json.load(open(sys.argv[1]))
def check(ok, what):
    if not ok:
        print("FAIL:", what, file=sys.stderr); sys.exit(1)
vol = w["volume"]
check(vol["on"] == 6 and abs(vol["vol"] - 0.6) < 1e-6, "volume %r, not level 6" % vol)
check(w["langtag"] == 102, "language %r" % w["langtag"])
check(w["txtscore"] == "Punkte" and w["txtgameover"] != "Game Over", "the words stayed English: %r" % w["txtscore"])
check(w["level"]["pause"] == 1, "Help did not pause (pause %r)" % w["level"]["pause"])
PY
echo "ok"
