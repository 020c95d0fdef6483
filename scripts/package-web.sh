#!/usr/bin/env bash
# Builds both viewers for the web with Debian's Emscripten and makes the static site
# build-web/site/ and build-web/gaugeplot-<version>-web.zip (the same files, for any static host):
# both viewers' pages, the front page, and what installs the site and keeps it for use offline (the
# manifest, its icons, the service worker).
#   scripts/package-web.sh           the site and the zip
#   scripts/package-web.sh --test    also builds the unit tests against the recording fake and runs
#                                    them under node; the Linux unit tests must be built in build/
#                                    (scripts/test.sh does that first), whose pinned results they
#                                    are compared to
# Run as root on Debian when packages are missing.
set -euo pipefail
cd "$(dirname "$0")/.."

test_mode=0
case "${1:-}" in
  --test) test_mode=1 ;;
  "") ;;
  *) echo "usage: scripts/package-web.sh [--test]" >&2; exit 2 ;;
esac

# librsvg2-bin makes the site's PNG icons from the SVG one (rsvg-convert).
packages=(cmake make emscripten librsvg2-bin)
[ $test_mode -eq 1 ] && packages+=(googletest)
command -v python3 >/dev/null || packages+=(python3)  # packs the zip; scripts/run.sh web serves with it
scripts/setup.sh "${packages[@]}"
# Emscripten's tools run on node and need Debian's JavaScript modules (acorn and others), which a
# node from elsewhere does not look for.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

build=build-web
deps=$PWD/$build/deps
version=$(sed -n 's/^project(gaugeplot VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

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

site=$build/site
rm -rf "$site"
mkdir -p "$site"
for viewer in gaugeplot2d gaugeplot3d; do
  cp "$build/$viewer/$viewer".{html,js,wasm} packaging/$viewer.svg "$site/"
done
cp web/index.html web/manifest.json "$build"/web/gaugeplot-*.png "$site/"
# The service worker's cache is named after the version; the digest of everything else it keeps
# makes a rebuilt site of the same version a new service worker too.
digest=$(cd "$site" && LC_ALL=C ls | xargs cat | sha256sum | cut -c1-16)
sed -e "s/@VERSION@/$version/" -e "s/@DIGEST@/$digest/" web/sw.js >"$site/sw.js"

# The zip holds one folder; its entries in a fixed order with the last commit's time and no
# owner or change time, so the same commit gives the same bytes (Python's zipfile writes those).
stamp=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || date +%s)}
name=gaugeplot-$version-web
rm -f "$build/$name.zip"
python3 - "$site" "$build/$name.zip" "$name" "$stamp" <<'PYTHON'
import os, sys, time, zipfile
site, target, folder, stamp = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    for name in sorted(os.listdir(site)):
        entry = zipfile.ZipInfo(folder + "/" + name, time.gmtime(stamp)[:6])
        entry.compress_type = zipfile.ZIP_DEFLATED
        entry.external_attr = 0o644 << 16
        with open(os.path.join(site, name), "rb") as f:
            z.writestr(entry, f.read())
PYTHON
echo "$site/"
echo "$build/$name.zip"

if [ $test_mode -eq 1 ]; then
  # The Linux results the pinned ones were taken from, to name the first float that moved should a
  # pinned checksum differ (tests/support/checksum.h).
  pins=$PWD/build/pinned-streams
  mkdir -p "$pins"
  for viewer in gaugeplot2d gaugeplot3d; do
    if [ ! -x "build/tests/${viewer}_tests" ]; then
      echo "error: build/tests/${viewer}_tests is missing: build the Linux unit tests first (scripts/test.sh does)" >&2
      exit 1
    fi
    GAUGEPLOT_PINNED_STREAMS=$pins "build/tests/${viewer}_tests" --gtest_filter='*Unchanged*' >/dev/null
  done
  (cd "$build" && GAUGEPLOT_PINNED_STREAMS=$pins ctest --output-on-failure -L unit)
fi
