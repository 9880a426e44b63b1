#!/usr/bin/env bash
# The score server's tests on PostgreSQL: a private cluster of this test's own (trust
# authentication, a socket folder of its own, no TCP), run as an unprivileged user when the
# tests run as root (initdb and postgres refuse root), stopped when the test ends.
# With the tests' program, its store tests run on a database of their own there too.
# Usage: postgres.sh SERVER-EXECUTABLE REPLAY-FOLDER [TESTS-EXECUTABLE]
#        (exit 77: no PostgreSQL here, skipped)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bin="$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)"
[ -n "$bin" ] && [ -x "$bin/initdb" ] || { echo "no PostgreSQL server installed: skipped"; exit 77; }
as=()
if [ "$(id -u)" -eq 0 ]; then
    command -v runuser >/dev/null || { echo "no runuser: skipped"; exit 77; }
    as=(runuser -u nobody --)
fi
work="$(mktemp -d)"
chmod 755 "$work"
mkdir "$work/db" "$work/run"
[ ${#as[@]} -eq 0 ] || chown nobody "$work/db" "$work/run"
cleanup() {
    "${as[@]}" "$bin/pg_ctl" -D "$work/db" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT
"${as[@]}" "$bin/initdb" -D "$work/db" -A trust -U varnhold --no-sync >"$work/initdb.log" 2>&1 ||
    { cat "$work/initdb.log"; exit 1; }
"${as[@]}" "$bin/pg_ctl" -D "$work/db" -w -l "$work/run/log" \
    -o "-k $work/run -c listen_addresses='' -c fsync=off" start >/dev/null ||
    { cat "$work/run/log"; exit 1; }
if [ -n "${3:-}" ]; then
    "${as[@]}" "$bin/createdb" -h "$work/run" -U varnhold stores
    VARNHOLD_TEST_POSTGRESQL="postgresql:///stores?host=$work/run&user=varnhold" "$3" --gtest_filter='ServerDatabases.*'
fi
# serve.py stops the cluster and starts it again to see the server through an outage; the
# password (which trust authentication ignores) must never reach the server's log
export PGSTOP="${as[*]} $bin/pg_ctl -D $work/db -w -m fast stop >/dev/null"
export PGSTART="${as[*]} $bin/pg_ctl -D $work/db -w -l $work/run/log -o \"-k $work/run -c listen_addresses='' -c fsync=off\" start >/dev/null"
python3 "$here/serve.py" "$1" "$2" "postgresql:///postgres?host=$work/run&user=varnhold&password=hunter2"
