#!/usr/bin/env bash
# The real window under Xvfb: the title screen and a crowded fight, each run for a while with
# --stats, then the median figures of the seconds after the warm-up.
#
#   bash bench/window_bench.sh [build folder] [seconds per scene]
#   SCENE=title (or crowd) runs only that scene.
#
# Presented frames per second and the game's draw calls come from --stats; the CPU time per
# frame is the process's own (all threads, /proc/PID/stat) over the measured seconds; the
# resident memory is read at the end. Other load on the machine lowers the frames per second
# first; the CPU time per frame stays comparable.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$(readlink -f "${1:-$here/build}")"
seconds="${2:-12}"
warmup=3
[ -x "$build/varnhold" ] || { echo "no $build/varnhold: build the game first" >&2; exit 1; }
command -v Xvfb >/dev/null || { echo "Xvfb is needed (scripts/install-deps.sh installs it)" >&2; exit 1; }

work="$(mktemp -d)"
xpid=""
gpid=""
cleanup() {
    [ -n "$gpid" ] && kill "$gpid" 2>/dev/null || true
    [ -n "$xpid" ] && kill "$xpid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# An X server of our own; it writes its display number when it is ready.
exec 3> >(cat >"$work/display")
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xpid=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -1 "$work/display")"
export ALSOFT_DRIVERS=null

# A scratch copy of the game, so that no settings land in the build folder.
mkdir "$work/game" "$work/game/data"
cp "$build/varnhold" "$build/varnhold.lng" "$work/game/"
for f in "$build"/data/*; do ln -s "$f" "$work/game/data/"; done

hz=$(getconf CLK_TCK)
cputicks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
median() { sort -n | awk '{ a[NR] = $1 } END { if (NR == 0) print "-"; else if (NR % 2) print a[(NR + 1) / 2]; else printf "%.2f\n", (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }

run() {
    local name="$1"; shift
    rm -f "$work/game/varnhold.cfg"
    "$work/game/varnhold" --seed 1 --stats "$@" 2>"$work/$name.err" >/dev/null &
    gpid=$!
    sleep "$warmup"
    local lines0 t0 c0
    lines0=$(grep -c '^stats:' "$work/$name.err" || true)
    t0=$(date +%s.%N)
    c0=$(cputicks "$gpid")
    sleep "$seconds"
    local c1 t1 rss
    c1=$(cputicks "$gpid")
    t1=$(date +%s.%N)
    rss=$(awk '/^VmRSS/ { printf "%d", $2 / 1024 }' "/proc/$gpid/status")
    kill "$gpid"
    wait "$gpid" 2>/dev/null || true
    gpid=""
    local stats first fps calls cpums
    stats=$(grep '^stats:' "$work/$name.err" | tail -n +"$((lines0 + 1))")
    first=$(grep -m1 '^stats:' "$work/$name.err" | awk '{ print $2 " frames, " $4 " ms" }')
    fps=$(echo "$stats" | awk '{ print $2 }' | median)
    calls=$(echo "$stats" | awk '{ print $9 }' | median)
    # CPU of the whole process over the measured seconds, per frame at the mean rate of those seconds
    cpums=$(echo "$stats" | awk -v c="$((c1 - c0))" -v hz="$hz" -v t0="$t0" -v t1="$t1" \
        '{ n += $2; k++ } END { dt = t1 - t0; if (n > 0 && dt > 0) printf "%.2f", c / hz * 1000 / (n / k * dt); else print "-" }')
    local cpumed
    cpumed=$(echo "$stats" | awk '{ print $4 }' | median)
    printf '%-12s %8s %14s %14s %8s %8s   first second: %s\n' "$name" "$fps" "$cpums" "$cpumed" "$calls" "$rss" "$first"
}

printf '%-12s %8s %14s %14s %8s %8s\n' scene "fps" "cpu ms/frame" "(median/s)" "calls" "RSS MB"
[ "${SCENE:-}" != crowd ] && run title
[ "${SCENE:-}" != title ] && run crowd --bench-crowd || true
