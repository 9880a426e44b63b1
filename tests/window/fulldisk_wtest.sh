# The game's folder fills up while the game runs (a small tmpfs filled with dd): F2 says that
# no screenshot was written and leaves no part of one; Escape keeps the old settings file
# whole, names each file it could not save (settings, replay, world dump) with the reason in a
# message box and on standard error, and ends with status 1, leaving no partial file.
source "$(dirname "$0")/common.sh"
gamedir="$work/disk"
mkdir "$gamedir"
ownfilesystem 64m
makecopy
echo "the old settings" >"$gamedir/varnhold.cfg"   # read as far as it goes; must stay as it is
sum=$(md5sum <"$gamedir/varnhold.cfg")

start --record "$gamedir/game.vhr" --dump "$gamedir/world.json"
waitwindow
dd if=/dev/zero of="$gamedir/fill" bs=1M 2>/dev/null   # until the disk is full
xdotool key --window "$win" F2
for _ in $(seq 100); do grep -q "no screenshot was written" "$work/err.txt" && break; sleep 0.1; done
grep -qx "Can't save screenshot0.png: No space left on device (no screenshot was written)" "$work/err.txt" ||
    fail "F2 on a full disk: $(cat "$work/err.txt")"

xdotool key --window "$win" Escape
waitbox || fail "Escape on a full disk showed no message box"
for f in varnhold.cfg "$gamedir/game.vhr" "$gamedir/world.json"; do
    grep -qxF "Can't save $f: No space left on device" "$work/err.txt" || fail "$f not named: $(cat "$work/err.txt")"
done
closebox || fail "the box did not close on Return"
waitexit 20 || fail "the game did not end after the box"
[ "$status" -eq 1 ] || fail "exit status $status after failed saves"
[ "$(md5sum <"$gamedir/varnhold.cfg")" = "$sum" ] || fail "the old settings file was changed"
left=$(cd "$gamedir" && ls -d *.tmp screenshot* game.vhr 2>/dev/null)
[ -n "$left" ] && fail "partial files left: $left"
python3 -c 'import json, sys; json.load(open(sys.argv[1]))' "$gamedir/world.json" ||
    fail "the last whole world dump was damaged"
echo "ok"
