# Installs the packages as a player and a server's keeper would (apt, as root), plays 600
# headless frames from /usr/games and a replay with the installed server, and removes them
# again without leaving a file behind. Skipped (status 77) when not root. $1: the folder with
# the packages.
set -u
fail() { echo "FAIL: $*" >&2; exit 1; }
skip() { echo "SKIPPED: $*"; exit 77; }
[ "$(id -u)" -eq 0 ] || skip "installing the package needs root"
deb=$(ls "$1"/varnhold_*.deb 2>/dev/null | head -1)
[ -f "$deb" ] || fail "no package in $1"
deb=$(readlink -f "$deb")
sdeb=$(readlink -f "$(ls "$1"/varnhold-server_*.deb 2>/dev/null | head -1)")
[ -f "$sdeb" ] || fail "no server package in $1"
ddeb=$(readlink -f "$(ls "$1"/varnhold-data_*.deb 2>/dev/null | head -1)")
[ -f "$ddeb" ] || fail "no data package in $1"
# One installation at a time on this machine, and never over a player's own.
exec 9>/run/lock/varnhold-package-test.lock
flock -w 600 9 || fail "another package test holds the lock"
for p in varnhold varnhold-data varnhold-server; do
    dpkg-query -W -f='${Status}' $p 2>/dev/null | grep -q "install ok installed" &&
        skip "a $p package is installed already; not replacing it"
done

work="$(mktemp -d)"
apt() { DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 -y -qq "$@" >>"$work/apt.txt" 2>&1; }
trap 'apt purge varnhold varnhold-data varnhold-server; rm -rf "$work"' EXIT
# the server first, alone with the data: no window nor sound library comes with it
apt install --no-install-recommends "$ddeb" "$sdeb" || fail "apt-get install: $(tail -5 "$work/apt.txt")"
dpkg-query -W -f='${Status}' varnhold 2>/dev/null | grep -q "install ok installed" && fail "the server pulled in the game"
source "$(dirname "$0")/../support/ourdata.sh"
verdict=$(ourdata /usr/games/varnhold-server "$(dirname "$0")/../replays/fight.vhr" | /usr/games/varnhold-server --verify-child 2>&1)
grep -q "no high-score row" <<<"$verdict" || fail "the installed server did not play a replay: $verdict"
apt install --no-install-recommends "$deb" || fail "apt-get install: $(tail -5 "$work/apt.txt")"

HOME="$work/home" XDG_CONFIG_HOME="$work/config" ALSOFT_DRIVERS=null /usr/games/varnhold --headless --frames 600 \
    >"$work/out.txt" 2>&1 || fail "the installed game: $(cat "$work/out.txt")"
grep -q "^600 steps" "$work/out.txt" || fail "the installed game printed: $(cat "$work/out.txt")"
# root may write /usr/share/games/varnhold, but the game leaves the package's files alone
extra=$(comm -13 <(dpkg -L varnhold varnhold-data | sort) <(find /usr/share/games/varnhold | sort))
[ -z "$extra" ] || fail "the game wrote into its installed folder: $extra"
[ -d "$work/config/varnhold" ] || fail "the installed game made no settings folder in XDG_CONFIG_HOME"

if command -v systemd-analyze >/dev/null; then
    unit=$(systemd-analyze verify /usr/lib/systemd/system/varnhold-server.service 2>&1) || fail "the systemd unit: $unit"
fi

apt purge varnhold varnhold-data varnhold-server || fail "apt-get purge: $(tail -5 "$work/apt.txt")"
trap 'rm -rf "$work"' EXIT
[ ! -e /usr/games/varnhold ] && [ ! -e /usr/games/varnhold-server ] && [ ! -e /usr/share/games/varnhold ] &&
    [ ! -e /etc/default/varnhold-server ] || fail "files left after purging the package"
echo "ok"
