#!/usr/bin/env bash
# The score server's client in a real window, with a private home and a local server. "Send
# scores" is ticked from the Game menu and kept in scores.cfg; a game is played with F5 held to
# a high-score row while the server is down: its replay waits in the outbox. At the next start,
# with the server up, the replay arrives, the server lists the row, and "Watch the best game"
# opens the replay viewer on it.
# Usage: scores_wtest.sh PATH-TO-VARNHOLD
set -euo pipefail
game=$(readlink -f "$1")
source "$(dirname "$(readlink -f "$0")")/common.sh" "$game"
set -e
server="$build/varnhold-server"
[ -x "$server" ] || { echo "SKIPPED: no varnhold-server beside the game"; exit 77; }
makecopy
export HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CONFIG_HOME="$work/home/config"
mkdir -p "$HOME"
outbox="$XDG_DATA_HOME/varnhold/outbox"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
url="http://127.0.0.1:$port"
spid=""
viewer=""
atexit+=('for p in $viewer $spid; do stop "$p"; done')

# The table's rows all at -100000, so that the game's row enters it whatever the score.
python3 "$(dirname "$(readlink -f "$0")")/../support/lowtable.py" "$work/varnhold.cfg"

# 1. The server is down: the tick is kept, the game's replay waits in the outbox.
start --scores "$url"
waitwindow
xdotool key alt+g
waitwindows 2 || fail "alt+G opened no menu"
xdotool key c            # "Send s&cores"
waitwindows 1 || fail "the menu did not close"
for _ in $(seq 50); do grep -qx "send=1" "$work/scores.cfg" 2>/dev/null && break; sleep 0.1; done
grep -qx "send=1" "$work/scores.cfg" || fail "scores.cfg: $(cat "$work/scores.cfg" 2>&1)"
grep -qx "server=$url" "$work/scores.cfg" || fail "--scores was not kept: $(cat "$work/scores.cfg")"
eval "$(xdotool getwindowgeometry --shell "$win")"
xdotool mousemove --window "$win" 400 $((200 + HEIGHT - 400))
xdotool key Return
waitworld 'w["level"]["prg"] == 1' || fail "Return started no game"
xdotool click 3
xdotool keydown --window "$win" F5
for _ in 1 2 3 4; do waitworld 'w["level"]["prg"] == 3' && break; done
xdotool keyup --window "$win" F5
waitworld 'w["level"]["prg"] == 3' || fail "the game did not reach the name entry"
xdotool key Return
for _ in $(seq 100); do ls "$outbox"/*.vhr >/dev/null 2>&1 && grep -q "waits in" "$work/err.txt" && break; sleep 0.1; done
ls "$outbox"/*.vhr >/dev/null 2>&1 || fail "no replay in the outbox: $(cat "$work/err.txt")"
grep -q "can't send session-.*waits in $outbox" "$work/err.txt" || fail "the failure was not said: $(cat "$work/err.txt")"
xdotool key Escape
waitexit 20 || fail "Escape did not close the game"
ls "$outbox"/*.vhr >/dev/null 2>&1 || fail "the replay left the outbox at the close"

# 2. The server is up: the next start sends the replay, and the server lists its row.
"$server" --listen "127.0.0.1:$port" --db "$work/scores.db" >"$work/server.txt" 2>&1 &
spid=$!
for _ in $(seq 100); do grep -q listening "$work/server.txt" && break; sleep 0.1; done
grep -q listening "$work/server.txt" || fail "the server did not start: $(cat "$work/server.txt")"
start
waitwindow
for _ in $(seq 300); do grep -q "took session-" "$work/err.txt" && break; sleep 0.1; done
grep -q "the score server $url took session-.*: rank 1 (score " "$work/err.txt" || fail "no rank: $(cat "$work/err.txt")"
[ -z "$(ls -A "$outbox")" ] || fail "the outbox still holds $(ls "$outbox")"
python3 - "$url" <<'PY' || fail "the server does not list the row"
import json, sys, urllib.request
t = json.load(urllib.request.urlopen(sys.argv[1] + "/api/v1/scores"))
assert t["total"] == 1 and t["scores"][0]["name"] == "Your Name", t
PY

# 3. "Watch the best game" starts the replay viewer on the table's best game.
xdotool key alt+g
waitwindows 2 || fail "alt+G opened no menu"
xdotool key w            # "&Watch the best game"
best="$XDG_DATA_HOME/varnhold/best.vhr"
for _ in $(seq 100); do viewer=$(pgrep -f -- "--replay $best" || true); [ -n "$viewer" ] && break; sleep 0.1; done
[ -n "$viewer" ] || fail "no replay viewer started: $(cat "$work/err.txt")"
cmp -s "$best" <(curl -s "$url/api/v1/replays/1") || fail "best.vhr is not the stored replay"
stop "$viewer"
viewer=""
# the viewer's window took the focus when it appeared: give it back to the game's for the key
xdotool windowfocus --sync "$win" 2>/dev/null || true
xdotool key Escape
waitexit 20 || fail "Escape did not close the game"
[ "$status" -eq 0 ] || fail "the game exited with status $status"
echo "ok"
