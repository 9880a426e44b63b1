# A sound that decodes only partly stops the start like a missing one: "Can't load" and its
# path on stderr, a failure status, no settings written. Run headless: the message box of a
# windowed start is checked by missingsound_wtest.sh.
source "$(dirname "$0")/common.sh"
makecopy wind.ogg
src="$build/data/wind.ogg"
size=$(stat -c %s "$src")
damage() {
    case "$1" in
        cut) head -c $((size * 2 / 3)) "$src" ;;
        middle) python3 -c 'import sys; b = bytearray(open(sys.argv[1], "rb").read()); b[len(b) // 2] ^= 0x55; sys.stdout.buffer.write(b)' "$src" ;;
    esac
}
for how in cut middle; do
    rm -f "$work/data/wind.ogg" "$work/varnhold.cfg"
    damage "$how" >"$work/data/wind.ogg"
    cmp -s "$work/data/wind.ogg" "$src" && fail "$how: the copy is not damaged"
    status=0
    "$work/varnhold" --headless --frames 10 >"$work/out.txt" 2>"$work/err.txt" || status=$?
    [ "$status" -ne 0 ] || fail "$how: the game started with a damaged sound"
    grep -qx "Can't load data/wind.ogg" "$work/err.txt" || fail "$how: no message on stderr: $(cat "$work/err.txt")"
    grep -q "steps" "$work/out.txt" && fail "$how: frames ran"
    [ -f "$work/varnhold.cfg" ] && fail "$how: settings written after a failed start"
done
echo "ok"
