# "&Quit" from the Game menu, reached by its mnemonics, closes the game like Escape.
source "$(dirname "$0")/common.sh"
makecopy
start
waitwindow
xdotool key --window "$win" alt+g
waitwindows 2 || fail "alt+G opened no menu"
xdotool key q
waitexit 20 || fail "Alt+G, Q did not quit"
[ "$status" -eq 0 ] || fail "exit status $status"
[ -s "$work/varnhold.cfg" ] || fail "no settings written"
echo "ok"
