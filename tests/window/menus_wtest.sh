# The menus and the wheel in a real window: the wheel steps the volume, a Volume entry ticks
# alone, a Language entry switches the words on the screen, "Reset windowsize" gives the
# canvas back its 800 x 400 pixels, and Help shows the program info in a modal box and pauses
# the game. Each step waits for the game to show its outcome; the world written on close
# shows the end.
source "$(dirname "$0")/common.sh"
makecopy
start --seed 3 --dump "$work/world.json"
waitwindow
eval "$(xdotool getwindowgeometry --shell "$win")"
bar=$((HEIGHT - 400))
# the window's width once it is $1 (up to 10 seconds)
waitwidth() {
    for _ in $(seq 100); do
        eval "$(xdotool getwindowgeometry --shell "$win")"
        [ "$WIDTH" -eq "$1" ] && return 0
        sleep 0.1
    done
    return 1
}

# "&Volume" "&8" by its mnemonics
xdotool key --window "$win" alt+v
waitwindows 2 || fail "alt+V opened no menu"
xdotool key 8
waitworld 'w["volume"]["on"] == 8' || fail "the Volume menu did not set 8"
# then the wheel over the canvas: three notches down, one up (volume 8 - 3 + 1 = 6)
xdotool mousemove --window "$win" 400 $((bar + 200))
for b in 5 5 5 4; do xdotool click $b; done
waitworld 'w["volume"]["on"] == 6' || fail "the wheel did not bring the volume to 6"
# a larger window, then "Reset &windowsize" from "&Options"
xdotool windowsize "$win" 1100 700
waitwidth 1100 || fail "the window did not grow (width $WIDTH)"
xdotool key --window "$win" alt+o
waitwindows 2 || fail "alt+O opened no menu"
xdotool key w
waitwidth 800 || fail "after Reset windowsize the width is $WIDTH"
[ "$HEIGHT" -eq $((bar + 400)) ] || fail "after Reset windowsize the height is $HEIGHT"

# the second language; its "&Hilfe" keeps the mnemonic of "&Help"
xdotool key --window "$win" alt+l
waitwindows 2 || fail "alt+L opened no menu"
xdotool key Down Return
waitworld 'w["langtag"] == 102' || fail "the second language was not chosen"

# start a game, then "&Help": a second window (the message box) shows the program info
xdotool mousemove --window "$win" 400 $((bar + 200))
xdotool key --window "$win" Return
waitworld 'w["level"]["prg"] == 1' || fail "Return started no game"
xdotool key --window "$win" alt+h
waitbox || fail "Help showed no message box"
[ "$(xdotool getwindowname "$box")" = "Varnhold 1.1.0.6181" ] || fail "the box is titled '$(xdotool getwindowname "$box")'"
closebox || fail "the box did not close on Return"
kill -0 "$pid" 2>/dev/null || fail "the game ended with the box"
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
