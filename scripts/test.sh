#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the unit, end-to-end and soak tests and
# the Debian package check once plainly; the unit tests again in a Release build (and one for
# processors with fused multiply-add, where this one has it) and under AddressSanitizer and
# UndefinedBehaviorSanitizer, where any report fails the run; the arm64 build's unit tests,
# package and programs under qemu-user; then each fuzz harness for a bounded time (FUZZ_SECONDS,
# default 60); then the web build's unit tests and both pages in Chromium; then Windows under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON >/dev/null
cmake --build build -j2
(cd build && ctest --output-on-failure -j2)
# The pinned results as floats, for the arm64 and Windows builds to name the first one that moved
# should a pinned checksum differ (tests/support/checksum.h).
pins=$PWD/build/pinned-streams
mkdir -p "$pins"
for viewer in gaugeplot2d gaugeplot3d; do
  GAUGEPLOT_PINNED_STREAMS=$pins "build/tests/${viewer}_tests" --gtest_filter='*Unchanged*' >/dev/null
done

# The same results at -O3: the unit tests, pinned results included, once more in a Release build,
# whose optimiser must keep every rounding the code writes; and again for x86-64-v3, whose fused
# multiply-add the compiler must not put where the code writes two roundings.
release() {  # build folder, then compiler flags
  cmake -S . -B "$1" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON -DGAUGEPLOT_BENCH=OFF -DCMAKE_CXX_FLAGS="$2" >/dev/null
  cmake --build "$1" -j2 --target gaugeplot2d_tests gaugeplot3d_tests
  for viewer in gaugeplot2d gaugeplot3d; do
    "$1/tests/${viewer}_tests" --gtest_brief=1
  done
}
release build-release ""
if /lib64/ld-linux-x86-64.so.2 --help 2>/dev/null | grep -q 'x86-64-v3 (supported'; then
  release build-release-v3 -march=x86-64-v3
else
  echo "Skipped the x86-64-v3 unit tests: this processor lacks x86-64-v3 (FMA, AVX2)"
fi

# arm64: cross-built and packaged, then its unit tests, pinned results included, the package
# check and the end-to-end cases that fit emulation's time, under qemu-user (tests/e2e).
scripts/package.sh --arch arm64 >/dev/null
(cd build-arm64 && GAUGEPLOT_PINNED_STREAMS=$pins ctest --output-on-failure -j2)

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DGAUGEPLOT_SANITIZE=ON -DGAUGEPLOT_BENCH=OFF >/dev/null
cmake --build build-sanitize -j2
export ASAN_OPTIONS=abort_on_error=0:halt_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
(cd build-sanitize && ctest --output-on-failure -j2 -LE 'e2e|soak|package')

scripts/fuzz.sh "${FUZZ_SECONDS:-60}"

# The web: both viewers built with Emscripten as a static site, the unit tests cross-built and run
# under node, then both pages in headless Chromium (tests/web), driven by puppeteer-core from the
# committed lockfile, with the native viewers of build/ under Xvfb for the pictures to compare.
scripts/package-web.sh --test
# Debian's node and npm only where the machine has no npm of its own.
if command -v npm >/dev/null; then scripts/setup.sh chromium; else scripts/setup.sh chromium nodejs npm; fi
(cd tests/web && npm ci --no-audit --no-fund --loglevel=error && node --test viewers.test.mjs)

