# Logging out or `kill` must not lose the settings: SIGTERM, SIGHUP and SIGINT close the game
# through the same path as Escape.
source "$(dirname "$0")/common.sh"
makecopy
for sig in TERM HUP INT; do
    rm -f "$work/varnhold.cfg"
    start
    waitwindow
    kill -s "$sig" "$pid"
    waitexit 20 || fail "SIG$sig did not end the game"
    [ -s "$work/varnhold.cfg" ] || fail "SIG$sig: no settings written"
    [ -f "$work/varnhold.cfg.tmp" ] && fail "SIG$sig: temporary file left behind"
done
echo "ok"
