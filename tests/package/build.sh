# Builds the Debian packages (the game's, its data's and the server's) from the build folder $1 into the empty folder $2, as a player or a
# release would: cpack -G DEB.
set -eu
build="$1" out="$2"
rm -rf "$out"
mkdir -p "$out"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || { cat "$out/cpack.log"; exit 1; }
ls "$out"/varnhold_*.deb "$out"/varnhold-data_*.deb "$out"/varnhold-server_*.deb
