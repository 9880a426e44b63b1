# The window's size and place through the settings file. With two device pixels to a logical
# one, "Reset windowsize" gives an 800 x 400 canvas drawn at 1600 x 800 device pixels and the
# settings keep the window in logical pixels, so the next start opens the same window. A
# damaged record (no size, a place far off the screen) still opens a usable window.
game=$(readlink -f "$1")
if [ -z "${VH_OWNX:-}" ]; then
    # a screen of its own, large enough for the doubled window
    VH_OWNX=1 exec xvfb-run -a -s "-screen 0 2000x1400x24" bash "$0" "$game"
fi
source "$(dirname "$0")/common.sh"
makecopy

# The four varints of the window record at the start of the settings file.
record() {
    python3 - "$work/varnhold.cfg" <<'PY'
import sys
b = open(sys.argv[1], "rb").read()
p, out = 0, []
for _ in range(4):
    v = s = 0
    while True:
        c = b[p]; p += 1
        v |= (c & 127) << s; s += 7
        if not c & 128: break
    out.append(v - (1 << 32) if v >= 1 << 31 else v)
print(*out)
PY
}
writerecord() { python3 "$(dirname "$0")/../support/windowrecord.py" "$work/varnhold.cfg" "$@"; }
closegame() {
    xdotool key --window "$win" Escape
    waitexit 20 || fail "Escape did not end the game"
}

export QT_SCALE_FACTOR=2
writerecord 40 40 300 200                 # a small window, as a player may have left it
start
waitwindow
xdotool key --delay 200 alt+o w           # Options, Reset windowsize
for _ in $(seq 100); do
    eval "$(xdotool getwindowgeometry --shell "$win")"
    [ "$WIDTH" -eq 1600 ] && break
    sleep 0.1
done
[ "$WIDTH" -eq 1600 ] || fail "reset window is $WIDTH device pixels wide, not 1600"
devheight=$HEIGHT
closegame
read -r x y w h <<<"$(record)"
[ "$w" -eq 800 ] || fail "settings keep width $w, not 800 logical pixels"
bar=$((h - 400))
[ "$bar" -gt 0 ] && [ "$bar" -lt 80 ] || fail "settings keep height $h: not a 400 canvas under a menu bar"
[ "$devheight" -eq $((2 * h)) ] || fail "window is $devheight device pixels high for $h logical"

# the next start opens the same window, drawn at the full resolution
start
waitwindow
eval "$(xdotool getwindowgeometry --shell "$win")"
[ "$WIDTH" -eq 1600 ] && [ "$HEIGHT" -eq "$devheight" ] || fail "next start opened $WIDTH x $HEIGHT"
# the playfield has the city's detail at device resolution: its lower half is not flat (a slow
# build may take a while to draw its first frame)
for _ in $(seq 50); do
    import -window "$win" -crop 1600x400+0+$((devheight - 400)) "$work/city.png"
    sd=$(convert "$work/city.png" -colorspace gray -format "%[fx:standard_deviation]" info:)
    awk -v s="$sd" 'BEGIN { exit !(s > 0.05) }' && break
    sleep 0.2
done
awk -v s="$sd" 'BEGIN { exit !(s > 0.05) }' || fail "the canvas shows no city (deviation $sd)"
closegame

# a hostile record: no size, far below and left of the screen
unset QT_SCALE_FACTOR
writerecord -100000 900000 0 -5
start
waitwindow
eval "$(xdotool getwindowgeometry --shell "$win")"
[ "$WIDTH" -ge 200 ] && [ "$HEIGHT" -ge 100 ] || fail "damaged record gave a $WIDTH x $HEIGHT window"
[ "$X" -ge 0 ] && [ "$Y" -ge 0 ] && [ $((X + WIDTH)) -le 2000 ] && [ $((Y + HEIGHT)) -le 1400 ] ||
    fail "damaged record placed the window at $X, $Y"
closegame
read -r x y w h <<<"$(record)"
[ "$w" -ge 200 ] && [ "$h" -ge 100 ] && [ "$x" -ge 0 ] && [ "$y" -ge 0 ] || fail "settings kept $x $y $w $h"
echo "1 passed, 0 failed"
