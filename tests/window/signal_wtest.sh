# Logging out or `kill` must not lose the settings: SIGTERM, SIGHUP and SIGINT close the game
# through the same path as Escape, at once, also while the Help box is open.
source "$(dirname "$0")/common.sh"
makecopy
for sig in TERM HUP INT; do
    rm -f "$work/varnhold.cfg"
    start
    waitwindow
    kill -s "$sig" "$pid"
    waitexit 20 || fail "SIG$sig did not end the game"
    [ "$status" -eq $((128 + $(kill -l "$sig"))) ] || fail "SIG$sig: exit status $status"
    [ -s "$work/varnhold.cfg" ] || fail "SIG$sig: no settings written"
    [ -f "$work/varnhold.cfg.tmp" ] && fail "SIG$sig: temporary file left behind"
done

# "&Help" opens a modal box; a signal then saves and ends the game without waiting for it
rm -f "$work/varnhold.cfg"
start
waitwindow
xdotool key --window "$win" alt+h
waitbox || fail "Help showed no message box"
kill -s TERM "$pid"
waitexit 5 || fail "SIGTERM with the box open did not end the game at once"
[ -s "$work/varnhold.cfg" ] || fail "SIGTERM with the box open: no settings written"
echo "ok"
