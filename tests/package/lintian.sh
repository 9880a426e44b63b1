# Lintian on the game's, the data's and the server's packages: no error, and every warning mended or
# overridden in packaging/*.lintian-overrides with its reason in a comment above it; an
# override that no longer matches anything fails too, so none outlives its reason. Skipped
# (status 77) without lintian. $1: the folder with the packages.
set -u
fail() { echo "FAIL: $*" >&2; exit 1; }
command -v lintian >/dev/null 2>&1 || { echo "SKIPPED: lintian is not installed"; exit 77; }
debs=$(ls "$1"/varnhold_*.deb "$1"/varnhold-data_*.deb "$1"/varnhold-server_*.deb 2>/dev/null)
[ "$(wc -l <<<"$debs")" -eq 3 ] || fail "not the game's, the data's and the server's package in $1: $debs"
out=$(lintian --display-info --fail-on error,warning $debs 2>&1)
status=$?
out=$(grep -v "^running with root privileges" <<<"$out")
echo "$out"
[ "$status" -eq 0 ] || fail "lintian finds errors or warnings (status $status)"
grep -q "unused-override" <<<"$out" && fail "an override matches nothing: remove it"
# each override follows a comment or another override (a group sharing one reason)
for f in "$(dirname "$0")"/../../packaging/*.lintian-overrides; do
    awk '/^varnhold[a-z-]*:/ && prev !~ /^(#|varnhold[a-z-]*:)/ { print; bad = 1 } { prev = $0 } END { exit bad }' "$f" ||
        fail "an override above without its reason in $f"
done
echo "ok"
