#!/usr/bin/env bash
# Installs what is missing, builds, and runs the tests, stage by stage; any failure ends the run.
#   scripts/test.sh               every stage, in the order below (what .ci/run does)
#   scripts/test.sh STAGE...      only those, each building what it needs
# Stages:
#   unit      the Linux build (build/): unit, end-to-end and soak tests, the Debian package check
#   release   the unit tests, pinned results included, in a Release build (-O3), and again for
#             x86-64-v3 (fused multiply-add) where this processor has it
#   sanitize  the unit tests under AddressSanitizer and UndefinedBehaviorSanitizer
#   arm64     the arm64 build: its unit tests, its package check and the end-to-end cases that fit
#             emulation's time, under qemu-user
#   fuzz      each fuzz harness for FUZZ_SECONDS (default 60)
#   web       the web build's unit tests under node, then both pages in headless Chromium, and
#             the cases an engine's difference could break in Firefox and WebKit under Xvfb
#   windows   the Windows build under Wine: unit tests, resources, the zip's programs, the installer
set -euo pipefail
cd "$(dirname "$0")/.."

all="unit release sanitize arm64 fuzz web windows"

# The Linux build, which the stages that run other platforms' programs drive them from; and the
# pinned results as floats, with which the arm64 and Windows builds name the first one that moved
# should a pinned checksum differ (tests/support/checksum.h). Each made once a run.
pins=$PWD/build/pinned-streams
native() {
  [ -n "${native_built:-}" ] && return
  scripts/setup.sh
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON >/dev/null
  cmake --build build -j2
  mkdir -p "$pins"
  for viewer in gaugeplot2d gaugeplot3d; do
    GAUGEPLOT_PINNED_STREAMS=$pins "build/tests/${viewer}_tests" --gtest_filter='*Unchanged*' >/dev/null
  done
  native_built=1
}

unit() {
  native
  (cd build && ctest --output-on-failure -j2)
}

# The same results at -O3, whose optimiser must keep every rounding the code writes; and for
# x86-64-v3, whose fused multiply-add the compiler must not put where the code writes two.
release() {
  scripts/setup.sh
  release_build build-release ""
  if /lib64/ld-linux-x86-64.so.2 --help 2>/dev/null | grep -q 'x86-64-v3 (supported'; then
    release_build build-release-v3 -march=x86-64-v3
  else
    echo "Skipped the x86-64-v3 unit tests: this processor lacks x86-64-v3 (FMA, AVX2)"
  fi
}
release_build() {  # build folder, compiler flags
  cmake -S . -B "$1" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON -DGAUGEPLOT_BENCH=OFF -DCMAKE_CXX_FLAGS="$2" >/dev/null
  cmake --build "$1" -j2 --target gaugeplot2d_tests gaugeplot3d_tests
  for viewer in gaugeplot2d gaugeplot3d; do
    "$1/tests/${viewer}_tests" --gtest_brief=1
  done
}

sanitize() {
  scripts/setup.sh
  cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DGAUGEPLOT_SANITIZE=ON -DGAUGEPLOT_BENCH=OFF >/dev/null
  cmake --build build-sanitize -j2
  (cd build-sanitize && ASAN_OPTIONS=abort_on_error=0:halt_on_error=1:detect_leaks=1 \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ctest --output-on-failure -j2 -LE 'e2e|soak|package')
}

# Cross-built and packaged by scripts/package.sh; its ctest runs the rest (tests/e2e, tests/package).
arm64() {
  native
  scripts/package.sh --arch arm64 >/dev/null
  (cd build-arm64 && GAUGEPLOT_PINNED_STREAMS=$pins ctest --output-on-failure -j2)
}

fuzz() {
  scripts/fuzz.sh "${FUZZ_SECONDS:-60}"
}

# Both viewers built with Emscripten as a static site, the unit tests cross-built and run under
# node, then both pages in headless Chromium (tests/web), driven by puppeteer-core from the
# committed lockfile, with the native viewers of build/ under Xvfb for the pictures to compare;
# then Firefox (puppeteer-core's WebDriver BiDi) and WebKit (WebKitWebDriver and its MiniBrowser)
# on an Xvfb of their own, which headless Firefox's lack of WebGL asks for (xvfb-run needs xauth).
web() {
  native
  GAUGEPLOT_PINNED_STREAMS=$pins scripts/package-web.sh --test
  local browsers=(chromium firefox-esr webkit2gtk-driver xvfb xauth)
  # Debian's node and npm only where the machine has no npm of its own.
  if command -v npm >/dev/null; then scripts/setup.sh "${browsers[@]}"; else scripts/setup.sh "${browsers[@]}" nodejs npm; fi
  (cd tests/web && npm ci --no-audit --no-fund --loglevel=error && node --test viewers.test.mjs)
  for engine in firefox webkit; do
    (cd tests/web && GAUGEPLOT_BROWSER=$engine xvfb-run -a -s '-screen 0 1280x1024x24' node --test viewers.test.mjs)
  done
}

# Cross-built with MinGW-w64 and packed as a zip and an installer by scripts/package-windows.sh;
# its ctest runs the unit tests and tests/windows under Wine in Xvfb.
windows() {
  native
  scripts/package-windows.sh
  scripts/setup.sh wine64
  # A private 64-bit prefix, made once; no prompts for Wine's .NET and HTML engines. wineboot
  # returns before Wine has finished setting the prefix up, and a program started meanwhile takes
  # longer than the tests wait for its window: wait until Wine is quiet.
  export WINEPREFIX=$PWD/build-windows/wine WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
    /usr/lib/wine/wineserver64 -w
  fi
  (cd build-windows && GAUGEPLOT_PINNED_STREAMS="Z:$pins" ctest --output-on-failure -L 'unit|windows')
}

# shellcheck disable=SC2206  # one stage a word
[ $# -gt 0 ] && stages=("$@") || stages=($all)
for stage in "${stages[@]}"; do
  [[ " $all " == *" $stage "* ]] || { echo "error: no stage '$stage'; the stages: $all" >&2; exit 2; }
done
for stage in "${stages[@]}"; do
  echo "== scripts/test.sh $stage"
  "$stage"
done
