# A missing sound stops the start with a message naming it, on screen and on stderr, and the
# game ends with a failure status without writing settings.
source "$(dirname "$0")/common.sh"
makecopy wind.ogg
start
for i in $(seq 300); do grep -q "Can't load data/wind.ogg" "$work/err.txt" 2>/dev/null && break; sleep 0.1; done
grep -q "Can't load data/wind.ogg" "$work/err.txt" || fail "no message on stderr: $(cat "$work/err.txt")"
# close the modal box: press Return in each of the game's windows until it ends
for attempt in 1 2 3 4 5; do
    kill -0 "$pid" 2>/dev/null || break
    for w in $(xdotool search --pid "$pid" --onlyvisible 2>/dev/null); do
        xdotool windowfocus --sync "$w" 2>/dev/null
        xdotool key --window "$w" Return 2>/dev/null
    done
    sleep 1
done
closed=1
if ! waitexit 10; then
    closed=0
    kill "$pid"
    waitexit 5
fi
[ "$closed" -eq 1 ] || fail "the message box did not close on Return"
[ "$status" -ne 0 ] || fail "exit status 0 after a missing sound"
[ -f "$work/varnhold.cfg" ] && fail "settings written after a failed start"
echo "ok"
