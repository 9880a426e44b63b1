# The package's contents and metadata: what dpkg reads, every file in its place (the data as
# the build made it, the icon at each size), the desktop entry, AppStream metainfo and manual
# page clean by their validators, changelog and copyright in place, and the program running from the unpacked tree without
# writing into its data folder; the data in a package of its own for every architecture; then
# the server's package beside them. $1: the folder with the packages, $2: the build's program.
set -u
fail() { echo "FAIL: $*" >&2; exit 1; }
deb=$(ls "$1"/varnhold_*.deb 2>/dev/null | head -1)
[ -f "$deb" ] || fail "no package in $1"
build="$(dirname "$(readlink -f "$2")")"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Control fields: a game; the libraries' packages found by dpkg-shlibdeps, with versions.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = varnhold ] || fail "package name $(field Package)"
[ "$(field Section)" = games ] || fail "section $(field Section)"
depends=$(field Depends)
for lib in libc6 libqt6widgets6 libqt6gui6 libopenal1 libvorbisfile3 libpng16-16 libsdl2-2.0-0 qt6-qpa-plugins; do
    grep -Eq "(^|, )$lib( \(|,|$)" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
grep -Eq "libc6 \(>= [0-9.]+\)" <<<"$depends" || fail "Depends has no versions from shlibdeps: $depends"
version=$(field Version)
grep -Eq "(^|, )varnhold-data \(= $version\)(,|$)" <<<"$depends" || fail "the game does not depend on varnhold-data $version: $depends"

# The pictures, sounds and texts: one package for every architecture, with no dependencies.
ddeb=$(ls "$1"/varnhold-data_*_all.deb 2>/dev/null | head -1)
[ -f "$ddeb" ] || fail "no varnhold-data_*_all.deb in $1"
[ "$(dpkg-deb -f "$ddeb" Architecture) $(dpkg-deb -f "$ddeb" Version)" = "all $version" ] ||
    fail "varnhold-data is $(dpkg-deb -f "$ddeb" Architecture) $(dpkg-deb -f "$ddeb" Version)"
[ -z "$(dpkg-deb -f "$ddeb" Depends)" ] || fail "varnhold-data depends on $(dpkg-deb -f "$ddeb" Depends)"
binaries=$(dpkg-deb -c "$ddeb" | awk '$1 ~ /x/ && $1 !~ /^d/ {print $6}')
[ -z "$binaries" ] || fail "programs in varnhold-data: $binaries"

root="$work/root"
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb cannot unpack the package"
[ ! -e "$root/usr/share/games/varnhold/data" ] || fail "the game's package holds the data too"
dpkg-deb -x "$ddeb" "$root" || fail "dpkg-deb cannot unpack varnhold-data"
[ -x "$root/usr/games/varnhold" ] || fail "no /usr/games/varnhold"
data="$root/usr/share/games/varnhold"
[ -f "$data/varnhold.lng" ] || fail "no varnhold.lng in /usr/share/games/varnhold"
# every picture and sound the build made, and nothing the game makes for itself
diff <(cd "$build/data" && ls | grep -vx "_city lens.png") <(cd "$data/data" && ls) >"$work/data.diff" ||
    fail "data/ in the package differs from the build's: $(cat "$work/data.diff")"
cmp -s "$build/varnhold.lng" "$data/varnhold.lng" || fail "varnhold.lng differs from the build's"
for n in 16 22 24 32 48 64 128 256; do
    icon="$root/usr/share/icons/hicolor/${n}x$n/apps/varnhold.png"
    [ "$(identify -format "%w %h" "$icon" 2>/dev/null)" = "$n $n" ] || fail "no $n x $n icon"
done

desktop="$root/usr/share/applications/org.varnhold.varnhold.desktop"
metainfo="$root/usr/share/metainfo/org.varnhold.varnhold.metainfo.xml"
desktop-file-validate "$desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net --pedantic "$metainfo" || fail "appstreamcli validate"
# the metainfo's desktop entry and icon as installed
appstreamcli validate-tree --no-net "$root" || fail "appstreamcli validate-tree"

# The changelog and the metainfo's newest release name the package's version; the copyright
# file gives the game's licence.
doc="$root/usr/share/doc/varnhold"
zcat "$doc/changelog.gz" >"$work/changelog" || fail "no changelog.gz in /usr/share/doc/varnhold"
[ "$(dpkg-parsechangelog -l "$work/changelog" -S Version)" = "$version" ] ||
    fail "the changelog's last entry is not version $version"
grep -m1 "<release " "$metainfo" | grep -qF "version=\"$version\"" || fail "the metainfo's newest release is not $version"
grep -qx "License: GPL-3+" "$doc/copyright" || fail "no GPL-3+ in /usr/share/doc/varnhold/copyright"

# The manual page renders without warnings and names every option and every installed file.
man="$root/usr/share/man/man6/varnhold.6.gz"
zcat "$man" >"$work/varnhold.6" || fail "no manual page in section 6"
warnings=$(LC_ALL=C.UTF-8 groff -man -ww -z -Tutf8 "$work/varnhold.6" 2>&1)
[ -z "$warnings" ] || fail "the manual page: $warnings"
sed 's/\\-/-/g' "$work/varnhold.6" >"$work/man.txt"
for option in $("$build/varnhold" --help | grep -Eo -- '--[a-z]+' | sort -u); do
    grep -q -- "$option" "$work/man.txt" || fail "the manual page does not list $option"
