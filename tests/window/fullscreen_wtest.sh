# F11 and Alt+Enter take the game to full screen and back: the playfield fills the screen's
# width at its own aspect with black below, the game goes on drawing, neither key reaches the
# game (Enter would start one), and the settings keep the window's own size even when the game
# is closed in full screen. The window carries the game's icon.
source "$(dirname "$0")/common.sh"

# Full screen is the window manager's business: bring one where the display has none. Openbox
# runs with folders of its own, so nothing of this machine's desktop settings reaches it.
waituntil() {   # waituntil SECONDS COMMAND...: true once COMMAND succeeds
    local n=$(($1 * 10))
    shift
    for ((i = 0; i < n; i++)); do "$@" && return 0; sleep 0.1; done
    return 1
}
# A window manager announces itself with a window on the root; after one has gone, the root
# still names its window, which no longer exists.
wmready() {
    local id
    id=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -o '0x[0-9a-f]*') &&
        xprop -id "$id" _NET_SUPPORTING_WM_CHECK >/dev/null 2>&1
}
readyorgone() { wmready || ! kill -0 "$wm" 2>/dev/null; }
wm=""
atexit+=('[ -n "$wm" ] && stop "$wm"')
if ! wmready; then
    command -v openbox >/dev/null || fail "openbox is missing (bash scripts/install-deps.sh installs it)"
    mkdir -p "$work/wm"
    for try in 1 2 3; do
        HOME="$work/wm" XDG_CONFIG_HOME="$work/wm" XDG_CACHE_HOME="$work/wm" \
            openbox --sm-disable >>"$work/wm.txt" 2>&1 &
        wm=$!
        waituntil 20 readyorgone
        wmready && break
        stop "$wm"
        wm=""
    done
    # Without a window manager no window can go full screen; that is this display's fault, not
    # the game's, so the test stands aside and says why.
    if [ -z "$wm" ]; then
        echo "SKIPPED: no window manager would start on $DISPLAY; openbox said:"
        sed 's/^/    /' "$work/wm.txt"
        exit 77
    fi
fi

makecopy
start --seed 3 --dump "$work/world.json"
waitwindow
xdotool windowactivate --sync "$win" 2>/dev/null || true
eval "$(xdotool getwindowgeometry --shell "$win")"
w0=$WIDTH h0=$HEIGHT
read -r sw sh < <(xdotool getdisplaygeometry)

# The icon: _NET_WM_ICON lists width, height and ARGB pixels per size; its 16 x 16 is ours.
convert "$build/icons/hicolor/16x16/apps/varnhold.png" -depth 8 rgba:"$work/icon16.rgba"
xprop -id "$win" -len 4000000 -notype -f _NET_WM_ICON 32c ' $0+' _NET_WM_ICON >"$work/icon.txt"
python3 - "$work/icon.txt" "$work/icon16.rgba" <<'PY' || fail "the window's icon is not the game's"
import sys
v = [int(x) for x in open(sys.argv[1]).read().split(None, 1)[1].replace(",", " ").split()]
px = open(sys.argv[2], "rb").read()
want = [px[i + 3] << 24 | px[i] << 16 | px[i + 1] << 8 | px[i + 2] for i in range(0, len(px), 4)]
p, sizes = 0, []
while p + 2 <= len(v):
    w, h = v[p], v[p + 1]
    sizes.append((w, h))
    if (w, h) == (16, 16):
        got = v[p + 2:p + 2 + 256]
        bad = sum(1 for a, b in zip(got, want) if any(abs((a >> s & 255) - (b >> s & 255)) > 2 for s in (0, 8, 16, 24)))
        assert bad == 0, f"{bad} of 256 pixels differ"
        sys.exit(0)
    p += 2 + w * h
sys.exit(f"no 16 x 16 icon among {sizes}")
PY

fullscreen() {
    xprop -id "$win" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN || return 1
    eval "$(xdotool getwindowgeometry --shell "$win")"
    [ "$WIDTH" -eq "$sw" ] && [ "$HEIGHT" -eq "$sh" ]
}
windowed() {
    xprop -id "$win" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN && return 1
    eval "$(xdotool getwindowgeometry --shell "$win")"
    [ "$WIDTH" -eq "$w0" ] && [ "$HEIGHT" -eq "$h0" ]
}
# The mean brightness of a band of the screen: x y w h.
mean() { import -window root -crop "${3}x${4}+${1}+${2}" -colorspace gray -format "%[fx:mean]" info: 2>/dev/null; }
# Letterboxed: the sky and the city reach the right edge, the rows under the playfield are black.
letterboxed() {
    local top bottom
    top=$(mean $((sw - 40)) $((sw / 4)) 40 40) && bottom=$(mean 0 $((sh - 40)) "$sw" 40) || return 1
    awk -v t="$top" -v b="$bottom" 'BEGIN { exit !(t > 0.02 && b == 0) }'
}
# The size of screenshot N once it is complete.
shot() {
    local f="$work/screenshot$1.png"
    waituntil 10 sh -c "identify -format '%w %h' '$f' >/dev/null 2>&1 && convert '$f' null: 2>/dev/null" || return 1
    identify -format "%w %h\n" "$f"
}

xdotool key --window "$win" F11
waituntil 20 fullscreen || fail "F11 did not fill the screen"
waituntil 20 letterboxed || fail "the playfield is not drawn across the screen with black below"
xdotool key --window "$win" F2
read -r w h < <(shot 0) || fail "no screenshot in full screen"
[ $((w - sw)) -ge -1 ] && [ $((w - 2 * h)) -ge -1 ] && [ $((w - 2 * h)) -le 1 ] ||
    fail "in full screen the playfield is $w x $h on a $sw x $sh screen"

xdotool key --window "$win" alt+Return
waituntil 20 windowed || fail "Alt+Enter did not bring the window back to $w0 x $h0"
xdotool key --window "$win" F2
[ "$(shot 1)" = "800 400" ] || fail "back in the window the playfield is not 800 x 400"

# Closed while in full screen, the game keeps the window's own size.
xdotool key --window "$win" alt+Return
waituntil 20 fullscreen || fail "Alt+Enter did not fill the screen"
xdotool key --window "$win" Escape
waitexit 20 || fail "Escape did not end the game"
[ "$status" -eq 0 ] || fail "exit status $status"
read -r x y w h rest < <(settingshead "$work/varnhold.cfg") || fail "settings file layout"
[ "$w $h" = "$w0 $h0" ] || fail "the settings keep a $w x $h window, not $w0 x $h0"
python3 - "$work/world.json" <<'PY' || fail "a key reached the game"
import json, sys
level = json.load(open(sys.argv[1]))["level"]
assert level["prg"] == 10, f"level state {level['prg']}, not the title screen"
PY
echo "ok"
