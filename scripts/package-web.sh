#!/usr/bin/env bash
# Builds both viewers for the web with Debian's Emscripten and makes the static site
# build-web/site/ and build-web/gaugeplot-<version>-web.zip (the same files, for any static host):
# both viewers' pages, the front page, and what installs the site and keeps it for use offline (the
# manifest, its icons, the service worker).
#   scripts/package-web.sh           the site and the zip
#   scripts/package-web.sh --test    also builds the unit tests against the recording fake and runs
#                                    them under node against the pinned results of the Linux
#                                    unit tests in build/ (or of GAUGEPLOT_PINNED_STREAMS)
# Run as root on Debian when packages are missing.
set -euo pipefail
cd "$(dirname "$0")/.."

test_mode=0
case "${1:-}" in
  --test) test_mode=1 ;;
  "") ;;
  *) echo "usage: scripts/package-web.sh [--test]" >&2; exit 2 ;;
esac

# librsvg2-bin makes the site's PNG icons from the SVG one (rsvg-convert); strip-nondeterminism
# makes the zip the same bytes for every build of a commit.
packages=(cmake make emscripten librsvg2-bin strip-nondeterminism)
[ $test_mode -eq 1 ] && packages+=(googletest)
scripts/setup.sh "${packages[@]}"
# Emscripten's tools run on node and need Debian's JavaScript modules (acorn and others), which a
# node from elsewhere does not look for.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

build=build-web
deps=$PWD/$build/deps

testing=OFF
if [ $test_mode -eq 1 ]; then
  testing=ON
  scripts/cross-googletest.sh "$deps" emcmake cmake -Dgtest_disable_pthreads=ON
fi

# The unit tests run under node as it is: emcmake's default adds an option today's node rejects.
emcmake cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=$testing \
  -DCMAKE_FIND_ROOT_PATH="$deps" -DCMAKE_PREFIX_PATH="$deps" -DCMAKE_CROSSCOMPILING_EMULATOR="$(command -v node)" \
  >/dev/null
cmake --build "$build" -j2

# The site, installed from the build, and the zip, packed by CPack (web/CMakeLists.txt).
site=$build/site
rm -rf "$site"
cmake --install "$build" --prefix "$site" >/dev/null
scripts/cpack.sh "$build" ZIP
echo "$site/"

if [ $test_mode -eq 1 ]; then
  # The Linux results the pinned ones were taken from, to name the first float that moved should a
  # pinned checksum differ (tests/support/checksum.h): the folder GAUGEPLOT_PINNED_STREAMS names
  # (scripts/test.sh makes it once a run), or made here from the Linux unit tests in build/.
  pins=${GAUGEPLOT_PINNED_STREAMS:-}
  if [ -z "$pins" ]; then
    pins=$PWD/build/pinned-streams
    mkdir -p "$pins"
    for viewer in gaugeplot2d gaugeplot3d; do
      if [ ! -x "build/tests/${viewer}_tests" ]; then
        echo "error: build/tests/${viewer}_tests is missing: build the Linux unit tests first (scripts/test.sh does)" >&2
        exit 1
      fi
      GAUGEPLOT_PINNED_STREAMS=$pins "build/tests/${viewer}_tests" --gtest_filter='*Unchanged*' >/dev/null
    done
  fi
  (cd "$build" && GAUGEPLOT_PINNED_STREAMS=$pins ctest --output-on-failure -L unit)
fi
