# Choosing the second language in the "&Language" menu (by its mnemonic and the keyboard) is
# kept: the settings written on close name it, and the next start shows it again.
source "$(dirname "$0")/common.sh"
makecopy
langtag() {
    python3 - "$work/varnhold.cfg" <<'PY'
import sys
b = open(sys.argv[1], "rb").read()
p = 0
for _ in range(4):
    while b[p] & 128: p += 1
    p += 1
print(b[p + 4])
PY
}
start
waitwindow
xdotool key --window "$win" alt+l
waitwindows 2 || fail "alt+L opened no menu"
xdotool key Down Return
waitworld 'w["langtag"] == 102' || fail "the second language was not chosen"
xdotool key --window "$win" Escape
waitexit 20 || fail "Escape did not end the game"
[ "$(langtag)" = "102" ] || fail "language byte is $(langtag), not 102"
# the next start keeps it
start
waitwindow
xdotool key --window "$win" Escape
waitexit 20 || fail "Escape did not end the second game"
[ "$(langtag)" = "102" ] || fail "after a restart the language byte is $(langtag)"
echo "ok"
