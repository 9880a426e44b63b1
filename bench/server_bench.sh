#!/usr/bin/env bash
# The score server under load, on 127.0.0.1 only: a server of its own on a fresh SQLite file,
# N clients posting valid and invalid replays for T seconds (one of them abusive: costly games
# that make no row), then a stop (SIGTERM) with requests in flight and a restart on the same
# file that must list every accepted entry; at the end the verifier's CPU time for a game,
# scaled to a game of 10 minutes. The games are whole games of different seeds, played headless
# by build/varnhold_games into build/bench-games/ the first time (bench/games.cpp). The client
# is bench/server_load.py (Python 3, standard library only).
#
#   bash bench/server_bench.sh [--build DIR] [--clients N] [--abusers N] [--abuser-connections N] [--idle-frames N]
#                              [--seconds T] [--pause S] [--workers N] [--queue N] [--isolate] [--quick]
#
# Defaults: build/, 32 clients (at most 256) of which 1 abusive, 20 s (at most 300), no pause
# (each client sends again as soon as it is answered; --pause S: after S seconds, 0.5 to 1.5
# times), the server's own number of verifiers and queue. The abuser sends on one connection
# the idle session of three hours; --abuser-connections 4 --idle-frames 150000 makes it four
# at once of 150,000 frames (about 1.8 s of CPU each, just short of a long game). --quick: 2
# honest clients for 2 s and no CPU measurement, a check of correctness only.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$here/build"
if [ "${1:-}" = "--build" ]; then
    build="$(readlink -f "$2")"
    shift 2
fi
[ -x "$build/varnhold-server" ] || { echo "no $build/varnhold-server: build it first (bash scripts/build.sh)" >&2; exit 1; }
export ALSOFT_DRIVERS=null
games="$build/bench-games"
count=240
case " $* " in *" --quick "*) count=6 ;; esac
# The games are played again when the rules or the data that made them changed: the folder
# keeps the program that played them (its checksum) and the data digest the server names.
madeby="$(sha256sum <"$build/varnhold_games" | cut -d' ' -f1) $("$build/varnhold-server" --version)"
if [ "$(cat "$games/made-by" 2>/dev/null)" != "$madeby" ]; then
    rm -rf "$games"
fi
if [ "$(ls "$games"/game-*.vhr 2>/dev/null | wc -l)" -lt "$count" ] || { [ "$count" -gt 6 ] && [ ! -f "$games/idle.vhr" ]; }; then
    mkdir -p "$games"
    rm -f "$games/made-by"
    idle=()
    [ "$count" -le 6 ] || idle=(--idle 648000)
    (cd "$build" && ./varnhold_games --count "$count" "${idle[@]}" --to "$games" >/dev/null)
    printf '%s\n' "$madeby" >"$games/made-by"
fi
exec python3 "$here/bench/server_load.py" "$build/varnhold-server" "$games" "$@"
