#!/usr/bin/env bash
# Installs what is missing, builds, and starts a viewer: gaugeplot3d by default, or the one named.
#   scripts/run.sh [gaugeplot3d|gaugeplot2d] [GLUT options...]
set -euo pipefail
cd "$(dirname "$0")/.."

viewer=${1:-gaugeplot3d}
case "$viewer" in
  gaugeplot2d|gaugeplot3d) shift || true ;;
  *) echo "usage: scripts/run.sh [gaugeplot3d|gaugeplot2d] [GLUT options...]" >&2; exit 2 ;;
esac

scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target "$viewer"

if [ -z "${DISPLAY:-}" ]; then
  echo "error: no X display (DISPLAY is not set); $viewer needs one to open its window." >&2
  echo "       Run it from a desktop session, or under a virtual one: xvfb-run -s '-screen 0 1024x768x24' scripts/run.sh $viewer" >&2
  exit 1
fi
exec "build/$viewer/$viewer" "$@"
