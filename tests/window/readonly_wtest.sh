# The game's folder turns read-only while the game runs. A signal ends the game with its own
# status and names the settings file with the reason on standard error (no box: nobody may be
# there to close it); Escape names it in a message box too and ends with status 1. The old
# settings file stays as it was.
source "$(dirname "$0")/common.sh"
export XDG_CONFIG_HOME="$work/config"   # never the tester's own, whatever happens
gamedir="$work/game"
mkdir "$gamedir"
# Root may write anywhere: the folder is a small file system of its own, switched to read-only
# (a bind mount would not reach the game, whose working folder lies below it).
if [ "$(id -u)" -eq 0 ]; then
    reason="Read-only file system"
    ownfilesystem 64m
    readonly() { mount -o remount,ro "$gamedir"; }
    writable() { mount -o remount,rw "$gamedir"; }
else
    reason="Permission denied"
    readonly() { chmod a-w "$gamedir"; }
    writable() { chmod u+w "$gamedir"; }
    atexit+=('chmod u+w "$gamedir"')
fi
makecopy
echo "the old settings" >"$gamedir/varnhold.cfg"   # read as far as it goes; must stay as it is
sum=$(md5sum <"$gamedir/varnhold.cfg")

start
waitwindow
readonly || fail "the folder could not be made read-only"
kill -TERM "$pid"
waitexit 20 || fail "SIGTERM in a read-only folder did not end the game"
[ "$status" -eq 143 ] || fail "SIGTERM: exit status $status"
grep -qxF "Can't save varnhold.cfg: $reason" "$work/err.txt" || fail "SIGTERM: $(cat "$work/err.txt")"
writable

start
waitwindow
readonly || fail "the folder could not be made read-only"
xdotool key --window "$win" Escape
waitbox || fail "Escape in a read-only folder showed no message box"
grep -qxF "Can't save varnhold.cfg: $reason" "$work/err.txt" || fail "Escape: $(cat "$work/err.txt")"
closebox || fail "the box did not close on Return"
waitexit 20 || fail "the game did not end after the box"
[ "$status" -eq 1 ] || fail "Escape: exit status $status"
writable
[ "$(md5sum <"$gamedir/varnhold.cfg")" = "$sum" ] || fail "the old settings file was changed"
[ -e "$gamedir/varnhold.cfg.tmp" ] && fail "temporary file left behind"
echo "ok"
