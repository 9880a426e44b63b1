# The command line: help, version, refused arguments, and the headless run with its dump.
source "$(dirname "$0")/common.sh"
makecopy
"$work/varnhold" --version | grep -qx "Varnhold 1.1.0.6181" || fail "--version"
"$work/varnhold" --help | grep -q -- "--headless" || fail "--help"
for bad in "--frames 5" "--headless" "--seed x" "--bogus" "--headless --frames -1"; do
    "$work/varnhold" $bad >/dev/null 2>&1
    [ $? -eq 2 ] || fail "'$bad' was not refused with status 2"
done
(cd / && "$work/varnhold" --headless --frames 120 --seed 9 --dump "$work/a.json") >"$work/a.txt" || fail "headless run"
grep -q "120 steps in .* steps per second" "$work/a.txt" || fail "no speed line: $(cat "$work/a.txt")"
"$work/varnhold" --headless --frames 120 --seed 9 --dump "$work/b.json" >/dev/null || fail "second run"
cmp -s "$work/a.json" "$work/b.json" || fail "two runs with one seed differ"
"$work/varnhold" --headless --frames 120 --seed 10 --dump "$work/c.json" >/dev/null || fail "third run"
cmp -s "$work/a.json" "$work/c.json" && fail "another seed gives the same world"
python3 - "$work/a.json" <<'PY' || fail "dump content"
import json, sys
d = json.load(open(sys.argv[1]))
assert d["timer"]["ticks"] == 120, d["timer"]
assert set(d["rnd"]) == {"seed", "n2", "n3"}
assert d["txtgameover"] == "Game Over" and d["langtag"] == 101, (d["txtgameover"], d["langtag"])
houses = [h for h in d["houses"]["d"] if h]
assert houses and all(h["img"].startswith("house") and h["img"].endswith(".png") for h in houses), houses
assert [g["x"] for g in d["guns"]["d"] if g][:3] == [400, 700, 100], d["guns"]
PY
[ -f "$work/varnhold.cfg" ] && fail "the headless run wrote settings"
echo "ok"
