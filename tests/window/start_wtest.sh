# The game opens its window with title and menu bar, F2 saves the playfield, Escape closes it
# with status 0 after writing the settings.
source "$(dirname "$0")/common.sh"
makecopy
start
waitwindow
title=$(xdotool getwindowname "$win")
[ "$title" = "Varnhold 1.1.0.6181" ] || fail "title is '$title'"
eval "$(xdotool getwindowgeometry --shell "$win")"
# the client area holds the 800 x 400 canvas and, above it, the menu bar
[ "$WIDTH" -eq 800 ] || fail "window width $WIDTH"
[ "$HEIGHT" -gt 400 ] || fail "no menu bar above the canvas (height $HEIGHT)"

xdotool key --window "$win" F2
# wait until the file is there and complete (a level-9 PNG takes a moment to write)
size=""
for i in $(seq 100); do
    size=$(identify -format "%w x %h" "$work/screenshot0.png" 2>/dev/null) && [ -n "$size" ] && \
        convert "$work/screenshot0.png" null: 2>/dev/null && break
    sleep 0.1
done
[ -f "$work/screenshot0.png" ] || fail "F2 wrote no screenshot"
[ "$size" = "800 x 400" ] || fail "screenshot is $size"
# the picture shows the city, not an empty buffer
mean=$(convert "$work/screenshot0.png" -colorspace gray -format "%[fx:mean]" info:)
awk -v m="$mean" 'BEGIN { exit !(m > 0.05) }' || fail "screenshot is dark (mean $mean)"
xdotool key --window "$win" F2
for i in $(seq 50); do [ -f "$work/screenshot1.png" ] && break; sleep 0.1; done
[ -f "$work/screenshot1.png" ] || fail "a second F2 did not write screenshot1.png"

[ -f "$work/varnhold.cfg" ] && fail "settings written before closing"
xdotool key --window "$win" Escape
waitexit 20 || fail "Escape did not end the game"
[ "$status" -eq 0 ] || fail "exit status $status"
[ -s "$work/varnhold.cfg" ] || fail "no settings written"
[ -f "$work/varnhold.cfg.tmp" ] && fail "temporary settings file left behind"
# the volume byte (after four varints and five bytes) is 5: read it back with the layout
read -r x y w h o1 o2 o3 o4 lang vol < <(settingshead "$work/varnhold.cfg") || fail "settings file layout"
[ "$o1$o2$o3$o4" = 0000 ] || fail "options $o1 $o2 $o3 $o4"
[ "$lang" -eq 101 ] || fail "language $lang"
[ "$vol" -eq 5 ] || fail "volume $vol"
echo "ok"
