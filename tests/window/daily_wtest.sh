#!/usr/bin/env bash
# The daily challenge in a real window, with a private home and a local score server: Game >
# "Daily challenge" starts the day's game at once from the day's seed; it is played with F5 held
# to its name entry and ended with Return. The day's best lands in daily.cfg, the --record file
# holds the daily game (its daily line, and it plays back headless to the same world), and the
# server takes it: its answer's rank for the day goes to standard error and over the playfield.
# Usage: daily_wtest.sh PATH-TO-VARNHOLD
set -euo pipefail
game=$(readlink -f "$1")
source "$(dirname "$(readlink -f "$0")")/common.sh" "$game"
set -e
server="$build/varnhold-server"
[ -x "$server" ] || { echo "SKIPPED: no varnhold-server beside the game"; exit 77; }
makecopy
export HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config"
mkdir -p "$HOME"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
url="http://127.0.0.1:$port"
spid=""
atexit+=('for p in $spid; do stop "$p"; done')
python3 "$(dirname "$(readlink -f "$0")")/../support/lowtable.py" "$work/varnhold.cfg"
printf 'send=1\nserver=%s\n' "$url" >"$work/scores.cfg"
"$server" --listen "127.0.0.1:$port" --db "$work/scores.db" >"$work/server.txt" 2>&1 &
spid=$!
for _ in $(seq 100); do grep -q listening "$work/server.txt" && break; sleep 0.1; done
grep -q listening "$work/server.txt" || fail "the server did not start: $(cat "$work/server.txt")"

# the day as the game takes it: the UTC date when the entry is chosen (a test run across
# midnight reads it again below)
start --record "$work/daily.vhr"
waitwindow
waitworld 'w["level"]["prg"] == 10' || fail "no title screen"
day=$(date -u +%F)
xdotool key alt+g
waitwindows 2 || fail "alt+G opened no menu"
xdotool key d            # "&Daily challenge"
waitwindows 1 || fail "the menu did not close"
waitworld 'w["level"]["prg"] == 1 and w["level"]["level"] == 1 and w["level"]["score"] == 0' ||
    fail "the daily challenge did not start a game"
seed=$(python3 -c 'import sys
h = 2166136261
for c in sys.argv[1].encode(): h = ((h ^ c) * 16777619) & 0xffffffff
print((h & 0x7fffffff) or 1)' "$day")
eval "$(xdotool getwindowgeometry --shell "$win")"
xdotool mousemove --window "$win" 400 $((200 + HEIGHT - 400))
xdotool keydown --window "$win" F5
for _ in 1 2 3 4; do waitworld 'w["level"]["prg"] == 3' && break; done
xdotool keyup --window "$win" F5
waitworld 'w["level"]["prg"] == 3' || fail "the daily game did not reach the name entry"
xdotool key Return
waitworld 'w["level"]["prg"] == 10' || fail "the name entry did not end"
for _ in $(seq 300); do grep -q "took daily-" "$work/err.txt" && break; sleep 0.1; done
grep -q "the score server $url took daily-$day-" "$work/err.txt" || fail "the server did not take it: $(cat "$work/err.txt")"
grep -qE "^$day [0-9-]+ [0-9]+ Your Name\$" "$work/daily.cfg" || fail "daily.cfg: $(cat "$work/daily.cfg" 2>&1)"
english=$(python3 -c 'import sys, datetime; d = datetime.date.fromisoformat(sys.argv[1]); print(d.day, d.strftime("%B"))' "$day")
grep -q "Daily challenge, $english: number 1 of 1" "$work/err.txt" || fail "the day's rank: $(cat "$work/err.txt")"
python3 - "$url" "$day" <<'PY' || fail "the server does not list the day's row"
import json, sys, urllib.request
t = json.load(urllib.request.urlopen(sys.argv[1] + "/api/v1/daily/" + sys.argv[2]))
assert t["total"] == 1 and t["scores"][0]["name"] == "Your Name", t
PY
xdotool key Escape
waitexit 20 || fail "Escape did not close the game"
[ "$status" -eq 0 ] || fail "the game exited with status $status"

# the --record file holds the daily game alone: the day's seed and date, and it plays back
grep -q "^seed $seed\$" "$work/daily.vhr" && grep -q "^daily $day\$" "$work/daily.vhr" ||
    fail "the replay is not the day's: $(sed -n 1,8p "$work/daily.vhr")"
(cd / && "$gamedir/varnhold" --replay "$work/daily.vhr" --headless >"$work/play.txt" 2>&1) ||
    fail "the daily replay does not play back: $(cat "$work/play.txt")"
echo "ok"
