#!/usr/bin/env bash
# The real window under Xvfb: the title screen and a crowded fight, each run for a while with
# --stats, then the median figures of the seconds after the warm-up.
#
#   bash bench/window_bench.sh [build folder] [seconds per scene] [canvas size...]
#   SCENE=title (or crowd) runs only that scene.
#   RENDER="device auto" runs each size with each --render-scale in turn (default: auto).
#   DISPLAY_HZ="60 144" runs each with the display presenting at each rate in turn
#   (VARNHOLD_DISPLAY_HZ; default: the screen's own). Above 60 the game draws every frame of the
#   display, between the world's 60 steps a second (smooth motion, on by default there).
#   ROUNDS=N repeats the whole list N times, so that the configurations compared are measured
#   interleaved, under the same load.
#
# A canvas size is WIDTHxHEIGHT in pixels (default 800x400, the game's default window); the
# window is made that much larger than its menu bar. Several sizes are measured in the same run.
#
# Presented frames per second and the game's draw calls come from --stats; the CPU time per
# frame is the process's own (all threads, /proc/PID/stat) over the measured seconds; the
# resident memory is read at the end; "canvas" is the canvas's size as the game has it, "drawn"
# the size the frames were drawn at before they were scaled to the canvas. Other load on the machine lowers the frames per second
# first; the CPU time per frame stays comparable.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$(readlink -f "${1:-$here/build}")"
seconds="${2:-12}"
shift $(($# > 2 ? 2 : $#))
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(800x400)
renders=(${RENDER:-auto})
rates=(${DISPLAY_HZ:-screen})
rounds="${ROUNDS:-1}"
warmup=3
[ -x "$build/varnhold" ] || { echo "no $build/varnhold: build the game first" >&2; exit 1; }
command -v Xvfb >/dev/null || { echo "Xvfb is needed (scripts/install-deps.sh installs it)" >&2; exit 1; }
command -v xdotool >/dev/null || { echo "xdotool is needed (scripts/install-deps.sh installs it)" >&2; exit 1; }
screenw=1280 screenh=1024
for s in "${sizes[@]}"; do
    [[ "$s" =~ ^([0-9]+)x([0-9]+)$ ]] || { echo "a canvas size is WIDTHxHEIGHT, not $s" >&2; exit 1; }
    screenw=$((BASH_REMATCH[1] + 80 > screenw ? BASH_REMATCH[1] + 80 : screenw))
    screenh=$((BASH_REMATCH[2] + 120 > screenh ? BASH_REMATCH[2] + 120 : screenh))
done

work="$(mktemp -d)"
xpid=""
gpid=""
cleanup() {
    [ -n "$gpid" ] && kill "$gpid" 2>/dev/null || true
    [ -n "$xpid" ] && kill "$xpid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# An X server of our own, large enough for the largest window; it writes its display number
# when it is ready.
exec 3> >(cat >"$work/display")
Xvfb -displayfd 3 -screen 0 "${screenw}x${screenh}x24" -nolisten tcp >/dev/null 2>&1 &
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

# The settings file's window record (x, y, width, height as varints), nothing after it: the
# game takes its defaults for the rest.
windowrecord() { python3 "$here/tests/support/windowrecord.py" "$work/game/varnhold.cfg" "$@"; }

# The height of the menu bar: the window's height less its canvas's (from the first --stats
# line), measured once.
bar=""
menubar() {
    local win canvas
    for _ in $(seq 300); do
        win=$(xdotool search --onlyvisible --pid "$gpid" --name '^Varnhold [0-9]' 2>/dev/null | head -1) || true
        canvas=$(grep -m1 -o 'canvas [0-9]*x[0-9]*' "$1" 2>/dev/null) || true
        [ -n "$win" ] && [ -n "$canvas" ] && break
        sleep 0.1
    done
    [ -n "$win" ] && [ -n "$canvas" ] || { echo "the game's window did not appear" >&2; exit 1; }
    local wh
    wh=$(xdotool getwindowgeometry --shell "$win" | awk -F= '/^HEIGHT/ { print $2 }')
    echo $((wh - ${canvas#*x}))
}

run() {
    local name="$1" size="$2" render="$3" rate="$4"; shift 4
    local w="${size%x*}" h="${size#*x}"
    rm -f "$work/game/varnhold.cfg"
    [ -n "$bar" ] && windowrecord 20 20 "$w" $((h + bar))
    if [ "$rate" = screen ]; then unset VARNHOLD_DISPLAY_HZ; else export VARNHOLD_DISPLAY_HZ="$rate"; fi
    "$work/game/varnhold" --seed 1 --stats --render-scale "$render" "$@" 2>"$work/$name.err" >/dev/null &
    gpid=$!
    if [ -z "$bar" ]; then
        # the first start finds the menu bar's height, the next ones open the asked size
        bar=$(menubar "$work/$name.err")
        kill "$gpid"
        wait "$gpid" 2>/dev/null || true
        run "$name" "$size" "$render" "$rate" "$@"
        return
    fi
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
    local stats first fps calls cpums drawn
    stats=$(grep '^stats:' "$work/$name.err" | tail -n +"$((lines0 + 1))")
    first=$(grep -m1 '^stats:' "$work/$name.err" | awk '{ print $2 " frames, " $4 " ms" }')
    fps=$(echo "$stats" | awk '{ print $2 }' | median)
    calls=$(echo "$stats" | awk '{ print $9 }' | median)
    drawn=$(echo "$stats" | tail -1 | awk '{ print $NF }')
    size=$(echo "$stats" | tail -1 | awk '{ print $(NF - 3) }')
    # CPU of the whole process over the measured seconds, per frame at the mean rate of those seconds
    cpums=$(echo "$stats" | awk -v c="$((c1 - c0))" -v hz="$hz" -v t0="$t0" -v t1="$t1" \
        '{ n += $2; k++ } END { dt = t1 - t0; if (n > 0 && dt > 0) printf "%.2f", c / hz * 1000 / (n / k * dt); else print "-" }')
    local cpumed cpusec
    cpumed=$(echo "$stats" | awk '{ print $4 }' | median)
    # CPU of the whole process per second of wall time
    cpusec=$(awk -v c="$((c1 - c0))" -v hz="$hz" -v t0="$t0" -v t1="$t1" 'BEGIN { printf "%.0f", c / hz * 1000 / (t1 - t0) }')
    printf '%-6s %-10s %-7s %-6s %-10s %6s %13s %11s %9s %6s %7s   first second: %s\n' "$name" "$size" "$render" "$rate" "$drawn" \
        "$fps" "$cpums" "$cpumed" "$cpusec" "$calls" "$rss" "$first"
}

printf '%-6s %-10s %-7s %-6s %-10s %6s %13s %11s %9s %6s %7s\n' scene canvas render hz drawn fps "cpu ms/frame" "(median/s)" "cpu ms/s" calls "RSS MB"
for _ in $(seq "$rounds"); do
    for size in "${sizes[@]}"; do
        for render in "${renders[@]}"; do
            for rate in "${rates[@]}"; do
                [ "${SCENE:-}" != crowd ] && run title "$size" "$render" "$rate"
                [ "${SCENE:-}" != title ] && run crowd "$size" "$render" "$rate" --bench-crowd
            done
        done
    done
done
true
