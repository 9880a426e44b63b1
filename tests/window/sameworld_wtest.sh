# A windowed game and a headless run with the same seed build the same world: after as many
# frames as the window ran, their dumps agree in everything but the window, clock and input.
source "$(dirname "$0")/common.sh"
makecopy
start --seed 4242 --dump "$work/window.json"
waitwindow
waitworld 'w["timer"]["ticks"] >= 60' || fail "the window ran no second of frames"
xdotool key --window "$win" Escape
waitexit 20 || fail "Escape did not end the game"
[ "$status" -eq 0 ] || fail "exit status $status"
[ -s "$work/window.json" ] || fail "no dump written on close"
frames=$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["timer"]["ticks"])' "$work/window.json")
[ "$frames" -gt 0 ] || fail "the window ran no frames"
"$work/varnhold" --headless --frames "$frames" --seed 4242 --dump "$work/headless.json" >"$work/headless.txt" 2>&1 ||
    fail "headless run failed: $(cat "$work/headless.txt")"
grep -q "steps per second" "$work/headless.txt" || fail "no speed printed"
python3 - "$work/window.json" "$work/headless.json" <<'PY' || fail "the worlds differ"
import json, sys
a, b = (json.load(open(f)) for f in sys.argv[1:3])
# what belongs to the window system, the wall clock, the keys pressed to close the window and
# the drawing's scratch matrix
for k in ("win", "can", "ev", "ms", "workarea", "cityshift", "areawidth", "areaheight", "drawmatrix"):
    a.pop(k, None); b.pop(k, None)
def diff(x, y, path):
    num = (int, float)
    if isinstance(x, num) and isinstance(y, num) and not isinstance(x, bool):
        return [] if x == y else [path + ": %r != %r" % (x, y)]
    if type(x) != type(y):
        return [path]
    if isinstance(x, dict):
        out = []
        for k in x.keys() | y.keys():
            out += diff(x.get(k), y.get(k), path + "." + k)
        return out
    if isinstance(x, list):
        if len(x) != len(y):
            return [path + " (length)"]
        out = []
        for i, (p, q) in enumerate(zip(x, y)):
            out += diff(p, q, "%s[%d]" % (path, i))
        return out
    return [] if x == y else [path + ": %r != %r" % (x, y)]
d = diff(a, b, "")
# sound channels' playing state depends on the wall clock of the device
d = [p for p in d if not p.startswith(".snd.c[") or p.endswith(".s") ]
if d:
    print("\n".join(d[:40]))
    sys.exit(1)
print("same world after", a["timer"]["ticks"], "frames, rnd", a["rnd"])
PY
echo "ok"
