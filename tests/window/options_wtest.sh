# The Options menu as a new player first opens it: every option shows its check box from the
# first frame, unticked, in English and after a language switch. Escape held while a menu or the
# menu bar has the keyboard leaves the menu, never the game; "Reduce flashing" and "Smooth motion"
# ticked from the keyboard are kept in the settings. Escape on the playfield then quits.
source "$(dirname "$0")/common.sh"
makecopy
start --seed 5
waitwindow

# The popup of the menu opened by $1; sets popup.
openmenu() {
    xdotool key --window "$win" "$1"
    waitwindows 2 || fail "$1 opened no menu"
    popup=$(xdotool search --onlyvisible --maxdepth 1 --pid "$pid" 2>/dev/null | grep -vx "$win" | head -1)
}
# Check boxes in the open popup: squares of 9 to 17 pixels outlined darker than their inside,
# in the column left of the texts.
boxes() {
    import -window "$popup" -depth 8 ppm:- | python3 -c '
import sys
d = sys.stdin.buffer.read()
parts = d.split(maxsplit=4)
w, h = int(parts[1]), int(parts[2])
px = parts[4]
def lum(x, y):
    i = 3 * (y * w + x)
    return px[i] + px[i + 1] + px[i + 2]
found, y = 0, 0
while y < h - 9:
    hit = False
    for x in range(2, min(24, w - 18)):
        for s in range(9, min(18, h - y + 1)):
            edge = [lum(x + i, y) for i in range(s)] + [lum(x + i, y + s - 1) for i in range(s)] + \
                   [lum(x, y + i) for i in range(s)] + [lum(x + s - 1, y + i) for i in range(s)]
            inside = [lum(x + i, y + j) for i in range(2, s - 2) for j in range(2, s - 2)]
            if inside and max(edge) + 60 < min(inside):
                hit = True
                break
        if hit:
            break
    if hit:
        found += 1
        y += 12
    else:
        y += 1
print(found)'
}

# Counts the boxes until there are 7 (the popup may still be painting; up to 5 seconds).
sevenboxes() {
    for _ in $(seq 25); do
        n=$(boxes)
        [ "$n" -eq 7 ] && return 0
        sleep 0.2
    done
    return 1
}

openmenu alt+o
sevenboxes || fail "the Options menu of a fresh start shows $n check boxes, not 7"
# Escape held in the menu, long enough to repeat: it closes the menu and leaves the menu bar,
# and its repeats never reach the game
xdotool key Down Down
xdotool keydown Escape
sleep 1.5
xdotool keyup Escape
sleep 0.5
kill -0 "$pid" 2>/dev/null || fail "Escape held in the menu ended the game"
waitwindows 1 || fail "Escape did not close the menu"

# the second language, then the same menu again
openmenu alt+l
xdotool key Down Return
waitworld 'w["langtag"] == 102' || fail "the second language was not chosen"
openmenu alt+o
sevenboxes || fail "after the language switch the Options menu shows $n check boxes, not 7"
# "&Blitze abschwächen" by its mnemonic
xdotool key b
waitwindows 1 || fail "the option did not close the menu"
# "Flüssige Be&wegung" likewise: chosen on, where the 60 Hz screen of Xvfb leaves it off
openmenu alt+o
xdotool key w
waitwindows 1 || fail "Smooth motion did not close the menu"

xdotool windowfocus --sync "$win" 2>/dev/null || true
xdotool key --window "$win" Escape
waitexit 20 || fail "Escape on the playfield did not end the game"
[ "$status" -eq 0 ] || fail "exit status $status"
[ "$(tail -c 2 "$work/varnhold.cfg" | head -c 1 | od -An -tu1 | tr -d ' ')" = 1 ] || fail "Reduce flashing was not kept"
[ "$(tail -c 1 "$work/varnhold.cfg" | od -An -tu1 | tr -d ' ')" = 3 ] || fail "Smooth motion was not kept as chosen and on"
echo "ok"