# Windows: both programs cross-built with MinGW-w64 and packed as a zip and an installer, then
# checked under Wine in Xvfb: the unit tests, the programs from the zip with the end-to-end cases
# that apply there, and the installer run silently, an installed program and the uninstaller.
scripts/package-windows.sh
version=$(sed -n 's/^project(gaugeplot VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
# Both programs: built for the GUI subsystem (no console window), with an icon group and version
# information among their resources, the version being the project's.
for exe in build-windows/gaugeplot2d/gaugeplot2d.exe build-windows/gaugeplot3d/gaugeplot3d.exe; do
  headers=$(x86_64-w64-mingw32-objdump -p "$exe")
  grep -q '^Subsystem.*(Windows GUI)$' <<<"$headers" ||
    { echo "error: $exe is not built for the Windows GUI subsystem" >&2; exit 1; }
  resources=$(wrestool -l "$exe")
  for kind in group_icon version; do
    grep -q "type=$kind " <<<"$resources" || { echo "error: $exe has no $kind resource" >&2; exit 1; }
  done
  for field in FileVersion ProductVersion; do
    given=$(wrestool -x --raw --type=version "$exe" | strings -el | grep -A1 -x "$field" | tail -1)
    [ "$given" = "$version" ] || { echo "error: $exe has $field '$given', the project $version" >&2; exit 1; }
  done
done
scripts/setup.sh wine64
windows=$PWD/build-windows
# A private 64-bit prefix, made once; no prompts for Wine's .NET and HTML engines. wineboot
# returns before Wine has finished setting the prefix up, and a program started meanwhile takes
# longer than the tests wait for its window: wait until Wine is quiet.
export WINEPREFIX=$windows/wine WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
  /usr/lib/wine/wineserver64 -w
fi
(cd build-windows && GAUGEPLOT_PINNED_STREAMS="Z:$pins" ctest --output-on-failure -L unit)

rm -rf "$windows/zip-root"
mkdir -p "$windows/zip-root"
(cd "$windows/zip-root" && cmake -E tar xf "../gaugeplot-$version-win64.zip")
GAUGEPLOT_E2E_WINDOWS=$windows/zip-root/gaugeplot-$version-win64 build/tests/e2e/gaugeplot_e2e_tests \
  --gtest_filter='Viewer2D.Opens*:Viewer2D.Square*:Viewer2D.PrintValues*:Viewer2DIntoAFile.*:Viewer2DWithoutOutput.*:Viewer3D.Opens*:Viewer3D.Sketched*:Viewer*.Escape*:Viewer*.MenuExit*'

installed=$WINEPREFIX/drive_c/Program\ Files/gaugeplot
menu=$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/gaugeplot
/usr/lib/wine/wine64 "$windows/gaugeplot-$version-win64.exe" /S
/usr/lib/wine/wineserver64 -w
for f in "$installed/gaugeplot2d.exe" "$installed/gaugeplot3d.exe" "$installed/Uninstall.exe" \
  "$menu/Gaugeplot 2D.lnk" "$menu/Gaugeplot 3D.lnk"; do
  [ -f "$f" ] || { echo "error: the installer did not put $f in place" >&2; exit 1; }
done
# "Apps & features" reads the uninstall entry: our icon (the 3D program's), publisher, version,
# and a size between that of the two programs and that of everything installed.
entry=$(/usr/lib/wine/wine64 reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\gaugeplot $version" |
  tr -d '\r' | sed 's/^ *//; s/    /|/g')
# Wine started for reg without a display: let it end before a program needs one.
/usr/lib/wine/wineserver64 -w
for value in 'DisplayIcon|REG_SZ|C:\Program Files\gaugeplot\gaugeplot3d.exe' \
  'Publisher|REG_SZ|The gaugeplot authors' "DisplayVersion|REG_SZ|$version"; do
  grep -Fxq "$value" <<<"$entry" || { echo "error: the uninstall entry lacks $value; it holds:$entry" >&2; exit 1; }
done
size=$(($(sed -n 's/^EstimatedSize|REG_DWORD|//p' <<<"$entry")))
programs=$((($(stat -c %s "$installed/gaugeplot2d.exe") + $(stat -c %s "$installed/gaugeplot3d.exe")) / 1024))
if [ "$size" -lt "$programs" ] || [ "$size" -gt "$(du -sk "$installed" | cut -f1)" ]; then
  echo "error: the uninstall entry gives the size $size KiB, the programs alone take $programs" >&2
  exit 1
fi
# The Start-menu entries start the installed programs, and so show their icons.
for viewer in 2D 3D; do
  target="C:\Program Files\gaugeplot\gaugeplot${viewer,,}.exe"
  grep -Fxq "$target" <<<"$(strings "$menu/Gaugeplot $viewer.lnk")" ||
    { echo "error: the Start-menu entry Gaugeplot $viewer does not point at $target" >&2; exit 1; }
done
GAUGEPLOT_E2E_WINDOWS=$installed build/tests/e2e/gaugeplot_e2e_tests --gtest_filter='Viewer*.Opens*'
# The uninstaller copies itself elsewhere and goes on from there: wait for Wine to go quiet.
/usr/lib/wine/wine64 "$installed/Uninstall.exe" /S
/usr/lib/wine/wineserver64 -w
if [ -e "$installed" ] || [ -e "$menu" ]; then
  echo "error: the uninstaller left $installed or $menu behind" >&2
  exit 1
fi
echo "Windows checks passed"
