#!/usr/bin/env bash
# Installs what is missing, builds, and starts a viewer: gaugeplot3d by default, or the one named;
# or makes the web site and serves it on this machine only.
#   scripts/run.sh [gaugeplot3d|gaugeplot2d] [GLUT options...]
#   scripts/run.sh web [port]
set -euo pipefail
cd "$(dirname "$0")/.."

viewer=${1:-gaugeplot3d}
case "$viewer" in
  gaugeplot2d|gaugeplot3d) shift || true ;;
  web)
    port=${2:-8080}
    scripts/package-web.sh >/dev/null
    command -v python3 >/dev/null || scripts/setup.sh python3  # serves the site
    echo "Serving build-web/site on this machine only: open http://127.0.0.1:$port/ in a browser (Ctrl-C stops it)."
    exec python3 -m http.server --bind 127.0.0.1 "$port" --directory build-web/site ;;
  *) echo "usage: scripts/run.sh [gaugeplot3d|gaugeplot2d] [GLUT options...] | scripts/run.sh web [port]" >&2; exit 2 ;;
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