done
for f in /usr/games/varnhold /usr/share/games/varnhold/data/ /usr/share/games/varnhold/varnhold.lng; do
    grep -qF "$f" "$work/man.txt" || fail "the manual page does not name $f"
done

# Unpacked anywhere, the program finds its data from /usr/games and keeps its settings in the
# user's folder, also where it could write the data folder (root).
before=$(cd "$root" && find . | sort)
HOME="$work/home" XDG_CONFIG_HOME="$work/config" "$root/usr/games/varnhold" --headless --frames 60 \
    >"$work/out.txt" 2>&1 || fail "the unpacked program: $(cat "$work/out.txt")"
grep -q "^60 steps" "$work/out.txt" || fail "the unpacked program printed: $(cat "$work/out.txt")"
[ -d "$work/config/varnhold" ] || fail "no settings folder in XDG_CONFIG_HOME"
[ "$(cd "$root" && find . | sort)" = "$before" ] || fail "the program wrote into the installed tree"

# The server's package: nothing of the game's; the data in the same version and no window,
# sound or game package (neither named nor pulled in by a library); its manual page lists every
# option; its options an operator's file, kept over upgrades; unpacked over the data, it plays
# a replay.
sdeb=$(ls "$1"/varnhold-server_*.deb 2>/dev/null | head -1)
[ -f "$sdeb" ] || fail "no server package in $1"
sfield() { dpkg-deb -f "$sdeb" "$1"; }
[ "$(sfield Package)" = varnhold-server ] && [ "$(sfield Version)" = "$version" ] || fail "server package $(sfield Package) $(sfield Version)"
sdepends=$(sfield Depends)
grep -Eq "(^|, )varnhold-data \(= $version\)(,|$)" <<<"$sdepends" || fail "the server does not depend on varnhold-data $version: $sdepends"
grep -Eq "(^|, )(varnhold|libqt6[a-z]*6|qt6-[a-z-]*|libsdl2[^,]*|libopenal[0-9]*|libgl[^,]*|libx11[^,]*)( \(|,|$)" <<<"$sdepends" &&
    fail "the server depends on a window, sound or the game: $sdepends"
grep -Eq "(^|, )libsqlite3-0 \(>= [0-9.]+\)" <<<"$sdepends" || fail "the server's Depends are not its libraries': $sdepends"
files() { dpkg-deb -c "$1" | awk '$1 !~ /^d/ {print $6}' | sort; }
for pair in "$deb $ddeb" "$deb $sdeb" "$ddeb $sdeb"; do
    read -r a b <<<"$pair"
    shared=$(comm -12 <(files "$a") <(files "$b"))
    [ -z "$shared" ] || fail "files in both $(basename "$a") and $(basename "$b"): $shared"
done
[ "$(dpkg-deb -I "$sdeb" conffiles)" = /etc/default/varnhold-server ] || fail "conffiles: $(dpkg-deb -I "$sdeb" conffiles)"
root="$work/server"   # the data and the server, without the game
dpkg-deb -x "$ddeb" "$root" && dpkg-deb -x "$sdeb" "$root" || fail "dpkg-deb cannot unpack the server package"
for f in usr/games/varnhold-server usr/lib/systemd/system/varnhold-server.service usr/share/doc/varnhold-server/copyright \
    usr/share/doc/varnhold-server/changelog.gz etc/default/varnhold-server; do
    [ -f "$root/$f" ] || fail "no /$f in the server package"
done
zcat "$root/usr/share/man/man6/varnhold-server.6.gz" >"$work/server.6" || fail "no manual page of the server"
warnings=$(LC_ALL=C.UTF-8 groff -man -ww -z -Tutf8 "$work/server.6" 2>&1)
[ -z "$warnings" ] || fail "the server's manual page: $warnings"
sed 's/\\-/-/g' "$work/server.6" >"$work/sman.txt"
for option in $("$root/usr/games/varnhold-server" --help | grep -Eo -- '--[a-z-]+' | sort -u); do
    grep -q -- "$option" "$work/sman.txt" || fail "the server's manual page does not list $option"
done
unit="$root/usr/lib/systemd/system/varnhold-server.service"
grep -qx 'ExecStart=/usr/games/varnhold-server $VARNHOLD_SERVER_OPTIONS' "$unit" && grep -qx "EnvironmentFile=/etc/default/varnhold-server" "$unit" ||
    fail "the systemd unit does not start /usr/games/varnhold-server with the options of /etc/default/varnhold-server"
grep -q '^VARNHOLD_SERVER_OPTIONS=".*--trusted-proxy 127.0.0.1' "$root/etc/default/varnhold-server" ||
    fail "/etc/default/varnhold-server does not trust the proxy on the loopback address"
source "$(dirname "$0")/../support/ourdata.sh"
verdict=$(ourdata "$root/usr/games/varnhold-server" "$(dirname "$0")/../replays/fight.vhr" | "$root/usr/games/varnhold-server" --verify-child 2>&1)
grep -q "no high-score row" <<<"$verdict" || fail "the unpacked server did not play a replay: $verdict"
echo "ok"
