#!/usr/bin/env bash
# The zip and the installer that scripts/package-windows.sh made, as a Windows user gets them,
# under Wine (WINEPREFIX, set up by scripts/test.sh): the zip's programs with the end-to-end cases
# that apply there; then the installer run silently, its files, Start-menu entries and uninstall
# entry, an installed program, and the uninstaller, which must leave nothing behind.
#   tests/windows/check_installer.sh BUILD_DIR VERSION E2E_TESTS
set -euo pipefail
build=$(cd "$1" && pwd)
version=$2
e2e=$3
: "${WINEPREFIX:?names the Wine prefix to install into}"
wine=/usr/lib/wine/wine64
for made in "$build/gaugeplot-$version-win64.zip" "$build/gaugeplot-$version-win64.exe"; do
  [ -f "$made" ] || { echo "error: $made is missing: scripts/package-windows.sh makes it" >&2; exit 1; }
done

rm -rf "$build/zip-root"
mkdir -p "$build/zip-root"
(cd "$build/zip-root" && cmake -E tar xf "../gaugeplot-$version-win64.zip")
GAUGEPLOT_E2E_WINDOWS=$build/zip-root/gaugeplot-$version-win64 "$e2e" \
  --gtest_filter='Viewer2D.Opens*:Viewer2D.Square*:Viewer2D.PrintValues*:Viewer2DIntoAFile.*:Viewer2DWithoutOutput.*:Viewer3D.Opens*:Viewer3D.Sketched*:Viewer*.Escape*:Viewer*.MenuExit*'

installed=$WINEPREFIX/drive_c/Program\ Files/gaugeplot
menu=$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/gaugeplot
"$wine" "$build/gaugeplot-$version-win64.exe" /S
/usr/lib/wine/wineserver64 -w
for f in "$installed/gaugeplot2d.exe" "$installed/gaugeplot3d.exe" "$installed/Uninstall.exe" \
  "$menu/Gaugeplot 2D.lnk" "$menu/Gaugeplot 3D.lnk"; do
  [ -f "$f" ] || { echo "error: the installer did not put $f in place" >&2; exit 1; }
done
# "Apps & features" reads the uninstall entry: our icon (the 3D program's), publisher, version,
# and a size between that of the two programs and that of everything installed.
entry=$("$wine" reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\gaugeplot $version" |
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
GAUGEPLOT_E2E_WINDOWS=$installed "$e2e" --gtest_filter='Viewer*.Opens*'
# The uninstaller copies itself elsewhere and goes on from there: wait for Wine to go quiet.
"$wine" "$installed/Uninstall.exe" /S
/usr/lib/wine/wineserver64 -w
if [ -e "$installed" ] || [ -e "$menu" ]; then
  echo "error: the uninstaller left $installed or $menu behind" >&2
  exit 1
fi
echo "the zip's programs, the installer and the uninstaller: as expected"
