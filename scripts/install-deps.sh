#!/usr/bin/env bash
# Installs the Debian packages that building, playing and testing Varnhold need (clang and its
# sanitizer and libFuzzer runtimes for the checking build; the score server's HTTP library,
# SQLite and PostgreSQL).
# Works as root (no sudo needed) and as a user with sudo; does nothing when all are present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev libqt6opengl6-dev qt6-qpa-plugins libgl-dev libgl1-mesa-dri
  libopenal-dev libvorbis-dev libpng-dev zlib1g-dev libsdl2-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core
  xvfb xauth xdotool x11-utils openbox imagemagick python3
  dpkg-dev file desktop-file-utils appstream groff-base lintian
  clang libclang-rt-14-dev llvm
  libcpp-httplib-dev libsqlite3-dev libpq-dev postgresql
)

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
