#!/usr/bin/env bash
# Runs gaugeplot_bench_gl in a private Xvfb, where Mesa renders in software.
#   bench/run-gl.sh [benchmark options...]
# BUILD_DIR names the build directory (default: build). The server gets the first free display
# from :91 on and is stopped when the benchmark ends.
set -euo pipefail
cd "$(dirname "$0")/.."
program="${BUILD_DIR:-build}/bench/gaugeplot_bench_gl"
if [ ! -x "$program" ]; then
  echo "error: $program not found; build it with: cmake --build ${BUILD_DIR:-build} --target gaugeplot_bench_gl" >&2
  exit 1
fi
command -v Xvfb >/dev/null || { echo "error: Xvfb is not installed (scripts/setup.sh installs it)" >&2; exit 1; }

display=91
while [ -e "/tmp/.X${display}-lock" ] || [ -e "/tmp/.X11-unix/X${display}" ]; do
  display=$((display + 1))
done
Xvfb ":${display}" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  [ -e "/tmp/.X11-unix/X${display}" ] && break
  kill -0 "$server" 2>/dev/null || { echo "error: Xvfb :${display} did not start" >&2; exit 1; }
  sleep 0.05
done

DISPLAY=":${display}" "$program" "$@"
