#!/usr/bin/env bash
# Installs the Debian packages that building, playing and testing Varnhold need (clang and its
# sanitizer and libFuzzer runtimes for the checking build; the score server's HTTP library,
# SQLite and PostgreSQL). With --web: also what the browser edition and its tests need
# (scripts/web.sh): Emscripten, Chromium, Node. (The stb headers are in the plain list: the
# browser build's decoders are tested natively too.)
# Works as root (no sudo needed) and as a user with sudo; does nothing when all are present.
set -euo pipefail

# qt6-base-dev carries Qt Network (the score client) beside Qt Widgets.
packages=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev libqt6opengl6-dev qt6-qpa-plugins libgl-dev libgl1-mesa-dri
  libopenal-dev libvorbis-dev libpng-dev zlib1g-dev libsdl2-dev libstb-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core
  xvfb xauth xdotool x11-utils openbox imagemagick python3
  dpkg-dev file desktop-file-utils appstream groff-base lintian
  clang libclang-rt-14-dev llvm
  libcpp-httplib-dev libsqlite3-dev libpq-dev postgresql
)
if [ "${1:-}" = "--web" ]; then
  packages+=(emscripten node-acorn nodejs chromium zip)
  # npm comes with some builds of Node.js; Debian's own is a package of its own
  command -v npm >/dev/null 2>&1 || packages+=(npm)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "These Debian packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get -o DPkg::Lock::Timeout=600 update -qq
"${as_root[@]}" apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
