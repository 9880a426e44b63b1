# A large window on llvmpipe: its frames are drawn at a little under the playfield's own size (to
# pay for the scaling) and scaled to the canvas once, and show the same playfield as frames drawn
# at the screen's pixels: filling the
# canvas's top-left 1920 x 960 pixels (2.4 canvas pixels to a playfield unit), the city in
# detail, the bar below it black.
game=$(readlink -f "$1")
if [ -z "${VH_OWNX:-}" ]; then
    # a screen of its own, large enough for a maximised 1920-pixel window
    VH_OWNX=1 exec xvfb-run -a -s "-screen 0 2000x1200x24" bash "$0" "$game"
fi
source "$(dirname "$0")/common.sh"
makecopy

# The settings file's window record (x, y, width, height), nothing after it.
writerecord() { python3 "$(dirname "$0")/../support/windowrecord.py" "$work/varnhold.cfg" "$@"; }
# the canvas's size and the size it is drawn at, from the last --stats line once there is one
sizes() {
    for _ in $(seq 100); do
        grep -q 'drawn at' "$work/err.txt" && break
        sleep 0.2
    done
    line=$(grep 'drawn at' "$work/err.txt" | tail -1)
    [ -n "$line" ] || fail "no --stats line tells the sizes"
    drawn=$(echo "$line" | awk '{ print $NF }')
    canvas=$(echo "$line" | awk '{ print $(NF - 3) }')
    cw=${canvas%x*} ch=${canvas#*x}
}

# The title screen of seed 1 in each mode, after two seconds or a little more, grabbed from the
# screen as the player sees it.
shoot() {
    writerecord 0 0 1920 1080
    start --seed 1 --stats --render-scale "$1"
    waitwindow
    waitworld 'w["timer"]["ticks"] >= 120' || fail "$1: the title does not run"
    kill -STOP "$pid"                     # the picture stays as it is while it is taken
    import -window "$win" "$work/$1-window.png"
    kill -CONT "$pid"
    sizes
    # the canvas is the window's lower part, under the menu bar
    convert "$work/$1-window.png" -gravity SouthWest -crop "${cw}x${ch}+0+0" +repage "$work/$1.png"
    xdotool key --window "$win" Escape
    waitexit 20 || fail "$1: Escape did not end the game"
}

shoot device
devicedrawn=$drawn
shoot auto
[ "$cw" -eq 1920 ] && [ "$ch" -ge 960 ] || fail "the canvas is $cw x $ch, not 1920 x 960 or more"
[ "$devicedrawn" = "${cw}x${ch}" ] || fail "device pixels drew at $devicedrawn on a $cw x $ch canvas"
# 2.4 canvas pixels to a playfield unit: 0.75 pixels drawn to a unit (600 wide), in the canvas's
# proportions
dw=${drawn%x*} dh=${drawn#*x}
awk -v dw="$dw" -v dh="$dh" -v cw="$cw" -v ch="$ch" \
    'BEGIN { exit !(dw >= 592 && dw <= 608 && (dh - dw * ch / cw)^2 <= 1) }' ||
    fail "llvmpipe drew a $cw x $ch canvas at $drawn, not 600 wide in its proportions"

# the bar under the playfield is black; the playfield reaches the canvas's right edge
bar=$(convert "$work/auto.png" -crop "1920x$((ch - 962))+0+962" -colorspace gray -format "%[fx:maxima]" info:)
awk -v m="$bar" 'BEGIN { exit !(m < 0.02) }' || fail "the bar below the playfield is not black (brightest $m)"
edge=$(convert "$work/auto.png" -crop "4x900+1914+0" -colorspace gray -format "%[fx:mean]" info:)
awk -v m="$edge" 'BEGIN { exit !(m > 0.05) }' || fail "the playfield stops short of the right edge (mean $m)"
# the city keeps its detail
sd=$(convert "$work/auto.png" -crop "1920x480+0+480" -colorspace gray -format "%[fx:standard_deviation]" info:)
awk -v s="$sd" 'BEGIN { exit !(s > 0.05) }' || fail "the scaled canvas shows no city (deviation $sd)"
# and it is the same playfield as the one drawn at the screen's pixels, region by region (the
# frames differ by the moving missiles and the blinking text: about 0.027; the picture moved by
# ten pixels gives 0.057, flipped 0.2)
for f in device auto; do convert "$work/$f.png" -crop 1920x960+0+0 -resize 96x48! "$work/$f-small.png"; done
rmse=$(compare -metric RMSE "$work/device-small.png" "$work/auto-small.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/')
awk -v e="$rmse" 'BEGIN { exit !(e < 0.045) }' || fail "the scaled playfield differs from the device's (RMSE $rmse)"
# VH_KEEP=FOLDER keeps the two pictures, to look at them side by side
[ -n "${VH_KEEP:-}" ] && cp "$work/device.png" "$work/auto.png" "$VH_KEEP/"
echo "drawn at $drawn for $cw x $ch; against device pixels RMSE $rmse; bar brightest $bar; city deviation $sd"
echo "1 passed, 0 failed"
