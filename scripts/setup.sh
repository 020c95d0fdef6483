#!/usr/bin/env bash
# Installs, on Debian, whatever the build and the tests need and the machine lacks. Run as root.
#   scripts/setup.sh               the packages of the Linux build and its tests
#   scripts/setup.sh PACKAGE...    those packages instead (the Windows, web and arm64 builds name
#                                  theirs); NAME:ARCH is another processor's, whose architecture
#                                  is added to dpkg's first
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  freeglut3-dev libglu1-mesa-dev libgl1-mesa-dri
  libgtest-dev libbenchmark-dev
  xvfb xdotool imagemagick
  dpkg-dev lintian desktop-file-utils devscripts appstream
  clang libclang-rt-14-dev
)
[ $# -gt 0 ] && packages=("$@")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "error: these Debian packages are missing and installing them needs root: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
for p in "${missing[@]}"; do
  arch=${p#*:}
  if [ "$arch" != "$p" ] && [ "$arch" != "$(dpkg --print-architecture)" ] &&
     ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
    dpkg --add-architecture "$arch"
  fi
done
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
