#!/usr/bin/env bash
# Installs what is missing, builds, and makes the Debian package; install it with
# apt-get install ./build/gaugeplot_*.deb (on an arm64 machine, ./build-arm64/gaugeplot_*.deb).
#   scripts/package.sh               build/gaugeplot_<version>_amd64.deb, for this machine
#   scripts/package.sh --arch arm64  build-arm64/gaugeplot_<version>_arm64.deb, cross-built with
#                                    Debian's aarch64 toolchain against Debian's arm64 libraries
#                                    (its unit tests run here under qemu-user)
set -euo pipefail
cd "$(dirname "$0")/.."

case "${1:-}" in
  "")
    scripts/setup.sh
    build=build
    options=() ;;
  --arch)
    [ "${2:-}" = arm64 ] || { echo "usage: scripts/package.sh [--arch arm64]" >&2; exit 2; }
    scripts/setup.sh cmake make dpkg-dev g++-aarch64-linux-gnu qemu-user freeglut3-dev:arm64 \
      libglu1-mesa-dev:arm64 libgl1-mesa-dri:arm64 libgtest-dev:arm64
    build=build-arm64
    options=(-DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/aarch64-linux-gnu.cmake" -DGAUGEPLOT_BENCH=OFF) ;;
  *) echo "usage: scripts/package.sh [--arch arm64]" >&2; exit 2 ;;
esac

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null
cmake --build "$build" -j2
scripts/cpack.sh "$build" DEB
