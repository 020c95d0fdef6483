#!/usr/bin/env bash
# Builds gaugeplot_bench_web in the web build and runs it in headless Chromium (WebGL on
# SwiftShader), first the 2D viewer's scenes, then the 3D viewer's; prints the medians; then times
# the journal of both viewers' pages (web/journal.js) built beside it.
#   bench/run-web.sh
# BUILD_DIR names the web build directory (default: build-web, as scripts/package-web.sh makes
# it); it is configured here when it is not yet. Run scripts/package-web.sh once first on a
# machine without Emscripten: it installs it.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${BUILD_DIR:-build-web}"
command -v emcmake >/dev/null || { echo "error: Emscripten is missing; scripts/package-web.sh installs it" >&2; exit 1; }
scripts/setup.sh chromium
# Emscripten's tools run under whatever node is first on PATH; Debian's modules must be found.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
[ -f "$build/CMakeCache.txt" ] || emcmake cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j2 --target gaugeplot_bench_web gaugeplot2d gaugeplot3d
[ -d tests/web/node_modules/puppeteer-core ] || (cd tests/web && npm ci --no-audit --no-fund --loglevel=error)
node bench/web/run.mjs "$build/bench"
